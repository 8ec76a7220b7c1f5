#pragma once

#include <QString>
#include <QtGlobal>
#include <optional>

// What the alarm thresholds accept from the operator and from the radio: the
// threshold dialogs check the entry, the Velto monitor keeps what the radio took.
namespace ThresholdRules {

// An RSSI threshold entry: a number from -120 to 0 (dBm).
bool isValidRssiEntry(const QString &text);

// The radio accepted an RSSI threshold when its answer is not "ERROR" and
// holds a minus sign, or is "0".
bool radioAcceptedRssi(const QString &answer);

// Magnitude kept for the scale from an accepted entry: the number after the
// first "-" rounded halves to even; 100 or more becomes 100, 0 to 60 becomes 61.
qint16 rssiThresholdFromEntry(const QString &text);

// An SNR threshold entry as the integer that is sent: a text that is not a
// number counts as 60; a number is rounded halves to even. nullopt when the
// result lies outside 0..40.
std::optional<qint16> snrEntryValue(const QString &text);

} // namespace ThresholdRules
