#pragma once

#include <QString>
#include <QtGlobal>

// What the Velto start makes of the radio's answers: the alarm thresholds as
// the colour scales use them and the firmware version as the management
// features gate on it. The threshold dialogs apply the same threshold rules
// to the values the operator sets.
namespace VeltoStartRules {

// Magnitude of the RSSI alarm threshold: the number after the first "-" (the
// whole text when there is none), rounded halves to even; above 100 becomes
// 100, 1..60 becomes 61, 0 and below stay. "-85" -> 85, "-45" -> 61, "-110" -> 100.
qint16 rssiThresholdFromText(const QString &text);

// SNR alarm threshold parsed the same way, then held within 10..30.
qint16 snrThresholdFromText(const QString &text);

// Position of the SNR threshold on the 80-cell scale: (threshold - 10) x 3.95,
// rounded halves to even. 20 -> 40 (39.5), 10 -> 0.
qint16 snrThresholdBar(qint16 snrThreshold);

// Three-digit version from the radio's text: from the character before the
// first "." on, the 1st, 3rd and 5th characters joined ("4.8.0" and "v4.8.0"
// give "480"). A text without that shape is kept as answered.
QString compressFirmwareVersion(const QString &answer);

// The integer value of a compressed version; 0 when it is not a number.
int firmwareNumber(const QString &version);

// Chart and congestion management need 4.7.2 or the extended features.
bool passesFirmwareGate(int version, bool extendedFirmware);

// The second telnet credential: firmware above 5.7.0 or the extended features.
bool usesNewFirmwareLogin(int version, bool extendedFirmware);

// The device mode answered by the radio names an access point (5).
bool isAccessPointMode(const QString &deviceMode);

// Entry 14 reports the extended features unless it answers "0" or "ERROR";
// an empty answer (no answer in time) counts as extended.
bool isExtendedFirmwareAnswer(const QString &answer);

} // namespace VeltoStartRules
