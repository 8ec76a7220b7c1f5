#include "TestSupport.h"
#include "app/SettingsStore.h"

#include <QFile>
#include <QtTest>

class TestSettingsStore : public QObject
{
    Q_OBJECT
private slots:
    void textRoundTrip_data();
    void textRoundTrip();
    void missingKeyGivesDefault();
    void emptyValueIsNotMissing();
    void sectionsAreSeparate();
    void writeReachesDiskAtOnce();
    void garbageFileReadsAsDefaults();
    void lineEndInAValueCannotSplitTheFile();
};

void TestSettingsStore::textRoundTrip_data()
{
    QTest::addColumn<QString>("value");
    QTest::newRow("boolean text") << "True";
    QTest::newRow("number text") << "30000";
    QTest::newRow("number with leading zero stays text") << "0042";
    QTest::newRow("path with spaces") << "/home/op/My Logs/VeltoMonitoring_Log.txt";
    QTest::newRow("comma") << "a,b";
    QTest::newRow("leading at sign") << "@weird";
    QTest::newRow("blanks around") << "  padded  ";
    QTest::newRow("empty") << "";
    QTest::newRow("equals sign") << "a=b";
    QTest::newRow("brackets") << "[x]";
}

void TestSettingsStore::textRoundTrip()
{
    TestStore store;
    QFETCH(QString, value);
    SettingsStore::writePreference(QStringLiteral("Key"), value);
    QCOMPARE(SettingsStore::readPreference(QStringLiteral("Key"), QStringLiteral("default")),
             value);
}

void TestSettingsStore::missingKeyGivesDefault()
{
    TestStore store;
    QCOMPARE(SettingsStore::readPreference(QStringLiteral("SNMPReadCommString"),
                                           QStringLiteral("public")),
             QStringLiteral("public"));
    QCOMPARE(SettingsStore::readPreference(QStringLiteral("RemoteChoice")), QString());
}

void TestSettingsStore::emptyValueIsNotMissing()
{
    TestStore store;
    SettingsStore::writePreference(QStringLiteral("SNMPReadCommString"), QString());
    QCOMPARE(SettingsStore::readPreference(QStringLiteral("SNMPReadCommString"),
                                           QStringLiteral("public")),
             QString());
}

void TestSettingsStore::sectionsAreSeparate()
{
    TestStore store;
    SettingsStore::write(QStringLiteral("GPS Options"), QStringLiteral("ComPort"),
                         QStringLiteral("2"));
    QCOMPARE(SettingsStore::readPreference(QStringLiteral("ComPort")), QString());
    QCOMPARE(SettingsStore::read(QStringLiteral("GPS Options"), QStringLiteral("ComPort")),
             QStringLiteral("2"));
}

void TestSettingsStore::writeReachesDiskAtOnce()
{
    TestStore store;
    SettingsStore::writePreference(QStringLiteral("RemoteChoice"), QStringLiteral("Ardix"));
    SettingsStore::writePreference(QStringLiteral("Velto LogName"), QStringLiteral("My Log.txt"));
    SettingsStore::write(QStringLiteral("GPS Options"), QStringLiteral("GPS Enabled"),
                         QStringLiteral("True"));
    QFile file(store.iniPath());
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray content = file.readAll();
    // Plain text an operator can read: names as they are, values as given.
    QCOMPARE(content, QByteArray("[GPS Options]\nGPS Enabled=True\n\n"
                                 "[Preferences]\nRemoteChoice=Ardix\nVelto LogName=My Log.txt\n"));
}

void TestSettingsStore::garbageFileReadsAsDefaults()
{
    TestStore store;
    SettingsStore::writePreference(QStringLiteral("RemoteChoice"), QStringLiteral("Velto"));
    QFile file(store.iniPath());
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    static const char garbage[] = "\x00\xff[[[=\n==\x01garbage";
    file.write(garbage, sizeof garbage - 1);
    file.close();
    QCOMPARE(SettingsStore::readPreference(QStringLiteral("RemoteChoice"), QStringLiteral("none")),
             QStringLiteral("none"));
    // And the store still takes new values.
    SettingsStore::writePreference(QStringLiteral("RemoteChoice"), QStringLiteral("Ardix"));
    QCOMPARE(SettingsStore::readPreference(QStringLiteral("RemoteChoice")),
             QStringLiteral("Ardix"));
}

void TestSettingsStore::lineEndInAValueCannotSplitTheFile()
{
    TestStore store;
    SettingsStore::writePreference(QStringLiteral("Ardix LogName"),
                                   QStringLiteral("a.txt\r\nRemoteChoice=Torvik"));
    QCOMPARE(SettingsStore::readPreference(QStringLiteral("Ardix LogName")),
             QStringLiteral("a.txt  RemoteChoice=Torvik"));
    QCOMPARE(SettingsStore::readPreference(QStringLiteral("RemoteChoice")), QString());
}

QTEST_GUILESS_MAIN(TestSettingsStore)
#include "tst_settingsstore.moc"
