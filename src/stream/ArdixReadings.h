#pragma once

#include "app/StateLook.h"

#include <QString>
#include <QtGlobal>

// The arithmetic of an Ardix datagram: how the RSSI byte becomes dBm, how the
// reading is smoothed and scaled for the meter, how counters are written and
// how the connection state looks. No widgets; the monitoring window applies
// the results.
//
// Path of the RSSI from the datagram to the screen: byte 2 (for example 0xB5)
// -> rssiOfByte -75 dBm -> smoothRssi with the previous reading ->
// linkStatistics.rssi, the window title "-75 dBm" and meterValueForRssi 62.5.
namespace ArdixReadings {

// The raw RSSI of a datagram's RSSI byte: the negated two's complement of its
// eight bits, b - 256 for b from 1 to 255 and 0 for b = 0.
qint16 rssiOfByte(quint8 byte);

// The shown RSSI: the raw value when previousRssi is 0 (nothing to smooth
// with), otherwise the mean of both rounded to the nearest integer, halves to
// the even neighbour (-77.5 -> -78).
qint16 smoothRssi(qint16 rawRssi, qint16 previousRssi);

// Meter position 0..100 for an RSSI: -60 dBm or stronger is full, -100 dBm or
// weaker is empty, 2.5 per dB between (computed in single precision).
double meterValueForRssi(qint16 rssi);

// The window title for an RSSI: "-75 dBm".
QString rssiTitle(qint16 rssi);

// A counter as shown and logged: its value held in single precision (above
// 2^24 it comes out rounded), written with at most seven significant digits;
// below ten million a plain integer ("1234567"), from there on exponent form
// ("1.234568E+07", "1E+07"). Counters are unsigned, so values of 2^31 and more
// stay positive ("2.147484E+09").
QString counterText(quint32 counter);

// How the connection state of byte 0 is shown: 1 is associated ("Associated",
// green, lamp 102), anything else disconnected ("Disconnected", red, lamp 103).
StateLook connectionStateLook(int state);

} // namespace ArdixReadings
