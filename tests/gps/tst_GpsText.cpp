// What a receiver's text gives: the GGA decoder against receiver output as it
// arrives in one serial tick, what a GPS daemon's watch delivers, and the
// receivers the system names by their identity.
#include "app/Records.h"
#include "gps/GgaDecoder.h"
#include "gps/GpsdLines.h"
#include "gps/SerialDevices.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

using namespace Qt::StringLiterals;

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

class TestGpsText : public QObject
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
        row("exactly eleven fields", "$GPGGA,1,5100.0,N,00000.5,W,1,04,2.0,70.0,M*00\r\n",
            "5100.0 N|N|00000.5 W|W|1 - GPS fix|04|2.0|70.0,M|M");
        row("cut sentence: the text ends before its star", kOther + kCut, kEarlier);
        row("split sentence followed by a complete one", kCut + "\r\n" + kFix, kFixFields);
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

    void takeSentences_data()
    {
        QTest::addColumn<QByteArray>("arrived");
        QTest::addColumn<QString>("sentences");
        QTest::addColumn<QByteArray>("left");

        const QByteArray gga = "$GPGGA,1,4807.038,N,01131.000,E,1,08,0.9,545.4,M,,M,,*47";
        const QByteArray report = R"({"class":"TPV","lat":48.1,"lon":11.5})";
        QTest::newRow("reports dropped, sentence kept")
            << report + "\n" + gga + "\r\n" + report + "\n"
            << QString::fromLatin1(gga + "\r\n") << QByteArray();
        QTest::newRow("unfinished sentence waits")
            << gga + "\r\n" + gga.left(20) << QString::fromLatin1(gga + "\r\n") << gga.left(20);
        QTest::newRow("nothing finished") << gga.left(20) << QString() << gga.left(20);
        QTest::newRow("AIS and LF-only lines") << QByteArray("!AIVDM,1\n$GPGSA,A*1\n")
                                               << u"!AIVDM,1\r\n$GPGSA,A*1\r\n"_s << QByteArray();
        QTest::newRow("endless line dropped")
            << QByteArray(20000, 'x') << QString() << QByteArray();
    }

    void takeSentences()
    {
        QFETCH(QByteArray, arrived);
        QFETCH(QString, sentences);
        QFETCH(QByteArray, left);
        QByteArray pending = arrived;
        QCOMPARE(GpsdLines::takeSentences(pending), sentences);
        QCOMPARE(pending, left);
    }

    void receiversById()
    {
        QTemporaryDir dir;
        const QString byId = dir.filePath(u"by-id"_s);
        QVERIFY(QDir().mkpath(byId) &&
                QFile(dir.filePath(u"ttyUSB1"_s)).open(QIODevice::WriteOnly));
        QVERIFY(QFile::link(dir.filePath(u"ttyUSB1"_s), byId + u"/usb-B_Receiver"_s));
        QVERIFY(QFile::link(dir.filePath(u"none"_s), byId + u"/usb-A_Receiver"_s));

        QCOMPARE(SerialDevices::byIdPathOf(dir.filePath(u"ttyUSB1"_s), byId),
                 byId + u"/usb-B_Receiver"_s);
        QCOMPARE(SerialDevices::byIdPathOf(dir.filePath(u"ttyUSB9"_s), byId), QString());
    }
};

QTEST_GUILESS_MAIN(TestGpsText)
#include "tst_GpsText.moc"
