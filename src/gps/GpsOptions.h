#pragma once

#include <QString>

// The stored GPS settings, section "GPS Options" of the settings store:
// "GPS Enabled" ("True"/"False"), "ComPort" (0 for none, 1 or 2) and the serial
// devices behind the two ports, "Com1Device" and "Com2Device". A receiver on
// USB usually appears as /dev/ttyUSB0 or /dev/ttyACM0; the operator enters
// that device for one of the ports in the GPS options dialog.
namespace GpsOptions {

inline constexpr char16_t kGpsEnabledKey[] = u"GPS Enabled";
inline constexpr char16_t kComPortKey[] = u"ComPort";

// Stored "GPS Enabled", with the given default when the key is missing.
bool storedGpsEnabled(bool defaultValue);
void storeGpsEnabled(bool enabled);

// Stored "ComPort" read as a number (leading number, halves to even), with
// the given default when the key is missing; 0 when it does not fit 16 bits.
qint16 storedComPort(qint16 defaultValue);
void storeComPort(qint16 port);

// The serial device of port 1 or 2: the stored "Com<port>Device", or
// "/dev/ttyS0" and "/dev/ttyS1" while none (or a blank one) is stored. Empty
// for any other port number.
QString devicePath(int port);
QString defaultDevicePath(int port);
void storeDevicePath(int port, const QString &path);

// The port the monitoring window opens at load: the one chosen in this run,
// or the stored "ComPort" while none is chosen (gpsComPort 0).
qint16 portToOpen(qint16 chosenPort);

} // namespace GpsOptions
