#pragma once

#include "app/StateLook.h"

#include <QString>
#include <QtGlobal>
#include <optional>

// What one poll of a Velto remote shows: the connection-state row, the two
// signal meters with their smoothing, the RSSI in the window title, the
// access point's address and the traffic chart's full scale. Each function
// takes the stored values and the answer texts and returns what to show or
// store; the Velto monitor applies them.
namespace VeltoPollResults {

inline constexpr char kAssociated[] = "Associated";
inline constexpr char kCongestionText[] = "Scanning due to Congestion";

struct ConnectionStateRow
{
    StateLook look;
    bool noSignalTitle = false; // the window title becomes "-- dBm"
    bool radioScanning = false;
};

// The row for a state code answered by the radio, compared as text with
// "1".."5"; nullopt when no row applies (empty, non-numeric, 0, 6 and above,
// or 5 on older firmware), and the display then keeps what it shows. Newer
// firmware tells "Connected" (4) from "Associated" (5); older firmware
// reports association as 4.
std::optional<ConnectionStateRow> connectionStateRow(const QString &code, bool newFirmwareLogin,
                                                     const QString &congestionStatusText,
                                                     Lamp scanningLamp);

// RSSI meter (0..100) from the stored smoothed magnitude: full at -60 dBm and
// above, empty at -100 dBm and below, and empty while nothing is known (0).
double rssiMeterValue(qint16 storedRssi);

// Window title from the stored smoothed magnitude: "-85 dBm", or "0 dBm".
QString rssiTitle(qint16 storedRssi);

// The magnitude moved half-way towards the reading (the number after the
// first "-" of the answer), rounded halves to even; the first reading, while
// nothing is stored (0), is taken as it is. nullopt when the result leaves
// the 16-bit range, which ends the poll cycle.
std::optional<qint16> smoothedRssi(qint16 storedRssi, const QString &rssiText);

// The SNR held within 0..30 and moved half-way towards the reading; a reading
// of 255 (no value) sets 0 at once. nullopt on a 16-bit overflow.
std::optional<qint16> smoothedSnr(qint16 storedSnr, const QString &snrText);

// The readings as the radio gave them, before any smoothing: the RSSI in dBm
// (the number after the first "-", negated) and the SNR in dB; NaN when the
// answer holds no reading (empty, not a number, or an SNR of 255).
double rawRssiDbm(const QString &rssiText);
double rawSnrDb(const QString &snrText);

// SNR meter: 30 dB shows as 99.99.
double snrMeterValue(qint16 snr);

// Dotted address from the raw octets of the access point's address: each
// character's code in decimal, joined by "."; empty for an empty answer.
QString apAddressFromRaw(const QString &raw);

// Full scale of the traffic chart in kb/s: 256 when the link-rate answer is 1
// (and when it is not a number at all, such as the empty text of a
// time-out), 512 otherwise. nullopt when the number does not fit 16 bits,
// which ends the poll cycle.
std::optional<qint16> linkRateKbps(const QString &linkRateText);

} // namespace VeltoPollResults
