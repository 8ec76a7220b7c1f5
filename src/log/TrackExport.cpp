#include "TrackExport.h"

#include "LogColumns.h"

#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSaveFile>
#include <algorithm>

namespace TrackExport {

namespace {

// RFC 4180: a field with a comma, a quote or a line end goes in quotes, its
// quotes doubled.
QString csvField(const QString &text)
{
    if (!text.contains(QLatin1Char(',')) && !text.contains(QLatin1Char('"')) &&
        !text.contains(QLatin1Char('\r')) && !text.contains(QLatin1Char('\n')))
        return text;
    QString quoted = text;
    quoted.replace(QLatin1Char('"'), QLatin1String("\"\""));
    return QLatin1Char('"') + quoted + QLatin1Char('"');
}

QString number(std::optional<double> value)
{
    return value ? QString::number(*value, 'f', 6) : QString();
}

// A column of the CSV: the log's value in a form spreadsheets take as it is.
QString csvValue(const LogTable &table, const LogEntry &entry, qsizetype column)
{
    const QString &name = table.columns.at(column);
    if (name == LogColumns::latitude())
        return entry.position ? number(entry.position->latitude) : QString();
    if (name == LogColumns::longitude())
        return entry.position ? number(entry.position->longitude) : QString();
    if (name == LogColumns::altitude())
        return entry.altitudeMetres ? QString::number(*entry.altitudeMetres) : QString();
    if (name == LogColumns::rssi())
        return entry.rssiDbm ? QString::number(*entry.rssiDbm) : entry.fields.at(column);
    return entry.fields.at(column);
}

} // namespace

std::optional<ExportFormat> formatNamed(const QString &name)
{
    const QString lower = name.toLower();
    if (lower == QLatin1String("gpx"))
        return ExportFormat::Gpx;
    if (lower == QLatin1String("kml"))
        return ExportFormat::Kml;
    if (lower == QLatin1String("geojson"))
        return ExportFormat::GeoJson;
    if (lower == QLatin1String("csv"))
        return ExportFormat::Csv;
    return std::nullopt;
}

std::optional<ExportFormat> formatOfPath(const QString &path)
{
    const QString suffix = QFileInfo(path).suffix();
    if (suffix.compare(QLatin1String("json"), Qt::CaseInsensitive) == 0)
        return ExportFormat::GeoJson;
    return formatNamed(suffix);
}

int defaultThresholdDbm(RemoteKind family)
{
    SessionSettings settings;
    settings.remoteKind = family;
    LinkStatistics link;
    ColorBarModel(ColorBarModel::Rssi, settings, link).InitColorBar();
    return -link.rssiThreshold;
}

CellColour rssiColour(int rssiDbm, int thresholdDbm, RemoteKind family)
{
    SessionSettings settings;
    settings.remoteKind = family;
    LinkStatistics link;
    link.rssiThreshold = static_cast<qint16>(-thresholdDbm);
    ColorBarModel scale(ColorBarModel::Rssi, settings, link);
    scale.UpdateColorBar();
    const int cell =
        std::clamp(ColorBarModel::rssiCell(-rssiDbm), 0, ColorBarModel::kCellCount - 1);
    return scale.cells().at(cell);
}

QString isoTime(const QDateTime &time)
{
    if (!time.isValid())
        return QString();
    // With its offset the time says how far it is from UTC; Qt writes none
    // for an offset of zero, so such a time is written as UTC.
    const int offset = time.offsetFromUtc();
    const QDateTime fixed = offset == 0 ? time.toUTC() : time.toOffsetFromUtc(offset);
    return fixed.toString(Qt::ISODate);
}

QByteArray geoJson(const LogTable &table)
{
    QJsonArray features;
    for (const LogEntry &entry : table.entries) {
        if (!entry.position)
            continue;
        QJsonObject properties{{LogColumns::isoTimeTitle(), isoTime(entry.time)}};
        for (qsizetype i = 0; i < table.columns.size(); ++i) {
            if (LogColumns::isShown(table, i))
                properties.insert(LogColumns::title(table, i), entry.fields.at(i));
        }
        QJsonArray coordinates{entry.position->longitude, entry.position->latitude};
        if (entry.altitudeMetres)
            coordinates.append(*entry.altitudeMetres);
        features.append(QJsonObject{{QStringLiteral("type"), QStringLiteral("Feature")},
                                    {QStringLiteral("geometry"),
                                     QJsonObject{{QStringLiteral("type"), QStringLiteral("Point")},
                                                 {QStringLiteral("coordinates"), coordinates}}},
                                    {QStringLiteral("properties"), properties}});
    }
    const QJsonObject collection{{QStringLiteral("type"), QStringLiteral("FeatureCollection")},
                                 {QStringLiteral("features"), features}};
    return QJsonDocument(collection).toJson(QJsonDocument::Indented);
}

QByteArray csv(const LogTable &table)
{
    // Date and time make one ISO column in their place.
    QList<qsizetype> shown;
    for (qsizetype i = 0; i < table.columns.size(); ++i) {
        if (LogColumns::isShown(table, i) && !LogColumns::isDateOrTime(table.columns.at(i)))
            shown << i;
    }
    QStringList header{csvField(LogColumns::isoTimeTitle())};
    for (const qsizetype i : shown)
        header << csvField(LogColumns::title(table, i));
    QString text = header.join(QLatin1Char(',')) + QLatin1String("\r\n");
    for (const LogEntry &entry : table.entries) {
        QStringList row{csvField(isoTime(entry.time))};
        for (const qsizetype i : shown)
            row << csvField(csvValue(table, entry, i).trimmed());
        text += row.join(QLatin1Char(',')) + QLatin1String("\r\n");
    }
    return text.toUtf8();
}

Result exportLog(const Request &request)
{
    Result result;
    QFile log(request.logPath);
    if (!log.open(QIODevice::ReadOnly)) {
        result.error = QStringLiteral("cannot read %1: %2").arg(request.logPath, log.errorString());
        return result;
    }
    const std::optional<LogTable> table =
        LogReader::read(log.readAll(), request.locale, &result.error);
    if (!table)
        return result;
    const int threshold = request.thresholdDbm.value_or(defaultThresholdDbm(table->family));
    QByteArray output;
    switch (request.format) {
    case ExportFormat::Gpx:
        output = gpx(*table);
        break;
    case ExportFormat::Kml:
        output = kml(*table, threshold);
        break;
    case ExportFormat::GeoJson:
        output = geoJson(*table);
        break;
    case ExportFormat::Csv:
        output = csv(*table);
        break;
    }
    QSaveFile file(request.outputPath);
    if (!file.open(QIODevice::WriteOnly) || file.write(output) != output.size() || !file.commit()) {
        result.error =
            QStringLiteral("cannot write %1: %2").arg(request.outputPath, file.errorString());
        return result;
    }
    result.records = table->entries.size();
    for (const LogEntry &entry : table->entries) {
        result.recordsWithFix += entry.position ? 1 : 0;
        result.unreadableTimes += entry.time.isValid() ? 0 : 1;
    }
    return result;
}

} // namespace TrackExport
