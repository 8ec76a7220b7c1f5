// The Velto monitor against net-snmp's own snmpd on a loopback port, whose
// timers drive the polls: the start and an associated radio's poll, then the
// agent dies (SIGKILL) between polls and later comes back on the same port. The station gives the
// radio up once, with the operator's message, and Resume Monitoring polls the agent again as
// before.
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

// A Velto monitor with records of its own asking snmpd straight.
struct Station
{
    Station()
    {
        store.put("Preferences", "SNMPPort", QString::number(agent.port()));
        settings.remoteAddress = "127.0.0.1";
        // The window's stop, as far as the monitor is concerned.
        QObject::connect(&monitor, &VeltoMonitor::stopRequested, &monitor,
                         &VeltoMonitor::stopMonitoring);
        monitor.SNMPTimeoutTimer->setInterval(300); // the wait for an answer, shortened
    }

    TestStore store;
    MessageRecorder messages;
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
    // The station's requests reach a closed port, which the system answers with
    // "port unreachable".
    void giveUpThenResume()
    {
        Station s;
        QVERIFY2(s.agent.isRunning(), qPrintable(s.agent.failure()));
        s.monitor.StartVeltoMonitoring();
        QTRY_COMPARE_WITH_TIMEOUT(s.link.rxBytes, "12345", kWaitMs);

        // No poll runs while the operator reads the message.
        s.agent.kill();
        std::optional<bool> pollingDuringMessage;
        s.messages.onShow = [&](const OperatorMessage &) {
            pollingDuringMessage = s.monitor.SNMPTimer->isActive();
        };
        QTRY_COMPARE_WITH_TIMEOUT(s.messages.messages.size(), 1, kWaitMs);
        QCOMPARE(pollingDuringMessage, std::optional<bool>(false));
        QCOMPARE(s.messages.titles(), QStringList{"Connection Error"});
        QVERIFY(s.state.monitoringStopped && !s.monitor.SNMPTimer->isActive());

        // The agent comes back; the operator resumes.
        QVERIFY2(s.agent.restart(), qPrintable(s.agent.failure()));
        s.link = LinkStatistics{};
        s.monitor.resumeMonitoring();
        QTRY_COMPARE_WITH_TIMEOUT(s.link.rxBytes, "12345", kWaitMs);
        QCOMPARE(s.messages.messages.size(), 1); // nothing more to tell
    }
};

QTEST_GUILESS_MAIN(TestSnmpAgentRestart)
#include "tst_snmpagentrestart.moc"
