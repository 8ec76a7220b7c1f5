#pragma once
// The log layouts as they stand on disk, and helpers to make and read logs.
#include "TestSupport.h"
#include "app/SettingsStore.h"

#include <QByteArray>
#include <QList>
#include <QString>

inline const QByteArray kArdixHeader =
    "Date\tTime\tRSSI (dBm)\tRX Bytes\tRX Packets\tRX Errors\tTX Bytes\tTX Packets\tTX "
    "Errors\tFragments\tRetries\tLatitude\tLongitude\tFix Quality\tNo. Satellites "
    "Tracked\tHorizontal Dilution\tAltitude (meters above sea level)\r\n";
inline const QByteArray kVeltoHeader =
    "Date\tTime\tRSSI (dBm)\tAP's IP Address\tRX Bytes\tRX Packets\tRX Errors\tTX Bytes\tTX "
    "Packets\tTX Errors\tRetries\tRetry Errors\tLatitude\tLongitude\tFix Quality\tNo. "
    "Satellites Tracked\tHorizontal Dilution\tAltitude (meters above sea level)\r\n";
// The records of tst_logfile's init() values, 7 March 2024 at 14:05:09 in en_US; the
// empty columns are the layouts' own.
inline const QByteArray kGpsFields =
    "4807.038 N\t01131.000 E\t1 - GPS fix\t08\t\t0.9\t\t545.4,M\r\n";
inline const QByteArray kArdixRecord =
    "3/7/24\t2:05:09 PM\t-85 \t1001\t1002\t1003\t1004\t1005\t1006\t1007\t1008\t" + kGpsFields;
inline const QByteArray kVeltoRecord =
    "3/7/24\t2:05:09 PM\t-85\t10.0.0.254\t\t2001\t1002\t1003\t2002\t1005\t1006\t1008\t1009\t" +
    kGpsFields;
inline const QString kRefused = "Unable to read/write to log file because it is already open.\r\n"
                                "Close the file, and then select 'OK'.";

enum Family
{
    Ardix,
    Velto
};

inline void setLogName(int family, const QString &path)
{
    SettingsStore::writePreference(family == Ardix ? "Ardix LogName" : "Velto LogName", path);
}

// The fields of the last line of a file.
inline QList<QByteArray> lastRecord(const QString &path)
{
    const QByteArray content = fileContent(path).chopped(2);
    return content.mid(content.lastIndexOf('\n') + 1).split('\t');
}

// Existing lines in the form they are written in, so the record is appended.
inline QByteArray writtenForm(const QByteArray &header, int records)
{
    QByteArray content = header;
    for (int i = 0; i < records; ++i)
        content += "old record " + QByteArray::number(i) + "\t\t-70 \r\n";
    return content;
}
