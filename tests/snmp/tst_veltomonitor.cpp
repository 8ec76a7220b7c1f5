// The Velto monitor against a scripted Velto radio on the loopback: the
// start, what a poll shows, overlapping requests, the time-out count and
// give-up, and the remote reboot.
#include "SnmpAgentFixture.h"
#include "TestSupport.h"
#include "app/CongestionStatus.h"
#include "app/Records.h"
#include "snmp/VeltoMonitor.h"

#include <QSignalSpy>
#include <QTimer>
#include <QtTest>

using namespace OidCatalogue;
using namespace Qt::StringLiterals;

namespace {

QByteArray text(const QByteArray &t)
{
    return Ber::tlv(Ber::OctetString, t);
}

const QList<int> kStartReads{DeviceMode, RssiThreshold, SnrThreshold, FirmwareVersion,
                             FeatureIndicator};

} // namespace

class TestVeltoMonitor : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void start_data();
    void start();
    void startEndsAtTheMode_data();
    void startEndsAtTheMode();
    void pollShows_data();
    void pollShows();
    void tickDuringAPendingRequest();
    void stopDuringACycle();
    void timeouts_data();
    void timeouts();
    void reboot_data();
    void reboot();

private:
    QList<int> seen() const { return SimulatedRadio::indexes(m_agent->requests); }
    // What the window's stop does for the monitor.
    void stopLikeTheWindow() { m_monitor->stopMonitoring(); }

    std::unique_ptr<TestStore> m_store;
    std::unique_ptr<MessageRecorder> m_messages;
    std::unique_ptr<TerminationRecorder> m_terminations;
    std::unique_ptr<ScriptedAgent> m_agent;
    SimulatedRadio m_radio;
    SessionSettings m_settings;
    MonitorState m_state;
    LinkStatistics m_link;
    CongestionStatus m_congestion;
    std::unique_ptr<VeltoMonitor> m_monitor;
};

void TestVeltoMonitor::init()
{
    m_store = std::make_unique<TestStore>();
    m_messages = std::make_unique<MessageRecorder>();
    m_terminations = std::make_unique<TerminationRecorder>();
    m_agent = std::make_unique<ScriptedAgent>();
    m_store->put(u"Preferences"_s, u"SNMPPort"_s, QString::number(m_agent->port()));
    m_settings = SessionSettings{};
    m_settings.remoteAddress = u"127.0.0.1"_s;
    m_state = MonitorState{};
    m_link = LinkStatistics{};
    m_congestion = CongestionStatus{};
    // A remote (mode 2) on firmware 4.8.0.
    m_radio = SimulatedRadio{};
    m_radio.values = {{DeviceMode, Ber::integer(2)},
                      {RssiThreshold, Ber::integer(-85)},
                      {SnrThreshold, Ber::integer(20)},
                      {FirmwareVersion, text("4.8.0")},
                      {FeatureIndicator, Ber::integer(0)},
                      {ConnectionState, Ber::integer(2)},
                      {TxOctets, Ber::integer(111, Ber::Counter32)},
                      {RxOctets, Ber::integer(222, Ber::Counter32)},
                      {RebootValue, Ber::integer(1)}};
    m_radio.serve(*m_agent);
    m_monitor = std::make_unique<VeltoMonitor>(m_settings, m_state, m_link, m_congestion);
    m_monitor->SNMPTimeoutTimer->setInterval(300); // a shorter wait for a silent radio
    connect(m_monitor.get(), &VeltoMonitor::stopRequested, this,
            &TestVeltoMonitor::stopLikeTheWindow);
}

void TestVeltoMonitor::cleanup()
{
    m_monitor.reset();
    m_agent.reset();
    m_terminations.reset();
    m_messages.reset();
    m_store.reset();
}

void TestVeltoMonitor::start_data()
{
    QTest::addColumn<QByteArray>("firmware");
    QTest::addColumn<QByteArray>("feature"); // empty: silent; "-": noSuchName
    QTest::addColumn<bool>("refused");       // the old-firmware message, no management
    QTest::addColumn<bool>("extended");
    const QByteArray zero = Ber::integer(0);
    QTest::newRow("4.7.2 passes") << text("4.7.2") << zero << false << false;
    QTest::newRow("4.7.1 with 0") << text("4.7.1") << zero << true << false;
    QTest::newRow("4.7.1 with noSuchName") << text("4.7.1") << QByteArray("-") << true << false;
    QTest::newRow("4.7.1 with no answer is extended")
        << text("4.7.1") << QByteArray() << false << true;
}

void TestVeltoMonitor::start()
{
    QFETCH(QByteArray, firmware);
    QFETCH(QByteArray, feature);
    QFETCH(bool, refused);
    QFETCH(bool, extended);
    m_radio.values[FirmwareVersion] = firmware;
    if (feature.isEmpty())
        m_radio.silent << FeatureIndicator;
    else if (feature == "-")
        m_radio.values.remove(FeatureIndicator);
    else
        m_radio.values[FeatureIndicator] = feature;
    QSignalSpy runStarts(m_monitor.get(), &VeltoMonitor::runStarting);
    QSignalSpy management(m_monitor.get(), &VeltoMonitor::congestionManagementAllowed);
    QSignalSpy chart(m_monitor.get(), &VeltoMonitor::trafficChartEnabled);
    QSignalSpy scales(m_monitor.get(), &VeltoMonitor::scalesChanged);

    m_monitor->StartVeltoMonitoring();

    QCOMPARE(seen(), kStartReads);
    QCOMPARE(runStarts.size(), 1); // ends an open telnet cycle of the run before
    QCOMPARE(m_messages->titles(), refused ? QStringList{u"Error"_s} : QStringList());
    QCOMPARE(m_link.extendedFirmware, extended);
    QCOMPARE(m_link.newFirmwareLogin, extended);
    QCOMPARE(management.size(), refused ? 0 : 1);
    QCOMPARE(chart.size(), 1);
    QCOMPARE(chart.first().first().toBool(), !refused);
    QCOMPARE(scales.size(), 1);
    QVERIFY(m_monitor->SNMPTimer->isActive());
    QVERIFY(!m_state.monitoringStopped && !m_state.snmpBusy);
}

void TestVeltoMonitor::startEndsAtTheMode_data()
{
    QTest::addColumn<QByteArray>("mode"); // empty: no answer
    QTest::addColumn<bool>("operatorStops");
    QTest::addColumn<QString>("title"); // of the one message; empty: none
    QTest::addColumn<QString>("deviceMode");
    QTest::newRow("no answer") << QByteArray() << false << u"Connection Error"_s << u"-1"_s;
    QTest::newRow("access point refused") << Ber::integer(5) << false << u"Radio Error"_s << u"5"_s;
    QTest::newRow("operator stops while it waits") << QByteArray() << true << QString() << u"2"_s;
}

void TestVeltoMonitor::startEndsAtTheMode()
{
    QFETCH(QByteArray, mode);
    QFETCH(bool, operatorStops);
    QFETCH(QString, title);
    QFETCH(QString, deviceMode);
    if (mode.isEmpty())
        m_radio.silent << DeviceMode;
    m_radio.values[DeviceMode] = mode;
    if (operatorStops)
        m_radio.onRequest[DeviceMode] = [this] {
            QTimer::singleShot(0, m_monitor.get(), &VeltoMonitor::stopMonitoring);
        };
    m_link.deviceMode = u"2"_s;
    QSignalSpy notices(m_monitor.get(), &VeltoMonitor::noticeChanged);
    QSignalSpy selection(m_monitor.get(), &VeltoMonitor::selectionRequested);

    m_monitor->StartVeltoMonitoring();

    QCOMPARE(seen(), QList<int>{DeviceMode});
    QCOMPARE(m_messages->titles(), title.isEmpty() ? QStringList() : QStringList{title});
    QCOMPARE(m_link.deviceMode, deviceMode);
    QVERIFY(m_state.monitoringStopped);
    QVERIFY(!m_monitor->SNMPTimer->isActive() && !m_state.snmpBusy);
    const bool accessPoint = title == "Radio Error"_L1;
    QCOMPARE(m_state.windowClosing, accessPoint);
    QCOMPARE(selection.size(), accessPoint ? 1 : 0);
    // Only the first time-out of the run is counted.
    const bool noAnswer = title == "Connection Error"_L1;
    QCOMPARE(m_state.snmpTimeoutCount, noAnswer ? 1 : 0);
    QCOMPARE(notices.size(), noAnswer ? 2 : 1); // the start's own, then the failure's
}

void TestVeltoMonitor::pollShows_data()
{
    // A cycle while monitoring is stopped or the window closes sends nothing
    // and shows the stored fields; the state's look is the rules' own.
    QTest::addColumn<QString>("code");
    QTest::addColumn<bool>("closing");   // rather than stopped
    QTest::addColumn<QString>("status"); // empty: the display is kept
    QTest::addColumn<QString>("title");  // the last title set; empty: none
    QTest::newRow("4 older: associated") << "4" << false << "Associated"
                                         << "-80 dBm";
    QTest::newRow("1 scanning, closing") << "1" << true << "Scanning"
                                         << "-- dBm";
    QTest::newRow("unknown code keeps the display") << "7" << false << ""
                                                    << "";
}

void TestVeltoMonitor::pollShows()
{
    QFETCH(QString, code);
    QFETCH(bool, closing);
    QFETCH(QString, status);
    QFETCH(QString, title);
    QCOMPARE(m_monitor->StartSnmp(), 1);
    (closing ? m_state.windowClosing : m_state.monitoringStopped) = true;
    m_link.radioScanning = true;
    m_link.connectionStateCode = code;
    m_link.rssi = 80;
    m_link.rssiText = u"-70"_s;
    m_link.snr = 30;
    m_link.snrText = u"40"_s;
    m_link.apAddressRaw = QString::fromLatin1("\x0A\x00\x00\x01", 4);
    m_link.linkRateText = u"2"_s;
    QSignalSpy looks(m_monitor.get(), &VeltoMonitor::stateLookChanged);
    QSignalSpy titles(m_monitor.get(), &VeltoMonitor::titleChanged);
    QSignalSpy rssiMeter(m_monitor.get(), &VeltoMonitor::rssiMeterChanged);
    QSignalSpy snrMeter(m_monitor.get(), &VeltoMonitor::snrMeterChanged);

    m_monitor->SNMPTimer_Timer();

    QCoreApplication::processEvents();
    QVERIFY(m_agent->requests.isEmpty());
    QCOMPARE(looks.size(), status.isEmpty() ? 0 : 1);
    if (!status.isEmpty())
        QCOMPARE(looks.first().first().value<StateLook>().text, status);
    QCOMPARE(titles.isEmpty() ? QString() : titles.last().first().toString(), title);
    QCOMPARE(m_link.radioScanning, status.isEmpty() || status == "Scanning"_L1);
    // Associated: meter and title show the stored RSSI, the reading moves it.
    const bool associated = status == "Associated"_L1;
    QCOMPARE(int(m_link.rssi), associated ? 75 : 80);
    QCOMPARE(rssiMeter.last().first().toDouble(), associated ? 50.0 : 0.0);
    QCOMPARE(snrMeter.last().first().toDouble(), associated ? 99.99 : 0.0);
    QCOMPARE(m_link.apAddress, associated ? u"10.0.0.1"_s : QString());
    QCOMPARE(int(m_link.linkRateKbps), associated ? 512 : 0);
}

void TestVeltoMonitor::tickDuringAPendingRequest()
{
    // The state arrives late; the next tick comes while the first waits. It
    // sends nothing until the first is answered, and each read keeps its own
    // answer.
    QCOMPARE(m_monitor->StartSnmp(), 1);
    m_monitor->SNMPTimeoutTimer->setInterval(5000);
    m_radio.silent << ConnectionState;
    int stateRequests = 0;
    m_radio.onRequest[ConnectionState] = [&] {
        if (++stateRequests > 1) {
            m_radio.silent.remove(ConnectionState);
            return;
        }
        QTimer::singleShot(0, m_monitor.get(), &VeltoMonitor::SNMPTimer_Timer);
        QTimer::singleShot(150, m_agent.get(), [&] {
            QCOMPARE(m_agent->requests.size(), 1); // the tick has sent nothing
            m_agent->answerLast(ScriptedAnswer{Ber::integer(2)});
        });
    };
    m_monitor->SNMPTimer_Timer();
    QCOMPARE(seen(), (QList<int>{ConnectionState, ConnectionState, TxOctets, RxOctets, TxOctets,
                                 RxOctets}));
    QCOMPARE(m_link.connectionStateCode, u"2"_s);
    QCOMPARE(m_link.txBytes, u"111"_s);
    QCOMPARE(m_link.rxBytes, u"222"_s);
}

void TestVeltoMonitor::stopDuringACycle()
{
    // Monitoring stops while the cycle waits for the state: the display the
    // stop has set is not drawn over by the rest of the cycle.
    QCOMPARE(m_monitor->StartSnmp(), 1);
    m_monitor->SNMPTimer->start();
    m_link.connectionStateCode = u"5"_s;
    m_link.newFirmwareLogin = true;
    m_radio.silent << ConnectionState;
    m_radio.onRequest[ConnectionState] = [this] {
        QTimer::singleShot(0, m_monitor.get(), &VeltoMonitor::stopMonitoring);
    };
    QSignalSpy looks(m_monitor.get(), &VeltoMonitor::stateLookChanged);

    m_monitor->SNMPTimer_Timer();

    QCOMPARE(seen(), QList<int>{ConnectionState});
    QVERIFY(m_messages->messages.isEmpty());
    QVERIFY(m_state.monitoringStopped && !m_monitor->SNMPTimer->isActive());
    QVERIFY(looks.isEmpty());
}

void TestVeltoMonitor::timeouts_data()
{
    QTest::addColumn<int>("timeouts");
    QTest::addColumn<bool>("answerAfter");
    QTest::addColumn<bool>("closing");
    QTest::addColumn<int>("messages");
    QTest::addColumn<int>("count");
    QTest::addColumn<int>("terminations");
    QTest::newRow("three, then an answer") << 3 << true << false << 0 << 0 << 0;
    QTest::newRow("three") << 3 << false << false << 0 << 3 << 0;
    QTest::newRow("four") << 4 << false << false << 1 << 0 << 0;
    QTest::newRow("eight") << 8 << false << false << 2 << 0 << 0;
    QTest::newRow("one while closing") << 1 << false << true << 0 << 0 << 1;
}

void TestVeltoMonitor::timeouts()
{
    QFETCH(int, timeouts);
    QFETCH(bool, answerAfter);
    QFETCH(bool, closing);
    QFETCH(int, messages);
    QFETCH(int, count);
    QFETCH(int, terminations);
    QCOMPARE(m_monitor->StartSnmp(), 1);
    m_monitor->SNMPTimer->start();
    m_state.windowClosing = closing;
    QSignalSpy lost(m_monitor.get(), &VeltoMonitor::remoteLost);
    for (int i = 0; i < timeouts; ++i)
        m_monitor->SNMPTimeoutTimer_Timer();
    if (answerAfter)
        QCOMPARE(m_monitor->GetViaSNMP(ConnectionState), u"2"_s);

    QCOMPARE(m_messages->titles(), QStringList(messages, u"Connection Error"_s));
    QCOMPARE(m_state.snmpTimeoutCount, count);
    QCOMPARE(m_state.monitoringStopped, messages > 0);
    QCOMPARE(lost.size(), messages);
    QCOMPARE(m_terminations->count, terminations);
    if (!closing)
        QCOMPARE(m_monitor->SNMPTimer->isActive(), messages == 0);
}

void TestVeltoMonitor::reboot_data()
{
    QTest::addColumn<bool>("running");
    QTest::addColumn<bool>("valueAnswered"); // entry 5, read only while running
    QTest::addColumn<QByteArray>("sent");
    QTest::newRow("stopped: empty OCTET STRING") << false << true << text({});
    QTest::newRow("running, entry 5 answers 1: INTEGER 1") << true << true << Ber::integer(1);
    QTest::newRow("running, entry 5 silent: empty OCTET STRING") << true << false << text({});
}

void TestVeltoMonitor::reboot()
{
    QFETCH(bool, running);
    QFETCH(bool, valueAnswered);
    QFETCH(QByteArray, sent);
    if (!valueAnswered)
        m_radio.silent << RebootValue;
    QCOMPARE(m_monitor->StartSnmp(), 1);
    if (running)
        m_monitor->SNMPTimer->start();
    m_state.monitoringStopped = !running;
    QSignalSpy menus(m_monitor.get(), &VeltoMonitor::menusEnabled);
    QSignalSpy busy(m_monitor.get(), &VeltoMonitor::busyChanged);
    m_monitor->rebootVelto_Click();

    const QList<int> clicked =
        running ? QList<int>{RebootValue, RebootRequest} : QList<int>{RebootRequest};
    QCOMPARE(seen(), clicked);
    const SeenRequest &set = m_agent->requests.last();
    QCOMPARE(Ber::tlv(set.valueType, set.valueContent), sent);
    QVERIFY(m_monitor->RebootTimer->isActive() && !m_monitor->SNMPTimer->isActive());
    QVERIFY(m_state.monitoringStopped && !m_state.snmpBusy);

    // The first tick only lets time pass.
    m_monitor->RebootTimer_Timer();
    QCOMPARE(seen(), clicked);
    QVERIFY(m_monitor->RebootTimer->isActive());

    // The second restarts monitoring from scratch.
    m_link.rxBytes = m_link.txBytes = u"9"_s;
    m_monitor->RebootTimer_Timer();
    QCOMPARE(seen(), clicked + kStartReads);
    QVERIFY(!m_monitor->RebootTimer->isActive());
    QCOMPARE(menus.last().first().toBool(), true);
    QCOMPARE(busy.last().first().toBool(), false);
    QVERIFY(!m_state.monitoringStopped && m_state.chartRestart);
    QVERIFY(m_link.rxBytes.isEmpty() && m_link.txBytes.isEmpty());
    QVERIFY(m_monitor->SNMPTimer->isActive());

    // A later reboot waits two ticks again.
    m_monitor->rebootVelto_Click();
    const qsizetype sentSoFar = m_agent->requests.size();
    m_monitor->RebootTimer_Timer();
    QCOMPARE(m_agent->requests.size(), sentSoFar);
    QVERIFY(m_monitor->RebootTimer->isActive());
}

QTEST_GUILESS_MAIN(TestVeltoMonitor)
#include "tst_veltomonitor.moc"
