#include "TestSupport.h"
#include "app/SettingsStore.h"
#include "telnet/CongestionScript.h"

#include <QtTest>

using Sends = QList<QByteArray>;

class TestCongestionScript : public QObject
{
    Q_OBJECT
private slots:
    void advance_data();
    void advance();
    void telnetPort_data();
    void telnetPort();
};

void TestCongestionScript::advance_data()
{
    QTest::addColumn<int>("state");
    QTest::addColumn<bool>("connected");
    QTest::addColumn<bool>("newFirmwareLogin");
    QTest::addColumn<Sends>("sends");
    QTest::addColumn<QByteArray>("waitFor"); // empty: unchanged
    QTest::addColumn<bool>("startBalancing");
    QTest::addColumn<int>("nextState");

    QTest::newRow("1 login, older firmware")
        << 1 << true << false << Sends{"qa482tm\r\n"} << QByteArray("Press 'G' to go to Main Menu")
        << false << 2;
    QTest::newRow("1 login, newer firmware")
        << 1 << true << true << Sends{"ko731rb\r\n"} << QByteArray("Press 'G' to go to Main Menu")
        << false << 2;
    QTest::newRow("2 banner: G without a line end")
        << 2 << true << false << Sends{"G"} << QByteArray("exit") << false << 3;
    QTest::newRow("3 main menu, older firmware: I, then the line end apart")
        << 3 << true << false << Sends{"I", "\r\n"} << QByteArray("> ") << false << 4;
    QTest::newRow("3 main menu, newer firmware: J, then the line end apart")
        << 3 << true << true << Sends{"J", "\r\n"} << QByteArray("> ") << false << 4;
    QTest::newRow("4 first prompt")
        << 4 << true << false << Sends{"wrlsstat\r\n", "\r\n"} << QByteArray() << false << 5;
    QTest::newRow("5 second prompt, connected")
        << 5 << true << false << Sends{"\r\n"} << QByteArray() << false << 8;
    QTest::newRow("5 second prompt, connection gone")
        << 5 << false << false << Sends{} << QByteArray() << false << 5;
    QTest::newRow("8 statistics request")
        << 8 << true << true << Sends{"wrlsstat\r\n"} << QByteArray() << true << 9;
    QTest::newRow("9 reading") << 9 << true << false << Sends{} << QByteArray() << false << 9;
    QTest::newRow("6 is no state of the script")
        << 6 << true << false << Sends{} << QByteArray() << false << 6;
}

void TestCongestionScript::advance()
{
    QFETCH(int, state);
    QFETCH(bool, connected);
    QFETCH(bool, newFirmwareLogin);
    QFETCH(Sends, sends);
    QFETCH(QByteArray, waitFor);
    QFETCH(bool, startBalancing);
    QFETCH(int, nextState);

    const CongestionScript::Step step =
        CongestionScript::advance(qint16(state), connected, newFirmwareLogin);
    QCOMPARE(step.sends, sends);
    QCOMPARE(step.waitFor.value_or(QByteArray()), waitFor);
    QCOMPARE(step.startBalancing, startBalancing);
    QCOMPARE(int(step.nextState), nextState);
}

void TestCongestionScript::telnetPort_data()
{
    QTest::addColumn<bool>("stored");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("port");

    QTest::newRow("missing") << false << QString() << 23;
    QTest::newRow("another port") << true << "2323" << 2323;
    QTest::newRow("leading number") << true << "8023 (lab)" << 8023;
    QTest::newRow("half rounds to even") << true << "2322.5" << 2322;
    QTest::newRow("zero") << true << "0" << 23;
    QTest::newRow("beyond the range") << true << "65536" << 23;
    QTest::newRow("no number") << true << "telnet" << 23;
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
