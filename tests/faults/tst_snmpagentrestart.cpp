// A Velto radio whose SNMP agent dies while the station polls it, and comes
// back: net-snmp's snmpd on a loopback port, killed (SIGKILL) in the middle of
// a poll or between polls, later started again on the same port. The window's
// own timers drive the polls. The station gives the radio up once, with the
// operator's message, stays open and answering, and Resume Monitoring polls
// the agent again as before.
#include "SimulatedRadio.h"
#include "TestSupport.h"
#include "app/Records.h"
#include "monitor/KavomonitoringForm.h"

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

QString line(int index, const QString &typeAndValue)
{
    return LookupOid(index) + QLatin1Char(' ') + typeAndValue;
}

// An associated remote on firmware 4.8.0.
QStringList radioObjects()
{
    return {line(DeviceMode, QStringLiteral("integer 2")),
            line(RssiThreshold, QStringLiteral("integer -85")),
            line(SnrThreshold, QStringLiteral("integer 20")),
            line(FirmwareVersion, QStringLiteral("octet_str v4.8.0")),
            line(FeatureIndicator, QStringLiteral("integer 1")),
            line(ConnectionState, QStringLiteral("integer 5")),
            line(Rssi, QStringLiteral("integer -70")),
            line(Snr, QStringLiteral("integer 28")),
            line(AccessPointAddress, QStringLiteral("octet_str 0xC0A8010A")),
            line(LinkRate, QStringLiteral("integer 1")),
            line(TxOctets, QStringLiteral("counter 4000")),
            line(RxOctets, QStringLiteral("counter 12345"))};
}

} // namespace

class TestSnmpAgentRestart : public QObject
{
    Q_OBJECT
private slots:
    void giveUpThenResume_data();
    void giveUpThenResume();
};

void TestSnmpAgentRestart::giveUpThenResume_data()
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

void TestSnmpAgentRestart::giveUpThenResume()
{
    QFETCH(bool, throughRelay);
    QFETCH(bool, resumedEarly);
    TestStore store;
    MessageRecorder messages;
    TerminationRecorder terminations;
    SnmpdAgent agent(radioObjects());
    QVERIFY2(agent.isRunning(), qPrintable(agent.failure()));
    store.put(QStringLiteral("Preferences"), QStringLiteral("SNMPPort"),
              QString::number(throughRelay ? agent.port() : agent.agentPort()));
    // Congestion management talks to a telnet port nobody answers on; its
    // cycles are kept out of this test's time.
    QTcpServer telnetPort;
    QVERIFY(telnetPort.listen(QHostAddress::LocalHost, 0));
    store.put(QStringLiteral("Preferences"), QStringLiteral("TelnetPort"),
              QString::number(telnetPort.serverPort()));
    sessionSettings.remoteKind = RemoteKind::Velto;
    sessionSettings.remoteAddress = QStringLiteral("127.0.0.1");

    QPointer<KavomonitoringForm> window = new KavomonitoringForm;
    window->SNMPTimeoutTimer->setInterval(kShortTimeoutMs);
    window->CongestionManagementTimer->setInterval(10 * kWaitMs);
    window->StartVeltoMonitoring();
    QCOMPARE(messages.titles(), QStringList());
    QVERIFY(window->SNMPTimer->isActive());
    QTRY_COMPARE_WITH_TIMEOUT(linkStatistics.rxBytes, QStringLiteral("12345"), kWaitMs);
    QCOMPARE(window->status->text(), QStringLiteral("Associated"));

    // The agent dies.
    int killedAt = 0;
    if (throughRelay) {
        agent.onRequest = [&](const SeenRequest &request) {
            if (killedAt == 0 && SimulatedRadio::indexOf(request.oid) == Rssi) {
                killedAt = Rssi;
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
    if (throughRelay)
        QCOMPARE(killedAt, int(Rssi));
    const OperatorMessage &message = messages.messages.first();
    QCOMPARE(message.title, QStringLiteral("Connection Error"));
    QCOMPARE(message.icon, MessageIcon::Stop);
    QVERIFY(monitorState.monitoringStopped);
    QVERIFY(!window->SNMPTimer->isActive());
    QCOMPARE(window->runStopMenu->text(), QStringLiteral("Resume Monitoring"));
    QCOMPARE(window->collectingDatalbl->text(),
             QStringLiteral("Not Connected to Velto Remote...."));
    QCOMPARE(monitorState.snmpTimeoutCount, 0);
    QCOMPARE(terminations.count, 0);

    // Resumed while the radio is still silent: the start gives it up again.
    if (resumedEarly) {
        window->runStopMenu_Click();
        QVERIFY(window);
        QCOMPARE(messages.titles(), QStringList(2, QStringLiteral("Connection Error")));
        QVERIFY(monitorState.monitoringStopped);
        QVERIFY(!window->SNMPTimer->isActive());
        QCOMPARE(window->runStopMenu->text(), QStringLiteral("Resume Monitoring"));
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
    QCOMPARE(linkStatistics.rssiThresholdText, QStringLiteral("-85"));
    QCOMPARE(linkStatistics.firmwareVersion, QStringLiteral("480"));

    // The polls read the radio again; nothing more to tell the operator.
    QTRY_COMPARE_WITH_TIMEOUT(linkStatistics.rxBytes, QStringLiteral("12345"), kWaitMs);
    QCOMPARE(linkStatistics.connectionStateCode, QStringLiteral("5"));
    QCOMPARE(window->status->text(), QStringLiteral("Associated"));
    QVERIFY(!window->status->isHidden());
    QCOMPARE(monitorState.snmpTimeoutCount, 0);
    QCOMPARE(messages.messages.size(), givenUp);
    QCOMPARE(terminations.count, 0);
    delete window.data();
}

QTEST_MAIN(TestSnmpAgentRestart)
#include "tst_snmpagentrestart.moc"
