#include "GpsOptions.h"

#include "app/Numeric.h"
#include "app/SettingsStore.h"

namespace GpsOptions {

namespace {

QString section()
{
    return QString::fromUtf16(SettingsStore::kGpsOptions);
}

QString deviceKey(int port)
{
    return QStringLiteral("Com%1Device").arg(port);
}

bool isKnownPort(int port)
{
    return port == 1 || port == 2;
}

} // namespace

bool storedGpsEnabled(bool defaultValue)
{
    return SettingsStore::read(section(), QString::fromUtf16(kGpsEnabledKey),
                               SettingsStore::booleanText(defaultValue)) == QLatin1String("True");
}

void storeGpsEnabled(bool enabled)
{
    SettingsStore::write(section(), QString::fromUtf16(kGpsEnabledKey),
                         SettingsStore::booleanText(enabled));
}

qint16 storedComPort(qint16 defaultValue)
{
    const QString text = SettingsStore::read(section(), QString::fromUtf16(kComPortKey),
                                             QString::number(defaultValue));
    return Numeric::toInt16(Numeric::leadingNumber(text)).value_or(0);
}

void storeComPort(qint16 port)
{
    SettingsStore::write(section(), QString::fromUtf16(kComPortKey), QString::number(port));
}

QString defaultDevicePath(int port)
{
    if (!isKnownPort(port))
        return {};
    return QStringLiteral("/dev/ttyS%1").arg(port - 1);
}

QString devicePath(int port)
{
    if (!isKnownPort(port))
        return {};
    const QString stored = SettingsStore::read(section(), deviceKey(port)).trimmed();
    return stored.isEmpty() ? defaultDevicePath(port) : stored;
}

void storeDevicePath(int port, const QString &path)
{
    if (isKnownPort(port))
        SettingsStore::write(section(), deviceKey(port), path.trimmed());
}

qint16 portToOpen(qint16 chosenPort)
{
    return chosenPort != 0 ? chosenPort : storedComPort(0);
}

} // namespace GpsOptions
