#pragma once

#include "app/Records.h"

#include <QByteArray>
#include <QDateTime>
#include <QLocale>
#include <QString>
#include <QStringList>

// The two log formats: tab-delimited lines in Latin-1, each ending in CR LF,
// one header line naming the columns and one record line per log tick.
//
// The record lines carry deliberate empty columns, kept as the files have
// always had them: an Ardix record has an empty field before the horizontal
// dilution and one before the altitude, a Velto record one more after the
// access point address, so those values stand to the right of their titles.
namespace LogFormat {

// Header titles of each family, in column order.
QStringList ardixHeader();
QStringList veltoHeader();

// RSSI as logged. Ardix holds negative dBm: one leading space when not
// negative, always one trailing space ("-85 ", " 0 "). Velto holds the
// positive magnitude: "0", or "-" and the magnitude ("-85").
QString ardixRssiText(qint16 rssi);
QString veltoRssiText(qint16 rssi);

// Fills the GPS fields of a record before it is written, and keeps the result
// in the shared record: with GPS enabled an empty field reads "No data"; with
// GPS disabled every field reads "Disabled".
void substituteGps(GpsPosition &position, bool gpsEnabled);
// Velto only: an empty counter reads "Invalid data" (no statistics read yet).
void substituteVeltoCounters(LinkStatistics &statistics);

// The locale's long time format without its time-zone part ("t" outside
// quoted text), which the log does not carry: the form of the time column.
QString timeFormat(const QLocale &locale);

// Date in the locale's short date format; time with hours, minutes and
// seconds in the locale's form, without a time zone.
QString dateText(const QDate &date, const QLocale &locale);
QString timeText(const QTime &time, const QLocale &locale);

// The record fields of each family, in column order, as they are written.
QStringList ardixRecord(const LinkStatistics &statistics, const GpsPosition &position,
                        const QDateTime &now, const QLocale &locale);
QStringList veltoRecord(const LinkStatistics &statistics, const GpsPosition &position,
                        const QDateTime &now, const QLocale &locale);

// One line of the file: the fields joined by TAB, in Latin-1, ending in CR LF.
// A TAB, CR or LF inside a field becomes a space, so a field never splits the
// line or shifts the columns after it.
QByteArray line(const QStringList &fields);

} // namespace LogFormat
