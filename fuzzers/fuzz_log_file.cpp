// An existing log file, as the station finds it at a log tick. The first
// byte chooses the family (bit 0: Velto), whether GPS is on (bit 1) and
// whether values for the record follow (bit 2): then the file is the rest up
// to its last NUL, and after it come the values the remote and the receiver
// sent, separated by 0x01; otherwise the whole rest is the file.
// After the tick the file must hold every line it had, each ending in CR LF,
// and exactly one line more, with the columns of every record.
#include "FuzzCheck.h"
#include "app/Records.h"
#include "app/SettingsStore.h"
#include "log/LogFile.h"
#include "log/LogFormat.h"

#include <QFile>
#include <QSettings>
#include <QTemporaryDir>
#include <cstdint>

namespace {

// The log files' folder, removed when the fuzzer ends.
QTemporaryDir &folder()
{
    static QTemporaryDir dir;
    return dir;
}

// The lines of text, each ending in CR LF: a line ends at CR LF, a lone CR or
// a lone LF; a last line without its end gets one.
QByteArray linesOf(const QByteArray &text)
{
    QByteArray result;
    QByteArray line;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c != '\r' && c != '\n') {
            line += c;
            continue;
        }
        result += line + "\r\n";
        line.clear();
        if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n')
            ++i;
    }
    if (!line.isEmpty())
        result += line + "\r\n";
    return result;
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    silenceQtMessages();
    QSettings::setPath(SettingsStore::format(), QSettings::UserScope, folder().path());
    SettingsStore::writePreference(QStringLiteral("Ardix LogName"),
                                   folder().filePath(QStringLiteral("Ardix.txt")));
    SettingsStore::writePreference(QStringLiteral("Velto LogName"),
                                   folder().filePath(QStringLiteral("Velto.txt")));
    LogFile::setClock([] { return QDateTime(QDate(2024, 3, 7), QTime(14, 5, 9)); });
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 1)
        return 0;
    const bool velto = data[0] & 1;
    const QByteArray rest(reinterpret_cast<const char *>(data + 1), qsizetype(size - 1));
    const qsizetype nul = (data[0] & 4) ? rest.lastIndexOf('\0') : -1;
    const QByteArray existing = nul < 0 ? rest : rest.left(nul);
    const QList<QByteArray> values = nul < 0 ? QList<QByteArray>() : rest.mid(nul + 1).split('\1');

    // The records a log tick reads, as the station's session holds them.
    struct
    {
        SessionSettings settings;
        LinkStatistics link;
        GpsPosition gps;
        ExistingLogData existingLog;
    } session;
    session.settings.loggingEnabled = true;
    session.settings.gpsEnabled = data[0] & 2;
    session.settings.remoteKind = velto ? RemoteKind::Velto : RemoteKind::Ardix;
    session.link.ArdixDataFresh = true;
    QString *const fields[] = {
        &session.link.apAddress,   &session.link.rxBytes,    &session.link.txPackets,
        &session.link.retries,     &session.link.fragments,  &session.gps.gpsLatitude,
        &session.gps.gpsLongitude, &session.gps.gpsAltitude, &session.gps.gpsFixQuality};
    for (qsizetype i = 0; i < values.size() && i < qsizetype(std::size(fields)); ++i)
        *fields[i] = QString::fromLatin1(values[i]);
    if (!values.isEmpty())
        session.link.rssi = qint16(values.first().size() * 37 - 300);

    const QString path =
        folder().filePath(velto ? QStringLiteral("Velto.txt") : QStringLiteral("Ardix.txt"));
    {
        QFile file(path);
        FUZZ_CHECK(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        FUZZ_CHECK(file.write(existing) == existing.size());
    }
    LogFile::logTick({session.settings, session.link, session.gps, session.existingLog});

    QFile file(path);
    FUZZ_CHECK(file.open(QIODevice::ReadOnly));
    const QByteArray after = file.readAll();
    const QByteArray before = linesOf(existing);
    FUZZ_CHECK(after.startsWith(before));
    const QByteArray record = after.mid(before.size());
    FUZZ_CHECK(record.endsWith("\r\n"));
    FUZZ_CHECK(record.count('\n') == 1 && record.count('\r') == 1);
    // Its columns as many as those of any record, whatever the values hold.
    const QDateTime now;
    const qsizetype columns =
        velto ? LogFormat::veltoRecord(LinkStatistics{}, GpsPosition{}, now, QLocale()).size()
              : LogFormat::ardixRecord(LinkStatistics{}, GpsPosition{}, now, QLocale()).size();
    FUZZ_CHECK(record.count('\t') == columns - 1);
    return 0;
}
