// The log files as the log timer leaves them on disk: headers, records,
// existing lines, and what happens when the file cannot be written.
#include "FileProtection.h"
#include "TestSupport.h"
#include "app/SettingsStore.h"
#include "log/LogFile.h"
#include "session/StationSession.h"

#include <QScopeGuard>
#include <QTemporaryDir>
#include <QtTest>
#include <csignal>
#include <optional>
#include <sys/resource.h>

namespace {

const QByteArray kArdixHeader =
    "Date\tTime\tRSSI (dBm)\tRX Bytes\tRX Packets\tRX Errors\tTX Bytes\tTX Packets\tTX "
    "Errors\tFragments\tRetries\tLatitude\tLongitude\tFix Quality\tNo. Satellites "
    "Tracked\tHorizontal Dilution\tAltitude (meters above sea level)\r\n";
const QByteArray kVeltoHeader =
    "Date\tTime\tRSSI (dBm)\tAP's IP Address\tRX Bytes\tRX Packets\tRX Errors\tTX Bytes\tTX "
    "Packets\tTX Errors\tRetries\tRetry Errors\tLatitude\tLongitude\tFix Quality\tNo. "
    "Satellites Tracked\tHorizontal Dilution\tAltitude (meters above sea level)\r\n";
// The records of init()'s values, 7 March 2024 at 14:05:09 in en_US; the
// empty columns are the layouts' own.
const QByteArray kGpsFields = "4807.038 N\t01131.000 E\t1 - GPS fix\t08\t\t0.9\t\t545.4,M\r\n";
const QByteArray kArdixRecord =
    "3/7/24\t2:05:09 PM\t-85 \t1001\t1002\t1003\t1004\t1005\t1006\t1007\t1008\t" + kGpsFields;
const QByteArray kVeltoRecord =
    "3/7/24\t2:05:09 PM\t-85\t10.0.0.254\t\t2001\t1002\t1003\t2002\t1005\t1006\t1008\t1009\t" +
    kGpsFields;

enum Family
{
    Ardix,
    Velto
};

void setLogName(int family, const QString &path)
{
    SettingsStore::writePreference(family == Ardix ? "Ardix LogName" : "Velto LogName", path);
}

QByteArray contentOf(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void writeFile(const QString &path, const QByteArray &content)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(file.write(content), content.size());
}

// Lines of a file without their CR LF; a line that lacks it stands out.
QList<QByteArray> linesOf(const QByteArray &content)
{
    QList<QByteArray> lines = content.split('\n');
    if (lines.last().isEmpty())
        lines.removeLast();
    for (QByteArray &l : lines) {
        if (!l.endsWith('\r'))
            return {"line without CR LF: " + l};
        l.chop(1);
    }
    return lines;
}

// Existing lines in the form they are written in, so the record is appended.
QByteArray writtenForm(const QByteArray &header, int records)
{
    QByteArray content = header;
    for (int i = 0; i < records; ++i)
        content += "old record " + QByteArray::number(i) + "\t\t-70 \r\n";
    return content;
}

} // namespace

class TestLogFileOps : public QObject
{
    Q_OBJECT
private slots:
    void init()
    {
        m_store = std::make_unique<TestStore>();
        m_dir = std::make_unique<QTemporaryDir>();
        QVERIFY(m_dir->isValid());
        m_messages = std::make_unique<MessageRecorder>();
        m_previousClock =
            LogFile::setClock([] { return QDateTime(QDate(2024, 3, 7), QTime(14, 5, 9)); });
        QLocale::setDefault(QLocale(QStringLiteral("en_US")));
        m_session.emplace();

        m_session->settings.gpsEnabled = true;
        m_session->settings.loggingEnabled = true;
        m_session->link.rssi = -85;
        m_session->link.apAddress = "10.0.0.254";
        int value = 1001;
        for (QString *counter :
             {&m_session->link.rxBytes, &m_session->link.rxPackets, &m_session->link.rxErrors,
              &m_session->link.txBytes, &m_session->link.txPackets, &m_session->link.txErrors,
              &m_session->link.fragments, &m_session->link.retries, &m_session->link.retryErrors})
            *counter = QString::number(value++);
        m_session->link.wirelessRxBytes = "2001";
        m_session->link.wirelessTxBytes = "2002";
        m_session->gps = {"4807.038 N", "N",   "01131.000 E", "E", "1 - GPS fix",
                          "08",         "0.9", "545.4,M",     "M"};
    }

    void cleanup()
    {
        LogFile::setClock(m_previousClock);
        QLocale::setDefault(QLocale::system());
        m_messages.reset();
        m_dir.reset();
        m_store.reset();
    }

    void recordLayout_data()
    {
        QTest::addColumn<int>("family");
        QTest::addColumn<QByteArray>("header");
        QTest::addColumn<QByteArray>("record");
        QTest::newRow("Ardix") << int(Ardix) << kArdixHeader << kArdixRecord;
        QTest::newRow("Velto") << int(Velto) << kVeltoHeader << kVeltoRecord;
    }

    // A new file gets the header once, then a record a tick.
    void recordLayout()
    {
        QFETCH(int, family);
        QFETCH(QByteArray, header);
        QFETCH(QByteArray, record);
        if (family == Velto)
            m_session->link.rssi = 85;
        setLogName(family, logPath());

        tick(family);
        tick(family);
        const QList<QByteArray> lines = linesOf(contentOf(logPath()));
        QCOMPARE(lines.size(), 3);
        QCOMPARE(lines.at(0).split('\t'), header.chopped(2).split('\t'));
        QCOMPARE(lines.at(1).split('\t'), record.chopped(2).split('\t'));
        QCOMPARE(contentOf(logPath()), header + record + record);
        QVERIFY(m_messages->messages.isEmpty());
    }

    void existingLines_data()
    {
        QTest::addColumn<QByteArray>("existing");
        QTest::addColumn<QByteArray>("keptAs"); // what stands before the new record
        const auto row = [](const char *name, const QByteArray &existing,
                            const QByteArray &keptAs) {
            QTest::newRow(name) << existing << keptAs;
        };
        row("empty file: no header", "", "");
        row("CR LF lines", "a\r\nb\r\n", "a\r\nb\r\n");
        row("CR-only lines", "a\rb\r", "a\r\nb\r\n");
        row("LF-only lines", "a\nb\n", "a\r\nb\r\n");
        row("missing final line end", "a\r\nb", "a\r\nb\r\n");
        row("single line without its end", "a", "a\r\n");
        row("mixed line ends", "a\rb\nc\r\nd", "a\r\nb\r\nc\r\nd\r\n");
        row("empty lines kept", "\r\n\r\na\r\r\n", "\r\n\r\na\r\n\r\n");
        row("LF then CR ends two lines", "a\n\rb", "a\r\n\r\nb\r\n");
        row("bytes kept as they are", "caf\xe9\tx\x01\r\n", "caf\xe9\tx\x01\r\n");
        const QByteArray many = writtenForm(kArdixHeader, 40000);
        row("more lines than a 16-bit count holds", many, many);
    }

    void existingLines()
    {
        QFETCH(QByteArray, existing);
        QFETCH(QByteArray, keptAs);
        writeFile(logPath(), existing);
        setLogName(Ardix, logPath());
        tick(Ardix);
        QCOMPARE(contentOf(logPath()), keptAs + kArdixRecord);
    }

    void gpsFields_data()
    {
        QTest::addColumn<int>("family");
        QTest::addColumn<bool>("gpsEnabled");
        QTest::addColumn<bool>("decoded");
        QTest::addColumn<QByteArray>("fields"); // latitude .. altitude as written

        const QByteArray disabled =
            "Disabled\tDisabled\tDisabled\tDisabled\t\tDisabled\t\tDisabled";
        const QByteArray noData = "No data\tNo data\tNo data\tNo data\t\tNo data\t\tNo data";
        for (int family : {int(Ardix), int(Velto)}) {
            const char *name = family == Ardix ? "Ardix" : "Velto";
            QTest::addRow("%s, GPS disabled", name) << family << false << true << disabled;
            QTest::addRow("%s, GPS disabled, nothing decoded", name)
                << family << false << false << disabled;
            QTest::addRow("%s, GPS enabled without data", name)
                << family << true << false << noData;
            QTest::addRow("%s, GPS enabled with data", name)
                << family << true << true << kGpsFields.chopped(2);
        }
    }

    void gpsFields()
    {
        QFETCH(int, family);
        QFETCH(bool, gpsEnabled);
        QFETCH(bool, decoded);
        QFETCH(QByteArray, fields);
        m_session->settings.gpsEnabled = gpsEnabled;
        if (!decoded)
            m_session->gps = GpsPosition{};
        setLogName(family, logPath());

        tick(family);
        const QByteArray record = linesOf(contentOf(logPath())).last();
        QVERIFY2(record.endsWith('\t' + fields), record.constData());
    }

    void substitutionsStoredBack()
    {
        // A Velto remote whose statistics screen was never read, GPS on but
        // silent: the record says so, and so do the shared records afterwards.
        m_session->link = LinkStatistics{};
        m_session->link.rssi = 0;
        m_session->gps = GpsPosition{};
        setLogName(Velto, logPath());
        tick(Velto);
        const QList<QByteArray> fields = linesOf(contentOf(logPath())).last().split('\t');
        QCOMPARE(fields.size(), 21);
        QCOMPARE(fields.at(2), "0");
        QCOMPARE(fields.mid(5, 8), QList<QByteArray>(8, "Invalid data"));
        QCOMPARE(m_session->link.wirelessRxBytes, "Invalid data");
        QCOMPARE(m_session->link.retryErrors, "Invalid data");
        QCOMPARE(m_session->gps.gpsLatitude, "No data");
        QCOMPARE(m_session->gps.gpsAltitude, "No data");

        // Ardix counters are never substituted.
        setLogName(Ardix, logPath("ardix.txt"));
        tick(Ardix);
        const QList<QByteArray> ardix = linesOf(contentOf(logPath("ardix.txt"))).last().split('\t');
        QCOMPARE(ardix.at(3), QByteArray());   // RX bytes: the SNMP counter, still empty
        QCOMPARE(ardix.at(9), QByteArray());   // fragments
        QCOMPARE(ardix.at(4), "Invalid data"); // stored back by the Velto record
    }

    void nothingWritten_data()
    {
        QTest::addColumn<QString>("logName"); // relative to the test folder, or empty
        QTest::newRow("no log name stored") << QString();
        QTest::newRow("folder that does not exist") << "missing/log.txt";
        QTest::newRow("a folder as log name") << "folder";
    }

    void nothingWritten()
    {
        QFETCH(QString, logName);
        QVERIFY(QDir(m_dir->path()).mkdir("folder"));
        setLogName(Velto, logName.isEmpty() ? QString() : logPath(logName));
        const QStringList before =
            QDir(m_dir->path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot);

        tick(Velto);
        QCOMPARE(QDir(m_dir->path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), before);
        QVERIFY(QDir(logPath("folder")).isEmpty());
        QVERIFY(m_messages->messages.isEmpty());
        QCOMPARE(m_session->link.rxPackets, "1002"); // no record made, nothing substituted
    }

    void logTick_data()
    {
        QTest::addColumn<int>("remoteKind");
        QTest::addColumn<bool>("loggingEnabled");
        QTest::addColumn<bool>("ardixDataFresh");
        QTest::addColumn<QByteArray>("header"); // of the file written, empty for none

        QTest::newRow("Velto") << 0 << true << false << kVeltoHeader;
        QTest::newRow("Ardix with data arriving") << 1 << true << true << kArdixHeader;
        QTest::newRow("Ardix gone silent") << 1 << true << false << QByteArray();
        QTest::newRow("Velto, logging disabled") << 0 << false << false << QByteArray();
        QTest::newRow("Ardix, logging disabled") << 1 << false << true << QByteArray();
        QTest::newRow("unknown remote kind") << 7 << true << true << QByteArray();
    }

    void logTick()
    {
        QFETCH(int, remoteKind);
        QFETCH(bool, loggingEnabled);
        QFETCH(bool, ardixDataFresh);
        QFETCH(QByteArray, header);
        m_session->settings.remoteKind = static_cast<RemoteKind>(remoteKind);
        m_session->settings.loggingEnabled = loggingEnabled;
        m_session->link.ArdixDataFresh = ardixDataFresh;
        setLogName(Ardix, logPath("ardix.txt"));
        setLogName(Velto, logPath("velto.txt"));

        LogFile::logTick(records());
        const QStringList files = QDir(m_dir->path()).entryList(QDir::Files);
        QCOMPARE(files.size(), header.isEmpty() ? 0 : 1);
        if (!header.isEmpty()) {
            const QByteArray content = contentOf(m_dir->filePath(files.first()));
            QVERIFY(content.startsWith(header));
            QCOMPARE(linesOf(content).size(), 2);
        }
    }

    void refusedFile_data()
    {
        QTest::addColumn<bool>("protectFolder");
        QTest::addColumn<bool>("fileExists");
        QTest::newRow("read-only file") << false << true;
        QTest::newRow("folder forbids writing, no file yet") << true << false;
    }

    void refusedFile()
    {
        QFETCH(bool, protectFolder);
        QFETCH(bool, fileExists);
        const QString folder = logPath("logs");
        const QString path = folder + "/log.txt";
        QVERIFY(QDir().mkdir(folder));
        const QByteArray kept = writtenForm(kVeltoHeader, 3) + "last line without its end";
        if (fileExists)
            writeFile(path, kept);
        setLogName(Velto, path);
        WriteProtection protection(protectFolder ? folder : path);
        if (!protection.active())
            QSKIP("this machine cannot make a file or folder refuse writing (chattr +i as root)");

        m_session->link.rxPackets.clear();
        for (int attempt = 1; attempt <= 2; ++attempt) {
            tick(Velto);
            QCOMPARE(m_messages->messages.size(), attempt);
            const OperatorMessage &m = m_messages->messages.last();
            QCOMPARE(m.title, "Error");
            QCOMPARE(m.icon, MessageIcon::Exclamation);
            QCOMPARE(m.text, "Unable to read/write to log file because it is already open.\r\n"
                             "Close the file, and then select 'OK'.");
            QCOMPARE(QFileInfo::exists(path), fileExists);
            QCOMPARE(contentOf(path), fileExists ? kept : QByteArray());
            QVERIFY(m_session->link.rxPackets.isEmpty()); // no record made, nothing substituted
        }

        // Once the file may be written again, the next tick writes.
        protection.release();
        tick(Velto);
        QCOMPARE(m_messages->messages.size(), 2);
        const QByteArray before = fileExists ? kept + "\r\n" : kVeltoHeader;
        QVERIFY(contentOf(path).startsWith(before));
        QCOMPARE(linesOf(contentOf(path)).size(), linesOf(before).size() + 1);
    }

    void fileInFolderThatForbidsWriting_data()
    {
        QTest::addColumn<QByteArray>("existing");
        QTest::addColumn<QByteArray>("kept");
        const QByteArray written = writtenForm(kArdixHeader, 3);
        QTest::newRow("record appended") << written << written;
        QTest::newRow("file rewritten")
            << written + "cr only\rlast" << written + "cr only\r\nlast\r\n";
    }

    // The file itself may be written: it gets its records where it is.
    void fileInFolderThatForbidsWriting()
    {
        QFETCH(QByteArray, existing);
        QFETCH(QByteArray, kept);
        const QString folder = logPath("logs");
        const QString path = folder + "/log.txt";
        QVERIFY(QDir().mkdir(folder));
        writeFile(path, existing);
        setLogName(Ardix, path);
        WriteProtection protection(folder);
        if (!protection.active())
            QSKIP("this machine cannot make a folder refuse writing (chattr +i as root)");

        tick(Ardix);
        tick(Ardix);
        QCOMPARE(contentOf(path), kept + kArdixRecord + kArdixRecord);
        QVERIFY(m_messages->messages.isEmpty());
    }

    void failedWrite_data()
    {
        QTest::addColumn<bool>("tmpfs"); // else a file size limit of this process
        QTest::addColumn<QByteArray>("existing");
        QTest::addColumn<QByteArray>("kept"); // by the first tick that can write again
        QTest::addColumn<bool>("protectFolder");

        // 4096 bytes exactly: the record needs a new page of the full file system.
        QByteArray onePage = writtenForm(kArdixHeader, 0);
        while (onePage.size() + 24 <= 4096)
            onePage += "old record\t\t-70 \r\n";
        onePage += QByteArray(4096 - onePage.size() - 2, 'x') + "\r\n";
        const QByteArray needsRewrite = writtenForm(kArdixHeader, 100) + "cr only\rlast";
        const QByteArray rewritten = writtenForm(kArdixHeader, 100) + "cr only\r\nlast\r\n";

        QTest::newRow("full disk, record appended") << true << onePage << onePage << false;
        QTest::newRow("full disk, file rewritten") << true << needsRewrite << rewritten << false;
        QTest::newRow("size limit, record appended") << false << onePage << onePage << false;
        QTest::newRow("size limit, file rewritten") << false << needsRewrite << rewritten << false;
        QTest::newRow("size limit, file rewritten in place")
            << false << needsRewrite << rewritten << true;
    }

    void failedWrite()
    {
        QFETCH(bool, tmpfs);
        QFETCH(QByteArray, existing);
        QFETCH(QByteArray, kept);
        QFETCH(bool, protectFolder);
        const QString folder = logPath("disk");
        const QString path = folder + "/log.txt";
        QVERIFY(QDir().mkdir(folder));
        // A tmpfs of a few pages, filled up below.
        if (tmpfs && (geteuid() != 0 ||
                      !runTool("mount", {"-t", "tmpfs", "-o", "size=64k", "tmpfs", folder})))
            QSKIP("mounting a small tmpfs needs root");
        const auto unmount = qScopeGuard([&] {
            if (tmpfs)
                runTool("umount", {folder});
        });
        writeFile(path, existing);
        setLogName(Ardix, path);
        std::optional<WriteProtection> protection;
        if (protectFolder && !protection.emplace(folder).active())
            QSKIP("this machine cannot make a folder refuse writing (chattr +i as root)");
        {
            QFile filler(folder + "/filler");
            rlimit previous{};
            getrlimit(RLIMIT_FSIZE, &previous);
            const auto handler = std::signal(SIGXFSZ, SIG_IGN);
            const auto restore = qScopeGuard([&] {
                setrlimit(RLIMIT_FSIZE, &previous);
                std::signal(SIGXFSZ, handler);
            });
            if (tmpfs) {
                QVERIFY(filler.open(QIODevice::WriteOnly | QIODevice::Unbuffered));
                const QByteArray page(4096, 'x');
                for (int i = 0; i < 64 && filler.write(page) == page.size(); ++i) {
                }
            } else {
                rlimit limit = previous;
                limit.rlim_cur = existing.size() + 10; // the record gets cut after 10 bytes
                QVERIFY(setrlimit(RLIMIT_FSIZE, &limit) == 0);
            }
            tick(Ardix);
        }
        QCOMPARE(contentOf(path), existing);
        QCOMPARE(QDir(folder).entryList(QDir::Files),
                 tmpfs ? QStringList({"filler", "log.txt"}) : QStringList({"log.txt"}));

        // Once there is room again, the next tick writes its record after all
        // that was there before.
        if (tmpfs)
            QVERIFY(QFile::remove(folder + "/filler"));
        tick(Ardix);
        QCOMPARE(contentOf(path), kept + kArdixRecord);
        QVERIFY(m_messages->messages.isEmpty());
    }

private:
    LogFile::TickRecords records()
    {
        return {m_session->settings, m_session->link, m_session->gps, m_session->existingLog};
    }

    void tick(int family)
    {
        if (family == Ardix) {
            LogFile::LoadArdixLog(m_session->existingLog);
            LogFile::WriteArdixLogRecord(records());
        } else {
            LogFile::LoadVeltoLog(m_session->existingLog);
            LogFile::WriteVeltoLogRecord(records());
        }
    }

    std::optional<StationSession> m_session;
    QString logPath(const QString &name = "log.txt") const { return m_dir->filePath(name); }

    std::unique_ptr<TestStore> m_store;
    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<MessageRecorder> m_messages;
    LogFile::Clock m_previousClock;
};

QTEST_GUILESS_MAIN(TestLogFileOps)
#include "tst_logfile.moc"
