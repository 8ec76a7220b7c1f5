// Congestion management against a radio played by the test on 127.0.0.1:
// what the station writes, when it gives up, and which timers run afterwards;
// and the manager against the simulated radio.
#include "RadioFixture.h"
#include "TestSupport.h"
#include "app/CongestionStatus.h"
#include "app/Records.h"
#include "telnet/CongestionManager.h"
#include "telnet/CongestionScript.h"
#include "telnet/TelnetClient.h"
#include "telnet/WirelessStats.h"

#include <QSignalSpy>
#include <QTimer>
#include <QtTest>
#include <tuple>

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

    // The radio the test plays, or another on telnetPort.
    explicit VeltoRun(quint16 telnetPort = 0)
    {
        store.put("Preferences", "TelnetPort",
                  QString::number(telnetPort ? telnetPort : radio.port()));
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
        const std::tuple<int, QByteArray, QByteArray> exchanges[] = {
            {2, "\r\nVelto Remote\r\nlogin: ", newer ? "ko731rb\r\n" : "qa482tm\r\n"},
            {3, "\r\nPress 'G' to go to Main Menu\r\n", "G"},
            {4, "\r\n  I) Command Line\r\n  Q) Quit - exit the menu\r\nEnter selection: ",
             newer ? "J\r\n" : "I\r\n"},
            {5, "\r\n> ", "wrlsstat\r\n\r\n"},
            {8, "> ", "\r\n"},
            {9, "> ", "wrlsstat\r\n"},
        };
        for (const auto &[reached, prompt, written] : exchanges)
            if (reached <= state && (!radioSays(prompt) || !radio.expect(written)))
                return false;
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
    void cycles_data()
    {
        QTest::addColumn<bool>("newFirmwareLogin");
        QTest::newRow("older firmware") << false;
        QTest::newRow("newer firmware") << true;
    }

    void cycles()
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
        // told to scan and the statistics are copied.
        QVERIFY(run.openCycle());
        QVERIFY(run.logIn(9));
        run.stats.balanceCycles = 3;
        QVERIFY(run.radioSays("10 20 3000 4000 1 2 5 40\r\n> "));
        run.m.ChangeCommandForBalancing_Timer();
        QVERIFY(run.radio.expect("wrlsstat\r\nblacklist\r\nexit\r\nQ"));
        QCOMPARE(run.counters(), QStringLiteral("10 20 3000 4000 1 2 5 40 3000 4000"));
        QCOMPARE(centred.size(), 1);
    }

    void cycleEnds_data()
    {
        QTest::addColumn<QString>("end"); // how the open cycle ends
        QTest::newRow("the radio closes while reading") << "radio closes";
        QTest::newRow("close step") << "close step";
        QTest::newRow("a new Velto run") << "new run";
    }

    void cycleEnds()
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
        QCOMPARE(run.status.scanningLightIcon,
                 end == "new run" ? Lamp::Scanning : Lamp::Congestion);
        QVERIFY(!run.m.CongestionManagementTelnet->isConnected());
        QVERIFY(run.messages.messages.isEmpty());
        if (end == "new run") {
            // Its first cycle opens a connection of its own and logs in.
            QVERIFY(run.openCycle());
            QVERIFY(run.logIn(2));
        }
    }

    void givesUpOnce_data()
    {
        QTest::addColumn<bool>("flooding"); // otherwise silent
        QTest::newRow("radio that never prompts") << false;
        QTest::newRow("radio that never stops talking") << true;
    }

    void givesUpOnce()
    {
        VeltoRun run;
        QVERIFY(run.openCycle());
        QVERIFY(run.timersRunning(false, false, true));
        if (fetched<bool>("flooding"))
            run.radio.flood();
        else
            run.m.TelnetConnectionTimer_Timer();

        // The operator is told once; no further attempt in this run.
        QCOMPARE(run.messages.messages.size(), 1);
        QVERIFY(run.timersRunning(false, false, false));
        QVERIFY(TelnetPeer::reaches(run.radio.disconnects, 1));
        QVERIFY(!run.m.CongestionManagementTelnet->isConnected());
    }

    void telnetPort_data()
    {
        QTest::addColumn<bool>("stored");
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("port");

        QTest::newRow("missing") << false << "" << 23;
        QTest::newRow("leading number") << true << "8023 (lab)" << 8023;
        QTest::newRow("lowest") << true << "1" << 1;
        QTest::newRow("highest") << true << "65535" << 65535;
        QTest::newRow("zero") << true << "0" << 23;
        QTest::newRow("beyond the range") << true << "65536" << 23;
    }

    void telnetPort()
    {
        QFETCH(bool, stored);

        TestStore store;
        if (stored)
            store.put("Preferences", "TelnetPort", fetched<QString>("text"));
        QTEST(int(CongestionScript::telnetPort()), "port");
        // Reading never writes the key.
        QCOMPARE(store.raw("Preferences", "TelnetPort").has_value(), stored);
    }

    // The simulated radio's telnet menu as the station meets it: cycle after
    // cycle it logs in, reads the statistics and leaves, until the congested
    // radio is told to scan.
    void congestedRadioIsToldToScan()
    {
        RadioSimProcess sim({"--velto-telnet-congestion"});
        QVERIFY(sim.port != 0);
        VeltoRun run(sim.port);
        run.stats.balanceCycles = 1; // past the run's first tick
        run.m.ChangeCommandForBalancing->setInterval(500);
        for (int cycle = 0; cycle < 10 && run.status.scanningLightIcon != Lamp::Congestion;
             ++cycle) {
            run.m.CongestionManagementTimer_Timer();
            // A cycle that has left the radio schedules the next one.
            QVERIFY(QTest::qWaitFor([&] { return run.m.CongestionManagementTimer->isActive(); },
                                    kRadioWaitMs));
        }
        QCOMPARE(run.status.scanningLightIcon, Lamp::Congestion);
        QVERIFY(sim.logged("login accepted"));
        QVERIFY(sim.logged("blacklist 1: scanning"));
        QVERIFY(sim.logged("quit"));
        QVERIFY(run.messages.messages.isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestCongestionManager)
#include "tst_congestionmanager.moc"
