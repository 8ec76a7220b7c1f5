// The Velto monitor against net-snmp's own snmpd on a loopback port, whose
// timers drive the polls: the start and an associated radio's poll, then the
// agent dies (SIGKILL) in the middle of a poll or between polls and later
// comes back on the same port. The station gives the radio up once, with the
// operator's message, and Resume Monitoring polls the agent again as before.
#include "SnmpAgentFixture.h"
#include "TestSupport.h"
#include "app/CongestionStatus.h"
#include "app/Records.h"
#include "snmp/VeltoMonitor.h"

#include <QSignalSpy>
#include <QtTest>

using namespace OidCatalogue;

namespace {

constexpr int kWaitMs = 30000;

// An associated remote on firmware 4.8.0.
QStringList radioObjects()
{
    const QList<QPair<int, const char *>> objects = {
        {DeviceMode, "integer 2"},       {RssiThreshold, "integer -85"},
        {SnrThreshold, "integer 5"},     {FirmwareVersion, "octet_str v4.8.0"},
        {FeatureIndicator, "integer 1"}, {ConnectionState, "integer 5"},
        {Rssi, "integer -70"},           {RxOctets, "counter 12345"}};
    QStringList lines;
    for (const auto &[index, typeAndValue] : objects)
        lines << LookupOid(index) + ' ' + typeAndValue;
    return lines;
}

// A Velto monitor with records of its own asking snmpd, through its relay or
// straight.
struct Station
{
    explicit Station(bool throughRelay)
    {
        store.put("Preferences", "SNMPPort",
                  QString::number(throughRelay ? agent.port() : agent.agentPort()));
        settings.remoteAddress = "127.0.0.1";
        // The window's stop, as far as the monitor is concerned.
        QObject::connect(&monitor, &VeltoMonitor::stopRequested, &monitor,
                         &VeltoMonitor::stopMonitoring);
        monitor.SNMPTimeoutTimer->setInterval(300); // the wait for an answer, shortened
    }

    TestStore store;
    MessageRecorder messages;
    TerminationRecorder terminations;
    SnmpdAgent agent{radioObjects()};
    SessionSettings settings;
    MonitorState state;
    LinkStatistics link;
    CongestionStatus congestion;
    VeltoMonitor monitor{settings, state, link, congestion};
};

} // namespace

class TestSnmpAgentRestart : public QObject
{
    Q_OBJECT
private slots:
    void giveUpThenResume_data()
    {
        // Through the relay the station's requests reach a port that is still
        // open and are never answered; straight to snmpd they reach a closed port,
        // which the system answers with "port unreachable".
        QTest::addColumn<bool>("throughRelay"); // killed in a poll, else between polls
        QTest::addColumn<bool>("resumedEarly"); // once while the agent is still down
        QTest::newRow("killed in the middle of a poll") << true << false;
        QTest::newRow("killed between polls, its port closed") << false << false;
        QTest::newRow("killed in a poll, resumed before it is back") << true << true;
        QTest::newRow("port closed, resumed before it is back") << false << true;
    }

    void giveUpThenResume()
    {
        QFETCH(bool, throughRelay);
        QFETCH(bool, resumedEarly);
        Station s(throughRelay);
        QVERIFY2(s.agent.isRunning(), qPrintable(s.agent.failure()));
        s.monitor.StartVeltoMonitoring();
        QTRY_COMPARE_WITH_TIMEOUT(s.link.rxBytes, "12345", kWaitMs);

        // The agent dies, now or at the next RSSI request of a poll. No poll
        // runs while the operator reads the message.
        bool killedInPoll = false;
        if (throughRelay)
            s.agent.onRequest[Rssi] = [&] {
                if (!std::exchange(killedInPoll, true))
                    s.agent.kill();
            };
        else
            s.agent.kill();
        std::optional<bool> pollingDuringMessage;
        s.messages.onShow = [&](const OperatorMessage &) {
            pollingDuringMessage = s.monitor.SNMPTimer->isActive();
        };
        QTRY_COMPARE_WITH_TIMEOUT(s.messages.messages.size(), 1, kWaitMs);
        QCOMPARE(killedInPoll, throughRelay);
        QCOMPARE(pollingDuringMessage, std::optional<bool>(false));
        QCOMPARE(s.messages.titles(), QStringList{"Connection Error"});
        QVERIFY(s.state.monitoringStopped && !s.monitor.SNMPTimer->isActive());
        QCOMPARE(s.state.snmpTimeoutCount, 0);

        // Resumed while the radio is still silent: the start gives it up again.
        if (resumedEarly) {
            s.monitor.resumeMonitoring();
            QCOMPARE(s.messages.titles(), QStringList(2, "Connection Error"));
            QVERIFY(s.state.monitoringStopped && !s.monitor.SNMPTimer->isActive());
        }

        // The agent comes back; the operator resumes.
        QVERIFY2(s.agent.restart(), qPrintable(s.agent.failure()));
        s.link = LinkStatistics{};
        s.monitor.resumeMonitoring();
        QVERIFY(!s.state.monitoringStopped && s.monitor.SNMPTimer->isActive());
        QCOMPARE(s.link.firmwareVersion, "480");
        QTRY_COMPARE_WITH_TIMEOUT(s.link.rxBytes, "12345", kWaitMs);
        QCOMPARE(s.state.snmpTimeoutCount, 0);
        QCOMPARE(s.messages.messages.size(), resumedEarly ? 2 : 1); // nothing more to tell
        QCOMPARE(s.terminations.count, 0);
    }
};

QTEST_GUILESS_MAIN(TestSnmpAgentRestart)
#include "tst_snmpagentrestart.moc"
