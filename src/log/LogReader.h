#pragma once

#include "app/Records.h"

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QLocale>
#include <QStringList>
#include <optional>

// Reads a station log back: either family, with or without its header line,
// every record as written plus the values a map needs in plain numbers.
struct GeoPosition
{
    double latitude = 0;  // decimal degrees, south negative
    double longitude = 0; // decimal degrees, west negative
};

struct LogEntry
{
    QStringList fields; // as written, one per column of LogTable::columns
    QDateTime time;     // local time of the writing machine; invalid when unreadable
    std::optional<int> rssiDbm;
    std::optional<GeoPosition> position; // none without a fix
    std::optional<double> altitudeMetres;
};

struct LogTable
{
    RemoteKind family = RemoteKind::Velto;
    // One name per record field. The columns a record always leaves empty
    // have an empty name; fields past the family's layout are named by their
    // number ("Column 22").
    QStringList columns;
    QList<LogEntry> entries;
};

namespace LogReader {

// A GPS field as logged, "ddmm.mmmm N" or "dddmm.mmmm W", in decimal degrees;
// none for "No data", "Disabled", a missing hemisphere or a value off the
// globe.
std::optional<double> latitudeDegrees(const QString &text);
std::optional<double> longitudeDegrees(const QString &text);
// The logged altitude, "545.4,M"; none when absent or not in metres.
std::optional<double> altitudeMetres(const QString &text);
// The logged RSSI of either family ("-85 ", "-85", " 0 ") in dBm.
std::optional<int> rssiDbm(const QString &text);

// The record's date and time read with the locale that wrote them; invalid
// when they do not match its formats. A short date with a two-digit year
// counts from 2000.
QDateTime recordTime(const QString &date, const QString &time, const QLocale &locale);

// The names of a family's record fields, in column order.
QStringList recordColumns(RemoteKind family);

// The whole file, Latin-1 as written, lines ending in CR LF, CR or LF. The
// family comes from the header line, or from the field count of the first
// record when the file has none. Nothing when the text is no station log;
// *error then says why.
std::optional<LogTable> read(const QByteArray &text, const QLocale &locale, QString *error);

} // namespace LogReader
