#pragma once

#include <QString>

// The stored GPS settings, section "GPS Options" of the settings store:
// "GPS Enabled" ("True"/"False"), "ComPort" (0 for none, 1 or 2) and the serial
// devices behind the two ports, "Com1Device" and "Com2Device". A receiver on
// USB usually appears as /dev/ttyUSB0 or /dev/ttyACM0; the operator enters
// that device for one of the ports in the GPS options dialog.
//
// A receiver shared with other programs through a GPS daemon is reached over
// TCP instead: "Source" is then "gpsd" (otherwise "Serial", the default, which
// is all a store written before the daemon was offered can say), and
// "GpsdHost" and "GpsdPort" tell where the daemon listens (default
// localhost:2947). "BaudRate" is the serial line speed (default 4800).
namespace GpsOptions {

enum class Source
{
    SerialPort,
    Gpsd
};

inline constexpr char kDefaultGpsdHost[] = "localhost";
inline constexpr quint16 kDefaultGpsdPort = 2947;
inline constexpr qint32 kDefaultBaudRate = 4800;
// The speeds GPS receivers send at, slowest (the usual one) first.
inline constexpr qint32 kBaudRates[] = {4800, 9600, 19200, 38400, 57600, 115200};

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

Source storedSource();
void storeSource(Source source);
// The stored daemon host and port; the defaults for a blank host or a port
// that is no TCP port number.
QString gpsdHost();
quint16 gpsdPort();
void storeGpsd(const QString &host, quint16 port);
// The stored line speed; the default for one that is not among kBaudRates.
qint32 baudRate();
void storeBaudRate(qint32 baudRate);

// The source the monitoring window opens at load: the serial port chosen in
// this run, or the stored source while no port is chosen.
Source sourceToOpen(qint16 chosenPort);

} // namespace GpsOptions
