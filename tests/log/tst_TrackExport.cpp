// A small log written in all four export formats and read back: GPX and KML
// by gpsbabel, GeoJSON and CSV here.
#include "log/LogFormat.h"
#include "log/TrackExport.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QStandardPaths>
#include <QtTest>

namespace {

// Velto RSSI magnitudes; the fourth record has no fix. Under -95 dBm the RSSI
// falls below the threshold at the second record, and again at the fourth,
// which the fifth has to show.
constexpr int kMagnitudes[] = {80, 97, 70, 98, 99};
constexpr int kWithoutFix = 3;
constexpr int kRecordsWithFix = 4;
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
    babel.start(QStringLiteral("gpsbabel"),
                {QStringLiteral("-i"), format, QStringLiteral("-f"), path, QStringLiteral("-o"),
                 QStringLiteral("gpx"), QStringLiteral("-F"), QStringLiteral("-")});
    if (!babel.waitForFinished(30000) || babel.exitCode() != 0)
        return "gpsbabel failed: " + babel.readAllStandardError();
    return babel.readAllStandardOutput();
}

} // namespace

class TestTrackExport : public QObject
{
    Q_OBJECT
private slots:
    void allFormatsReadBack()
    {
        if (QStandardPaths::findExecutable(QStringLiteral("gpsbabel")).isEmpty())
            QSKIP("gpsbabel is not installed");
        QTemporaryDir dir;
        QFile log(dir.filePath(QStringLiteral("log.txt")));
        QVERIFY(log.open(QIODevice::WriteOnly) && log.write(fixtureLog()) > 0);
        log.close();
        for (const char *suffix : {"gpx", "kml", "geojson", "csv"}) {
            const QString path = dir.filePath(QStringLiteral("track.") + QLatin1String(suffix));
            const TrackExport::Result result = TrackExport::exportLog(
                {log.fileName(), path, *TrackExport::formatOfPath(path), QLocale(), -95});
            QVERIFY2(result.error.isEmpty(), qPrintable(result.error));
        }
        const QByteArray gpx = babelRead(QStringLiteral("gpx"), dir.filePath("track.gpx"));
        QCOMPARE(gpx.count("<trkpt "), kRecordsWithFix);
        QCOMPARE(gpx.count("<time>2025-06-01T"), kRecordsWithFix);
        const QByteArray kml = babelRead(QStringLiteral("kml"), dir.filePath("track.kml"));
        QCOMPARE(kml.count("<wpt "), kRecordsWithFix);
        QCOMPARE(kml.count("<name>Below threshold</name>"), kFallsBelow);

        QFile geoJsonFile(dir.filePath("track.geojson"));
        QVERIFY(geoJsonFile.open(QIODevice::ReadOnly));
        const QJsonArray features =
            QJsonDocument::fromJson(geoJsonFile.readAll())[QStringLiteral("features")].toArray();
        QCOMPARE(features.size(), kRecordsWithFix);
        const QJsonObject properties = features.first()[QStringLiteral("properties")].toObject();
        for (const QString &title : LogFormat::veltoHeader())
            QVERIFY2(properties.contains(title), qPrintable(title));

        QFile csvFile(dir.filePath("track.csv"));
        QVERIFY(csvFile.open(QIODevice::ReadOnly));
        const QList<QByteArray> rows = csvFile.readAll().trimmed().split('\n');
        QCOMPARE(rows.size(), 1 + int(std::size(kMagnitudes)));
        const qsizetype latitude = rows.first().split(',').indexOf("Latitude");
        QCOMPARE(rows.at(1 + kWithoutFix).split(',').value(latitude), QByteArray());
        QCOMPARE(rows.at(1).split(',').value(latitude), QByteArray("48.166667"));
    }
};

QTEST_GUILESS_MAIN(TestTrackExport)
#include "tst_TrackExport.moc"
