#include "LogReader.h"

#include "LogColumns.h"
#include "LogFormat.h"

#include <QRegularExpression>
#include <algorithm>
#include <cmath>

namespace LogReader {

namespace {

// Digits with at most one decimal point, as a receiver writes a number.
bool isPlainNumber(const QString &text)
{
    return !text.isEmpty() && text.count(QLatin1Char('.')) <= 1 &&
           std::all_of(text.cbegin(), text.cend(),
                       [](QChar c) { return c.isDigit() || c == QLatin1Char('.'); });
}

// Degrees and minutes run together as the receiver sends them, a space and
// the hemisphere letter.
std::optional<double> angleDegrees(const QString &text, double limit, QChar positive,
                                   QChar negative)
{
    const QStringList parts = text.trimmed().split(QLatin1Char(' '));
    if (parts.size() != 2 || !isPlainNumber(parts.at(0)) || parts.at(1).size() != 1)
        return std::nullopt;
    const QChar hemisphere = parts.at(1).at(0);
    if (hemisphere != positive && hemisphere != negative)
        return std::nullopt;
    const double value = parts.at(0).toDouble();
    const double degrees = std::floor(value / 100.0);
    const double minutes = value - degrees * 100.0;
    const double result = degrees + minutes / 60.0;
    if (minutes >= 60.0 || result > limit)
        return std::nullopt;
    return hemisphere == negative ? -result : result;
}

QStringList withEmptyBefore(QStringList columns, const QStringList &titles)
{
    for (const QString &title : titles)
        columns.insert(columns.indexOf(title), QString());
    return columns;
}

QString fieldOf(const LogTable &table, const QStringList &fields, const QString &column)
{
    const qsizetype index = table.columns.indexOf(column);
    return index >= 0 && index < fields.size() ? fields.at(index) : QString();
}

LogEntry entryOf(const LogTable &table, QStringList fields, const QLocale &locale)
{
    while (fields.size() < table.columns.size())
        fields << QString();
    LogEntry entry;
    entry.time = recordTime(fieldOf(table, fields, LogColumns::date()),
                            fieldOf(table, fields, LogColumns::time()), locale);
    entry.rssiDbm = rssiDbm(fieldOf(table, fields, LogColumns::rssi()));
    const auto latitude = latitudeDegrees(fieldOf(table, fields, LogColumns::latitude()));
    const auto longitude = longitudeDegrees(fieldOf(table, fields, LogColumns::longitude()));
    if (latitude && longitude)
        entry.position = GeoPosition{*latitude, *longitude};
    entry.altitudeMetres = altitudeMetres(fieldOf(table, fields, LogColumns::altitude()));
    entry.fields = std::move(fields);
    return entry;
}

std::optional<RemoteKind> familyOfHeader(const QStringList &fields)
{
    if (fields == LogFormat::ardixHeader())
        return RemoteKind::Ardix;
    if (fields == LogFormat::veltoHeader())
        return RemoteKind::Velto;
    return std::nullopt;
}

std::optional<RemoteKind> familyOfRecord(const QStringList &fields)
{
    if (fields.size() >= recordColumns(RemoteKind::Velto).size())
        return RemoteKind::Velto;
    if (fields.size() >= recordColumns(RemoteKind::Ardix).size())
        return RemoteKind::Ardix;
    return std::nullopt;
}

} // namespace

std::optional<double> latitudeDegrees(const QString &text)
{
    return angleDegrees(text, 90.0, QLatin1Char('N'), QLatin1Char('S'));
}

std::optional<double> longitudeDegrees(const QString &text)
{
    return angleDegrees(text, 180.0, QLatin1Char('E'), QLatin1Char('W'));
}

std::optional<double> altitudeMetres(const QString &text)
{
    const QStringList parts = text.trimmed().split(QLatin1Char(','));
    if (parts.size() != 2 || parts.at(1) != QLatin1String("M"))
        return std::nullopt;
    bool ok = false;
    const double metres = parts.at(0).toDouble(&ok);
    return ok && std::isfinite(metres) ? std::optional<double>(metres) : std::nullopt;
}

std::optional<int> rssiDbm(const QString &text)
{
    bool ok = false;
    const int value = text.trimmed().toInt(&ok);
    return ok ? std::optional<int>(value) : std::nullopt;
}

QDateTime recordTime(const QString &date, const QString &time, const QLocale &locale)
{
    const QString dateFormat = locale.dateFormat(QLocale::ShortFormat);
    QDate day = locale.toDate(date.trimmed(), dateFormat);
    // Without a century in the text the parser puts the year in the 1900s.
    if (day.isValid() && !dateFormat.contains(QLatin1String("yyyy")))
        day = day.addYears(100);
    const QTime clock = locale.toTime(time.trimmed(), LogFormat::timeFormat(locale));
    if (!day.isValid() || !clock.isValid())
        return {};
    return QDateTime(day, clock);
}

QStringList recordColumns(RemoteKind family)
{
    if (family == RemoteKind::Ardix)
        return withEmptyBefore(LogFormat::ardixHeader(),
                               {QStringLiteral("Horizontal Dilution"), LogColumns::altitude()});
    return withEmptyBefore(LogFormat::veltoHeader(),
                           {QStringLiteral("RX Bytes"), QStringLiteral("Horizontal Dilution"),
                            LogColumns::altitude()});
}

std::optional<LogTable> read(const QByteArray &text, const QLocale &locale, QString *error)
{
    const QRegularExpression lineEnd(QStringLiteral("\r\n|\r|\n"));
    QStringList lines = QString::fromLatin1(text).split(lineEnd, Qt::SkipEmptyParts);
    if (lines.isEmpty()) {
        *error = QStringLiteral("the log holds no lines");
        return std::nullopt;
    }
    const QStringList first = lines.first().split(QLatin1Char('\t'));
    std::optional<RemoteKind> family = familyOfHeader(first);
    if (family)
        lines.removeFirst();
    else if (first.value(0) != LogColumns::date())
        family = familyOfRecord(first);
    if (!family) {
        *error = QStringLiteral("the first line is neither a log header nor a log record");
        return std::nullopt;
    }
    LogTable table;
    table.family = *family;
    table.columns = recordColumns(*family);
    table.entries.reserve(lines.size());
    for (const QString &line : std::as_const(lines)) {
        const QStringList fields = line.split(QLatin1Char('\t'));
        for (qsizetype i = table.columns.size(); i < fields.size(); ++i)
            table.columns << QStringLiteral("Column %1").arg(i + 1);
        table.entries << entryOf(table, fields, locale);
    }
    // Records read before a longer one came along get its extra columns too.
    for (LogEntry &entry : table.entries) {
        while (entry.fields.size() < table.columns.size())
            entry.fields << QString();
    }
    return table;
}

} // namespace LogReader
