#pragma once

#include <QString>
#include <QStringList>
#include <optional>

// What the system tells about the serial devices a GPS receiver may sit on.
namespace SerialDevices {

// Where the system names each USB serial device after the receiver itself
// (maker, model, serial number), so the name stays when it is plugged in again
// and comes back under another /dev/ttyUSB number.
inline constexpr char kByIdFolder[] = "/dev/serial/by-id";

// The full paths of the devices named in folder, sorted; empty when there
// is no such folder (no USB serial device plugged in).
QStringList receiversById(const QString &folder = QLatin1String(kByIdFolder));

// The path in folder that names the same device as device, or empty.
QString byIdPathOf(const QString &device, const QString &folder = QLatin1String(kByIdFolder));

// Whether a GPS daemon holds device: a process named gpsd has it open.
// Unknown (nullopt) when no daemon is seen holding it but one runs whose
// open files this user may not read (a daemon of the system, as another user).
std::optional<bool> heldByGpsd(const QString &device,
                               const QString &procRoot = QStringLiteral("/proc"));

// Why device cannot be opened, in the operator's words, for a device that is
// missing, unreadable or no serial line.
QString openFailureReason(const QString &device);

} // namespace SerialDevices
