// The monitoring window's congestion cycle against a radio played by the
// test on 127.0.0.1: what the station writes, when it gives up, and which
// timers run afterwards.
#include "TestSupport.h"
#include "app/Records.h"
#include "monitor/KavomonitoringForm.h"
#include "telnet/CongestionStatus.h"
#include "telnet/TelnetX.h"
#include "telnet/WirelessStats.h"

#include <QLabel>
#include <QPointer>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>
#include <QtTest>
#include <memory>
#include <utility>

namespace {

constexpr int kWaitMs = 5000;
const QByteArray kAnswer = "10 20 3000 4000 1 2 5 7\r\n> ";
const QByteArray kReadAndLeave = "wrlsstat\r\nexit\r\nQ";
const QByteArray kGoodbye = "\r\nexit\r\nQ";

enum class CycleEnd
{
    CloseStep,
    WindowDestroyed,
    NewRun
};

// The radio's side of the connection, one connection at a time.
struct Radio
{
    Radio()
    {
        QVERIFY(server.listen(QHostAddress::LocalHost, 0));
        QObject::connect(&server, &QTcpServer::newConnection, [this] {
            peer.reset(server.nextPendingConnection());
            ++connections;
            QObject::connect(peer.get(), &QTcpSocket::readyRead,
                             [this] { fromStation += peer->readAll(); });
            QObject::connect(peer.get(), &QTcpSocket::disconnected, [this] { ++disconnects; });
        });
    }
    static bool reaches(const int &counter, int count)
    {
        return QTest::qWaitFor([&] { return counter >= count; }, kWaitMs);
    }
    // Waits until the station has written exactly this since the last take.
    bool expect(const QByteArray &text)
    {
        // A shorter text shows as a mismatch below.
        (void)QTest::qWaitFor([&] { return fromStation.size() >= text.size(); }, kWaitMs);
        const QByteArray got = std::exchange(fromStation, {});
        if (got != text)
            qWarning() << "station wrote" << got << "instead of" << text;
        return got == text;
    }

    QTcpServer server;
    std::unique_ptr<QTcpSocket> peer;
    QByteArray fromStation;
    int connections = 0;
    int disconnects = 0;
};

} // namespace

class TestCongestionWindow : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void cycles_data();
    void cycles();
    void closedByTheRadio_data();
    void closedByTheRadio();
    void noPromptGivesUpOnce_data();
    void noPromptGivesUpOnce();
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
    // Sends to the station and waits until the window has the data.
    bool radioSays(const QByteArray &text);
    TelnetX *telnet() const
    {
        return m_window->findChild<TelnetX *>(QStringLiteral("CongestionManagementTelnet"));
    }

    std::optional<TestStore> m_store;
    std::optional<MessageRecorder> m_messages;
    std::optional<Radio> m_radio;
    QPointer<KavomonitoringForm> m_window;
    int m_stateReached = 1;
};

void TestCongestionWindow::init()
{
    m_store.emplace();
    m_messages.emplace();
    wirelessStats = WirelessStats{};
    m_radio.emplace();
    m_store->put(QStringLiteral("Preferences"), QStringLiteral("TelnetPort"),
                 QString::number(m_radio->server.serverPort()));
    sessionSettings.remoteAddress = QStringLiteral("127.0.0.1");
    m_window = new KavomonitoringForm;
    m_window->ResetCongestionManagement(); // as at a Velto start
}

void TestCongestionWindow::cleanup()
{
    delete m_window;
    m_radio.reset();
    m_messages.reset();
    m_store.reset();
}

bool TestCongestionWindow::openCycle()
{
    const int connection = m_radio->connections + 1;
    m_window->CongestionManagementTimer_Timer();
    m_stateReached = 1;
    return Radio::reaches(m_radio->connections, connection) &&
           QTest::qWaitFor([this] { return telnet() && telnet()->isConnected(); }, kWaitMs);
}

bool TestCongestionWindow::radioSays(const QByteArray &text)
{
    QSignalSpy arrived(telnet(), &TelnetX::dataArrival);
    m_radio->peer->write(text);
    return arrived.wait(kWaitMs);
}

bool TestCongestionWindow::answerPromptsUpTo(int state)
{
    const bool newer = linkStatistics.newFirmwareLogin;
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

void TestCongestionWindow::cycles_data()
{
    QTest::addColumn<bool>("newFirmwareLogin");
    QTest::newRow("older firmware") << false;
    QTest::newRow("newer firmware") << true;
}

void TestCongestionWindow::cycles()
{
    QFETCH(bool, newFirmwareLogin);
    KavomonitoringForm &w = *m_window;
    linkStatistics.newFirmwareLogin = newFirmwareLogin;

    QVERIFY(openCycle());
    QVERIFY(!w.CongestionManagementTimer->isActive());
    QVERIFY(w.TelnetConnectionTimer->isActive());
    QVERIFY(answerPromptsUpTo(2));
    QVERIFY(!w.TelnetConnectionTimer->isActive()); // the first prompt ends the wait
    QVERIFY(answerPromptsUpTo(8));
    QVERIFY(!w.ChangeCommandForBalancing->isActive());
    QVERIFY(answerPromptsUpTo(9));
    QVERIFY(w.ChangeCommandForBalancing->isActive());
    QVERIFY(radioSays(kAnswer));

    // The first tick of the run reads nothing and leaves the radio.
    w.ChangeCommandForBalancing_Timer();
    QVERIFY(m_radio->expect("exit\r\nQ"));
    QVERIFY(Radio::reaches(m_radio->disconnects, 1));
    QVERIFY(linkStatistics.rxPackets.isEmpty());
    QVERIFY(!w.ChangeCommandForBalancing->isActive());
    QVERIFY(w.CongestionManagementTimer->isActive());
    QCOMPARE(w.CongestionManagementTimer->interval(), 10000);

    // The next cycle opens a new connection and starts at the login again.
    QVERIFY(openCycle());
    QCOMPARE(m_radio->connections, 2);
    QVERIFY(answerPromptsUpTo(9));
    // A text that runs out ends the tick on the same connection.
    QVERIFY(radioSays("> "));
    w.ChangeCommandForBalancing_Timer();
    QVERIFY(m_radio->expect("wrlsstat\r\n"));
    QVERIFY(w.ChangeCommandForBalancing->isActive());
    QVERIFY(!w.CongestionManagementTimer->isActive());
    QVERIFY(telnet()->isConnected());
    QVERIFY(linkStatistics.rxPackets.isEmpty());
    // The next tick reads what came by then; the radio hangs up as soon as
    // it reads "exit", and the station ends the cycle as usual.
    QVERIFY(radioSays(kAnswer));
    QObject::connect(m_radio->peer.get(), &QTcpSocket::readyRead, [this] {
        if (m_radio->fromStation.contains("exit"))
            m_radio->peer->disconnectFromHost();
    });
    w.ChangeCommandForBalancing_Timer();
    QVERIFY(Radio::reaches(m_radio->disconnects, 2));
    QVERIFY(m_radio->expect("wrlsstat\r\nexit\r\n"));
    QCOMPARE(linkStatistics.rxPackets, QStringLiteral("10"));
    QCOMPARE(linkStatistics.wirelessTxBytes, QStringLiteral("4000"));
    QCOMPARE(linkStatistics.retryErrors, QStringLiteral("7"));
    QVERIFY(!w.ChangeCommandForBalancing->isActive());
    QVERIFY(w.CongestionManagementTimer->isActive());

    QVERIFY(openCycle());
    QVERIFY(answerPromptsUpTo(2));
    QVERIFY(m_messages->messages.isEmpty());
}

void TestCongestionWindow::closedByTheRadio_data()
{
    QTest::addColumn<int>("state");
    QTest::newRow("before the login prompt") << 1;
    QTest::newRow("waiting for the banner") << 2;
    QTest::newRow("waiting for the second prompt") << 5;
    QTest::newRow("waiting for the third prompt") << 8;
    QTest::newRow("reading") << 9;
}

void TestCongestionWindow::closedByTheRadio()
{
    QFETCH(int, state);
    KavomonitoringForm &w = *m_window;

    QVERIFY(openCycle());
    QVERIFY(answerPromptsUpTo(state));
    QSignalSpy closed(telnet(), &TelnetX::closed);
    m_radio->peer->disconnectFromHost();
    QVERIFY(closed.wait(kWaitMs));

    // Before the first prompt the connection timer still runs: the radio is
    // given up at its tick, once, as when it never prompts. Before reading,
    // no cycle follows.
    const bool prompted = state > 1;
    QCOMPARE(w.TelnetConnectionTimer->isActive(), !prompted);
    QVERIFY(!w.CongestionManagementTimer->isActive());
    QCOMPARE(w.ChangeCommandForBalancing->isActive(), state == 9);
    QVERIFY(m_messages->messages.isEmpty());
    if (!prompted) {
        w.TelnetConnectionTimer_Timer();
        QCOMPARE(m_messages->titles(), QStringList{QStringLiteral("Error")});
        QVERIFY(!w.CongestionManagementTimer->isActive());
    }
    if (state == 9) {
        // Without a connection the tick only schedules the next cycle.
        w.ChangeCommandForBalancing_Timer();
        QVERIFY(w.CongestionManagementTimer->isActive());
        QVERIFY(m_radio->fromStation.isEmpty());
        QVERIFY(m_messages->messages.isEmpty());
    }
}

void TestCongestionWindow::noPromptGivesUpOnce_data()
{
    QTest::addColumn<bool>("listening");
    QTest::newRow("radio that never prompts") << true;
    QTest::newRow("nothing listening") << false;
}

void TestCongestionWindow::noPromptGivesUpOnce()
{
    QFETCH(bool, listening);
    KavomonitoringForm &w = *m_window;

    if (!listening)
        m_radio->server.close();
    w.CongestionManagementTimer_Timer();
    QVERIFY(w.TelnetConnectionTimer->isActive());
    QCOMPARE(w.TelnetConnectionTimer->interval(), 30001);
    if (listening)
        QVERIFY(Radio::reaches(m_radio->connections, 1));
    else
        QVERIFY(QSignalSpy(telnet(), &TelnetX::message).wait(kWaitMs));

    w.TelnetConnectionTimer_Timer();
    QCOMPARE(m_messages->messages.size(), 1);
    const OperatorMessage &message = m_messages->messages.first();
    QCOMPARE(message.title, QStringLiteral("Error"));
    QCOMPARE(message.icon, MessageIcon::Exclamation);
    QCOMPARE(message.text,
             QStringLiteral("At this time, the Monitoring Window is unable to establish\r\n"
                            "a telnet connection with the remote.  The program will continue\r\n"
                            "to work correctly with out Wireless Data Logging features.  To "
                            "Allow\r\n"
                            "for Wireless Data Logging, the Velto remote must be restarted."));
    // No further attempt in this run.
    QVERIFY(!w.TelnetConnectionTimer->isActive());
    QVERIFY(!w.CongestionManagementTimer->isActive());
    QVERIFY(!w.ChangeCommandForBalancing->isActive());
    if (listening)
        QVERIFY(Radio::reaches(m_radio->disconnects, 1));
    QVERIFY(!telnet()->isConnected());
}

void TestCongestionWindow::congestion_data()
{
    QTest::addColumn<bool>("scanning");
    QTest::newRow("radio associated") << false;
    QTest::newRow("radio already scanning") << true;
}

void TestCongestionWindow::congestion()
{
    QFETCH(bool, scanning);
    KavomonitoringForm &w = *m_window;
    w.status->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);

    QVERIFY(openCycle());
    QVERIFY(answerPromptsUpTo(9));
    // Three ticks of this run have passed; 40 retry errors in the interval.
    wirelessStats.balanceCycles = 3;
    linkStatistics.radioScanning = scanning;
    QVERIFY(radioSays("1 2 3 4 5 6 7 40\r\n> "));
    w.ChangeCommandForBalancing_Timer();

    QVERIFY(m_radio->expect(scanning ? kReadAndLeave : "wrlsstat\r\nblacklist\r\nexit\r\nQ"));
    QCOMPARE(congestionStatus.congestionStatusText,
             scanning ? QString() : QStringLiteral("Scanning due to Congestion"));
    QCOMPARE(congestionStatus.scanningLightIcon, scanning ? 103 : 104);
    QCOMPARE(w.status->alignment() & Qt::AlignHorizontal_Mask,
             Qt::Alignment(scanning ? Qt::AlignLeft : Qt::AlignHCenter));
}

void TestCongestionWindow::openCycleEnds_data()
{
    QTest::addColumn<CycleEnd>("end");
    QTest::newRow("close step") << CycleEnd::CloseStep;
    QTest::newRow("window destroyed") << CycleEnd::WindowDestroyed;
    QTest::newRow("a new Velto run") << CycleEnd::NewRun;
}

void TestCongestionWindow::openCycleEnds()
{
    QFETCH(CycleEnd, end);
    QVERIFY(openCycle());
    QVERIFY(answerPromptsUpTo(9));

    if (end == CycleEnd::CloseStep) {
        m_window->CloseCongestionManagementTelnet();
        QVERIFY(!m_window->ChangeCommandForBalancing->isActive());
        QVERIFY(!telnet()->isConnected());
    } else if (end == CycleEnd::WindowDestroyed) {
        delete m_window;
    } else {
        // A new run stops the congestion timers and resets the cycle.
        congestionStatus.scanningLightIcon = 104;
        m_window->CongestionManagementTimer->stop();
        m_window->ChangeCommandForBalancing->stop();
        m_window->ResetCongestionManagement();
        QCOMPARE(congestionStatus.scanningLightIcon, 103);
    }
    QVERIFY(m_radio->expect(kGoodbye));
    QVERIFY(Radio::reaches(m_radio->disconnects, 1));
    if (end == CycleEnd::NewRun) {
        // Its first cycle opens a connection of its own and logs in.
        QVERIFY(openCycle());
        QCOMPARE(m_radio->connections, 2);
        QVERIFY(answerPromptsUpTo(2));
    }
}

QTEST_MAIN(TestCongestionWindow)
#include "tst_congestionwindow.moc"
