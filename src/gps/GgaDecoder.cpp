#include "GgaDecoder.h"

#include <QStringList>

namespace GgaDecoder {

namespace {

const QString kNoData = QStringLiteral("No data");
constexpr qsizetype kMinimumFields = 11; // "$GPGGA" and fields 1 to 10

// The fields of the first complete GGA sentence of text, its "*" and
// checksum left out, or an empty list when there is none.
QStringList firstCompleteSentence(const QString &text)
{
    static const QString marker = QStringLiteral("$GPGGA");
    qsizetype start = text.indexOf(marker);
    while (start >= 0) {
        qsizetype end = start + marker.size();
        while (end < text.size() && text.at(end) != QLatin1Char('*') &&
               text.at(end) != QLatin1Char('\r') && text.at(end) != QLatin1Char('\n'))
            ++end;
        if (end == text.size())
            return {}; // the sentence goes on in text not received yet
        if (text.at(end) == QLatin1Char('*')) {
            const QStringList fields =
                text.mid(start, end - start).split(QLatin1Char(','), Qt::KeepEmptyParts);
            if (fields.size() >= kMinimumFields)
                return fields;
        }
        start = text.indexOf(marker, end);
    }
    return {};
}

QString orNoData(const QString &value)
{
    return value.isEmpty() ? kNoData : value;
}

} // namespace

bool decode(const QString &text, GpsPosition &position)
{
    const QStringList fields = firstCompleteSentence(text);
    if (fields.isEmpty())
        return false;

    GpsPosition decoded;
    decoded.gpsNorthSouth = fields.at(3);
    decoded.gpsEastWest = fields.at(5);
    decoded.gpsAltitudeUnits = fields.at(10);

    decoded.gpsLatitude = orNoData(fields.at(2));
    if (decoded.gpsLatitude != kNoData)
        decoded.gpsLatitude += QLatin1Char(' ') + decoded.gpsNorthSouth;
    decoded.gpsLongitude = orNoData(fields.at(4));
    if (decoded.gpsLongitude != kNoData)
        decoded.gpsLongitude += QLatin1Char(' ') + decoded.gpsEastWest;

    const QString &quality = fields.at(6);
    if (quality == QLatin1String("0"))
        decoded.gpsFixQuality = QStringLiteral("0 - invalid");
    else if (quality == QLatin1String("1"))
        decoded.gpsFixQuality = QStringLiteral("1 - GPS fix");
    else if (quality == QLatin1String("2"))
        decoded.gpsFixQuality = QStringLiteral("2 - DGPS fix");
    else
        decoded.gpsFixQuality = orNoData(quality);

    decoded.gpsSatellites = orNoData(fields.at(7));
    decoded.gpsHDOP = orNoData(fields.at(8));
    decoded.gpsAltitude = orNoData(fields.at(9));
    if (decoded.gpsAltitude != kNoData)
        decoded.gpsAltitude += QLatin1Char(',') + decoded.gpsAltitudeUnits;

    position = decoded;
    return true;
}

} // namespace GgaDecoder
