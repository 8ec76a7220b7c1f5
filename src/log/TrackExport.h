#pragma once

#include "LogReader.h"
#include "app/ColorBarModel.h"

#include <QByteArray>
#include <QLocale>
#include <QString>
#include <optional>

// A station log turned into files that maps and spreadsheets read: a GPX
// track, a KML track coloured by the window's RSSI scale, GeoJSON points and
// a plain CSV table. Records without a fix stay out of the map formats and
// keep their row in the CSV.
enum class ExportFormat
{
    Gpx,
    Kml,
    GeoJson,
    Csv
};

namespace TrackExport {

// The namespace of the RSSI element in a GPX point's extensions.
inline constexpr char kGpxExtensionNamespace[] = "https://example.org/kavo/gpx/1";

// "gpx", "kml", "geojson" or "csv", in any case.
std::optional<ExportFormat> formatNamed(const QString &name);
// By the file name's extension (".json" counts as GeoJSON).
std::optional<ExportFormat> formatOfPath(const QString &path);

// The RSSI alarm threshold the window starts a run of the family with, in dBm.
int defaultThresholdDbm(RemoteKind family);
// The colour the window's RSSI scale shows for a reading, under the given
// threshold.
CellColour rssiColour(int rssiDbm, int thresholdDbm, RemoteKind family);

// Date and time as ISO 8601 with the writing machine's offset from UTC.
QString isoTime(const QDateTime &time);

QByteArray gpx(const LogTable &table);
QByteArray kml(const LogTable &table, int thresholdDbm);
QByteArray geoJson(const LogTable &table);
QByteArray csv(const LogTable &table);

struct Request
{
    QString logPath;
    QString outputPath;
    ExportFormat format = ExportFormat::Csv;
    QLocale locale;                  // the one that wrote the log's dates and times
    std::optional<int> thresholdDbm; // the family's default when absent
};

struct Result
{
    QString error; // empty on success
    qsizetype records = 0;
    qsizetype recordsWithFix = 0;
    qsizetype unreadableTimes = 0; // dates or times the locale did not match
};

// Reads the log, writes the output in full or not at all.
Result exportLog(const Request &request);

} // namespace TrackExport
