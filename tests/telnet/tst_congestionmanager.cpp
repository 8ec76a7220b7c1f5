// Congestion management against a radio played by the test on 127.0.0.1:
// what the station writes, when it gives up, and which timers run afterwards.
#include "RadioFixture.h"
#include "TestSupport.h"
#include "app/CongestionStatus.h"
#include "app/Records.h"
#include "telnet/CongestionManager.h"
#include "telnet/TelnetClient.h"
#include "telnet/WirelessStats.h"

#include <QSignalSpy>
#include <QTcpSocket>
#include <QTimer>
#include <QtTest>

namespace {

const QByteArray kAnswer = "10 20 3000 4000 1 2 5 7\r\n> ";
const QByteArray kGoodbye = "\r\nexit\r\nQ";

enum class Peer
{
    Silent,
    Absent,
    Flooding
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
    void closedByTheRadio_data();
    void closedByTheRadio();
    void givesUpOnce_data();
    void givesUpOnce();
    void congestion_data();
    void congestion();
    void openCycleEnds_data();
    void openCycleEnds();

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

    QVERIFY(openCycle());
    QVERIFY(timersRunning(false, false, true));
    QVERIFY(answerPromptsUpTo(2));
    QVERIFY(timersRunning(false, false, false)); // the first prompt ends the wait
    QVERIFY(answerPromptsUpTo(9));
    QVERIFY(timersRunning(false, true, false));
    QVERIFY(radioSays(kAnswer));

    // The first tick of the run reads nothing and leaves the radio.
    m->ChangeCommandForBalancing_Timer();
    QVERIFY(m_radio->expect("exit\r\nQ"));
    QVERIFY(TelnetPeer::reaches(m_radio->disconnects, 1));
    QVERIFY(m_link.rxPackets.isEmpty());
    QVERIFY(timersRunning(true, false, false));
    QCOMPARE(m->CongestionManagementTimer->interval(), 10000);

    // The next cycle opens a new connection and starts at the login again.
    QVERIFY(openCycle());
    QVERIFY(answerPromptsUpTo(9));
    // A text that runs out ends the tick on the same connection.
    QVERIFY(radioSays("> "));
    m->ChangeCommandForBalancing_Timer();
    QVERIFY(m_radio->expect("wrlsstat\r\n"));
    QVERIFY(timersRunning(false, true, false));
    QVERIFY(m->CongestionManagementTelnet->isConnected());
    // The next tick reads what came by then; the radio hangs up as soon as
    // it reads "exit", and the station ends the cycle as usual.
    QVERIFY(radioSays(kAnswer));
    QObject::connect(m_radio->peer.get(), &QTcpSocket::readyRead, [this] {
        if (m_radio->fromStation.contains("exit"))
            m_radio->peer->disconnectFromHost();
    });
    m->ChangeCommandForBalancing_Timer();
    QVERIFY(TelnetPeer::reaches(m_radio->disconnects, 2));
    QVERIFY(m_radio->expect("wrlsstat\r\nexit\r\n"));
    QCOMPARE(m_link.rxPackets, QStringLiteral("10"));
    QCOMPARE(m_link.wirelessTxBytes, QStringLiteral("4000"));
    QVERIFY(timersRunning(true, false, false));
    QVERIFY(m_messages->messages.isEmpty());
}

void TestCongestionManager::closedByTheRadio_data()
{
    QTest::addColumn<int>("state");
    QTest::newRow("before the login prompt") << 1;
    QTest::newRow("waiting for the banner") << 2;
    QTest::newRow("reading") << 9;
}

void TestCongestionManager::closedByTheRadio()
{
    QFETCH(int, state);
    QVERIFY(openCycle());
    QVERIFY(answerPromptsUpTo(state));
    QSignalSpy closed(m->CongestionManagementTelnet, &TelnetClient::closed);
    m_radio->peer->disconnectFromHost();
    QVERIFY(closed.wait(kRadioWaitMs));

    // Before the first prompt the connection timer still runs: the radio is
    // given up at its tick, as when it never prompts. Before reading, no
    // cycle follows; while reading, the tick only schedules the next cycle.
    QVERIFY(timersRunning(false, state == 9, state == 1));
    QVERIFY(m_messages->messages.isEmpty());
    if (state == 9) {
        m->ChangeCommandForBalancing_Timer();
        QVERIFY(timersRunning(true, false, false));
        QVERIFY(m_radio->fromStation.isEmpty());
        QVERIFY(m_messages->messages.isEmpty());
    }
}

void TestCongestionManager::givesUpOnce_data()
{
    QTest::addColumn<Peer>("radio");
    QTest::newRow("radio that never prompts") << Peer::Silent;
    QTest::newRow("nothing listening") << Peer::Absent;
    QTest::newRow("radio that never stops talking") << Peer::Flooding;
}

void TestCongestionManager::givesUpOnce()
{
    QFETCH(Peer, radio);
    if (radio == Peer::Absent)
        m_radio->server.close();
    m->CongestionManagementTimer_Timer();
    QVERIFY(timersRunning(false, false, true));
    if (radio == Peer::Absent) {
        QVERIFY(
            QSignalSpy(m->CongestionManagementTelnet, &TelnetClient::message).wait(kRadioWaitMs));
    } else {
        QVERIFY(TelnetPeer::reaches(m_radio->connections, 1));
        QVERIFY(QTest::qWaitFor([this] { return m->CongestionManagementTelnet->isConnected(); },
                                kRadioWaitMs));
    }
    if (radio == Peer::Flooding) {
        m_radio->flood();
        QCOMPARE(m_radio->disconnects, 1);
    } else {
        m->TelnetConnectionTimer_Timer();
    }

    QCOMPARE(m_messages->messages.size(), 1);
    const OperatorMessage &message = m_messages->messages.first();
    QCOMPARE(message.icon, MessageIcon::Exclamation);
    QVERIFY(message.text.startsWith(
        QStringLiteral("At this time, the Monitoring Window is unable to establish\r\n")));
    // No further attempt in this run.
    QVERIFY(timersRunning(false, false, false));
    if (radio == Peer::Silent)
        QVERIFY(TelnetPeer::reaches(m_radio->disconnects, 1));
    QVERIFY(!m->CongestionManagementTelnet->isConnected());
}

void TestCongestionManager::congestion_data()
{
    QTest::addColumn<bool>("scanning");
    QTest::newRow("radio associated") << false;
    QTest::newRow("radio already scanning") << true;
}

void TestCongestionManager::congestion()
{
    QFETCH(bool, scanning);
    QSignalSpy centred(m.get(), &CongestionManager::statusCentred);
    QVERIFY(openCycle());
    QVERIFY(answerPromptsUpTo(9));
    // Three ticks of this run have passed; 40 retry errors in the interval.
    m_stats.balanceCycles = 3;
    m_link.radioScanning = scanning;
    QVERIFY(radioSays("1 2 3 4 5 6 7 40\r\n> "));
    m->ChangeCommandForBalancing_Timer();

    QVERIFY(
        m_radio->expect(scanning ? "wrlsstat\r\nexit\r\nQ" : "wrlsstat\r\nblacklist\r\nexit\r\nQ"));
    QCOMPARE(m_status.scanningLightIcon, scanning ? Lamp::Scanning : Lamp::Congestion);
    QCOMPARE(centred.size(), scanning ? 0 : 1);
}

void TestCongestionManager::openCycleEnds_data()
{
    QTest::addColumn<bool>("newRun"); // otherwise the close step
    QTest::newRow("close step") << false;
    QTest::newRow("a new Velto run") << true;
}

void TestCongestionManager::openCycleEnds()
{
    QFETCH(bool, newRun);
    QVERIFY(openCycle());
    QVERIFY(answerPromptsUpTo(9));

    if (newRun) {
        m_status.scanningLightIcon = Lamp::Congestion;
        m->stopCycles();
        m->ResetCongestionManagement();
        QCOMPARE(m_status.scanningLightIcon, Lamp::Scanning);
    } else {
        m->CloseCongestionManagementTelnet();
        QVERIFY(timersRunning(false, false, false));
    }
    QVERIFY(m_radio->expect(kGoodbye));
    QVERIFY(TelnetPeer::reaches(m_radio->disconnects, 1));
    QVERIFY(!m->CongestionManagementTelnet->isConnected());
    if (newRun) {
        // Its first cycle opens a connection of its own and logs in.
        QVERIFY(openCycle());
        QCOMPARE(m_radio->connections, 2);
        QVERIFY(answerPromptsUpTo(2));
    }
}

QTEST_GUILESS_MAIN(TestCongestionManager)
#include "tst_congestionmanager.moc"
