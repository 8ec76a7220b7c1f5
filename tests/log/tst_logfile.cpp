// The log files as the log timer leaves them on disk: headers, records,
// existing lines, and what happens when the file cannot be written.
#include "FileProtection.h"
#include "LogFileLayouts.h"
#include "TestSupport.h"
#include "app/SettingsStore.h"
#include "log/LogFile.h"
#include "log/LogRecorder.h"
#include "session/StationSession.h"

#include <QPointer>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>
#include <csignal>
#include <optional>
#include <sys/resource.h>

class TestLogFile : public QObject
{
    Q_OBJECT
private slots:
    void init()
    {
        m_store.emplace();
        m_dir.emplace();
        QVERIFY(m_dir->isValid());
        m_messages.emplace();
        m_previousClock = LogFile::setClock([] { return QDateTime({2024, 3, 7}, {14, 5, 9}); });
        QLocale::setDefault(QLocale("en_US"));
        m_session.emplace();
        m_session->settings.gpsEnabled = true;
        m_session->settings.loggingEnabled = true;
        LinkStatistics &link = m_session->link;
        link.rssi = -85;
        link.apAddress = "10.0.0.254";
        int value = 1001;
        for (QString *counter :
             {&link.rxBytes, &link.rxPackets, &link.rxErrors, &link.txBytes, &link.txPackets,
              &link.txErrors, &link.fragments, &link.retries, &link.retryErrors})
            *counter = QString::number(value++);
        link.wirelessRxBytes = "2001";
        link.wirelessTxBytes = "2002";
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

    // A new file gets the header once, then a record a tick.
    void recordLayout_data()
    {
        QTest::addColumn<int>("family");
        QTest::addColumn<QByteArray>("content");
        QTest::newRow("Ardix") << int(Ardix) << kArdixHeader + kArdixRecord + kArdixRecord;
        QTest::newRow("Velto") << int(Velto) << kVeltoHeader + kVeltoRecord + kVeltoRecord;
    }
    void recordLayout()
    {
        QFETCH(int, family);
        QFETCH(QByteArray, content);
        m_session->link.rssi = family == Velto ? 85 : -85;
        setLogName(family, logPath());
        tick(family);
        tick(family);
        QCOMPARE(fileContent(logPath()), content);
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
        row("LF-only lines", "a\nb\n", "a\r\nb\r\n");
        row("missing final line end", "a\r\nb", "a\r\nb\r\n");
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
        QVERIFY(writeFileContent(logPath(), existing));
        setLogName(Ardix, logPath());
        tick(Ardix);
        QCOMPARE(fileContent(logPath()), keptAs + kArdixRecord);
    }

    // What a record says for values never read is stored back in the shared
    // records; Ardix counters are never substituted.
    void substitutions_data()
    {
        QTest::addColumn<bool>("gpsEnabled");     // and silent; disabled, it has a position
        QTest::addColumn<QByteArray>("position"); // each position field, logged and stored
        QTest::newRow("GPS on but silent") << true << QByteArray("No data");
        QTest::newRow("GPS disabled") << false << QByteArray("Disabled");
    }
    void substitutions()
    {
        QFETCH(bool, gpsEnabled);
        QFETCH(QByteArray, position);
        m_session->settings.gpsEnabled = gpsEnabled;
        m_session->link = LinkStatistics{}; // a Velto statistics screen never read
        if (gpsEnabled)
            m_session->gps = GpsPosition{};
        setLogName(Velto, logPath());
        tick(Velto);
        const QList<QByteArray> fields = lastRecord(logPath());
        QCOMPARE(fields.size(), 21);
        QCOMPARE(fields.at(2), "0");
        QCOMPARE(fields.mid(5, 8), QList<QByteArray>(8, "Invalid data"));
        QCOMPARE(fields.mid(13), QList<QByteArray>({position, position, position, position, "",
                                                    position, "", position}));
        QCOMPARE(m_session->link.wirelessRxBytes, "Invalid data");
        QCOMPARE(m_session->gps.gpsAltitude, position);

        setLogName(Ardix, logPath("ardix.txt"));
        tick(Ardix);
        const QList<QByteArray> ardix = lastRecord(logPath("ardix.txt"));
        QCOMPARE(ardix.at(3), QByteArray());   // RX bytes: the SNMP counter, still empty
        QCOMPARE(ardix.at(9), QByteArray());   // fragments
        QCOMPARE(ardix.at(4), "Invalid data"); // stored back by the Velto record
    }

    // A tick writes the chosen family's log, and only where it can.
    void whatATickWrites_data()
    {
        QTest::addColumn<int>("remoteKind");
        QTest::addColumn<bool>("loggingEnabled");
        QTest::addColumn<bool>("ardixDataFresh");
        QTest::addColumn<QString>("logName");   // of both families, in the test folder
        QTest::addColumn<QByteArray>("header"); // of the file written, empty for none
        const auto none = [](const char *name, int kind, bool enabled, bool fresh,
                             const QString &logName) {
            QTest::newRow(name) << kind << enabled << fresh << logName << QByteArray();
        };
        QTest::newRow("Velto") << 0 << true << false << "log.txt" << kVeltoHeader;
        QTest::newRow("Ardix with data arriving") << 1 << true << true << "log.txt" << kArdixHeader;
        none("Ardix gone silent", 1, true, false, "log.txt");
        none("Velto, logging disabled", 0, false, false, "log.txt");
        none("Ardix, logging disabled", 1, false, true, "log.txt");
        none("unknown remote kind", 7, true, true, "log.txt");
        none("no log name stored", 0, true, false, "");
        none("folder that does not exist", 0, true, false, "missing/log.txt");
        none("a folder as log name", 0, true, false, "folder");
    }
    void whatATickWrites()
    {
        QFETCH(int, remoteKind);
        QFETCH(bool, loggingEnabled);
        QFETCH(bool, ardixDataFresh);
        QFETCH(QString, logName);
        QFETCH(QByteArray, header);
        QVERIFY(QDir(m_dir->path()).mkdir("folder"));
        m_session->settings.remoteKind = static_cast<RemoteKind>(remoteKind);
        m_session->settings.loggingEnabled = loggingEnabled;
        m_session->link.ArdixDataFresh = ardixDataFresh;
        for (int family : {Ardix, Velto})
            setLogName(family, logName.isEmpty() ? QString() : logPath(logName));
        LogFile::logTick(records());
        QCOMPARE(QDir(m_dir->path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
                 header.isEmpty() ? QStringList{"folder"} : QStringList({"folder", "log.txt"}));
        QVERIFY(QDir(logPath("folder")).isEmpty());
        const QByteArray content = fileContent(logPath());
        QVERIFY(content.startsWith(header));
        QCOMPARE(content.count('\n'), header.isEmpty() ? 0 : 2);
        QVERIFY(m_messages->messages.isEmpty());
    }

    // The log timer's tick, through the folder vanishing and coming back: the
    // ticks between write and tell nothing, the timer goes on, and the first
    // tick after starts a new file.
    void logFolderRemovedAndBack()
    {
        const QString folder = logPath("logs");
        QVERIFY(QDir().mkdir(folder));
        setLogName(Velto, folder + "/velto.txt");
        m_session->link.rssi = 85;
        LogRecorder recorder(records());
        recorder.LogTimer_Timer();
        QVERIFY(QDir(folder).removeRecursively());
        for (int i = 0; i < 2; ++i)
            recorder.LogTimer_Timer();
        QVERIFY(recorder.LogTimer->isActive());
        QVERIFY(!QFileInfo::exists(folder));
        QVERIFY(QDir().mkdir(folder));
        recorder.LogTimer_Timer();
        QCOMPARE(fileContent(folder + "/velto.txt"), kVeltoHeader + kVeltoRecord);
        QVERIFY(recorder.LogTimer->isActive());
        QVERIFY(m_messages->messages.isEmpty());
    }

    void refusedFile_data()
    {
        QTest::addColumn<bool>("protectFolder");
        QTest::addColumn<int>("meanwhile"); // to the recorder while the message shows:
                                            // 0 nothing, 1 stopped, 2 destroyed
        QTest::newRow("read-only file") << false << 0;
        QTest::newRow("folder forbids writing, no file yet") << true << 0;
        QTest::newRow("recorder stopped while the message shows") << false << 1;
        QTest::newRow("recorder destroyed while the message shows") << false << 2;
    }

    // Each tick that cannot write tells the operator, with the log timer off
    // so that no tick follows while the message shows; once the file may be
    // written again, the next tick writes.
    void refusedFile()
    {
        QFETCH(bool, protectFolder);
        QFETCH(int, meanwhile);
        const QString folder = logPath("logs");
        const QString path = folder + "/log.txt";
        QVERIFY(QDir().mkdir(folder));
        const QByteArray kept = writtenForm(kVeltoHeader, 3) + "last line without its end";
        if (!protectFolder)
            QVERIFY(writeFileContent(path, kept));
        setLogName(Velto, path);
        WriteProtection protection(protectFolder ? folder : path);
        if (!protection.active())
            QSKIP("this machine cannot make a file or folder refuse writing (chattr +i as root)");

        m_session->link.rxPackets.clear();
        QPointer<LogRecorder> recorder = new LogRecorder(records());
        recorder->start();
        std::optional<bool> timerActiveDuringMessage;
        m_messages->onShow = [&](const OperatorMessage &) {
            timerActiveDuringMessage = recorder->LogTimer->isActive();
            if (meanwhile == 1)
                recorder->stop();
            else if (meanwhile == 2)
                delete recorder;
        };
        recorder->LogTimer_Timer();
        QCOMPARE(timerActiveDuringMessage, std::optional<bool>(false));
        QCOMPARE(recorder.isNull(), meanwhile == 2);
        QCOMPARE(recorder && recorder->LogTimer->isActive(), meanwhile == 0);
        delete recorder;
        m_messages->onShow = nullptr;
        tick(Velto);
        QCOMPARE(m_messages->titles(), QStringList(2, "Error"));
        QCOMPARE(m_messages->messages.last().icon, MessageIcon::Exclamation);
        QCOMPARE(m_messages->messages.last().text, kRefused);
        QCOMPARE(QFileInfo::exists(path), !protectFolder);
        QCOMPARE(fileContent(path), protectFolder ? QByteArray() : kept);
        QVERIFY(m_session->link.rxPackets.isEmpty()); // no record made, nothing substituted

        protection.release();
        tick(Velto);
        QCOMPARE(m_messages->messages.size(), 2);
        const QByteArray before = protectFolder ? kVeltoHeader : kept + "\r\n";
        QVERIFY(fileContent(path).startsWith(before));
        QCOMPARE(fileContent(path).count('\n'), before.count('\n') + 1);
    }

    void failedWrite_data()
    {
        QTest::addColumn<bool>("tmpfs"); // else a file size limit of this process
        QTest::addColumn<bool>("protectFolder");
        QTest::addColumn<QByteArray>("existing");
        QTest::addColumn<QByteArray>("kept"); // by the first tick that can write again

        // 4096 bytes exactly: the record needs a new page of the full file system.
        QByteArray onePage = writtenForm(kArdixHeader, 0);
        while (onePage.size() + 24 <= 4096)
            onePage += "old record\t\t-70 \r\n";
        onePage += QByteArray(4096 - onePage.size() - 2, 'x') + "\r\n";
        const QByteArray toRewrite = writtenForm(kArdixHeader, 100) + "cr only\rlast";
        const QByteArray rewritten = writtenForm(kArdixHeader, 100) + "cr only\r\nlast\r\n";
        for (const bool tmpfs : {true, false}) {
            const char *cause = tmpfs ? "full disk" : "size limit";
            QTest::addRow("%s, record appended", cause) << tmpfs << false << onePage << onePage;
            QTest::addRow("%s, file rewritten", cause) << tmpfs << false << toRewrite << rewritten;
        }
        // Where the folder refuses, the record is appended or the file written over in place.
        QTest::newRow("size limit, folder refuses, appended")
            << false << true << onePage << onePage;
        QTest::newRow("size limit, folder refuses, rewritten in place")
            << false << true << toRewrite << rewritten;
    }
    void failedWrite()
    {
        QFETCH(bool, tmpfs);
        QFETCH(bool, protectFolder);
        QFETCH(QByteArray, existing);
        QFETCH(QByteArray, kept);
        const QString folder = logPath("disk");
        const QString path = folder + "/log.txt";
        QVERIFY(QDir().mkdir(folder));
        if (tmpfs && (geteuid() != 0 ||
                      !runTool("mount", {"-t", "tmpfs", "-o", "size=64k", "tmpfs", folder})))
            QSKIP("mounting a small tmpfs needs root");
        const auto unmount = qScopeGuard([&] {
            if (tmpfs)
                runTool("umount", {folder});
        });
        QVERIFY(writeFileContent(path, existing));
        setLogName(Ardix, path);
        std::optional<WriteProtection> protection;
        if (protectFolder && !protection.emplace(folder).active())
            QSKIP("this machine cannot make a folder refuse writing (chattr +i as root)");
        QFile filler(folder + "/filler");
        if (tmpfs) {
            QVERIFY(filler.open(QIODevice::WriteOnly | QIODevice::Unbuffered));
            filler.write(QByteArray(1 << 17, 'x')); // more than the file system holds
            tick(Ardix);
        } else {
            tickWithSizeLimit(existing.size() + 10); // the record gets cut after 10 bytes
        }
        QCOMPARE(fileContent(path), existing);
        QCOMPARE(QDir(folder).entryList(QDir::Files),
                 tmpfs ? QStringList({"filler", "log.txt"}) : QStringList({"log.txt"}));

        // Once there is room again, the next tick writes its record after all
        // that was there before.
        QVERIFY(!tmpfs || filler.remove());
        tick(Ardix);
        QCOMPARE(fileContent(path), kept + kArdixRecord);
        QVERIFY(m_messages->messages.isEmpty());
    }

private:
    LogFile::TickRecords records()
    {
        return {m_session->settings, m_session->link, m_session->gps, m_session->existingLog};
    }

    void tick(int family)
    {
        (family == Ardix ? LogFile::LoadArdixLog : LogFile::LoadVeltoLog)(m_session->existingLog);
        (family == Ardix ? LogFile::WriteArdixLogRecord : LogFile::WriteVeltoLogRecord)(records());
    }

    // Ticks with this process's files limited to this size.
    void tickWithSizeLimit(rlim_t bytes)
    {
        rlimit previous{};
        getrlimit(RLIMIT_FSIZE, &previous);
        const auto handler = std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit = previous;
        limit.rlim_cur = bytes;
        QVERIFY(setrlimit(RLIMIT_FSIZE, &limit) == 0);
        tick(Ardix);
        setrlimit(RLIMIT_FSIZE, &previous);
        std::signal(SIGXFSZ, handler);
    }

    QString logPath(const QString &name = "log.txt") const { return m_dir->filePath(name); }

    std::optional<TestStore> m_store;
    std::optional<QTemporaryDir> m_dir;
    std::optional<MessageRecorder> m_messages;
    std::optional<StationSession> m_session;
    LogFile::Clock m_previousClock;
};

QTEST_GUILESS_MAIN(TestLogFile)
#include "tst_logfile.moc"
