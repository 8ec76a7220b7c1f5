#include "LogFile.h"

#include "LogFormat.h"
#include "app/OperatorMessages.h"
#include "app/SettingsStore.h"

#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QSaveFile>
#include <cstring>

namespace LogFile {

namespace {

enum class Family
{
    Ardix,
    Velto
};

Clock &currentClock()
{
    static Clock clock = [] { return QDateTime::currentDateTime(); };
    return clock;
}

QString logNameKey(Family family)
{
    return family == Family::Ardix ? QStringLiteral("Ardix LogName")
                                   : QStringLiteral("Velto LogName");
}

QStringList headerOf(Family family)
{
    return family == Family::Ardix ? LogFormat::ardixHeader() : LogFormat::veltoHeader();
}

// True when every line of text ends in CR LF: no lone CR, no lone LF, and a
// line end at the very end. Scans with memchr, as a log grows long.
bool isInWrittenForm(const QByteArray &text)
{
    if (text.isEmpty())
        return true;
    if (!text.endsWith('\n'))
        return false;
    const char *begin = text.constData();
    const char *end = begin + text.size();
    qsizetype lineFeeds = 0;
    for (const char *p = begin; (p = static_cast<const char *>(std::memchr(p, '\n', end - p)));
         ++p) {
        if (p == begin || p[-1] != '\r')
            return false;
        ++lineFeeds;
    }
    qsizetype returns = 0;
    for (const char *p = begin; (p = static_cast<const char *>(std::memchr(p, '\r', end - p))); ++p)
        ++returns;
    return returns == lineFeeds;
}

// The lines of text, each ending in CR LF. A line ends at CR LF, at a lone CR
// or at a lone LF; a last line without an end gets one.
QByteArray inWrittenForm(const QByteArray &text)
{
    QByteArray result;
    result.reserve(text.size() + text.size() / 8 + 2);
    const char *p = text.constData();
    const char *end = p + text.size();
    while (p < end) {
        const char *lineEnd = p;
        while (lineEnd < end && *lineEnd != '\r' && *lineEnd != '\n')
            ++lineEnd;
        result.append(p, lineEnd - p);
        result.append("\r\n");
        if (lineEnd < end && *lineEnd == '\r' && lineEnd + 1 < end && lineEnd[1] == '\n')
            ++lineEnd;
        p = lineEnd + 1;
    }
    return result;
}

bool writeWhole(const QString &path, const QByteArray &content)
{
    // Unbuffered, so a failed write is seen by the save file itself: a write
    // that fails only while a buffer is flushed at the commit would still
    // replace the old file.
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        return false;
    if (file.write(content) != content.size())
        return false; // what was written is discarded; the old file stays
    return file.commit();
}

// Where no new file can be made beside the old one (its folder refuses), the
// file is written over in place. The new content is never shorter than the
// old, so nothing is cut off first; a write that fails puts the old content
// back over the same bytes, which needs no room of the disk.
void rewriteInPlace(const QString &path, const QByteArray &previous, const QByteArray &content)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadWrite | QIODevice::Unbuffered))
        return;
    // Changed by someone else since it was read: leave it for the next tick.
    if (file.size() != previous.size())
        return;
    if (file.write(content) == content.size())
        return;
    file.seek(0);
    file.write(previous);
    file.resize(previous.size());
}

void replaceWhole(const QString &path, const QByteArray &previous, const QByteArray &content)
{
    if (QFileInfo(QFileInfo(path).absolutePath()).isWritable())
        writeWhole(path, content);
    else
        rewriteInPlace(path, previous, content);
}

void appendRecord(const QString &path, qint64 expectedSize, const QByteArray &record)
{
    // Unbuffered: nothing of a failed write may be left waiting in a buffer,
    // or the file could not be cut back.
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Unbuffered))
        return;
    // Changed by someone else since it was read: leave it for the next tick.
    if (file.size() != expectedSize)
        return;
    if (file.write(record) != record.size())
        file.resize(expectedSize); // no half record left behind
}

// Whether the file refuses this user, or cannot be made in its folder.
bool accessDenied(const QString &path)
{
    const QFileInfo file(path);
    if (file.exists())
        return !file.isWritable() || !file.isReadable();
    const QFileInfo folder(file.absolutePath());
    return folder.exists() && !folder.isWritable();
}

void showFileInUseMessage()
{
    OperatorMessages::show(
        QStringLiteral("Error"), MessageIcon::Exclamation,
        {QStringLiteral("Unable to read/write to log file because it is already open."),
         QStringLiteral("Close the file, and then select 'OK'.")});
}

void load(Family family, ExistingLogData &existing)
{
    existing = ExistingLogData{};
    const QString path = SettingsStore::readPreference(logNameKey(family));
    if (path.isEmpty())
        return;
    if (!QFileInfo::exists(path) && !writeWhole(path, LogFormat::line(headerOf(family))))
        return;
    // A folder or a device is no log file (and a device may never end).
    if (!QFileInfo(path).isFile())
        return;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return;
    const QByteArray text = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return;

    existing.path = path;
    existing.fileSize = text.size();
    existing.inWrittenForm = isInWrittenForm(text);
    existing.lines = existing.inWrittenForm ? text : inWrittenForm(text);
    existing.text = text;
    existing.loaded = true;
}

void writeRecord(Family family, const TickRecords &records)
{
    ExistingLogData &existing = records.existing;
    const QString path = SettingsStore::readPreference(logNameKey(family));
    if (path.isEmpty())
        return;
    if (accessDenied(path)) {
        showFileInUseMessage();
        return;
    }
    if (!existing.loaded || existing.path != path)
        return;

    LogFormat::substituteGps(records.gps, records.settings.gpsEnabled);
    if (family == Family::Velto)
        LogFormat::substituteVeltoCounters(records.link);
    const QDateTime now = currentClock()();
    const QByteArray record =
        LogFormat::line(family == Family::Ardix
                            ? LogFormat::ardixRecord(records.link, records.gps, now, QLocale())
                            : LogFormat::veltoRecord(records.link, records.gps, now, QLocale()));

    if (existing.inWrittenForm)
        appendRecord(path, existing.fileSize, record);
    else
        replaceWhole(path, existing.text, existing.lines + record);
    existing = ExistingLogData{};
}

} // namespace

void LoadArdixLog(ExistingLogData &existing)
{
    load(Family::Ardix, existing);
}

void WriteArdixLogRecord(const TickRecords &records)
{
    writeRecord(Family::Ardix, records);
}

void LoadVeltoLog(ExistingLogData &existing)
{
    load(Family::Velto, existing);
}

void WriteVeltoLogRecord(const TickRecords &records)
{
    writeRecord(Family::Velto, records);
}

void logTick(const TickRecords &records)
{
    if (!records.settings.loggingEnabled)
        return;
    switch (records.settings.remoteKind) {
    case RemoteKind::Ardix:
        if (records.link.ArdixDataFresh) {
            LoadArdixLog(records.existing);
            WriteArdixLogRecord(records);
        }
        break;
    case RemoteKind::Velto:
        LoadVeltoLog(records.existing);
        WriteVeltoLogRecord(records);
        break;
    default:
        break;
    }
}

Clock setClock(Clock clock)
{
    Clock previous = std::move(currentClock());
    currentClock() = clock ? std::move(clock) : Clock([] { return QDateTime::currentDateTime(); });
    return previous;
}

} // namespace LogFile
