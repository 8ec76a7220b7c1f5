// A Velto radio whose SNMP agent dies while the station polls it, and comes
// back: net-snmp's snmpd on a loopback port, killed (SIGKILL) in the middle of
// a poll or between polls, later started again on the same port. The window's
// own timers drive the polls. The station gives the radio up once, with the
// operator's message, stays open and answering, and Resume Monitoring polls
// the agent again as before.
#include "SnmpTestAgents.h"
#include "TestSupport.h"
#include "app/Records.h"
#include "monitor/KavomonitoringForm.h"
#include "snmp/OidCatalogue.h"
#include "telnet/CongestionManager.h"

#include <QAction>
#include <QLabel>
#include <QPointer>
#include <QTcpServer>
#include <QTimer>
#include <QtTest>

using namespace OidCatalogue;

namespace {

constexpr int kShortTimeoutMs = 300; // the wait for an answer, shortened from 5 s
constexpr int kWaitMs = 30000;

// An associated remote on firmware 4.8.0.
QStringList radioObjects()
{
    const QList<QPair<int, const char *>> objects = {{DeviceMode, "integer 2"},
                                                     {RssiThreshold, "integer -85"},
                                                     {SnrThreshold, "integer 20"},
                                                     {FirmwareVersion, "octet_str v4.8.0"},
                                                     {FeatureIndicator, "integer 1"},
                                                     {ConnectionState, "integer 5"},
                                                     {Rssi, "integer -70"},
                                                     {Snr, "integer 28"},
                                                     {AccessPointAddress, "octet_str 0xC0A8010A"},
                                                     {LinkRate, "integer 1"},
                                                     {TxOctets, "counter 4000"},
                                                     {RxOctets, "counter 12345"}};
    QStringList lines;
    for (const auto &[index, typeAndValue] : objects)
        lines << LookupOid(index) + ' ' + typeAndValue;
    return lines;
}

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
        QTest::addColumn<bool>("throughRelay");
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
        TestStore store;
        MessageRecorder messages;
        TerminationRecorder terminations;
        SnmpdAgent agent(radioObjects());
        QVERIFY2(agent.isRunning(), qPrintable(agent.failure()));
        store.put("Preferences", "SNMPPort",
                  QString::number(throughRelay ? agent.port() : agent.agentPort()));
        // Congestion management talks to a telnet port nobody answers on; its
        // cycles are kept out of this test's time.
        QTcpServer telnetPort;
        QVERIFY(telnetPort.listen(QHostAddress::LocalHost, 0));
        store.put("Preferences", "TelnetPort", QString::number(telnetPort.serverPort()));
        sessionSettings.remoteKind = RemoteKind::Velto;
        sessionSettings.remoteAddress = "127.0.0.1";

        QPointer<KavomonitoringForm> window = new KavomonitoringForm;
        window->SNMPTimeoutTimer->setInterval(kShortTimeoutMs);
        window->congestionManager->CongestionManagementTimer->setInterval(10 * kWaitMs);
        window->StartVeltoMonitoring();
        QCOMPARE(messages.titles(), QStringList());
        QVERIFY(window->SNMPTimer->isActive());
        QTRY_COMPARE_WITH_TIMEOUT(linkStatistics.rxBytes, "12345", kWaitMs);
        QCOMPARE(window->status->text(), "Associated");

        // The agent dies. No poll runs while the operator reads the message.
        std::optional<bool> pollingDuringMessage;
        messages.onShow = [&](const OperatorMessage &) {
            pollingDuringMessage = window->SNMPTimer->isActive();
        };
        bool killedInPoll = false;
        if (throughRelay) {
            agent.onRequest = [&](const SeenRequest &request) {
                if (!killedInPoll && request.oid == LookupOid(Rssi)) {
                    killedInPoll = true;
                    agent.kill();
                }
            };
        } else {
            agent.kill();
        }

        // Given up once: the message, monitoring stopped, the window still open.
        QTRY_COMPARE_WITH_TIMEOUT(messages.messages.size(), 1, kWaitMs);
        QVERIFY(window);
        QVERIFY(!window->isUnloaded());
        QCOMPARE(killedInPoll, throughRelay);
        QCOMPARE(pollingDuringMessage, std::optional<bool>(false));
        const OperatorMessage &message = messages.messages.first();
        QCOMPARE(message.title, "Connection Error");
        QCOMPARE(message.icon, MessageIcon::Stop);
        QVERIFY(monitorState.monitoringStopped);
        QVERIFY(!window->SNMPTimer->isActive());
        QCOMPARE(window->runStopMenu->text(), "Resume Monitoring");
        QCOMPARE(window->collectingDatalbl->text(), "Not Connected to Velto Remote....");
        QCOMPARE(monitorState.snmpTimeoutCount, 0);
        QCOMPARE(terminations.count, 0);

        // Resumed while the radio is still silent: the start gives it up again.
        if (resumedEarly) {
            window->runStopMenu_Click();
            QVERIFY(window);
            QCOMPARE(messages.titles(), QStringList(2, "Connection Error"));
            QVERIFY(monitorState.monitoringStopped);
            QVERIFY(!window->SNMPTimer->isActive());
            QCOMPARE(window->runStopMenu->text(), "Resume Monitoring");
        }
        const qsizetype givenUp = messages.messages.size();

        // The agent comes back; the operator resumes.
        QVERIFY2(agent.restart(), qPrintable(agent.failure()));
        for (QString *field : {&linkStatistics.rxBytes, &linkStatistics.connectionStateCode,
                               &linkStatistics.rssiThresholdText, &linkStatistics.firmwareVersion})
            field->clear();
        window->runStopMenu_Click();
        QVERIFY(window);
        QVERIFY(!monitorState.monitoringStopped);
        QVERIFY(window->SNMPTimer->isActive());
        QCOMPARE(linkStatistics.rssiThresholdText, "-85");
        QCOMPARE(linkStatistics.firmwareVersion, "480");

        // The polls read the radio again; nothing more to tell the operator.
        QTRY_COMPARE_WITH_TIMEOUT(linkStatistics.rxBytes, "12345", kWaitMs);
        QCOMPARE(linkStatistics.connectionStateCode, "5");
        QCOMPARE(window->status->text(), "Associated");
        QVERIFY(!window->status->isHidden());
        QCOMPARE(monitorState.snmpTimeoutCount, 0);
        QCOMPARE(messages.messages.size(), givenUp);
        QCOMPARE(terminations.count, 0);
        delete window.data();
    }
};

QTEST_MAIN(TestSnmpAgentRestart)
#include "tst_snmpagentrestart.moc"
