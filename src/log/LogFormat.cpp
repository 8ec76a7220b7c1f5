#include "LogFormat.h"

namespace LogFormat {

namespace {

const QString kNoData = QStringLiteral("No data");
const QString kDisabled = QStringLiteral("Disabled");
const QString kInvalidData = QStringLiteral("Invalid data");

// The position columns, the same in both layouts. A record has two more
// than its header: an empty field before the dilution and another before the
// altitude, where stored logs have always had them.
QStringList gpsHeader()
{
    return {QStringLiteral("Latitude"),
            QStringLiteral("Longitude"),
            QStringLiteral("Fix Quality"),
            QStringLiteral("No. Satellites Tracked"),
            QStringLiteral("Horizontal Dilution"),
            QStringLiteral("Altitude (meters above sea level)")};
}

QStringList gpsFields(const GpsPosition &position)
{
    return {position.gpsLatitude,
            position.gpsLongitude,
            position.gpsFixQuality,
            position.gpsSatellites,
            QString(),
            position.gpsHDOP,
            QString(),
            position.gpsAltitude};
}

} // namespace

QStringList ardixHeader()
{
    return QStringList{QStringLiteral("Date"),       QStringLiteral("Time"),
                       QStringLiteral("RSSI (dBm)"), QStringLiteral("RX Bytes"),
                       QStringLiteral("RX Packets"), QStringLiteral("RX Errors"),
                       QStringLiteral("TX Bytes"),   QStringLiteral("TX Packets"),
                       QStringLiteral("TX Errors"),  QStringLiteral("Fragments"),
                       QStringLiteral("Retries")} +
           gpsHeader();
}

QStringList veltoHeader()
{
    return QStringList{QStringLiteral("Date"),       QStringLiteral("Time"),
                       QStringLiteral("RSSI (dBm)"), QStringLiteral("AP's IP Address"),
                       QStringLiteral("RX Bytes"),   QStringLiteral("RX Packets"),
                       QStringLiteral("RX Errors"),  QStringLiteral("TX Bytes"),
                       QStringLiteral("TX Packets"), QStringLiteral("TX Errors"),
                       QStringLiteral("Retries"),    QStringLiteral("Retry Errors")} +
           gpsHeader();
}

QString ardixRssiText(qint16 rssi)
{
    const QString sign = rssi < 0 ? QString() : QStringLiteral(" ");
    return sign + QString::number(rssi) + QLatin1Char(' ');
}

QString veltoRssiText(qint16 rssi)
{
    return rssi == 0 ? QStringLiteral("0") : QLatin1Char('-') + QString::number(rssi);
}

void substituteGps(GpsPosition &position, bool gpsEnabled)
{
    for (QString *field : {&position.gpsLatitude, &position.gpsLongitude, &position.gpsFixQuality,
                           &position.gpsSatellites, &position.gpsHDOP, &position.gpsAltitude}) {
        if (!gpsEnabled)
            *field = kDisabled;
        else if (field->isEmpty())
            *field = kNoData;
    }
}

void substituteVeltoCounters(LinkStatistics &statistics)
{
    for (QString *counter :
         {&statistics.wirelessRxBytes, &statistics.rxPackets, &statistics.rxErrors,
          &statistics.wirelessTxBytes, &statistics.txPackets, &statistics.txErrors,
          &statistics.retries, &statistics.retryErrors}) {
        if (counter->isEmpty())
            *counter = kInvalidData;
    }
}

QString timeFormat(const QLocale &locale)
{
    const QString format = locale.timeFormat(QLocale::LongFormat);
    QString result;
    bool quoted = false;
    for (const QChar c : format) {
        if (c == QLatin1Char('\''))
            quoted = !quoted;
        if (quoted || c != QLatin1Char('t'))
            result += c;
    }
    return result.simplified();
}

QString dateText(const QDate &date, const QLocale &locale)
{
    return locale.toString(date, QLocale::ShortFormat);
}

QString timeText(const QTime &time, const QLocale &locale)
{
    return locale.toString(time, timeFormat(locale));
}

QStringList ardixRecord(const LinkStatistics &statistics, const GpsPosition &position,
                        const QDateTime &now, const QLocale &locale)
{
    return QStringList{dateText(now.date(), locale),
                       timeText(now.time(), locale),
                       ardixRssiText(statistics.rssi),
                       statistics.rxBytes,
                       statistics.rxPackets,
                       statistics.rxErrors,
                       statistics.txBytes,
                       statistics.txPackets,
                       statistics.txErrors,
                       statistics.fragments,
                       statistics.retries} +
           gpsFields(position);
}

QStringList veltoRecord(const LinkStatistics &statistics, const GpsPosition &position,
                        const QDateTime &now, const QLocale &locale)
{
    return QStringList{dateText(now.date(), locale),
                       timeText(now.time(), locale),
                       veltoRssiText(statistics.rssi),
                       statistics.apAddress,
                       QString(),
                       statistics.wirelessRxBytes,
                       statistics.rxPackets,
                       statistics.rxErrors,
                       statistics.wirelessTxBytes,
                       statistics.txPackets,
                       statistics.txErrors,
                       statistics.retries,
                       statistics.retryErrors} +
           gpsFields(position);
}

QByteArray line(const QStringList &fields)
{
    QStringList cleaned;
    cleaned.reserve(fields.size());
    for (QString field : fields) {
        for (QChar &c : field) {
            if (c == QLatin1Char('\t') || c == QLatin1Char('\r') || c == QLatin1Char('\n'))
                c = QLatin1Char(' ');
        }
        cleaned << field;
    }
    return cleaned.join(QLatin1Char('\t')).toLatin1() + "\r\n";
}

} // namespace LogFormat
