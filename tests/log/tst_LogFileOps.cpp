// The log files as the log timer leaves them on disk: headers, records,
// existing lines, and what happens when the file cannot be written.
#include "FileProtection.h"
#include "TestSupport.h"
#include "app/Records.h"
#include "app/SettingsStore.h"
#include "log/LogFileOps.h"

#include <QTemporaryDir>
#include <QtTest>
#include <csignal>
#include <sys/resource.h>
#include <unistd.h>

namespace {

const QDateTime kNow(QDate(2024, 3, 7), QTime(14, 5, 9));
const QByteArray kDate = "3/7/24"; // en_US short date
const QByteArray kTime = "2:05:09 PM";

const QByteArray kArdixHeader =
    "Date\tTime\tRSSI (dBm)\tRX Bytes\tRX Packets\tRX Errors\tTX Bytes\tTX Packets\tTX "
    "Errors\tFragments\tRetries\tLatitude\tLongitude\tFix Quality\tNo. Satellites "
    "Tracked\tHorizontal Dilution\tAltitude (meters above sea level)\r\n";
const QByteArray kVeltoHeader =
    "Date\tTime\tRSSI (dBm)\tAP's IP Address\tRX Bytes\tRX Packets\tRX Errors\tTX Bytes\tTX "
    "Packets\tTX Errors\tRetries\tRetry Errors\tLatitude\tLongitude\tFix Quality\tNo. "
    "Satellites Tracked\tHorizontal Dilution\tAltitude (meters above sea level)\r\n";

enum Family
{
    Ardix,
    Velto
};

QString keyOf(int family)
{
    return family == Ardix ? QStringLiteral("Ardix LogName") : QStringLiteral("Velto LogName");
}

void tick(int family)
{
    if (family == Ardix) {
        LogFileOps::LoadArdixLog();
        LogFileOps::WriteArdixLogRecord();
    } else {
        LogFileOps::LoadVeltoLog();
        LogFileOps::WriteVeltoLogRecord();
    }
}

QByteArray contentOf(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll();
}

void writeFile(const QString &path, const QByteArray &content)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(file.write(content), content.size());
}

// Lines of a file without their CR LF; fails on a line that lacks it.
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

// A tmpfs of a few pages, filled up, mounted for the time it lives.
class FullFileSystem
{
public:
    explicit FullFileSystem(const QString &mountPoint) : m_mountPoint(mountPoint)
    {
        m_mounted = geteuid() == 0 &&
                    runTool(QStringLiteral("mount"),
                            {QStringLiteral("-t"), QStringLiteral("tmpfs"), QStringLiteral("-o"),
                             QStringLiteral("size=64k"), QStringLiteral("tmpfs"), mountPoint});
    }
    ~FullFileSystem()
    {
        if (m_mounted)
            runTool(QStringLiteral("umount"), {m_mountPoint});
    }
    bool mounted() const { return m_mounted; }
    // Takes up the space that is left, in whole pages.
    void fill() const
    {
        QFile filler(m_mountPoint + QStringLiteral("/filler"));
        if (!filler.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
            return;
        const QByteArray page(4096, 'x');
        for (int i = 0; i < 64 && filler.write(page) == page.size(); ++i) {
        }
    }

private:
    QString m_mountPoint;
    bool m_mounted = false;
};

// Files of this process may not grow past a size for the time it lives.
class FileSizeLimit
{
public:
    explicit FileSizeLimit(rlim_t bytes)
    {
        getrlimit(RLIMIT_FSIZE, &m_previous);
        m_previousHandler = std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit = m_previous;
        limit.rlim_cur = bytes;
        m_active = setrlimit(RLIMIT_FSIZE, &limit) == 0;
    }
    ~FileSizeLimit()
    {
        setrlimit(RLIMIT_FSIZE, &m_previous);
        std::signal(SIGXFSZ, m_previousHandler);
    }
    bool active() const { return m_active; }

private:
    rlimit m_previous{};
    void (*m_previousHandler)(int) = nullptr;
    bool m_active = false;
};

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
    void init();
    void cleanup();

    void newFile_data();
    void newFile();
    void existingLines_data();
    void existingLines();
    void recordLayout_data();
    void recordLayout();
    void gpsFields_data();
    void gpsFields();
    void substitutionsStoredBack();
    void manyLines();
    void nothingWritten_data();
    void nothingWritten();
    void logTick_data();
    void logTick();
    void refusedFile_data();
    void refusedFile();
    void failedWrite_data();
    void failedWrite();

private:
    QString logPath(const QString &name = QStringLiteral("log.txt")) const
    {
        return m_dir->filePath(name);
    }
    void setLogName(int family, const QString &path)
    {
        SettingsStore::writePreference(keyOf(family), path);
    }
    QByteArray expectedRecord(int family) const;

    std::unique_ptr<TestStore> m_store;
    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<MessageRecorder> m_messages;
    LogFileOps::Clock m_previousClock;
};

void TestLogFileOps::init()
{
    m_store = std::make_unique<TestStore>();
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    m_messages = std::make_unique<MessageRecorder>();
    m_previousClock = LogFileOps::setClock([] { return kNow; });
    QLocale::setDefault(QLocale(QStringLiteral("en_US")));
    LogFileOps::ClearExistingLogData();

    sessionSettings.gpsEnabled = true;
    sessionSettings.loggingEnabled = true;
    linkStatistics.rssi = -85;
    linkStatistics.apAddress = QStringLiteral("10.0.0.254");
    linkStatistics.rxBytes = QStringLiteral("1001");
    linkStatistics.rxPackets = QStringLiteral("1002");
    linkStatistics.rxErrors = QStringLiteral("1003");
    linkStatistics.txBytes = QStringLiteral("1004");
    linkStatistics.txPackets = QStringLiteral("1005");
    linkStatistics.txErrors = QStringLiteral("1006");
    linkStatistics.fragments = QStringLiteral("1007");
    linkStatistics.retries = QStringLiteral("1008");
    linkStatistics.retryErrors = QStringLiteral("1009");
    linkStatistics.wirelessRxBytes = QStringLiteral("2001");
    linkStatistics.wirelessTxBytes = QStringLiteral("2002");
    gpsPosition = {
        QStringLiteral("4807.038 N"), QStringLiteral("N"),           QStringLiteral("01131.000 E"),
        QStringLiteral("E"),          QStringLiteral("1 - GPS fix"), QStringLiteral("08"),
        QStringLiteral("0.9"),        QStringLiteral("545.4,M"),     QStringLiteral("M")};
}

void TestLogFileOps::cleanup()
{
    LogFileOps::setClock(m_previousClock);
    QLocale::setDefault(QLocale::system());
    m_messages.reset();
    m_dir.reset();
    m_store.reset();
}

QByteArray TestLogFileOps::expectedRecord(int family) const
{
    const QByteArray gps = "4807.038 N\t01131.000 E\t1 - GPS fix\t08\t\t0.9\t\t545.4,M\r\n";
    if (family == Ardix)
        return kDate + '\t' + kTime + "\t-85 \t1001\t1002\t1003\t1004\t1005\t1006\t1007\t1008\t" +
               gps;
    return kDate + '\t' + kTime +
           "\t-85\t10.0.0.254\t\t2001\t1002\t1003\t2002\t1005\t1006\t1008\t" + "1009\t" + gps;
}

void TestLogFileOps::newFile_data()
{
    QTest::addColumn<int>("family");
    QTest::addColumn<QByteArray>("header");
    QTest::newRow("Ardix") << int(Ardix) << kArdixHeader;
    QTest::newRow("Velto") << int(Velto) << kVeltoHeader;
}

void TestLogFileOps::newFile()
{
    QFETCH(int, family);
    QFETCH(QByteArray, header);
    if (family == Velto)
        linkStatistics.rssi = 85;
    setLogName(family, logPath());

    tick(family);
    QCOMPARE(contentOf(logPath()), header + expectedRecord(family));
    tick(family);
    QCOMPARE(contentOf(logPath()), header + expectedRecord(family) + expectedRecord(family));
    QVERIFY(m_messages->messages.isEmpty());
}

void TestLogFileOps::existingLines_data()
{
    QTest::addColumn<QByteArray>("existing");
    QTest::addColumn<QByteArray>("keptAs"); // what stands before the new record

    QTest::newRow("empty file: no header") << QByteArray() << QByteArray();
    QTest::newRow("CR LF lines") << QByteArray("a\r\nb\r\n") << QByteArray("a\r\nb\r\n");
    QTest::newRow("CR-only lines") << QByteArray("a\rb\r") << QByteArray("a\r\nb\r\n");
    QTest::newRow("LF-only lines") << QByteArray("a\nb\n") << QByteArray("a\r\nb\r\n");
    QTest::newRow("missing final line end") << QByteArray("a\r\nb") << QByteArray("a\r\nb\r\n");
    QTest::newRow("single line without its end") << QByteArray("a") << QByteArray("a\r\n");
    QTest::newRow("mixed line ends")
        << QByteArray("a\rb\nc\r\nd") << QByteArray("a\r\nb\r\nc\r\nd\r\n");
    QTest::newRow("empty lines kept")
        << QByteArray("\r\n\r\na\r\r\n") << QByteArray("\r\n\r\na\r\n\r\n");
    QTest::newRow("LF then CR ends two lines")
        << QByteArray("a\n\rb") << QByteArray("a\r\n\r\nb\r\n");
    QTest::newRow("bytes kept as they are")
        << QByteArray("caf\xe9\tx\x01\r\n") << QByteArray("caf\xe9\tx\x01\r\n");
}

void TestLogFileOps::existingLines()
{
    QFETCH(QByteArray, existing);
    QFETCH(QByteArray, keptAs);
    writeFile(logPath(), existing);
    setLogName(Ardix, logPath());

    tick(Ardix);
    QCOMPARE(contentOf(logPath()), keptAs + expectedRecord(Ardix));
}

void TestLogFileOps::recordLayout_data()
{
    QTest::addColumn<int>("family");
    QTest::addColumn<QList<QByteArray>>("header");
    QTest::addColumn<QList<QByteArray>>("record");

    // Each value sits under its title except where the record's empty
    // columns push it right.
    QTest::newRow("Ardix")
        << int(Ardix) << linesOf(kArdixHeader).first().split('\t')
        << QList<QByteArray>{kDate,         kTime,         "-85 ", "1001", "1002", "1003",
                             "1004",        "1005",        "1006", "1007", "1008", "4807.038 N",
                             "01131.000 E", "1 - GPS fix", "08",   "",     "0.9",  "",
                             "545.4,M"};
    QTest::newRow("Velto") << int(Velto) << linesOf(kVeltoHeader).first().split('\t')
                           << QList<QByteArray>{
                                  kDate,         kTime,  "-85",  "10.0.0.254", "",
                                  "2001",        "1002", "1003", "2002",       "1005",
                                  "1006",        "1008", "1009", "4807.038 N", "01131.000 E",
                                  "1 - GPS fix", "08",   "",     "0.9",        "",
                                  "545.4,M"};
}

void TestLogFileOps::recordLayout()
{
    QFETCH(int, family);
    QFETCH(QList<QByteArray>, header);
    QFETCH(QList<QByteArray>, record);
    if (family == Velto)
        linkStatistics.rssi = 85;
    setLogName(family, logPath());

    tick(family);
    const QList<QByteArray> lines = linesOf(contentOf(logPath()));
    QCOMPARE(lines.size(), 2);
    QCOMPARE(lines.at(0).split('\t'), header);
    QCOMPARE(lines.at(1).split('\t'), record);
}

void TestLogFileOps::gpsFields_data()
{
    QTest::addColumn<int>("family");
    QTest::addColumn<bool>("gpsEnabled");
    QTest::addColumn<bool>("decoded");
    QTest::addColumn<QByteArray>("fields"); // latitude .. altitude as written

    const QByteArray disabled = "Disabled\tDisabled\tDisabled\tDisabled\t\tDisabled\t\tDisabled";
    const QByteArray noData = "No data\tNo data\tNo data\tNo data\t\tNo data\t\tNo data";
    const QByteArray position = "4807.038 N\t01131.000 E\t1 - GPS fix\t08\t\t0.9\t\t545.4,M";
    for (int family : {int(Ardix), int(Velto)}) {
        const char *name = family == Ardix ? "Ardix" : "Velto";
        QTest::addRow("%s, GPS disabled", name) << family << false << true << disabled;
        QTest::addRow("%s, GPS disabled, nothing decoded", name)
            << family << false << false << disabled;
        QTest::addRow("%s, GPS enabled without data", name) << family << true << false << noData;
        QTest::addRow("%s, GPS enabled with data", name) << family << true << true << position;
    }
}

void TestLogFileOps::gpsFields()
{
    QFETCH(int, family);
    QFETCH(bool, gpsEnabled);
    QFETCH(bool, decoded);
    QFETCH(QByteArray, fields);
    sessionSettings.gpsEnabled = gpsEnabled;
    if (!decoded)
        gpsPosition = GpsPosition{};
    setLogName(family, logPath());

    tick(family);
    const QByteArray record = linesOf(contentOf(logPath())).last();
    QVERIFY2(record.endsWith('\t' + fields), record.constData());
}

void TestLogFileOps::substitutionsStoredBack()
{
    // A Velto remote whose statistics screen was never read, GPS on but
    // silent: the record says so, and so do the shared records afterwards.
    linkStatistics = LinkStatistics{};
    linkStatistics.rssi = 0;
    gpsPosition = GpsPosition{};
    setLogName(Velto, logPath());

    tick(Velto);
    const QList<QByteArray> fields = linesOf(contentOf(logPath())).last().split('\t');
    QCOMPARE(fields.size(), 21);
    QCOMPARE(fields.at(2), QByteArray("0"));
    QCOMPARE(fields.mid(5, 8), QList<QByteArray>(8, "Invalid data"));

    QCOMPARE(linkStatistics.wirelessRxBytes, QStringLiteral("Invalid data"));
    QCOMPARE(linkStatistics.retryErrors, QStringLiteral("Invalid data"));
    QCOMPARE(gpsPosition.gpsLatitude, QStringLiteral("No data"));
    QCOMPARE(gpsPosition.gpsAltitude, QStringLiteral("No data"));
    // Ardix counters are never substituted.
    linkStatistics.fragments.clear();
    setLogName(Ardix, logPath(QStringLiteral("ardix.txt")));
    tick(Ardix);
    const QList<QByteArray> ardix =
        linesOf(contentOf(logPath(QStringLiteral("ardix.txt")))).last().split('\t');
    QCOMPARE(ardix.at(3), QByteArray());               // RX bytes: the SNMP counter, still empty
    QCOMPARE(ardix.at(9), QByteArray());               // fragments
    QCOMPARE(ardix.at(4), QByteArray("Invalid data")); // stored back by the Velto record
}

void TestLogFileOps::manyLines()
{
    // Far more lines than a 16-bit count could hold.
    const int records = 40000;
    writeFile(logPath(), writtenForm(kArdixHeader, records));
    setLogName(Ardix, logPath());

    tick(Ardix);
    const QList<QByteArray> lines = linesOf(contentOf(logPath()));
    QCOMPARE(lines.size(), records + 2);
    QCOMPARE(lines.at(records), QByteArray("old record 39999\t\t-70 "));
    QCOMPARE(lines.last() + "\r\n", expectedRecord(Ardix));
}

void TestLogFileOps::nothingWritten_data()
{
    QTest::addColumn<QString>("logName"); // relative to the test folder, or empty

    QTest::newRow("no log name stored") << QString();
    QTest::newRow("folder that does not exist") << QStringLiteral("missing/log.txt");
    QTest::newRow("a folder as log name") << QStringLiteral("folder");
}

void TestLogFileOps::nothingWritten()
{
    QFETCH(QString, logName);
    QVERIFY(QDir(m_dir->path()).mkdir(QStringLiteral("folder")));
    setLogName(Velto, logName.isEmpty() ? QString() : logPath(logName));
    const QStringList before =
        QDir(m_dir->path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot);

    tick(Velto);
    QCOMPARE(QDir(m_dir->path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), before);
    QVERIFY(QDir(logPath(QStringLiteral("folder"))).isEmpty());
    QVERIFY(m_messages->messages.isEmpty());
    // Nothing was substituted either: no record was made.
    QCOMPARE(linkStatistics.rxPackets, QStringLiteral("1002"));
}

void TestLogFileOps::logTick_data()
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

void TestLogFileOps::logTick()
{
    QFETCH(int, remoteKind);
    QFETCH(bool, loggingEnabled);
    QFETCH(bool, ardixDataFresh);
    QFETCH(QByteArray, header);
    sessionSettings.remoteKind = static_cast<RemoteKind>(remoteKind);
    sessionSettings.loggingEnabled = loggingEnabled;
    linkStatistics.ArdixDataFresh = ardixDataFresh;
    setLogName(Ardix, logPath(QStringLiteral("ardix.txt")));
    setLogName(Velto, logPath(QStringLiteral("velto.txt")));

    LogFileOps::logTick();
    const QStringList files = QDir(m_dir->path()).entryList(QDir::Files);
    if (header.isEmpty()) {
        QVERIFY2(files.isEmpty(), qPrintable(files.join(QLatin1Char(' '))));
        return;
    }
    QCOMPARE(files.size(), 1);
    const QList<QByteArray> lines = linesOf(contentOf(m_dir->filePath(files.first())));
    QCOMPARE(lines.size(), 2);
    QCOMPARE(lines.first() + "\r\n", header);
}

void TestLogFileOps::refusedFile_data()
{
    QTest::addColumn<bool>("protectFolder");
    QTest::addColumn<bool>("fileExists");
    QTest::newRow("read-only file") << false << true;
    QTest::newRow("folder forbids writing, file there") << true << true;
    QTest::newRow("folder forbids writing, no file yet") << true << false;
}

void TestLogFileOps::refusedFile()
{
    QFETCH(bool, protectFolder);
    QFETCH(bool, fileExists);
    const QString folder = logPath(QStringLiteral("logs"));
    QVERIFY(QDir().mkdir(folder));
    const QString path = folder + QStringLiteral("/log.txt");
    const QByteArray existing = writtenForm(kVeltoHeader, 3) + "last line without its end";
    if (fileExists)
        writeFile(path, existing);
    setLogName(Velto, path);

    WriteProtection protection(protectFolder ? folder : path);
    if (!protection.active())
        QSKIP("this machine cannot make a file or folder refuse writing (chattr +i as root)");

    linkStatistics.rxPackets.clear();
    for (int attempt = 0; attempt < 2; ++attempt) {
        tick(Velto);
        QCOMPARE(m_messages->messages.size(), attempt + 1);
        const OperatorMessage &m = m_messages->messages.last();
        QCOMPARE(m.title, QStringLiteral("Error"));
        QCOMPARE(m.icon, MessageIcon::Exclamation);
        QCOMPARE(m.text, QStringLiteral("Unable to read/write to log file because it is already "
                                        "open.\r\nClose the file, and then select 'OK'."));
        QCOMPARE(QFileInfo::exists(path), fileExists);
        QCOMPARE(contentOf(path), fileExists ? existing : QByteArray());
        // No record was made, so nothing was substituted.
        QVERIFY(linkStatistics.rxPackets.isEmpty());
    }

    // Once the file may be written again, the next tick writes.
    protection.release();
    tick(Velto);
    QCOMPARE(m_messages->messages.size(), 2);
    const QByteArray kept =
        fileExists ? writtenForm(kVeltoHeader, 3) + "last line without its end\r\n" : kVeltoHeader;
    QVERIFY(contentOf(path).startsWith(kept));
    QCOMPARE(linesOf(contentOf(path)).size(), linesOf(kept).size() + 1);
}

void TestLogFileOps::failedWrite_data()
{
    QTest::addColumn<bool>("tmpfs"); // else a file size limit of this process
    QTest::addColumn<QByteArray>("existing");
    QTest::addColumn<QByteArray>("kept"); // by the first tick that can write again

    // 4096 bytes exactly: the record needs a new page of the full file system.
    QByteArray onePage = writtenForm(kArdixHeader, 0);
    while (onePage.size() + 24 <= 4096)
        onePage += "old record\t\t-70 \r\n";
    onePage += QByteArray(4096 - onePage.size() - 2, 'x') + "\r\n";
    const QByteArray needsRewrite = writtenForm(kArdixHeader, 100) + "cr only\rlast";
    const QByteArray rewritten = writtenForm(kArdixHeader, 100) + "cr only\r\nlast\r\n";

    QTest::newRow("full disk, record appended") << true << onePage << onePage;
    QTest::newRow("full disk, file rewritten") << true << needsRewrite << rewritten;
    QTest::newRow("size limit, record appended") << false << onePage << onePage;
    QTest::newRow("size limit, file rewritten") << false << needsRewrite << rewritten;
}

void TestLogFileOps::failedWrite()
{
    QFETCH(bool, tmpfs);
    QFETCH(QByteArray, existing);
    QFETCH(QByteArray, kept);
    const QString folder = logPath(QStringLiteral("disk"));
    QVERIFY(QDir().mkdir(folder));
    const QString path = folder + QStringLiteral("/log.txt");

    FullFileSystem disk(folder);
    if (tmpfs && !disk.mounted())
        QSKIP("mounting a small tmpfs needs root");
    writeFile(path, existing);
    setLogName(Ardix, path);

    {
        std::optional<FileSizeLimit> limit;
        if (tmpfs) {
            disk.fill();
        } else {
            limit.emplace(existing.size() + 10); // the record gets cut after 10 bytes
            QVERIFY(limit->active());
        }
        tick(Ardix);
    }
    QCOMPARE(contentOf(path), existing);
    QVERIFY(m_messages->messages.isEmpty());
    const QStringList left = QDir(folder).entryList(QDir::Files);
    QCOMPARE(left, tmpfs ? QStringList({"filler", "log.txt"}) : QStringList({"log.txt"}));

    // Once there is room again, the next tick writes its record after all
    // that was there before.
    if (tmpfs)
        QVERIFY(QFile::remove(folder + QStringLiteral("/filler")));
    tick(Ardix);
    QCOMPARE(contentOf(path), kept + expectedRecord(Ardix));
    QVERIFY(m_messages->messages.isEmpty());
}

QTEST_GUILESS_MAIN(TestLogFileOps)
#include "tst_LogFileOps.moc"
