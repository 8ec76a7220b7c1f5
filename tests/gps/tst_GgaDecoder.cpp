// The GGA decoder against receiver output as it arrives in one serial tick.
#include "app/Records.h"
#include "gps/GgaDecoder.h"

#include <QtTest>

namespace {

const QString kFix = "$GPGGA,123519,4807.038,N,01131.000,E,1,08,0.9,545.4,M,46.9,M,,*47\r\n";
const QString kNoFix = "$GPGGA,123520,,,,,0,00,,,M,,M,,*66\r\n";
const QString kOther = "$GPRMC,123519,A,4807.038,N,01131.000,E,022.4,084.4,230394,003.1,W*6A\r\n";
const QString kCut = "$GPGGA,123519,4807.038,N,011";

// latitude|N/S|longitude|E/W|fix quality|satellites|HDOP|altitude|units
const QString kFixFields = "4807.038 N|N|01131.000 E|E|1 - GPS fix|08|0.9|545.4,M|M";
// What an earlier tick left: a text that is not decoded keeps it.
const QString kEarlier = "1111.111 S|S|02222.222 W|W|2 - DGPS fix|11|1.5|12.0,M|M";

QString fieldsOf(const GpsPosition &p)
{
    return QStringList{p.gpsLatitude, p.gpsNorthSouth, p.gpsLongitude,
                       p.gpsEastWest, p.gpsFixQuality, p.gpsSatellites,
                       p.gpsHDOP,     p.gpsAltitude,   p.gpsAltitudeUnits}
        .join('|');
}

} // namespace

class TestGgaDecoder : public QObject
{
    Q_OBJECT
private slots:
    void decode_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("expected");
        const auto row = [](const char *name, const QString &text, const QString &expected) {
            QTest::newRow(name) << text << expected;
        };
        row("GPS fix", kFix, kFixFields);
        row("no fix", kNoFix, "No data||No data||0 - invalid|00|No data|No data|M");
        row("DGPS fix", "$GPGGA,1,5100.0,N,00000.5,W,2,12,1.1,70.0,M,,,,*00\r\n",
            "5100.0 N|N|00000.5 W|W|2 - DGPS fix|12|1.1|70.0,M|M");
        row("fix quality 6 stays bare", "$GPGGA,1,5100.0,N,00000.5,W,6,04,2.0,70.0,M,,,,*00\r\n",
            "5100.0 N|N|00000.5 W|W|6|04|2.0|70.0,M|M");
        row("empty hemisphere", "$GPGGA,1,5100.0,,00000.5,,1,04,2.0,70.0,,,,,*00\r\n",
            "5100.0 ||00000.5 ||1 - GPS fix|04|2.0|70.0,|");
        row("exactly eleven fields", "$GPGGA,1,5100.0,N,00000.5,W,1,04,2.0,70.0,M*00\r\n",
            "5100.0 N|N|00000.5 W|W|1 - GPS fix|04|2.0|70.0,M|M");
        row("another sentence first", kOther + kFix, kFixFields);
        row("two sentences: the first counts", kFix + kNoFix, kFixFields);
        row("no GGA sentence", kOther, kEarlier);
        row("talker in lower case", kFix.toLower(), kEarlier);
        row("cut sentence: the text ends before its star", kOther + kCut, kEarlier);
        row("sentence split by a line end", kCut + "\r\n" + kOther, kEarlier);
        row("line feed alone splits too", kCut + "\n" + kOther, kEarlier);
        row("split sentence followed by a complete one", kCut + "\r\n" + kFix, kFixFields);
        row("fewer than eleven fields",
            "$GPGGA,123519,4807.038,N,01131.000,E,1,08,0.9,545.4*47\r\n", kEarlier);
        row("short sentence, then a complete one", "$GPGGA,123519,4807.038,N*47\r\n" + kFix,
            kFixFields);
    }

    void decode()
    {
        QFETCH(QString, text);
        QFETCH(QString, expected);

        const QStringList earlier = kEarlier.split(QLatin1Char('|'));
        GpsPosition position{earlier[0], earlier[1], earlier[2], earlier[3], earlier[4],
                             earlier[5], earlier[6], earlier[7], earlier[8]};
        QCOMPARE(GgaDecoder::decode(text, position), expected != kEarlier);
        QCOMPARE(fieldsOf(position), expected);
    }
};

QTEST_GUILESS_MAIN(TestGgaDecoder)
#include "tst_GgaDecoder.moc"
