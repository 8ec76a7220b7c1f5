// Log records written and read back: date and time in the locale's forms, the
// two RSSI forms, the making of one line, positions, the two layouts with and
// without a header, and a small log exported in all four track formats (GPX
// and KML read back by gpsbabel, GeoJSON and CSV here).
#include "TestSupport.h"
#include "log/LogFormat.h"
#include "log/LogReader.h"
#include "log/TrackExport.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QStandardPaths>
#include <QXmlStreamReader>
#include <QtTest>
#include <cmath>

using namespace Qt::StringLiterals;

namespace {

// Velto RSSI magnitudes; the fourth record has no fix. Under -95 dBm the RSSI
// falls below the threshold at the second record, and again at the fourth,
// which the fifth has to show; more points stay above than cross it.
constexpr int kMagnitudes[] = {80, 97, 70, 98, 99, 60};
constexpr int kWithoutFix = 3;
constexpr int kRecordsWithFix = 5;
constexpr int kFallsBelow = 2;

QByteArray fixtureLog()
{
    QByteArray text = LogFormat::line(LogFormat::veltoHeader());
    const QDateTime start(QDate(2025, 6, 1), QTime(5, 30));
    for (int i = 0; i < int(std::size(kMagnitudes)); ++i) {
        LinkStatistics link;
        link.rssi = static_cast<qint16>(kMagnitudes[i]);
        GpsPosition gps{};
        if (i != kWithoutFix) {
            gps.gpsLatitude = QStringLiteral("48%1.0000 N").arg(10 + i);
            gps.gpsLongitude = QStringLiteral("011%1.5000 E").arg(20 + i);
            gps.gpsAltitude = QStringLiteral("5%1.0,M").arg(10 + i);
        }
        LogFormat::substituteGps(gps, true);
        text +=
            LogFormat::line(LogFormat::veltoRecord(link, gps, start.addSecs(60 * i), QLocale()));
    }
    return text;
}

// gpsbabel's reading of a file, as GPX.
QByteArray babelRead(const QString &format, const QString &path)
{
    QProcess babel;
    babel.start("gpsbabel", {"-i", format, "-f", path, "-o", "gpx", "-F", "-"});
    if (!babel.waitForFinished(30000) || babel.exitCode() != 0)
        return "gpsbabel failed: " + babel.readAllStandardError();
    return babel.readAllStandardOutput();
}

} // namespace

using Angle = std::optional<double> (*)(const QString &);

class TestLogFormat : public QObject
{
    Q_OBJECT
private slots:
    // 7 March 2024, 14:05:09 as each locale writes it: the time carries
    // seconds and never a zone. A log reads back in the locale that wrote it.
    void dateAndTime_data()
    {
        QTest::addColumn<QString>("writer");
        QTest::addColumn<QString>("reader");
        QTest::addColumn<QString>("date");
        QTest::addColumn<QString>("time");
        const auto row = [](const char *name, const char *writer, const char *reader,
                            const QString &date, const QString &time) {
            QTest::newRow(name) << QString(writer) << QString(reader) << date << time;
        };
        row("en_US, two-digit year", "en_US", "en_US", "3/7/24", "2:05:09 PM");
        row("fi_FI", "fi_FI", "fi_FI", "7.3.2024", "14.05.09");
        row("ja_JP", "ja_JP", "ja_JP", "2024/03/07", "14時05分09秒");
        row("fi_FI log read as en_US", "fi_FI", "en_US", "7.3.2024", "14.05.09");
    }

    void dateAndTime()
    {
        QFETCH(QString, writer);
        QFETCH(QString, reader);
        QFETCH(QString, date);
        QFETCH(QString, time);
        const QDateTime when(QDate(2024, 3, 7), QTime(14, 5, 9));
        QCOMPARE(LogFormat::dateText(when.date(), QLocale(writer)), date);
        QCOMPARE(LogFormat::timeText(when.time(), QLocale(writer)), time);
        QCOMPARE(LogReader::recordTime(date, time, QLocale(reader)),
                 writer == reader ? when : QDateTime());
    }

    // Zero as each layout writes it.
    void rssiZero()
    {
        QCOMPARE(LogFormat::ardixRssiText(0), " 0 ");
        QCOMPARE(LogFormat::veltoRssiText(0), "0");
    }

    // Plain fields are covered by the records of tst_logfile.
    void tabsAndLineEndsInFields()
    {
        QCOMPARE(LogFormat::line({"a\tb", "c\rd", "e\n", "f\r\ng"}),
                 QByteArray("a b\tc d\te \tf  g\r\n"));
    }

    void position_data()
    {
        QTest::addColumn<Angle>("read");
        QTest::addColumn<QString>("text");
        QTest::addColumn<double>("degrees"); // NaN: no position
        const Angle lat = LogReader::latitudeDegrees;
        const Angle lon = LogReader::longitudeDegrees;
        const double none = std::nan("");
        QTest::newRow("north") << lat << "4807.0380 N" << 48.1173;
        QTest::newRow("south") << lat << "3352.5000 S" << -33.875;
        QTest::newRow("west, three degree digits") << lon << "12230.3000 W" << -122.505;
        QTest::newRow("no data") << lat << "No data" << none;
        QTest::newRow("hemisphere missing") << lat << "4807.0380 " << none;
        QTest::newRow("east is no latitude") << lat << "4807.0380 E" << none;
        QTest::newRow("sixty minutes") << lat << "4860.0000 N" << none;
        QTest::newRow("off the globe") << lon << "18100.0000 E" << none;
    }

    void position()
    {
        QFETCH(double, degrees);
        const std::optional<double> result = fetched<Angle>("read")(fetched<QString>("text"));
        QCOMPARE(result.has_value(), !std::isnan(degrees));
        if (result)
            QVERIFY2(std::abs(*result - degrees) < 1e-6, qPrintable(QString::number(*result)));
    }

    void read_data()
    {
        QTest::addColumn<bool>("ardix");
        QTest::addColumn<bool>("header");
        QTest::addColumn<QString>("extra"); // appended as one more column
        QTest::newRow("Ardix") << true << true << QString();
        QTest::newRow("Ardix without header") << true << false << QString();
        QTest::newRow("Velto without header") << false << false << QString();
        QTest::newRow("extra column") << true << true << "note";
    }

    void read()
    {
        QFETCH(bool, ardix);
        QFETCH(QString, extra);
        LinkStatistics link;
        link.rssi = ardix ? -71 : 71; // Velto keeps the magnitude
        GpsPosition gps{};
        gps.gpsLatitude = QStringLiteral("4807.0380 N");
        gps.gpsLongitude = QStringLiteral("01131.0000 W");
        gps.gpsAltitude = QStringLiteral("545.4,M");
        const QDateTime when(QDate(2026, 12, 7), QTime(5, 30));
        const QLocale locale(QStringLiteral("de_DE"));
        QStringList record = ardix ? LogFormat::ardixRecord(link, gps, when, locale)
                                   : LogFormat::veltoRecord(link, gps, when, locale);
        if (!extra.isEmpty())
            record << extra;
        QByteArray text = LogFormat::line(record) + LogFormat::line(record);
        if (fetched<bool>("header"))
            text.prepend(
                LogFormat::line(ardix ? LogFormat::ardixHeader() : LogFormat::veltoHeader()));

        QString error;
        const std::optional<LogTable> table = LogReader::read(text, locale, &error);
        QVERIFY2(table, qPrintable(error));
        QCOMPARE(table->family, ardix ? RemoteKind::Ardix : RemoteKind::Velto);
        QCOMPARE(table->entries.size(), 2);
        const LogEntry &entry = table->entries.first();
        QCOMPARE(entry.time, when);
        QCOMPARE(entry.rssiDbm, std::optional<int>(-71));
        QVERIFY(std::abs(entry.position.value().longitude + 11.5166667) < 1e-6);
        QCOMPARE(entry.altitudeMetres, std::optional<double>(545.4));
        QCOMPARE(entry.fields, record);
    }

    void allFormatsReadBack()
    {
        if (QStandardPaths::findExecutable(QStringLiteral("gpsbabel")).isEmpty())
            QSKIP("gpsbabel is not installed");
        QTemporaryDir dir;
        const QString log = dir.filePath(QStringLiteral("log.txt"));
        QVERIFY(writeFileContent(log, fixtureLog()));
        for (const char *suffix : {"gpx", "kml", "geojson", "csv"}) {
            const QString path = dir.filePath(QStringLiteral("track.") + QLatin1String(suffix));
            const TrackExport::Result result = TrackExport::exportLog(
                {log, path, *TrackExport::formatOfPath(path), QLocale(), -95});
            QVERIFY2(result.error.isEmpty(), qPrintable(result.error));
        }
        const QByteArray gpx = babelRead(QStringLiteral("gpx"), dir.filePath("track.gpx"));
        QCOMPARE(gpx.count("<trkpt "), kRecordsWithFix);
        QCOMPARE(gpx.count("<time>2025-06-01T"), kRecordsWithFix);
        const QByteArray kml = babelRead(QStringLiteral("kml"), dir.filePath("track.kml"));
        QCOMPARE(kml.count("<wpt "), kRecordsWithFix);
        QCOMPARE(kml.count("<name>Below threshold</name>"), kFallsBelow);
        // Each style stands in the document and gives its scale colour (named
        // "rssi-" red green blue) in KML's order: alpha, blue, green, red.
        QXmlStreamReader xml(fileContent(dir.filePath("track.kml")));
        QStringList path;
        int colours = 0;
        for (QString style; !xml.atEnd() && !xml.hasError();) {
            if (xml.readNext() == QXmlStreamReader::EndElement)
                path.removeLast();
            if (!xml.isStartElement())
                continue;
            path << xml.name().toString();
            if (path.last() == "Style"_L1) {
                QCOMPARE(path.join(u'/'), u"kml/Document/Style"_s);
                style = xml.attributes().value("id"_L1).toString().remove(u"rssi-"_s);
            } else if (path.last() == "color"_L1 && style.size() == 6) {
                ++colours;
                QCOMPARE(xml.readElementText(),
                         "ff"_L1 + style.mid(4) + style.mid(2, 2) + style.first(2));
                path.removeLast();
            }
        }
        QVERIFY(!xml.hasError() && colours > 0);

        const QJsonArray features =
            QJsonDocument::fromJson(fileContent(dir.filePath("track.geojson")))["features"]
                .toArray();
        QCOMPARE(features.size(), kRecordsWithFix);
        const QJsonObject properties = features.first()[QStringLiteral("properties")].toObject();
        for (const QString &title : LogFormat::veltoHeader())
            QVERIFY2(properties.contains(title), qPrintable(title));

        const QList<QByteArray> rows = fileContent(dir.filePath("track.csv")).trimmed().split('\n');
        QCOMPARE(rows.size(), 1 + int(std::size(kMagnitudes)));
        const qsizetype latitude = rows.first().split(',').indexOf("Latitude");
        QCOMPARE(rows.at(1 + kWithoutFix).split(',').value(latitude), QByteArray());
        QCOMPARE(rows.at(1).split(',').value(latitude), QByteArray("48.166667"));
    }
};

QTEST_GUILESS_MAIN(TestLogFormat)
#include "tst_LogFormat.moc"
