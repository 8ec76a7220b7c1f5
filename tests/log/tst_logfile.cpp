// The log files as the log timer leaves them on disk: headers, records,
// existing lines, and what happens when the file cannot be written.
#include "TestSupport.h"
#include "app/SettingsStore.h"
#include "log/LogFile.h"
#include "log/LogFormat.h"
#include "log/LogRecorder.h"
#include "session/StationSession.h"

#include <QPointer>
#include <QProcess>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>
#include <optional>
#include <unistd.h>

namespace {

constexpr bool Ardix = true;
constexpr bool Velto = false;

// The records of init()'s values, 7 March 2024 at 14:05:09 in en_US, with a
// Velto RSSI of 85 and an Ardix one of -85; the empty columns are the
// layouts' own.
const QByteArray kGpsFields = "4807.038 N\t01131.000 E\t1 - GPS fix\t08\t\t0.9\t\t545.4,M\r\n";
const QByteArray kArdixRecord =
    "3/7/24\t2:05:09 PM\t-85 \t1001\t1002\t1003\t1004\t1005\t1006\t1007\t1008\t" + kGpsFields;
const QByteArray kVeltoRecord =
    "3/7/24\t2:05:09 PM\t-85\t10.0.0.254\t\t2001\t1002\t1003\t2002\t1005\t1006\t1008\t1009\t" +
    kGpsFields;

QByteArray header(bool ardix)
{
    return LogFormat::line(ardix ? LogFormat::ardixHeader() : LogFormat::veltoHeader());
}

void setLogName(bool ardix, const QString &path)
{
    SettingsStore::writePreference(ardix ? "Ardix LogName" : "Velto LogName", path);
}

// Existing lines in the form they are written in, so the record is appended.
QByteArray writtenForm(const QByteArray &header, int records)
{
    QByteArray content = header;
    for (int i = 0; i < records; ++i)
        content += "old record " + QByteArray::number(i) + "\t\t-70 \r\n";
    return content;
}

// Runs a system tool; true when it succeeded within ten seconds.
bool runTool(const QString &program, const QStringList &arguments)
{
    QProcess process;
    process.start(program, arguments);
    return process.waitForFinished(10000) && process.exitStatus() == QProcess::NormalExit &&
           process.exitCode() == 0;
}

// Makes a file or folder refuse writing, or take it again; false when this
// machine does not allow it. Root writes whatever the permission bits say, so
// for root the path is made immutable instead.
bool setWritable(const QString &path, bool writable)
{
    if (geteuid() == 0)
        return runTool("chattr", {writable ? "-i" : "+i", path});
    const QFile::Permissions bits = QFile::permissions(path);
    return QFile::setPermissions(path, writable ? bits | QFile::WriteOwner
                                                : bits & ~QFile::Permissions(0x2222));
}

} // namespace

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
        LogFile::setClock([] { return QDateTime({2024, 3, 7}, {14, 5, 9}); });
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

    // Two ticks: the chosen family's log gets its header once (unless the
    // file is there) and a record a tick, and only where it can be written.
    // Existing lines are kept, each line end taken as CR LF.
    void ticks_data()
    {
        QTest::addColumn<int>("remoteKind");
        QTest::addColumn<bool>("loggingEnabled");
        QTest::addColumn<bool>("ardixDataFresh");
        QTest::addColumn<QString>("logName");     // of both families, in the test folder
        QTest::addColumn<QByteArray>("existing"); // in log.txt before; null: no file
        QTest::addColumn<QByteArray>("content");  // of log.txt after
        const auto kept = [](const char *name, const QByteArray &existing,
                             const QByteArray &keptAs) {
            QTest::newRow(name) << 1 << true << true << "log.txt" << existing
                                << keptAs + kArdixRecord + kArdixRecord;
        };
        QTest::newRow("Velto") << 0 << true << false << "log.txt" << QByteArray()
                               << header(Velto) + kVeltoRecord + kVeltoRecord;
        kept("Ardix with data arriving", QByteArray(), header(Ardix));
        // No file written.
        const QByteArray no;
        QTest::newRow("Ardix gone silent") << 1 << true << false << "log.txt" << no << no;
        QTest::newRow("Velto, logging disabled") << 0 << false << false << "log.txt" << no << no;
        QTest::newRow("folder that does not exist")
            << 0 << true << false << "missing/log.txt" << no << no;
        kept("empty file: no header", "", "");
        kept("LF-only lines", "a\nb\n", "a\r\nb\r\n");
        kept("as many lone CRs as lone LFs", "a\rb\n", "a\r\nb\r\n");
        kept("mixed line ends", "a\rb\nc\r\nd", "a\r\nb\r\nc\r\nd\r\n");
        kept("empty lines kept", "\r\n\r\na\r\r\n", "\r\n\r\na\r\n\r\n");
        kept("LF then CR ends two lines", "a\n\rb", "a\r\n\r\nb\r\n");
        kept("bytes kept as they are", "caf\xe9\tx\x01\r\n", "caf\xe9\tx\x01\r\n");
        const QByteArray many = writtenForm(header(Ardix), 40000);
        kept("more lines than a 16-bit count holds", many, many);
    }
    void ticks()
    {
        QFETCH(int, remoteKind);
        QFETCH(bool, loggingEnabled);
        QFETCH(QByteArray, existing);
        QVERIFY(existing.isNull() || writeFileContent(logPath(), existing));
        m_session->settings.remoteKind = static_cast<RemoteKind>(remoteKind);
        m_session->settings.loggingEnabled = loggingEnabled;
        m_session->link.ArdixDataFresh = fetched<bool>("ardixDataFresh");
        m_session->link.rssi = remoteKind == 0 ? 85 : -85; // Velto keeps the magnitude
        for (bool family : {Ardix, Velto})
            setLogName(family, logPath(fetched<QString>("logName")));
        LogFile::logTick(records());
        LogFile::logTick(records());
        QTEST(fileContent(logPath()), "content");
        QVERIFY(m_messages->messages.isEmpty());
    }

    // What a Velto record says for values never read.
    void substitutions_data()
    {
        QTest::addColumn<bool>("gpsEnabled");     // and silent; disabled, it has a position
        QTest::addColumn<QByteArray>("position"); // each position field
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
        const QByteArray content = fileContent(logPath()).chopped(2);
        const QList<QByteArray> fields = content.mid(content.lastIndexOf('\n') + 1).split('\t');
        QCOMPARE(fields.mid(5, 8), QList<QByteArray>(8, "Invalid data"));
        QCOMPARE(fields.mid(13), QList<QByteArray>({position, position, position, position, "",
                                                    position, "", position}));
    }

    // The log folder vanishes and comes back: the tick between writes and
    // tells nothing, and the first tick after starts a new file.
    void logFolderRemovedAndBack()
    {
        const QString folder = logPath("logs");
        QVERIFY(QDir().mkdir(folder));
        setLogName(Velto, folder + "/velto.txt");
        m_session->link.rssi = 85;
        LogRecorder recorder(records());
        recorder.LogTimer_Timer();
        QVERIFY(QDir(folder).removeRecursively());
        recorder.LogTimer_Timer();
        QVERIFY(QDir().mkdir(folder));
        recorder.LogTimer_Timer();
        QCOMPARE(fileContent(folder + "/velto.txt"), header(Velto) + kVeltoRecord);
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

    // A tick that cannot write tells the operator, with the log timer off so
    // that no tick follows while the message shows; once the file may be
    // written again, the next tick writes after all that was there.
    void refusedFile()
    {
        QFETCH(bool, protectFolder);
        QFETCH(int, meanwhile);
        const QString folder = logPath("logs");
        const QString path = folder + "/log.txt";
        QVERIFY(QDir().mkdir(folder));
        const QByteArray kept = writtenForm(header(Velto), 3) + "last line without its end";
        if (!protectFolder)
            QVERIFY(writeFileContent(path, kept));
        setLogName(Velto, path);
        const QString refusing = protectFolder ? folder : path;
        const auto release = qScopeGuard([&] { setWritable(refusing, true); });
        if (!setWritable(refusing, false))
            QSKIP("this machine cannot make a file or folder refuse writing (chattr +i as root)");

        m_session->link.rssi = 85;
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
        QCOMPARE(recorder && recorder->LogTimer->isActive(), meanwhile == 0);
        delete recorder;
        m_messages->onShow = nullptr;

        QVERIFY(setWritable(refusing, true));
        tick(Velto);
        QCOMPARE(m_messages->messages.size(), 1);
        QCOMPARE(fileContent(path), (protectFolder ? header(Velto) : kept + "\r\n") + kVeltoRecord);
    }

    void failedWrite_data()
    {
        QTest::addColumn<QByteArray>("existing");
        QTest::addColumn<bool>("protectFolder");
        QTest::addColumn<QByteArray>("kept"); // by the first tick that can write again
        // 4096 bytes exactly: the record needs a new page of the full file system.
        QByteArray onePage = header(Ardix);
        while (onePage.size() + 24 <= 4096)
            onePage += "old record\t\t-70 \r\n";
        onePage += QByteArray(4096 - onePage.size() - 2, 'x') + "\r\n";
        // One byte less with a lone CR after the header, so the file is rewritten.
        const QByteArray loneCr = QByteArray(onePage).remove(header(Ardix).size() - 1, 1);
        QTest::newRow("record appended") << onePage << false << onePage;
        QTest::newRow("file rewritten") << loneCr << false << onePage;
        // Where the folder refuses new files, the file is written over in place.
        QTest::newRow("folder refuses, rewritten in place") << loneCr << true << onePage;
    }

    // A tick on a full disk keeps all that was there; once there is room
    // again, the next tick writes its record after it.
    void failedWrite()
    {
        QFETCH(QByteArray, existing);
        const QString folder = logPath("disk");
        const QString path = folder + "/log.txt";
        QVERIFY(QDir().mkdir(folder));
        if (geteuid() != 0 || !runTool("mount", {"-t", "tmpfs", "-o", "size=64k", "tmpfs", folder}))
            QSKIP("mounting a small tmpfs needs root");
        const auto unmount = qScopeGuard([&] { runTool("umount", {folder}); });
        QVERIFY(writeFileContent(path, existing));
        setLogName(Ardix, path);
        QFile filler(folder + "/filler");
        QVERIFY(filler.open(QIODevice::WriteOnly | QIODevice::Unbuffered));
        filler.write(QByteArray(1 << 17, 'x')); // more than the file system holds
        QVERIFY(!fetched<bool>("protectFolder") || setWritable(folder, false));
        tick(Ardix);
        QCOMPARE(fileContent(path), existing);

        QVERIFY(filler.resize(0));
        tick(Ardix);
        QCOMPARE(fileContent(path), fetched<QByteArray>("kept") + kArdixRecord);
        QVERIFY(m_messages->messages.isEmpty());
    }

private:
    LogFile::TickRecords records()
    {
        return {m_session->settings, m_session->link, m_session->gps, m_session->existingLog};
    }

    void tick(bool ardix)
    {
        (ardix ? LogFile::LoadArdixLog : LogFile::LoadVeltoLog)(m_session->existingLog);
        (ardix ? LogFile::WriteArdixLogRecord : LogFile::WriteVeltoLogRecord)(records());
    }

    QString logPath(const QString &name = "log.txt") const { return m_dir->filePath(name); }

    std::optional<TestStore> m_store;
    std::optional<QTemporaryDir> m_dir;
    std::optional<MessageRecorder> m_messages;
    std::optional<StationSession> m_session;
};

QTEST_GUILESS_MAIN(TestLogFile)
#include "tst_logfile.moc"
