// What the GPS receiver's serial port delivered in one tick, read as Latin-1
// the way the port hands it on, through the GGA decoder.
#include "FuzzCheck.h"
#include "gps/GgaDecoder.h"

#include <cstdint>

namespace {

bool isSingleField(const QString &text)
{
    return !text.contains(QLatin1Char('\r')) && !text.contains(QLatin1Char('\n')) &&
           !text.contains(QLatin1Char('*'));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString text = QString::fromLatin1(reinterpret_cast<const char *>(data), qsizetype(size));
    GpsPosition position;
    position.gpsLatitude = QStringLiteral("unchanged");
    const bool decoded = GgaDecoder::decode(text, position);
    if (!decoded) {
        FUZZ_CHECK(position.gpsLatitude == QLatin1String("unchanged"));
        return 0;
    }
    FUZZ_CHECK(text.contains(QLatin1String("$GPGGA")));
    // Every field comes from one sentence up to its "*": nothing of a line end,
    // a checksum or a following sentence.
    for (const QString *field :
         {&position.gpsLatitude, &position.gpsNorthSouth, &position.gpsLongitude,
          &position.gpsEastWest, &position.gpsFixQuality, &position.gpsSatellites,
          &position.gpsHDOP, &position.gpsAltitude, &position.gpsAltitudeUnits})
        FUZZ_CHECK(isSingleField(*field));
    for (const QString *field :
         {&position.gpsLatitude, &position.gpsLongitude, &position.gpsFixQuality,
          &position.gpsSatellites, &position.gpsHDOP, &position.gpsAltitude})
        FUZZ_CHECK(!field->isEmpty());

    GpsPosition again;
    FUZZ_CHECK(GgaDecoder::decode(text, again));
    FUZZ_CHECK(again.gpsLatitude == position.gpsLatitude &&
               again.gpsAltitude == position.gpsAltitude);
    return 0;
}
