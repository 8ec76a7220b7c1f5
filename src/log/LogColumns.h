#pragma once

#include "LogReader.h"

#include <QString>
#include <algorithm>

// The log's columns by their titles, for the readers and writers of a log
// read back.
namespace LogColumns {

inline QString date()
{
    return QStringLiteral("Date");
}
inline QString time()
{
    return QStringLiteral("Time");
}
inline QString rssi()
{
    return QStringLiteral("RSSI (dBm)");
}
inline QString latitude()
{
    return QStringLiteral("Latitude");
}
inline QString longitude()
{
    return QStringLiteral("Longitude");
}
inline QString altitude()
{
    return QStringLiteral("Altitude (meters above sea level)");
}

// The column that takes the place of date and time in an export.
inline QString isoTimeTitle()
{
    return QStringLiteral("Time (ISO 8601)");
}

inline bool isDateOrTime(const QString &title)
{
    return title == date() || title == time();
}

// A column's title; a column the log leaves empty by design is named by its
// number.
inline QString title(const LogTable &table, qsizetype column)
{
    const QString &name = table.columns.at(column);
    return name.isEmpty() ? QStringLiteral("Column %1").arg(column + 1) : name;
}

// Titled columns always; a column the log leaves empty by design only when
// some record has a value there after all.
inline bool isShown(const LogTable &table, qsizetype column)
{
    if (!table.columns.at(column).isEmpty())
        return true;
    return std::any_of(table.entries.cbegin(), table.entries.cend(),
                       [column](const LogEntry &e) { return !e.fields.at(column).isEmpty(); });
}

} // namespace LogColumns
