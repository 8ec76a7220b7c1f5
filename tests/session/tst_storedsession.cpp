#include "TestSupport.h"
#include "session/StoredSession.h"

#include <QtTest>

namespace {
const QString kPrefs = QStringLiteral("Preferences");
}

class TestStoredSession : public QObject
{
    Q_OBJECT
private slots:
    void destPort_data();
    void destPort();
    void addressCheck_data();
    void addressCheck();
    void firstRunInitialisesList();
    void listReadsEntriesInOrder();
    void countIsANumericReading_data();
    void countIsANumericReading();
    void sameAddressTwiceIsStoredTwice();
    void firstUseOfFamilyForLogging_data();
    void firstUseOfFamilyForLogging();
    void loggingEnabledOnlyForExactTrue_data();
    void loggingEnabledOnlyForExactTrue();
};

void TestStoredSession::destPort_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("port");
    QTest::addColumn<bool>("valid");

    QTest::newRow("just below") << "29999" << 29999 << false;
    QTest::newRow("lowest") << "30000" << 30000 << true;
    QTest::newRow("highest") << "60000" << 60000 << true;
    QTest::newRow("just above") << "60001" << 60001 << false;
    QTest::newRow("empty") << "" << 0 << false;
    QTest::newRow("non-numeric") << "abc" << 0 << false;
    QTest::newRow("leading number counts") << "45000x" << 45000 << true;
    QTest::newRow("half rounds to even") << "30000.5" << 30000 << true;
    QTest::newRow("beyond 32 bits reads as 0") << "99999999999" << 0 << false;
}

void TestStoredSession::destPort()
{
    QFETCH(QString, text);
    QFETCH(int, port);
    QFETCH(bool, valid);
    QCOMPARE(StoredSession::portFromText(text), port);
    QCOMPARE(StoredSession::isValidDestPort(StoredSession::portFromText(text)), valid);
}

void TestStoredSession::addressCheck_data()
{
    QTest::addColumn<QString>("address");
    QTest::addColumn<bool>("accepted");

    QTest::newRow("five parts") << "10.0.0.1.5" << true;
    QTest::newRow("dots only after a digit") << "1..." << true;
    QTest::newRow("octet out of range") << "999.1.1.1" << true;
    QTest::newRow("ordinary") << "192.168.1.20" << true;
    QTest::newRow("letter") << "10.0.0.a" << false;
    QTest::newRow("trailing space") << "10.0.0.1 " << false;
    QTest::newRow("host name") << "radio1" << false;
    QTest::newRow("non-ASCII digit") << QString::fromUtf8("10.0.0.\u0661") << false;
}

void TestStoredSession::addressCheck()
{
    QFETCH(QString, address);
    QFETCH(bool, accepted);
    QCOMPARE(StoredSession::isWellFormedAddress(address), accepted);
}

void TestStoredSession::firstRunInitialisesList()
{
    TestStore store;
    QCOMPARE(StoredSession::loadAddressList(), QStringList{QStringLiteral("Add IP Address")});
    QCOMPARE(store.raw(kPrefs, QStringLiteral("NumberOfIPAddressed")), QStringLiteral("1"));
    QCOMPARE(store.raw(kPrefs, QStringLiteral("1")), QStringLiteral("Add IP Address"));
    // The second load reads what the first wrote.
    QCOMPARE(StoredSession::loadAddressList(), QStringList{QStringLiteral("Add IP Address")});
}

void TestStoredSession::listReadsEntriesInOrder()
{
    TestStore store;
    StoredSession::loadAddressList();
    StoredSession::appendAddress(QStringLiteral("10.0.0.1"));
    StoredSession::appendAddress(QStringLiteral("10.0.0.2"));
    QCOMPARE(StoredSession::loadAddressList(),
             (QStringList{QStringLiteral("Add IP Address"), QStringLiteral("10.0.0.1"),
                          QStringLiteral("10.0.0.2")}));
    QCOMPARE(store.raw(kPrefs, QStringLiteral("NumberOfIPAddressed")), QStringLiteral("3"));
}

void TestStoredSession::countIsANumericReading_data()
{
    QTest::addColumn<QString>("count");
    QTest::addColumn<int>("entries");
    QTest::newRow("zero loads nothing and does not re-initialise") << "0" << 0;
    QTest::newRow("garbage reads as zero") << "many" << 0;
    QTest::newRow("leading number") << "2 entries" << 2;
}

void TestStoredSession::countIsANumericReading()
{
    TestStore store;
    QFETCH(QString, count);
    QFETCH(int, entries);
    store.put(kPrefs, QStringLiteral("NumberOfIPAddressed"), count);
    store.put(kPrefs, QStringLiteral("1"), QStringLiteral("Add IP Address"));
    store.put(kPrefs, QStringLiteral("2"), QStringLiteral("10.1.1.1"));
    QCOMPARE(StoredSession::loadAddressList().size(), entries);
    QCOMPARE(store.raw(kPrefs, QStringLiteral("NumberOfIPAddressed")), count);
}

void TestStoredSession::sameAddressTwiceIsStoredTwice()
{
    TestStore store;
    StoredSession::loadAddressList();
    StoredSession::appendAddress(QStringLiteral("10.0.0.7"));
    StoredSession::appendAddress(QStringLiteral("10.0.0.7"));
    QCOMPARE(store.raw(kPrefs, QStringLiteral("2")), QStringLiteral("10.0.0.7"));
    QCOMPARE(store.raw(kPrefs, QStringLiteral("3")), QStringLiteral("10.0.0.7"));
    QCOMPARE(StoredSession::loadAddressList().count(QStringLiteral("10.0.0.7")), 2);
}

void TestStoredSession::firstUseOfFamilyForLogging_data()
{
    QTest::addColumn<QString>("choice");
    QTest::addColumn<QString>("storedName");
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("expectedName");
    QTest::addColumn<QString>("expectedEnabled");

    QTest::newRow("Ardix, first use") << "Ardix"
                                      << ""
                                      << "Ardix LogName"
                                      << "ArdixMonitoring_Log.txt"
                                      << "True";
    QTest::newRow("Velto, first use") << "Velto"
                                      << ""
                                      << "Velto LogName"
                                      << "VeltoMonitoring_Log.txt"
                                      << "True";
    QTest::newRow("Velto, name already chosen") << "Velto"
                                                << "/logs/v.txt"
                                                << "Velto LogName"
                                                << "/logs/v.txt"
                                                << "False";
    QTest::newRow("unknown family writes nothing") << "Torvik"
                                                   << ""
                                                   << "Velto LogName"
                                                   << ""
                                                   << "False";
}

void TestStoredSession::firstUseOfFamilyForLogging()
{
    TestStore store;
    QFETCH(QString, choice);
    QFETCH(QString, storedName);
    QFETCH(QString, key);
    QFETCH(QString, expectedName);
    QFETCH(QString, expectedEnabled);
    store.put(kPrefs, QStringLiteral("logEnabledValue"), QStringLiteral("False"));
    if (!storedName.isEmpty())
        store.put(kPrefs, key, storedName);
    StoredSession::firstUseOfFamilyForLogging(choice);
    QCOMPARE(store.raw(kPrefs, key).value_or(QString()), expectedName);
    QCOMPARE(store.raw(kPrefs, QStringLiteral("logEnabledValue")), expectedEnabled);
}

void TestStoredSession::loggingEnabledOnlyForExactTrue_data()
{
    QTest::addColumn<QString>("stored");
    QTest::addColumn<bool>("enabled");
    QTest::newRow("True") << "True" << true;
    QTest::newRow("lower case") << "true" << false;
    QTest::newRow("False") << "False" << false;
    QTest::newRow("padded") << " True" << false;
}

void TestStoredSession::loggingEnabledOnlyForExactTrue()
{
    TestStore store;
    QFETCH(QString, stored);
    QFETCH(bool, enabled);
    store.put(kPrefs, QStringLiteral("logEnabledValue"), stored);
    QCOMPARE(StoredSession::storedLoggingEnabled(), enabled);
}

QTEST_GUILESS_MAIN(TestStoredSession)
#include "tst_storedsession.moc"
