#include "TestSupport.h"
#include "app/SettingsStore.h"
#include "telnet/CongestionScript.h"

#include <QtTest>

class TestCongestionScript : public QObject
{
    Q_OBJECT
private slots:
    void advanceWithNothingToDo_data();
    void advanceWithNothingToDo();
    void telnetPort_data();
    void telnetPort();
};

// What the script writes at each prompt, for both logins, is checked against a
// radio on the wire by the congestion manager's test; here the steps no radio shows.
void TestCongestionScript::advanceWithNothingToDo_data()
{
    QTest::addColumn<int>("state");
    QTest::addColumn<bool>("connected");
    QTest::newRow("second prompt after the connection went") << 5 << false;
    QTest::newRow("6 is no state of the script") << 6 << true;
}

void TestCongestionScript::advanceWithNothingToDo()
{
    QFETCH(int, state);
    QFETCH(bool, connected);
    const CongestionScript::Step step = CongestionScript::advance(qint16(state), connected, false);
    QVERIFY(step.sends.isEmpty() && !step.waitFor && !step.startBalancing);
    QCOMPARE(int(step.nextState), state);
}

void TestCongestionScript::telnetPort_data()
{
    QTest::addColumn<bool>("stored");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("port");

    const auto row = [](const char *name, bool stored, const char *text, int port) {
        QTest::newRow(name) << stored << QString::fromLatin1(text) << port;
    };
    row("missing", false, "", 23);
    row("another port", true, "2323", 2323);
    row("leading number", true, "8023 (lab)", 8023);
    row("half rounds to even", true, "2322.5", 2322);
    row("zero", true, "0", 23);
    row("beyond the range", true, "65536", 23);
    row("no number", true, "telnet", 23);
}

void TestCongestionScript::telnetPort()
{
    QFETCH(bool, stored);
    QFETCH(QString, text);
    QFETCH(int, port);

    TestStore store;
    if (stored)
        store.put(QStringLiteral("Preferences"), QStringLiteral("TelnetPort"), text);
    QCOMPARE(int(CongestionScript::telnetPort()), port);
    // Reading never writes the key.
    QCOMPARE(store.raw(QStringLiteral("Preferences"), QStringLiteral("TelnetPort")).has_value(),
             stored);
}

QTEST_GUILESS_MAIN(TestCongestionScript)
#include "tst_congestionscript.moc"
