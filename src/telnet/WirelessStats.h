#pragma once

#include <QByteArray>
#include <QString>
#include <array>
#include <functional>
#include <optional>

// The radio's wireless statistics screen and the congestion rules.
//
// Each tick of the balancing timer reads the radio's answer to "wrlsstat":
// one line of eight counters (RX packets, TX packets, RX bytes, TX bytes, TX
// errors, RX errors, retries, retry errors) separated by single spaces and
// ended by CR LF. The counters go into the link statistics; TX packets, retries and
// retry errors are also sampled into rings of four, whose per-interval
// differences feed four rules. A rule that fires sends the radio "blacklist",
// which makes it scan for another access point, and the connection-state
// display then reads "Scanning due to Congestion" with the dull red lamp.
//
// The rings and difference arrays keep their samples for the whole program
// run; a new Velto run restarts only the slots and the counts (startRun).
struct CongestionStatus;
struct LinkStatistics;

class WirelessStats
{
public:
    using Sender = std::function<void(const QByteArray &)>;

    enum Rule
    {
        RuleA = 1, // retries rise while TX packets do not
        RuleB = 2, // retry errors rise while TX packets do not
        RuleC = 4, // retry errors rise above 5
        RuleD = 8  // more than 30 retry errors in one interval
    };

    struct TickResult
    {
        // False when the answer ran out: the tick ends without leaving the
        // radio and the next tick tries again on the same connection.
        bool leaveRadio = true;
        int firedRules = 0; // Rule flags
    };

    std::array<qint32, 4> txPacketHistory{};
    std::array<qint32, 4> retryHistory{};
    std::array<qint32, 4> retryErrorHistory{};
    std::array<qint32, 3> txPacketDelta{};
    std::array<qint32, 3> retryDelta{};
    std::array<qint32, 3> retryErrorDelta{};
    qint16 historySlot = 0; // ring slot written in the current tick, 0..3
    qint16 deltaSlot = 0;   // difference slot written in the current tick, 0..2
    qint16 retryRiseCount = 0;
    qint16 retryErrorRiseCount = 0;
    qint16 retryErrorHighCount = 0;
    qint16 balanceCycles = 0; // ticks since the Velto run started

    // A Velto run starts: slots, counts and cycles back to 0.
    void startRun();

    // One tick of the balancing timer. The first tick of a run, and any tick
    // without a connection, only counts. Otherwise "wrlsstat" is sent again
    // and the text received last is read: an echo of the command leaves the
    // counters as they are, an answer fills them; then the differences are
    // taken and the rules applied. Writes the counters into link and a fired
    // rule into status.
    TickResult balancingTick(bool telnetConnected, const QString &screenText, LinkStatistics &link,
                             CongestionStatus &status, const Sender &send);

    // Applies the four rules to the differences of this tick; returns the
    // rules that fired (each one sent "blacklist"). A scanning radio is left
    // to its scan.
    int AnalyseWirelessStats(bool radioScanning, CongestionStatus &status, const Sender &send);

    // The eight numbers of an answer, in the order listed above; nullopt when
    // the text runs out before the eighth.
    static std::optional<std::array<double, 8>> parseAnswer(const QString &text);
};
