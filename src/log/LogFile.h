#pragma once

#include "app/Records.h"

#include <QByteArray>
#include <QDateTime>
#include <functional>

// What the load step of a tick found, kept for its record step.
struct ExistingLogData
{
    bool loaded = false; // the file was read to its end
    QString path;
    qint64 fileSize = 0;
    bool inWrittenForm = false; // every line already ends in CR LF
    QByteArray lines;           // every line followed by CR LF
    QByteArray text;            // the file as read
};

// The station's log: one tab-delimited file per radio family, its path under
// "Ardix LogName" or "Velto LogName" in the settings store, read afresh on
// every tick. Each tick runs the load step and then the record step of the
// monitored family:
//  - the load step makes sure the file exists (a new file gets the family's
//    header line) and reads it whole, every line ending taken as CR LF;
//  - the record step writes the file back with one record more, after filling
//    in the GPS fields and, for Velto, the counters the remote has not given.
// Lines that end in CR only, or a last line without its end, come back ending
// in CR LF.
//
// No earlier line is ever lost: a file that already has the form it is
// written in gets the new record appended (and cut back to its old length if
// that fails half-way); any other file is written beside the old one and
// replaces it only once complete, or, where its folder forbids making files,
// is written over in place and put back as it was if that fails half-way. A
// file that could not be read to its end is not written at all. A log file
// that is read-only, or missing in a folder that forbids writing, gets the
// operator message of a file held open elsewhere, and nothing is written; the
// next tick tries again.
//
// The steps keep what they read in the session, not in a window, so a window
// closed while the operator message is open leaves nothing dangling.
namespace LogFile {

// The records one tick reads; the record step fills in missing GPS fields and
// Velto counters in place.
struct TickRecords
{
    const SessionSettings &settings;
    LinkStatistics &link;
    GpsPosition &gps;
    ExistingLogData &existing;
};

void LoadArdixLog(ExistingLogData &existing);
void WriteArdixLogRecord(const TickRecords &records);
void LoadVeltoLog(ExistingLogData &existing);
void WriteVeltoLogRecord(const TickRecords &records);

// The work of one log-timer tick: nothing while logging is disabled; for
// Ardix only while datagrams keep arriving; for Velto whatever the link does.
void logTick(const TickRecords &records);

// The clock the records take their date and time from; tests set a fixed one.
// Returns the previous clock.
using Clock = std::function<QDateTime()>;
Clock setClock(Clock clock);

} // namespace LogFile
