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

// A remote (mode 2) on firmware 4.8.0 played by the scripted agent, and the
// monitor with records of its own.
struct Run
{
    Run()
    {
        store.put(u"Preferences"_s, u"SNMPPort"_s, QString::number(agent.port()));
        settings.remoteAddress = u"127.0.0.1"_s;
        radio.values = {{DeviceMode, Ber::integer(2)},
                        {RssiThreshold, Ber::integer(-85)},
                        {SnrThreshold, Ber::integer(20)},
                        {FirmwareVersion, text("4.8.0")},
                        {FeatureIndicator, Ber::integer(0)},
                        {ConnectionState, Ber::integer(2)},
                        {TxOctets, Ber::integer(111, Ber::Counter32)},
                        {RxOctets, Ber::integer(222, Ber::Counter32)},
                        {RebootValue, Ber::integer(1)}};
        radio.serve(agent);
        monitor.SNMPTimeoutTimer->setInterval(300); // a shorter wait for a silent radio
        // What the window's stop does for the monitor.
        QObject::connect(&monitor, &VeltoMonitor::stopRequested, &monitor,
                         &VeltoMonitor::stopMonitoring);
    }
    QList<int> seen() const { return SimulatedRadio::indexes(agent.requests); }

    TestStore store;
    MessageRecorder messages;
    TerminationRecorder terminations;
    ScriptedAgent agent;
    SimulatedRadio radio;
    SessionSettings settings;
    MonitorState state;
    LinkStatistics link;
    CongestionStatus congestion;
    VeltoMonitor monitor{settings, state, link, congestion};
};

} // namespace

class TestVeltoMonitor : public QObject
{
    Q_OBJECT
private slots:
    void init() { r.emplace(); }
    void cleanup() { r.reset(); }
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
    std::optional<Run> r;
};

void TestVeltoMonitor::start_data()
{
    QTest::addColumn<QByteArray>("firmware");
    QTest::addColumn<QByteArray>("feature"); // empty: silent; "-": noSuchName
    QTest::addColumn<bool>("refused");       // the old-firmware message, no management
    QTest::addColumn<bool>("extended");
    QTest::newRow("4.7.2 passes") << text("4.7.2") << Ber::integer(0) << false << false;
    QTest::newRow("4.7.1 with 0") << text("4.7.1") << Ber::integer(0) << true << false;
    QTest::newRow("4.7.1 with noSuchName") << text("4.7.1") << QByteArray("-") << true << false;
    QTest::newRow("4.7.1, no answer: extended") << text("4.7.1") << QByteArray() << false << true;
}

void TestVeltoMonitor::start()
{
    QFETCH(QByteArray, feature);
    QFETCH(bool, refused);
    QFETCH(bool, extended);
    QFETCH(QByteArray, firmware);
    r->radio.values[FirmwareVersion] = firmware;
    r->radio.values[FeatureIndicator] = feature;
    if (feature.isEmpty())
        r->radio.silent << FeatureIndicator;
    else if (feature == "-")
        r->radio.values.remove(FeatureIndicator);
    QSignalSpy runStarts(&r->monitor, &VeltoMonitor::runStarting);
    QSignalSpy management(&r->monitor, &VeltoMonitor::congestionManagementAllowed);
    QSignalSpy chart(&r->monitor, &VeltoMonitor::trafficChartEnabled);
    QSignalSpy scales(&r->monitor, &VeltoMonitor::scalesChanged);

    r->monitor.StartVeltoMonitoring();

    QCOMPARE(r->seen(), kStartReads);
    QCOMPARE(runStarts.size(), 1); // ends an open telnet cycle of the run before
    QCOMPARE(r->messages.titles(), refused ? QStringList{u"Error"_s} : QStringList());
    QVERIFY(r->link.extendedFirmware == extended && r->link.newFirmwareLogin == extended);
    QCOMPARE(management.size(), refused ? 0 : 1);
    QCOMPARE(chart.size(), 1);
    QCOMPARE(chart.first().first().toBool(), !refused);
    QCOMPARE(scales.size(), 1);
    QVERIFY(r->monitor.SNMPTimer->isActive());
    QVERIFY(!r->state.monitoringStopped && !r->state.snmpBusy);
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
    if (mode.isEmpty())
        r->radio.silent << DeviceMode;
    r->radio.values[DeviceMode] = mode;
    if (operatorStops)
        r->radio.onRequest[DeviceMode] = [this] {
            QTimer::singleShot(0, &r->monitor, &VeltoMonitor::stopMonitoring);
        };
    r->link.deviceMode = u"2"_s;
    QSignalSpy notices(&r->monitor, &VeltoMonitor::noticeChanged);
    QSignalSpy selection(&r->monitor, &VeltoMonitor::selectionRequested);

    r->monitor.StartVeltoMonitoring();

    QCOMPARE(r->seen(), QList<int>{DeviceMode});
    QCOMPARE(r->messages.titles(), title.isEmpty() ? QStringList() : QStringList{title});
    QTEST(r->link.deviceMode, "deviceMode");
    QVERIFY(r->state.monitoringStopped);
    QVERIFY(!r->monitor.SNMPTimer->isActive() && !r->state.snmpBusy);
    const bool accessPoint = title == "Radio Error"_L1;
    QCOMPARE(r->state.windowClosing, accessPoint);
    QCOMPARE(selection.size(), accessPoint ? 1 : 0);
    // Only the first time-out of the run is counted.
    const bool noAnswer = title == "Connection Error"_L1;
    QCOMPARE(r->state.snmpTimeoutCount, noAnswer ? 1 : 0);
    QCOMPARE(notices.size(), noAnswer ? 2 : 1); // the start's own, then the failure's
}

void TestVeltoMonitor::pollShows_data()
{
    // A cycle while monitoring is stopped or the window closes sends nothing
    // and shows the stored fields.
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
    QCOMPARE(r->monitor.StartSnmp(), 1);
    (closing ? r->state.windowClosing : r->state.monitoringStopped) = true;
    LinkStatistics &link = r->link;
    link.radioScanning = true;
    link.connectionStateCode = code;
    link.rssi = 80;
    link.rssiText = u"-70"_s;
    link.snr = 30;
    link.snrText = u"40"_s;
    link.apAddressRaw = QString::fromLatin1("\x0A\x00\x00\x01", 4);
    link.linkRateText = u"2"_s;
    QSignalSpy looks(&r->monitor, &VeltoMonitor::stateLookChanged);
    QSignalSpy titles(&r->monitor, &VeltoMonitor::titleChanged);
    QSignalSpy rssiMeter(&r->monitor, &VeltoMonitor::rssiMeterChanged);
    QSignalSpy snrMeter(&r->monitor, &VeltoMonitor::snrMeterChanged);

    r->monitor.SNMPTimer_Timer();

    QCoreApplication::processEvents();
    QVERIFY(r->agent.requests.isEmpty());
    QCOMPARE(looks.isEmpty() ? QString() : looks.first().first().value<StateLook>().text, status);
    QCOMPARE(titles.isEmpty() ? QString() : titles.last().first().toString(), title);
    QCOMPARE(link.radioScanning, status.isEmpty() || status == "Scanning"_L1);
    // Associated: meter and title show the stored RSSI, the reading moves it.
    const bool associated = status == "Associated"_L1;
    QCOMPARE(int(link.rssi), associated ? 75 : 80);
    QCOMPARE(rssiMeter.last().first().toDouble(), associated ? 50.0 : 0.0);
    QCOMPARE(snrMeter.last().first().toDouble(), associated ? 99.99 : 0.0);
    QCOMPARE(link.apAddress, associated ? u"10.0.0.1"_s : QString());
    QCOMPARE(int(link.linkRateKbps), associated ? 512 : 0);
}

void TestVeltoMonitor::tickDuringAPendingRequest()
{
    // The state arrives late; the next tick comes while the first waits. It
    // sends nothing until the first is answered, and each read keeps its own
    // answer.
    QCOMPARE(r->monitor.StartSnmp(), 1);
    r->monitor.SNMPTimeoutTimer->setInterval(5000);
    r->radio.silent << ConnectionState;
    int stateRequests = 0;
    r->radio.onRequest[ConnectionState] = [&] {
        if (++stateRequests > 1) {
            r->radio.silent.remove(ConnectionState);
            return;
        }
        QTimer::singleShot(0, &r->monitor, &VeltoMonitor::SNMPTimer_Timer);
        QTimer::singleShot(150, &r->agent, [&] {
            QCOMPARE(r->agent.requests.size(), 1); // the tick has sent nothing
            r->agent.answerLast(ScriptedAnswer{Ber::integer(2)});
        });
    };
    r->monitor.SNMPTimer_Timer();
    QCOMPARE(r->seen(), (QList<int>{ConnectionState, ConnectionState, TxOctets, RxOctets, TxOctets,
                                    RxOctets}));
    QCOMPARE((QStringList{r->link.connectionStateCode, r->link.txBytes, r->link.rxBytes}),
             (QStringList{u"2"_s, u"111"_s, u"222"_s}));
}

void TestVeltoMonitor::stopDuringACycle()
{
    // Monitoring stops while the cycle waits for the state: the display the
    // stop has set is not drawn over by the rest of the cycle.
    QCOMPARE(r->monitor.StartSnmp(), 1);
    r->monitor.SNMPTimer->start();
    r->link.connectionStateCode = u"5"_s;
    r->link.newFirmwareLogin = true;
    r->radio.silent << ConnectionState;
    r->radio.onRequest[ConnectionState] = [this] {
        QTimer::singleShot(0, &r->monitor, &VeltoMonitor::stopMonitoring);
    };
    QSignalSpy looks(&r->monitor, &VeltoMonitor::stateLookChanged);

    r->monitor.SNMPTimer_Timer();

    QCOMPARE(r->seen(), QList<int>{ConnectionState});
    QVERIFY(r->messages.messages.isEmpty() && looks.isEmpty());
    QVERIFY(r->state.monitoringStopped && !r->monitor.SNMPTimer->isActive());
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
    QFETCH(bool, closing);
    QFETCH(int, messages);
    QCOMPARE(r->monitor.StartSnmp(), 1);
    r->monitor.SNMPTimer->start();
    r->state.windowClosing = closing;
    QSignalSpy lost(&r->monitor, &VeltoMonitor::remoteLost);
    for (int i = 0; i < timeouts; ++i)
        r->monitor.SNMPTimeoutTimer_Timer();
    QFETCH(bool, answerAfter);
    if (answerAfter)
        QCOMPARE(r->monitor.GetViaSNMP(ConnectionState), u"2"_s);

    QCOMPARE(r->messages.titles(), QStringList(messages, u"Connection Error"_s));
    QTEST(int(r->state.snmpTimeoutCount), "count");
    QCOMPARE(r->state.monitoringStopped, messages > 0);
    QCOMPARE(lost.size(), messages);
    QTEST(r->terminations.count, "terminations");
    if (!closing)
        QCOMPARE(r->monitor.SNMPTimer->isActive(), messages == 0);
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
        r->radio.silent << RebootValue;
    QCOMPARE(r->monitor.StartSnmp(), 1);
    if (running)
        r->monitor.SNMPTimer->start();
    r->state.monitoringStopped = !running;
    QSignalSpy menus(&r->monitor, &VeltoMonitor::menusEnabled);
    QSignalSpy busy(&r->monitor, &VeltoMonitor::busyChanged);
    r->monitor.rebootVelto_Click();

    const QList<int> clicked =
        running ? QList<int>{RebootValue, RebootRequest} : QList<int>{RebootRequest};
    QCOMPARE(r->seen(), clicked);
    const SeenRequest &set = r->agent.requests.last();
    QCOMPARE(Ber::tlv(set.valueType, set.valueContent), sent);
    QVERIFY(r->monitor.RebootTimer->isActive() && !r->monitor.SNMPTimer->isActive());
    QVERIFY(r->state.monitoringStopped && !r->state.snmpBusy);

    // The first tick only lets time pass; the second restarts monitoring.
    r->monitor.RebootTimer_Timer();
    QCOMPARE(r->seen(), clicked);
    QVERIFY(r->monitor.RebootTimer->isActive());
    r->link.rxBytes = r->link.txBytes = u"9"_s;
    r->monitor.RebootTimer_Timer();
    QCOMPARE(r->seen(), clicked + kStartReads);
    QVERIFY(!r->monitor.RebootTimer->isActive() && r->monitor.SNMPTimer->isActive());
    QVERIFY(menus.last().first().toBool() && !busy.last().first().toBool());
    QVERIFY(!r->state.monitoringStopped && r->state.chartRestart);
    QVERIFY(r->link.rxBytes.isEmpty() && r->link.txBytes.isEmpty());

    // A later reboot waits two ticks again.
    r->monitor.rebootVelto_Click();
    const qsizetype sentSoFar = r->agent.requests.size();
    r->monitor.RebootTimer_Timer();
    QCOMPARE(r->agent.requests.size(), sentSoFar);
    QVERIFY(r->monitor.RebootTimer->isActive());
}

QTEST_GUILESS_MAIN(TestVeltoMonitor)
#include "tst_veltomonitor.moc"
