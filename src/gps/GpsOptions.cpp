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

Source storedSource()
{
    const QString text = SettingsStore::read(section(), QStringLiteral("Source"));
    return text.trimmed().compare(QLatin1String("gpsd"), Qt::CaseInsensitive) == 0
               ? Source::Gpsd
               : Source::SerialPort;
}

void storeSource(Source source)
{
    SettingsStore::write(section(), QStringLiteral("Source"),
                         source == Source::Gpsd ? QStringLiteral("gpsd")
                                                : QStringLiteral("Serial"));
}

QString gpsdHost()
{
    const QString host = SettingsStore::read(section(), QStringLiteral("GpsdHost")).trimmed();
    return host.isEmpty() ? QString::fromLatin1(kDefaultGpsdHost) : host;
}

quint16 gpsdPort()
{
    bool ok = false;
    const uint port =
        SettingsStore::read(section(), QStringLiteral("GpsdPort")).trimmed().toUInt(&ok);
    return ok && port >= 1 && port <= 65535 ? quint16(port) : kDefaultGpsdPort;
}

void storeGpsd(const QString &host, quint16 port)
{
    SettingsStore::write(section(), QStringLiteral("GpsdHost"), host.trimmed());
    SettingsStore::write(section(), QStringLiteral("GpsdPort"), QString::number(port));
}

qint32 baudRate()
{
    const qint32 stored =
        SettingsStore::read(section(), QStringLiteral("BaudRate")).trimmed().toInt();
    for (qint32 rate : kBaudRates) {
        if (rate == stored)
            return rate;
    }
    return kDefaultBaudRate;
}

void storeBaudRate(qint32 baudRate)
{
    SettingsStore::write(section(), QStringLiteral("BaudRate"), QString::number(baudRate));
}

Source sourceToOpen(qint16 chosenPort)
{
    return chosenPort != 0 ? Source::SerialPort : storedSource();
}

} // namespace GpsOptions
