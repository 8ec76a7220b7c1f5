#include "TestSupport.h"
#include "app/SettingsStore.h"

#include <QFile>
#include <QtTest>
#include <sys/stat.h>

class TestSettingsStore : public QObject
{
    Q_OBJECT
private slots:
    void readBack_data();
    void readBack();
    void fileIsPlainText();
    void garbageFileReadsAsDefaultsAndTakesNewValues();
    void ownerOnlyAfterWrite_data();
    void ownerOnlyAfterWrite();
};

void TestSettingsStore::readBack_data()
{
    QTest::addColumn<bool>("written");
    QTest::addColumn<QString>("value");
    QTest::addColumn<QString>("expected");

    const auto row = [](const char *name, bool written, const QString &value,
                        const QString &expected) {
        QTest::newRow(name) << written << value << expected;
    };
    row("missing key gives the default", false, QString(), "default");
    row("empty value is not missing", true, "", "");
    for (const char *text :
         {"True", "0042", "/home/op/My Logs/V.txt", "a,b", "@weird", "  padded  ", "a=b", "[x]"})
        row(text, true, text, text);
    row("line end cannot split the setting", true, "a.txt\r\nRemoteChoice=Torvik",
        "a.txt  RemoteChoice=Torvik");
}

void TestSettingsStore::readBack()
{
    QFETCH(bool, written);
    QFETCH(QString, value);
    QFETCH(QString, expected);

    TestStore store;
    if (written) {
        SettingsStore::writePreference(QStringLiteral("Key"), value);
        // A hand edit (with CR LF line ends) makes the store read the file
        // again rather than answer from what it kept of its own write.
        QFile file(store.iniPath());
        QVERIFY(file.open(QIODevice::Append));
        file.write("[Other]\r\nKey=x\r\n");
    }
    QCOMPARE(SettingsStore::readPreference(QStringLiteral("Key"), QStringLiteral("default")),
             expected);
    QVERIFY(!store.raw(QStringLiteral("Preferences"), QStringLiteral("RemoteChoice")));
}

void TestSettingsStore::fileIsPlainText()
{
    TestStore store;
    SettingsStore::writePreference(QStringLiteral("RemoteChoice"), QStringLiteral("Ardix"));
    SettingsStore::writePreference(QStringLiteral("Velto LogName"), QStringLiteral("My Log.txt"));
    SettingsStore::write(QStringLiteral("GPS Options"), QStringLiteral("GPS Enabled"),
                         QStringLiteral("True"));
    // Each write is on disk before the next call returns.
    QFile file(store.iniPath());
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), QByteArray("[GPS Options]\nGPS Enabled=True\n\n"
                                        "[Preferences]\nRemoteChoice=Ardix\nVelto LogName=My "
                                        "Log.txt\n"));
    QCOMPARE(SettingsStore::readPreference(QStringLiteral("GPS Enabled")), QString());
    QCOMPARE(SettingsStore::read(QStringLiteral("GPS Options"), QStringLiteral("GPS Enabled")),
             QStringLiteral("True"));
}

void TestSettingsStore::garbageFileReadsAsDefaultsAndTakesNewValues()
{
    TestStore store;
    SettingsStore::writePreference(QStringLiteral("RemoteChoice"), QStringLiteral("Velto"));
    QFile file(store.iniPath());
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(QByteArray("\x00\xff[[[=\n==\x01garbage", 17));
    file.close();
    QCOMPARE(SettingsStore::readPreference(QStringLiteral("RemoteChoice"), QStringLiteral("none")),
             QStringLiteral("none"));
    SettingsStore::writePreference(QStringLiteral("RemoteChoice"), QStringLiteral("Ardix"));
    QCOMPARE(SettingsStore::readPreference(QStringLiteral("RemoteChoice")),
             QStringLiteral("Ardix"));
}

void TestSettingsStore::ownerOnlyAfterWrite_data()
{
    QTest::addColumn<int>("modeBefore"); // 0: no file yet

    QTest::newRow("fresh store") << 0;
    QTest::newRow("existing world-readable file") << 0644;
}

void TestSettingsStore::ownerOnlyAfterWrite()
{
    QFETCH(int, modeBefore);

    TestStore store;
    const QByteArray path = QFile::encodeName(store.iniPath());
    if (modeBefore) {
        store.put(QStringLiteral("Preferences"), QStringLiteral("SNMPReadCommString"),
                  QStringLiteral("public"));
        QCOMPARE(::chmod(path.constData(), mode_t(modeBefore)), 0);
    }
    SettingsStore::writePreference(QStringLiteral("SNMPWriteCommString"), QStringLiteral("s3cret"));
    struct stat status = {};
    QCOMPARE(::stat(path.constData(), &status), 0);
    QCOMPARE(status.st_mode & 0777, 0600u);
    // The earlier setting survives the change of mode.
    QCOMPARE(SettingsStore::readPreference(QStringLiteral("SNMPReadCommString")),
             modeBefore ? QStringLiteral("public") : QString());
}

QTEST_GUILESS_MAIN(TestSettingsStore)
#include "tst_settingsstore.moc"
