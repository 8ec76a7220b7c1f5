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

// How an open cycle ends.
enum class End
{
    RadioCloses,
    CloseStep,
    NewRun
};

} // namespace

class TestCongestionManager : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void cycles_data();
    void cycles();
    void cycleEnds_data();
    void cycleEnds();
    void givesUpOnce_data();
    void givesUpOnce();
    void telnetPort_data();
    void telnetPort();
    void congestedRadioIsToldToScan();

private:
    // A tick of the cycle timer; true once the radio has the connection.
    bool openCycle();
    // Answers the prompts until the script has reached the given state
    // (2 to 9), checking what the station writes to each.
    bool answerPromptsUpTo(int state);
    // Sends to the station and waits until the manager has the data.
    bool radioSays(const QByteArray &text);
    bool timersRunning(bool cycle, bool balancing, bool connection) const
    {
        return m->CongestionManagementTimer->isActive() == cycle &&
               m->ChangeCommandForBalancing->isActive() == balancing &&
               m->TelnetConnectionTimer->isActive() == connection;
    }

    std::optional<TestStore> m_store;
    std::optional<MessageRecorder> m_messages;
    std::optional<TelnetPeer> m_radio;
    SessionSettings m_settings;
    MonitorState m_state;
    LinkStatistics m_link;
    CongestionStatus m_status;
    WirelessStats m_stats;
    std::unique_ptr<CongestionManager> m;
    int m_stateReached = 1;
};

void TestCongestionManager::init()
{
    m_store.emplace();
    m_messages.emplace();
    m_radio.emplace();
    m_store->put(QStringLiteral("Preferences"), QStringLiteral("TelnetPort"),
                 QString::number(m_radio->port()));
    m_settings = SessionSettings{};
    m_settings.remoteAddress = QStringLiteral("127.0.0.1");
    m_link = LinkStatistics{};
    m_status = CongestionStatus{};
    m_stats = WirelessStats{};
    m = std::make_unique<CongestionManager>(m_settings, m_state, m_link, m_status, m_stats);
    m->ResetCongestionManagement(); // as at a Velto start
}

void TestCongestionManager::cleanup()
{
    m.reset();
    m_radio.reset();
    m_messages.reset();
    m_store.reset();
}

bool TestCongestionManager::openCycle()
{
    const int connection = m_radio->connections + 1;
    m->CongestionManagementTimer_Timer();
    m_stateReached = 1;
    return TelnetPeer::reaches(m_radio->connections, connection) &&
           QTest::qWaitFor([this] { return m->CongestionManagementTelnet->isConnected(); },
                           kRadioWaitMs);
}

bool TestCongestionManager::radioSays(const QByteArray &text)
{
    QSignalSpy arrived(m->CongestionManagementTelnet, &TelnetClient::dataArrival);
    m_radio->peer->write(text);
    return arrived.wait(kRadioWaitMs);
}

bool TestCongestionManager::answerPromptsUpTo(int state)
{
    const bool newer = m_link.newFirmwareLogin;
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
        if (exchange.reached <= m_stateReached || exchange.reached > state)
            continue;
        if (!radioSays(exchange.prompt) || !m_radio->expect(exchange.written))
            return false;
        m_stateReached = exchange.reached;
    }
    return true;
}

void TestCongestionManager::cycles_data()
{
    QTest::addColumn<bool>("newFirmwareLogin");
    QTest::newRow("older firmware") << false;
    QTest::newRow("newer firmware") << true;
}

void TestCongestionManager::cycles()
{
    QFETCH(bool, newFirmwareLogin);
    m_link.newFirmwareLogin = newFirmwareLogin;
    QSignalSpy centred(m.get(), &CongestionManager::statusCentred);
    const auto counters = [this] {
        const LinkStatistics &l = m_link;
        return QStringList{l.rxPackets,       l.txPackets,      l.rxBytes, l.txBytes,
                           l.txErrors,        l.rxErrors,       l.retries, l.retryErrors,
                           l.wirelessRxBytes, l.wirelessTxBytes}
            .join(' ');
    };
    const QString none = counters();

    const int firstWait = m->CongestionManagementTimer->interval();
    QVERIFY(openCycle());
    QVERIFY(answerPromptsUpTo(9));
    QVERIFY(radioSays("10 20 3000 4000 1 2 5 7\r\n> "));
    // The first tick of the run reads nothing and leaves the radio; the
    // next cycle waits longer after a cycle than the first after the start.
    m->ChangeCommandForBalancing_Timer();
    QVERIFY(m_radio->expect("exit\r\nQ"));
    QVERIFY(TelnetPeer::reaches(m_radio->disconnects, 1));
    QVERIFY(timersRunning(true, false, false));
    QVERIFY(m->CongestionManagementTimer->interval() > firstWait);

    // The next cycle opens a new connection and starts at the login again.
    // A text that runs out ends the tick on the same connection; an echo of
    // the request is no answer, but ends the cycle.
    QVERIFY(openCycle());
    QVERIFY(answerPromptsUpTo(9));
    QVERIFY(radioSays("> "));
    m->ChangeCommandForBalancing_Timer();
    QVERIFY(m_radio->expect("wrlsstat\r\n"));
    QVERIFY(timersRunning(false, true, false));
    QVERIFY(radioSays("wrlsstat\r\n"));
    m->ChangeCommandForBalancing_Timer();
    QVERIFY(m_radio->expect("wrlsstat\r\nexit\r\nQ"));
    QVERIFY(TelnetPeer::reaches(m_radio->disconnects, 2));
    QCOMPARE(counters(), none);

    // An answer with 40 retry errors three ticks into the run: the radio is
    // told to scan. It hangs up as soon as it reads "exit", and the station
    // ends the cycle as usual.
    QVERIFY(openCycle());
    QVERIFY(answerPromptsUpTo(9));
    m_stats.balanceCycles = 3;
    QVERIFY(radioSays("10 20 3000 4000 1 2 5 40\r\n> "));
    QObject::connect(m_radio->peer.get(), &QTcpSocket::readyRead, [this] {
        if (m_radio->fromStation.contains("exit"))
            m_radio->peer->disconnectFromHost();
    });
    m->ChangeCommandForBalancing_Timer();
    QVERIFY(TelnetPeer::reaches(m_radio->disconnects, 3));
    QVERIFY(m_radio->expect("wrlsstat\r\nblacklist\r\nexit\r\n"));
    QCOMPARE(counters(), QStringLiteral("10 20 3000 4000 1 2 5 40 3000 4000"));
    QCOMPARE(m_status.scanningLightIcon, Lamp::Congestion);
    QCOMPARE(centred.size(), 1);
    QVERIFY(timersRunning(true, false, false));
    QVERIFY(m_messages->messages.isEmpty());
}

void TestCongestionManager::cycleEnds_data()
{
    QTest::addColumn<End>("end");
    QTest::newRow("the radio closes while reading") << End::RadioCloses;
    QTest::newRow("close step") << End::CloseStep;
    QTest::newRow("a new Velto run") << End::NewRun;
}

void TestCongestionManager::cycleEnds()
{
    QFETCH(End, end);
    QVERIFY(openCycle());
    QVERIFY(answerPromptsUpTo(9));

    m_status.scanningLightIcon = Lamp::Congestion;
    if (end == End::RadioCloses) {
        QSignalSpy closed(m->CongestionManagementTelnet, &TelnetClient::closed);
        m_radio->peer->disconnectFromHost();
        QVERIFY(closed.wait(kRadioWaitMs));
        // The tick finds the connection gone and only schedules the next cycle.
        QVERIFY(timersRunning(false, true, false));
        m->ChangeCommandForBalancing_Timer();
        QVERIFY(timersRunning(true, false, false));
        QVERIFY(m_radio->fromStation.isEmpty());
    } else {
        if (end == End::NewRun) {
            m->stopCycles();
            m->ResetCongestionManagement();
        } else {
            m->CloseCongestionManagementTelnet();
        }
        QVERIFY(timersRunning(false, false, false));
        QVERIFY(m_radio->expect("\r\nexit\r\nQ"));
        QVERIFY(TelnetPeer::reaches(m_radio->disconnects, 1));
    }
    QCOMPARE(m_status.scanningLightIcon, end == End::NewRun ? Lamp::Scanning : Lamp::Congestion);
    QVERIFY(!m->CongestionManagementTelnet->isConnected());
    QVERIFY(m_messages->messages.isEmpty());
    if (end == End::NewRun) {
        // Its first cycle opens a connection of its own and logs in.
        QVERIFY(openCycle());
        QVERIFY(answerPromptsUpTo(2));
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
    QVERIFY(openCycle());
    QVERIFY(timersRunning(false, false, true));
    if (flooding)
        m_radio->flood();
    else
        m->TelnetConnectionTimer_Timer();

    // The operator is told once; no further attempt in this run.
    QCOMPARE(m_messages->messages.size(), 1);
    QVERIFY(timersRunning(false, false, false));
    QVERIFY(TelnetPeer::reaches(m_radio->disconnects, 1));
    QVERIFY(!m->CongestionManagementTelnet->isConnected());
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

    TestStore store; // of this test's own, without the radio's port
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
