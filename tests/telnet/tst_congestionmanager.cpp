// Congestion management against a radio played by the test on 127.0.0.1:
// what the station writes, when it gives up, and which timers run afterwards;
// and the station's client, script and rules against the simulated radio.
#include "RadioFixture.h"
#include "TestSupport.h"
#include "app/CongestionStatus.h"
#include "app/Records.h"
#include "telnet/CongestionManager.h"
#include "telnet/CongestionScript.h"
#include "telnet/TelnetClient.h"
#include "telnet/WirelessStats.h"

#include <QSignalSpy>
#include <QTcpSocket>
#include <QTimer>
#include <QtTest>
#include <algorithm>

namespace {

// The congestion manager of a Velto run whose radio's telnet side the test
// plays, with a settings store and records of its own.
struct VeltoRun
{
    TestStore store;
    MessageRecorder messages;
    TelnetPeer radio;
    SessionSettings settings;
    MonitorState state;
    LinkStatistics link;
    CongestionStatus status;
    WirelessStats stats;
    CongestionManager m{settings, state, link, status, stats};

    VeltoRun()
    {
        store.put(QStringLiteral("Preferences"), QStringLiteral("TelnetPort"),
                  QString::number(radio.port()));
        settings.remoteAddress = QStringLiteral("127.0.0.1");
        m.ResetCongestionManagement(); // as at a Velto start
    }

    // A tick of the cycle timer; true once the radio has the connection.
    bool openCycle()
    {
        const int connection = radio.connections + 1;
        m.CongestionManagementTimer_Timer();
        return TelnetPeer::reaches(radio.connections, connection) &&
               QTest::qWaitFor([this] { return m.CongestionManagementTelnet->isConnected(); },
                               kRadioWaitMs);
    }
    // Sends to the station and waits until the manager has the data.
    bool radioSays(const QByteArray &text)
    {
        QSignalSpy arrived(m.CongestionManagementTelnet, &TelnetClient::dataArrival);
        radio.peer->write(text);
        return arrived.wait(kRadioWaitMs);
    }
    // Prompts a new connection until the script has reached the given state
    // (2 to 9), checking what the station writes to each prompt.
    bool logIn(int state)
    {
        const bool newer = link.newFirmwareLogin;
        const struct
        {
            int reached;
            QByteArray prompt;
            QByteArray written;
        } exchanges[] = {
            {2, "\r\nVelto Remote\r\nlogin: ", newer ? "ko731rb\r\n" : "qa482tm\r\n"},
            {3, "\r\nPress 'G' to go to Main Menu\r\n", "G"},
            {4, "\r\n  I) Command Line\r\n  Q) Quit - exit the menu\r\nEnter selection: ",
             newer ? "J\r\n" : "I\r\n"},
            {5, "\r\n> ", "wrlsstat\r\n\r\n"},
            {8, "> ", "\r\n"},
            {9, "> ", "wrlsstat\r\n"},
        };
        for (const auto &exchange : exchanges) {
            if (exchange.reached <= state &&
                (!radioSays(exchange.prompt) || !radio.expect(exchange.written)))
                return false;
        }
        return true;
    }
    bool timersRunning(bool cycle, bool balancing, bool connection) const
    {
        return m.CongestionManagementTimer->isActive() == cycle &&
               m.ChangeCommandForBalancing->isActive() == balancing &&
               m.TelnetConnectionTimer->isActive() == connection;
    }
    QString counters() const
    {
        const LinkStatistics &l = link;
        return QStringList{l.rxPackets,       l.txPackets,      l.rxBytes, l.txBytes,
                           l.txErrors,        l.rxErrors,       l.retries, l.retryErrors,
                           l.wirelessRxBytes, l.wirelessTxBytes}
            .join(' ');
    }
};

} // namespace

class TestCongestionManager : public QObject
{
    Q_OBJECT
private slots:
    void cycles_data();
    void cycles();
    void cycleEnds_data();
    void cycleEnds();
    void givesUpOnce_data();
    void givesUpOnce();
    void telnetPort_data();
    void telnetPort();
    void congestedRadioIsToldToScan();
};

void TestCongestionManager::cycles_data()
{
    QTest::addColumn<bool>("newFirmwareLogin");
    QTest::newRow("older firmware") << false;
    QTest::newRow("newer firmware") << true;
}

void TestCongestionManager::cycles()
{
    QFETCH(bool, newFirmwareLogin);
    VeltoRun run;
    run.link.newFirmwareLogin = newFirmwareLogin;
    QSignalSpy centred(&run.m, &CongestionManager::statusCentred);
    const QString none = run.counters();

    const int firstWait = run.m.CongestionManagementTimer->interval();
    QVERIFY(run.openCycle());
    QVERIFY(run.logIn(9));
    QVERIFY(run.radioSays("10 20 3000 4000 1 2 5 7\r\n> "));
    // The first tick of the run reads nothing and leaves the radio; the
    // next cycle waits longer after a cycle than the first after the start.
    run.m.ChangeCommandForBalancing_Timer();
    QVERIFY(run.radio.expect("exit\r\nQ"));
    QVERIFY(TelnetPeer::reaches(run.radio.disconnects, 1));
    QVERIFY(run.timersRunning(true, false, false));
    QVERIFY(run.m.CongestionManagementTimer->interval() > firstWait);

    // The next cycle opens a new connection and starts at the login again.
    // A text that runs out ends the tick on the same connection; an echo of
    // the request is no answer, but ends the cycle.
    QVERIFY(run.openCycle());
    QVERIFY(run.logIn(9));
    QVERIFY(run.radioSays("> "));
    run.m.ChangeCommandForBalancing_Timer();
    QVERIFY(run.radio.expect("wrlsstat\r\n"));
    QVERIFY(run.timersRunning(false, true, false));
    QVERIFY(run.radioSays("wrlsstat\r\n"));
    run.m.ChangeCommandForBalancing_Timer();
    QVERIFY(run.radio.expect("wrlsstat\r\nexit\r\nQ"));
    QVERIFY(TelnetPeer::reaches(run.radio.disconnects, 2));
    QCOMPARE(run.counters(), none);

    // An answer with 40 retry errors three ticks into the run: the radio is
    // told to scan. It hangs up as soon as it reads "exit", and the station
    // ends the cycle as usual.
    QVERIFY(run.openCycle());
    QVERIFY(run.logIn(9));
    run.stats.balanceCycles = 3;
    QVERIFY(run.radioSays("10 20 3000 4000 1 2 5 40\r\n> "));
    QObject::connect(run.radio.peer.get(), &QTcpSocket::readyRead, [&run] {
        if (run.radio.fromStation.contains("exit"))
            run.radio.peer->disconnectFromHost();
    });
    run.m.ChangeCommandForBalancing_Timer();
    QVERIFY(TelnetPeer::reaches(run.radio.disconnects, 3));
    QVERIFY(run.radio.expect("wrlsstat\r\nblacklist\r\nexit\r\n"));
    QCOMPARE(run.counters(), QStringLiteral("10 20 3000 4000 1 2 5 40 3000 4000"));
    QCOMPARE(run.status.scanningLightIcon, Lamp::Congestion);
    QCOMPARE(centred.size(), 1);
    QVERIFY(run.timersRunning(true, false, false));
    QVERIFY(run.messages.messages.isEmpty());
}

void TestCongestionManager::cycleEnds_data()
{
    QTest::addColumn<QString>("end"); // how the open cycle ends
    QTest::newRow("the radio closes while reading") << "radio closes";
    QTest::newRow("close step") << "close step";
    QTest::newRow("a new Velto run") << "new run";
}

void TestCongestionManager::cycleEnds()
{
    QFETCH(QString, end);
    VeltoRun run;
    QVERIFY(run.openCycle());
    QVERIFY(run.logIn(9));

    run.status.scanningLightIcon = Lamp::Congestion;
    if (end == "radio closes") {
        QSignalSpy closed(run.m.CongestionManagementTelnet, &TelnetClient::closed);
        run.radio.peer->disconnectFromHost();
        QVERIFY(closed.wait(kRadioWaitMs));
        // The tick finds the connection gone and only schedules the next cycle.
        QVERIFY(run.timersRunning(false, true, false));
        run.m.ChangeCommandForBalancing_Timer();
        QVERIFY(run.timersRunning(true, false, false));
        QVERIFY(run.radio.fromStation.isEmpty());
    } else {
        if (end == "new run") {
            run.m.stopCycles();
            run.m.ResetCongestionManagement();
        } else {
            run.m.CloseCongestionManagementTelnet();
        }
        QVERIFY(run.timersRunning(false, false, false));
        QVERIFY(run.radio.expect("\r\nexit\r\nQ"));
        QVERIFY(TelnetPeer::reaches(run.radio.disconnects, 1));
    }
    QCOMPARE(run.status.scanningLightIcon, end == "new run" ? Lamp::Scanning : Lamp::Congestion);
    QVERIFY(!run.m.CongestionManagementTelnet->isConnected());
    QVERIFY(run.messages.messages.isEmpty());
    if (end == "new run") {
        // Its first cycle opens a connection of its own and logs in.
        QVERIFY(run.openCycle());
        QVERIFY(run.logIn(2));
    }
}

void TestCongestionManager::givesUpOnce_data()
{
    QTest::addColumn<bool>("flooding"); // otherwise silent
    QTest::newRow("radio that never prompts") << false;
    QTest::newRow("radio that never stops talking") << true;
}

void TestCongestionManager::givesUpOnce()
{
    QFETCH(bool, flooding);
    VeltoRun run;
    QVERIFY(run.openCycle());
    QVERIFY(run.timersRunning(false, false, true));
    if (flooding)
        run.radio.flood();
    else
        run.m.TelnetConnectionTimer_Timer();

    // The operator is told once; no further attempt in this run.
    QCOMPARE(run.messages.messages.size(), 1);
    QVERIFY(run.timersRunning(false, false, false));
    QVERIFY(TelnetPeer::reaches(run.radio.disconnects, 1));
    QVERIFY(!run.m.CongestionManagementTelnet->isConnected());
}

void TestCongestionManager::telnetPort_data()
{
    QTest::addColumn<bool>("stored");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("port");

    const auto row = [](const char *name, bool stored, const char *text, int port) {
        QTest::newRow(name) << stored << QString::fromLatin1(text) << port;
    };
    row("missing", false, "", 23);
    row("leading number", true, "8023 (lab)", 8023);
    row("lowest", true, "1", 1);
    row("highest", true, "65535", 65535);
    row("zero", true, "0", 23);
    row("beyond the range", true, "65536", 23);
}

void TestCongestionManager::telnetPort()
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

// The simulated radio's telnet menu, driven by the station's own client,
// script and rules, as the station meets it.
void TestCongestionManager::congestedRadioIsToldToScan()
{
    RadioSimProcess sim({"--velto-telnet-congestion"});
    QVERIFY(sim.port != 0);
    TelnetClient client;
    qint16 state = CongestionScript::kLogin;
    QList<QByteArray> chunks{{}};
    QObject::connect(&client, &TelnetClient::connected,
                     [&] { client.setWaitFor(CongestionScript::loginPrompt()); });
    QObject::connect(&client, &TelnetClient::dataArrival,
                     [&](int count) { chunks << client.receive(count); });
    QObject::connect(&client, &TelnetClient::waitForMatched, [&] {
        const CongestionScript::Step step =
            CongestionScript::advance(state, client.isConnected(), false);
        for (const QByteArray &data : step.sends)
            client.send(data);
        if (step.waitFor)
            client.setWaitFor(*step.waitFor);
        state = step.nextState;
    });
    client.setHost(QStringLiteral("127.0.0.1"));
    client.setPort(sim.port);
    client.connectToRemote();
    QVERIFY(QTest::qWaitFor([&] { return state == CongestionScript::kReading; }, kRadioWaitMs));
    QVERIFY(sim.logged("login accepted"));

    // Each tick reads the last answer and asks for the next one; the menu
    // answers in order, so one wait per request keeps the answers apart.
    const auto isAnswer = [](const QByteArray &chunk) {
        return !chunk.contains("wrlsstat") &&
               WirelessStats::parseAnswer(QString::fromLatin1(chunk)).has_value();
    };
    const auto answered = [&](qsizetype before) {
        return QTest::qWaitFor(
            [&] { return std::any_of(chunks.begin() + before, chunks.end(), isAnswer); },
            kRadioWaitMs);
    };
    WirelessStats stats;
    LinkStatistics link;
    CongestionStatus status;
    stats.balanceCycles = 1; // past the run's first tick
    QVERIFY(answered(0));
    for (int tick = 0; tick < 8 && status.scanningLightIcon != Lamp::Congestion; ++tick) {
        const qsizetype before = chunks.size();
        stats.balancingTick(true, QString::fromLatin1(chunks.last()), link, status,
                            [&](const QByteArray &data) { client.send(data); });
        QVERIFY(answered(before));
    }
    QCOMPARE(status.scanningLightIcon, Lamp::Congestion);
    QVERIFY(sim.logged("blacklist 1: scanning"));

    QSignalSpy closed(&client, &TelnetClient::closed);
    client.send(CongestionScript::exitCommand());
    QVERIFY(sim.logged("exit"));
    client.send(CongestionScript::quitKey());
    QVERIFY(closed.wait(kRadioWaitMs));
    QVERIFY(sim.logged("quit"));
}

QTEST_GUILESS_MAIN(TestCongestionManager)
#include "tst_congestionmanager.moc"
