// The GGA decoder against receiver output as it arrives in one serial tick.
#include "app/Records.h"
#include "gps/GgaDecoder.h"

#include <QtTest>

namespace {

// A fix as a receiver writes it; fields 11 to 14 (geoid height, DGPS age and
// station) follow the altitude units.
const QString kFix =
    QStringLiteral("$GPGGA,123519,4807.038,N,01131.000,E,1,08,0.9,545.4,M,46.9,M,,*47\r\n");
const QString kNoFix = QStringLiteral("$GPGGA,123520,,,,,0,00,,,M,,M,,*66\r\n");
const QString kOtherSentence =
    QStringLiteral("$GPRMC,123519,A,4807.038,N,01131.000,E,022.4,084.4,230394,003.1,W*6A\r\n");

// What a previous tick left in the record: every field set, so a row that
// expects it unchanged can tell.
GpsPosition previousPosition()
{
    return {QStringLiteral("1111.111 S"),
            QStringLiteral("S"),
            QStringLiteral("02222.222 W"),
            QStringLiteral("W"),
            QStringLiteral("2 - DGPS fix"),
            QStringLiteral("11"),
            QStringLiteral("1.5"),
            QStringLiteral("12.0,M"),
            QStringLiteral("M")};
}

QStringList fieldsOf(const GpsPosition &p)
{
    return {p.gpsLatitude,   p.gpsNorthSouth, p.gpsLongitude, p.gpsEastWest,     p.gpsFixQuality,
            p.gpsSatellites, p.gpsHDOP,       p.gpsAltitude,  p.gpsAltitudeUnits};
}

} // namespace

class TestGgaDecoder : public QObject
{
    Q_OBJECT
private slots:
    void decode_data();
    void decode();
};

void TestGgaDecoder::decode_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("decoded");
    // latitude, N/S, longitude, E/W, fix quality, satellites, HDOP, altitude, units
    QTest::addColumn<QStringList>("expected");

    const QStringList fix{
        QStringLiteral("4807.038 N"), QStringLiteral("N"),           QStringLiteral("01131.000 E"),
        QStringLiteral("E"),          QStringLiteral("1 - GPS fix"), QStringLiteral("08"),
        QStringLiteral("0.9"),        QStringLiteral("545.4,M"),     QStringLiteral("M")};
    const QStringList previous = fieldsOf(previousPosition());

    QTest::newRow("GPS fix") << kFix << true << fix;
    QTest::newRow("no fix") << kNoFix << true
                            << QStringList{QStringLiteral("No data"),
                                           QString(),
                                           QStringLiteral("No data"),
                                           QString(),
                                           QStringLiteral("0 - invalid"),
                                           QStringLiteral("00"),
                                           QStringLiteral("No data"),
                                           QStringLiteral("No data"),
                                           QStringLiteral("M")};
    QTest::newRow("DGPS fix") << QStringLiteral(
                                     "$GPGGA,1,5100.0,N,00000.5,W,2,12,1.1,70.0,M,,,,*00\r\n")
                              << true
                              << QStringList{QStringLiteral("5100.0 N"),
                                             QStringLiteral("N"),
                                             QStringLiteral("00000.5 W"),
                                             QStringLiteral("W"),
                                             QStringLiteral("2 - DGPS fix"),
                                             QStringLiteral("12"),
                                             QStringLiteral("1.1"),
                                             QStringLiteral("70.0,M"),
                                             QStringLiteral("M")};
    QTest::newRow("fix quality 6 stays bare")
        << QStringLiteral("$GPGGA,1,5100.0,N,00000.5,W,6,04,2.0,70.0,M,,,,*00\r\n") << true
        << QStringList{
               QStringLiteral("5100.0 N"), QStringLiteral("N"),      QStringLiteral("00000.5 W"),
               QStringLiteral("W"),        QStringLiteral("6"),      QStringLiteral("04"),
               QStringLiteral("2.0"),      QStringLiteral("70.0,M"), QStringLiteral("M")};
    QTest::newRow("empty hemisphere")
        << QStringLiteral("$GPGGA,1,5100.0,,00000.5,,1,04,2.0,70.0,,,,,*00\r\n") << true
        << QStringList{QStringLiteral("5100.0 "),
                       QString(),
                       QStringLiteral("00000.5 "),
                       QString(),
                       QStringLiteral("1 - GPS fix"),
                       QStringLiteral("04"),
                       QStringLiteral("2.0"),
                       QStringLiteral("70.0,"),
                       QString()};
    QTest::newRow("letters copied as they are")
        << QStringLiteral("$GPGGA,1,ab,N,cd,E,x,y,z,w,M,,,,*00\r\n") << true
        << QStringList{QStringLiteral("ab N"), QStringLiteral("N"),   QStringLiteral("cd E"),
                       QStringLiteral("E"),    QStringLiteral("x"),   QStringLiteral("y"),
                       QStringLiteral("z"),    QStringLiteral("w,M"), QStringLiteral("M")};
    QTest::newRow("another sentence first") << kOtherSentence + kFix << true << fix;
    QTest::newRow("starts in the middle of a sentence")
        << QStringLiteral("4.4,230394,003.1,W*6A\r\n") + kFix << true << fix;
    QTest::newRow("two sentences: the first counts") << kFix + kNoFix << true << fix;
    QTest::newRow("checksum not checked")
        << QString(kFix).replace(QStringLiteral("*47"), QStringLiteral("*00")) << true << fix;
    QTest::newRow("exactly eleven fields")
        << QStringLiteral("$GPGGA,1,5100.0,N,00000.5,W,1,04,2.0,70.0,M*00\r\n") << true
        << QStringList{QStringLiteral("5100.0 N"),
                       QStringLiteral("N"),
                       QStringLiteral("00000.5 W"),
                       QStringLiteral("W"),
                       QStringLiteral("1 - GPS fix"),
                       QStringLiteral("04"),
                       QStringLiteral("2.0"),
                       QStringLiteral("70.0,M"),
                       QStringLiteral("M")};

    QTest::newRow("no text") << QString() << false << previous;
    QTest::newRow("no GGA sentence") << kOtherSentence << false << previous;
    QTest::newRow("talker in lower case")
        << QString(kFix).replace(QStringLiteral("$GPGGA"), QStringLiteral("$gpgga")) << false
        << previous;
    QTest::newRow("cut sentence: the text ends before its star")
        << kOtherSentence + QStringLiteral("$GPGGA,123519,4807.038,N,011") << false << previous;
    QTest::newRow("sentence split by a line end")
        << QStringLiteral("$GPGGA,123519,4807.038,N,011\r\n") + kOtherSentence << false << previous;
    QTest::newRow("split sentence followed by a complete one")
        << QStringLiteral("$GPGGA,123519,4807.038,N,011\r\n") + kFix << true << fix;
    QTest::newRow("line feed alone splits too")
        << QStringLiteral("$GPGGA,123519,4807.038,N,011\n") + kOtherSentence << false << previous;
    QTest::newRow("fewer than eleven fields")
        << QStringLiteral("$GPGGA,123519,4807.038,N,01131.000,E,1,08,0.9,545.4*47\r\n") << false
        << previous;
    QTest::newRow("short sentence, then a complete one")
        << QStringLiteral("$GPGGA,123519,4807.038,N*47\r\n") + kFix << true << fix;
}

void TestGgaDecoder::decode()
{
    QFETCH(QString, text);
    QFETCH(bool, decoded);
    QFETCH(QStringList, expected);

    GpsPosition position = previousPosition();
    QCOMPARE(GgaDecoder::decode(text, position), decoded);
    QCOMPARE(fieldsOf(position), expected);
}

QTEST_GUILESS_MAIN(TestGgaDecoder)
#include "tst_GgaDecoder.moc"
