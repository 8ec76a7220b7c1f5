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

    const auto row = [](const char *name, int state, bool connected, bool newer, const Sends &sends,
                        const QByteArray &waitFor, bool balancing, int next) {
        QTest::newRow(name) << state << connected << newer << sends << waitFor << balancing << next;
    };
    const QByteArray banner = "Press 'G' to go to Main Menu";
    row("1 login, older firmware", 1, true, false, {"qa482tm\r\n"}, banner, false, 2);
    row("1 login, newer firmware", 1, true, true, {"ko731rb\r\n"}, banner, false, 2);
    row("2 banner: G without a line end", 2, true, false, {"G"}, "exit", false, 3);
    row("3 main menu, older firmware: I, then the line end apart", 3, true, false, {"I", "\r\n"},
        "> ", false, 4);
    row("3 main menu, newer firmware: J, then the line end apart", 3, true, true, {"J", "\r\n"},
        "> ", false, 4);
    row("4 first prompt", 4, true, false, {"wrlsstat\r\n", "\r\n"}, {}, false, 5);
    row("5 second prompt, connected", 5, true, false, {"\r\n"}, {}, false, 8);
    row("5 second prompt, connection gone", 5, false, false, {}, {}, false, 5);
    row("8 statistics request", 8, true, true, {"wrlsstat\r\n"}, {}, true, 9);
    row("9 reading", 9, true, false, {}, {}, false, 9);
    row("6 is no state of the script", 6, true, false, {}, {}, false, 6);
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
