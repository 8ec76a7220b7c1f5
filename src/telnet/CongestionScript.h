#pragma once

#include <QByteArray>
#include <QList>
#include <optional>

// The dialogue with the radio's menu interface: every cycle logs in, opens
// the main menu, enters the statistics prompt and issues "wrlsstat"; the
// statistics reader (WirelessStats) then reads the answer and the cycle leaves
// the radio. The script advances once per appearance of the awaited text; it
// keeps no state of its own beyond the state number its caller holds.
namespace CongestionScript {

// Script states; 6 and 7 are never entered.
inline constexpr qint16 kLogin = 1;
inline constexpr qint16 kBanner = 2;
inline constexpr qint16 kMainMenu = 3;
inline constexpr qint16 kFirstPrompt = 4;
inline constexpr qint16 kSecondPrompt = 5;
inline constexpr qint16 kRequestStatistics = 8;
inline constexpr qint16 kReading = 9;

inline constexpr quint16 kDefaultPort = 23;

// What to do when the awaited text has been seen.
struct Step
{
    QList<QByteArray> sends;           // each one a separate send, in order
    std::optional<QByteArray> waitFor; // the next awaited text; none: unchanged
    bool startBalancing = false;       // the statistics reader's timer goes on
    qint16 nextState = kLogin;
};

// The awaited text a new connection starts with.
QByteArray loginPrompt();

// Credential and main-menu key of the radio's firmware generation.
QByteArray credential(bool newFirmwareLogin);
QByteArray menuKey(bool newFirmwareLogin);

// The step for the awaited text seen in the given state. A state outside the
// script sends nothing and keeps its number.
Step advance(qint16 state, bool telnetConnected, bool newFirmwareLogin);

// Leaving the radio: "exit" with its line end, then "Q" alone (the caller
// waits 100 ms before and after "Q"). The window's good-bye sends a bare line
// end first.
QByteArray lineEnd();
QByteArray exitCommand();
QByteArray quitKey();

// The telnet port: "TelnetPort" of the "Preferences" settings (23 when
// missing); a text that is no port number in 1..65535 also gives 23.
quint16 telnetPort();

} // namespace CongestionScript
