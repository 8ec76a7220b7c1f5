// The Velto monitor against a scripted Velto radio on the loopback: the
// start, what a poll shows, overlapping requests, the time-out count and
// give-up, the remote reboot, and the alignment view's extra readings.
#include "SnmpAgentFixture.h"
#include "TestSupport.h"
#include "app/CongestionStatus.h"
#include "app/Records.h"
#include "snmp/VeltoMonitor.h"

#include <QSignalSpy>
#include <QTimer>
#include <QtTest>
#include <sched.h>
#include <unistd.h>

using namespace OidCatalogue;
using namespace Qt::StringLiterals;

namespace {

const QList<int> kStartReads{DeviceMode, RssiThreshold, SnrThreshold, FirmwareVersion,
                             FeatureIndicator};
const QList<int> kPoll{ConnectionState, Rssi,     Snr,     AccessPointAddress,
                       LinkRate,        TxOctets, RxOctets};

// The extra readings among the requests: RSSI requests that do not follow a
// poll's state request.
int extraReadings(const QList<int> &seen)
{
    int extra = 0;
    for (qsizetype i = 0; i < seen.size(); ++i)
        extra += seen[i] == Rssi && (i == 0 || seen[i - 1] != ConnectionState) ? 1 : 0;
    return extra;
}

// A remote (mode 2) on firmware 4.8.0 played by the scripted radio, and the
// monitor with records of its own.
struct Run
{
    Run()
    {
        store.put(u"Preferences"_s, u"SNMPPort"_s, QString::number(radio.port()));
        settings.remoteAddress = u"127.0.0.1"_s;
        radio.values = {{DeviceMode, Ber::integer(2)},
                        {RssiThreshold, Ber::integer(-85)},
                        {SnrThreshold, Ber::integer(20)},
                        {FirmwareVersion, Ber::octets("4.8.0")},
                        {FeatureIndicator, Ber::integer(0)},
                        {ConnectionState, Ber::integer(2)},
                        {TxOctets, Ber::integer(111, Ber::Counter32)},
                        {RxOctets, Ber::integer(222, Ber::Counter32)},
                        {RebootValue, Ber::integer(1)}};
        monitor.SNMPTimeoutTimer->setInterval(300); // a shorter wait for a silent radio
        monitor.StartSnmp();
        // What the window's stop does for the monitor.
        QObject::connect(&monitor, &VeltoMonitor::stopRequested, &monitor,
                         &VeltoMonitor::stopMonitoring);
    }

    TestStore store;
    MessageRecorder messages;
    TerminationRecorder terminations;
    ScriptedRadio radio;
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
    std::optional<Run> r;

private slots:
    void init() { r.emplace(); }
    void cleanup() { r.reset(); }

    void start_data()
    {
        // The radio's extended-feature indicator answers 0, or nothing (extended).
        QTest::addColumn<QByteArray>("firmware");
        QTest::addColumn<bool>("extended");
        QTest::addColumn<bool>("refused"); // the old-firmware message, no management
        QTest::newRow("4.7.2 passes") << QByteArray("4.7.2") << false << false;
        QTest::newRow("4.7.1 refused") << QByteArray("4.7.1") << false << true;
        QTest::newRow("4.7.1 extended passes") << QByteArray("4.7.1") << true << false;
    }

    void start()
    {
        QFETCH(bool, extended);
        QFETCH(bool, refused);
        r->radio.values[FirmwareVersion] = Ber::octets(fetched<QByteArray>("firmware"));
        if (extended)
            r->radio.silent << FeatureIndicator;
        QSignalSpy runStarts(&r->monitor, &VeltoMonitor::runStarting);
        QSignalSpy management(&r->monitor, &VeltoMonitor::congestionManagementAllowed);
        QSignalSpy chart(&r->monitor, &VeltoMonitor::trafficChartEnabled);
        QSignalSpy scales(&r->monitor, &VeltoMonitor::scalesChanged);

        r->monitor.StartVeltoMonitoring();

        QCOMPARE(r->radio.seen(), kStartReads);
        QCOMPARE(runStarts.size(), 1); // ends an open telnet cycle of the run before
        QCOMPARE(r->messages.titles(), refused ? QStringList{u"Error"_s} : QStringList());
        QVERIFY(r->link.extendedFirmware == extended && r->link.newFirmwareLogin == extended);
        QCOMPARE(management.size(), refused ? 0 : 1);
        QCOMPARE(chart.size(), 1);
        QCOMPARE(chart[0][0].toBool(), !refused);
        QCOMPARE(scales.size(), 1);
        QVERIFY(r->monitor.SNMPTimer->isActive());
    }

    void startEndsAtTheMode_data()
    {
        QTest::addColumn<QByteArray>("mode"); // empty: no answer
        QTest::addColumn<bool>("operatorStops");
        QTest::addColumn<QString>("title"); // of the one message; empty: none
        QTest::addColumn<QString>("deviceMode");
        QTest::newRow("no answer") << QByteArray() << false << u"Connection Error"_s << u"-1"_s;
        QTest::newRow("access point") << Ber::integer(5) << false << u"Radio Error"_s << u"5"_s;
        QTest::newRow("operator stops while it waits") << QByteArray() << true << "" << u"2"_s;
    }

    void startEndsAtTheMode()
    {
        QFETCH(QByteArray, mode);
        QFETCH(QString, title);
        if (mode.isEmpty())
            r->radio.silent << DeviceMode;
        r->radio.values[DeviceMode] = mode;
        if (fetched<bool>("operatorStops"))
            r->radio.onRequest[DeviceMode] = [this] {
                QTimer::singleShot(0, &r->monitor, &VeltoMonitor::stopMonitoring);
            };
        r->link.deviceMode = u"2"_s;
        QSignalSpy notices(&r->monitor, &VeltoMonitor::noticeChanged);
        QSignalSpy selection(&r->monitor, &VeltoMonitor::selectionRequested);
        QSignalSpy waiting(&r->monitor, &VeltoMonitor::waitingShown);

        r->monitor.StartVeltoMonitoring();

        QCOMPARE(r->radio.seen(), QList<int>{DeviceMode});
        QCOMPARE(r->messages.titles(), title.isEmpty() ? QStringList() : QStringList{title});
        QTEST(r->link.deviceMode, "deviceMode");
        QVERIFY(r->state.monitoringStopped && !r->monitor.SNMPTimer->isActive());
        const bool accessPoint = title == "Radio Error"_L1;
        QCOMPARE(r->state.windowClosing, accessPoint);
        QCOMPARE(selection.size(), accessPoint ? 1 : 0);
        // Only the first time-out of the run is counted.
        const bool noAnswer = title == "Connection Error"_L1;
        QCOMPARE(r->state.snmpTimeoutCount, noAnswer ? 1 : 0);
        QCOMPARE(notices.size(), noAnswer ? 2 : 1); // the start's own, then the failure's
        // The start shows the wait; a radio that does not answer shows it again.
        QCOMPARE(waiting.size(), noAnswer ? 2 : 1);
        QVERIFY(waiting.last()[0].toBool());
    }

    void pollShows_data()
    {
        // A cycle while monitoring is stopped or the window closes sends nothing
        // and shows the stored fields.
        QTest::addColumn<QString>("code");
        QTest::addColumn<bool>("closing");   // rather than stopped
        QTest::addColumn<QString>("status"); // empty: the display is kept
        QTest::addColumn<QString>("title");  // the last title set; empty: none
        QTest::newRow("4 older") << "4" << false << "Associated"
                                 << "-80 dBm";
        QTest::newRow("1, closing") << "1" << true << "Scanning"
                                    << "-- dBm";
        QTest::newRow("unknown code") << "7" << false << ""
                                      << "";
    }

    void pollShows()
    {
        QFETCH(QString, status);
        (fetched<bool>("closing") ? r->state.windowClosing : r->state.monitoringStopped) = true;
        LinkStatistics &link = r->link;
        link.radioScanning = true;
        link.connectionStateCode = fetched<QString>("code");
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
        QVERIFY(r->radio.requests.isEmpty());
        QCOMPARE(looks.isEmpty() ? QString() : looks[0][0].value<StateLook>().text, status);
        QTEST(titles.isEmpty() ? QString() : titles.last()[0].toString(), "title");
        QCOMPARE(link.radioScanning, status.isEmpty() || status == "Scanning"_L1);
        // Associated: meter and title show the stored RSSI, the reading moves it.
        const bool associated = status == "Associated"_L1;
        QCOMPARE(int(link.rssi), associated ? 75 : 80);
        QCOMPARE(rssiMeter.last()[0].toDouble(), associated ? 50.0 : 0.0);
        QCOMPARE(snrMeter.last()[0].toDouble(), associated ? 99.99 : 0.0);
        QCOMPARE(link.apAddress, associated ? u"10.0.0.1"_s : QString());
        QCOMPARE(int(link.linkRateKbps), associated ? 512 : 0);
    }

    void tickDuringAPendingRequest()
    {
        // The state arrives late; the next tick comes while the first waits. It
        // sends nothing until the first is answered, and each read keeps its own
        // answer.
        r->monitor.SNMPTimeoutTimer->setInterval(5000);
        r->radio.silent << ConnectionState;
        int stateRequests = 0;
        r->radio.onRequest[ConnectionState] = [&] {
            if (++stateRequests > 1) {
                r->radio.silent.remove(ConnectionState);
                return;
            }
            QTimer::singleShot(0, &r->monitor, &VeltoMonitor::SNMPTimer_Timer);
            QTimer::singleShot(150, &r->radio, [&] {
                QCOMPARE(r->radio.requests.size(), 1); // the tick has sent nothing
                r->radio.answerLast(Ber::integer(2));
            });
        };
        r->monitor.SNMPTimer_Timer();
        QCOMPARE(r->radio.seen(), (QList<int>{ConnectionState, ConnectionState, TxOctets, RxOctets,
                                              TxOctets, RxOctets}));
        QCOMPARE((QStringList{r->link.connectionStateCode, r->link.txBytes, r->link.rxBytes}),
                 (QStringList{u"2"_s, u"111"_s, u"222"_s}));
    }

    void stopDuringACycle()
    {
        // Monitoring stops while the cycle waits for the state: the display the
        // stop has set is not drawn over by the rest of the cycle.
        r->monitor.SNMPTimer->start();
        r->link.connectionStateCode = u"5"_s;
        r->link.newFirmwareLogin = true;
        r->radio.silent << ConnectionState;
        r->radio.onRequest[ConnectionState] = [this] {
            QTimer::singleShot(0, &r->monitor, &VeltoMonitor::stopMonitoring);
        };
        QSignalSpy looks(&r->monitor, &VeltoMonitor::stateLookChanged);

        r->monitor.SNMPTimer_Timer();

        QCOMPARE(r->radio.seen(), QList<int>{ConnectionState});
        QVERIFY(r->messages.messages.isEmpty() && looks.isEmpty());
        QVERIFY(r->state.monitoringStopped && !r->monitor.SNMPTimer->isActive());
    }

    void timeouts_data()
    {
        QTest::addColumn<int>("timeouts");
        QTest::addColumn<bool>("closing");
        QTest::addColumn<int>("messages");
        QTest::addColumn<int>("count");
        QTest::addColumn<int>("terminations");
        QTest::newRow("three") << 3 << false << 0 << 3 << 0;
        QTest::newRow("four") << 4 << false << 1 << 0 << 0;
        QTest::newRow("eight") << 8 << false << 2 << 0 << 0;
        QTest::newRow("one while closing") << 1 << true << 0 << 0 << 1;
    }

    void timeouts()
    {
        QFETCH(bool, closing);
        QFETCH(int, messages);
        r->monitor.SNMPTimer->start();
        r->state.windowClosing = closing;
        QSignalSpy lost(&r->monitor, &VeltoMonitor::remoteLost);
        QSignalSpy notices(&r->monitor, &VeltoMonitor::noticeChanged);
        for (int i = fetched<int>("timeouts"); i > 0; --i)
            r->monitor.SNMPTimeoutTimer_Timer();

        QCOMPARE(r->messages.titles(), QStringList(messages, u"Connection Error"_s));
        QTEST(int(r->state.snmpTimeoutCount), "count");
        QCOMPARE(r->state.monitoringStopped, messages > 0);
        QCOMPARE(lost.size(), messages);
        QCOMPARE(notices.size(), messages);
        QTEST(r->terminations.count, "terminations");
        if (!closing)
            QCOMPARE(r->monitor.SNMPTimer->isActive(), messages == 0);
    }

    void reboot_data()
    {
        QTest::addColumn<bool>("running");
        QTest::addColumn<bool>("valueAnswered"); // entry 5, read only while running
        QTest::addColumn<QByteArray>("sent");
        QTest::newRow("stopped: empty OCTET STRING") << false << true << Ber::octets({});
        QTest::newRow("running, entry 5 answers 1: INTEGER 1") << true << true << Ber::integer(1);
        QTest::newRow("running, entry 5 silent: empty OCTET STRING")
            << true << false << Ber::octets({});
    }

    void reboot()
    {
        QFETCH(bool, running);
        if (!fetched<bool>("valueAnswered"))
            r->radio.silent << RebootValue;
        if (running)
            r->monitor.SNMPTimer->start();
        r->state.monitoringStopped = !running;
        QSignalSpy menus(&r->monitor, &VeltoMonitor::menusEnabled);
        QSignalSpy busy(&r->monitor, &VeltoMonitor::busyChanged);
        r->monitor.rebootVelto_Click();

        const QList<int> clicked =
            running ? QList<int>{RebootValue, RebootRequest} : QList<int>{RebootRequest};
        QCOMPARE(r->radio.seen(), clicked);
        QTEST(r->radio.requests.last().value, "sent");
        QVERIFY(r->monitor.RebootTimer->isActive() && !r->monitor.SNMPTimer->isActive());
        QVERIFY(!r->state.snmpBusy);

        // The first tick only lets time pass; the second restarts monitoring.
        r->monitor.RebootTimer_Timer();
        QCOMPARE(r->radio.seen(), clicked);
        r->link.rxBytes = r->link.txBytes = u"9"_s;
        r->monitor.RebootTimer_Timer();
        QCOMPARE(r->radio.seen(), clicked + kStartReads);
        QVERIFY(!r->monitor.RebootTimer->isActive() && r->monitor.SNMPTimer->isActive());
        QVERIFY(menus.last()[0].toBool() && !busy.last()[0].toBool());
        QVERIFY(!r->state.monitoringStopped && r->state.chartRestart);
        QVERIFY(r->link.rxBytes.isEmpty() && r->link.txBytes.isEmpty());

        // A later reboot waits two ticks again.
        r->monitor.rebootVelto_Click();
        const qsizetype sentSoFar = r->radio.requests.size();
        r->monitor.RebootTimer_Timer();
        QCOMPARE(r->radio.requests.size(), sentSoFar);
    }

    void fastReadingBetweenPolls()
    {
        // An associated radio leaves the first extra RSSI request unanswered and
        // the poll comes while it is out: the poll goes at once, counts no
        // time-out, and the readings go on right after it without waiting for the
        // abandoned one's time-out.
        r->radio.values.insert({{ConnectionState, Ber::integer(4)},
                                {Rssi, Ber::integer(-71)},
                                {Snr, Ber::integer(22)},
                                {AccessPointAddress, Ber::octets("\x0A\x00\x00\x01")},
                                {LinkRate, Ber::integer(2)}});
        r->monitor.SNMPTimeoutTimer->setInterval(5000);
        r->monitor.SNMPTimer->start();
        r->monitor.SNMPTimer_Timer();
        const qsizetype firstPoll = r->radio.requests.size();
        r->radio.silent << Rssi;
        int rssiRequests = 0;
        r->radio.onRequest[Rssi] = [&] {
            if (++rssiRequests == 1)
                QTimer::singleShot(50, &r->monitor, &VeltoMonitor::SNMPTimer_Timer);
            else
                r->radio.silent.remove(Rssi);
        };
        QSignalSpy raw(&r->monitor, &VeltoMonitor::rawSignalRead);
        r->monitor.setFastReadingEnabled(true);
        QTest::qWait(2600);
        r->monitor.setFastReadingEnabled(false);
        const QList<int> seen = r->radio.seen().mid(firstPoll);
        QCOMPARE(seen.mid(0, 1 + kPoll.size()), QList<int>{Rssi} + kPoll);
        // Four a second, no more (with some leeway for a busy machine).
        const int extra = extraReadings(seen.mid(1 + kPoll.size()));
        QVERIFY2(extra >= 8 && extra <= 12, qPrintable(QString::number(extra)));
        QCOMPARE(raw.last(), (QVariantList{-71.0, 22.0}));
        QCOMPARE(r->state.snmpTimeoutCount, 0);
        QCOMPARE(int(r->link.rssi), 71);
        QVERIFY(r->messages.messages.isEmpty());

        const qsizetype ended = r->radio.requests.size();
        QTest::qWait(300);
        QCOMPARE(extraReadings(r->radio.seen().mid(ended)), 0);
    }

    // A host whose own name is empty cannot be looked up: the operator hears of
    // it at the start. The name changes only in a namespace of the test's own,
    // and for the rest of this process, so this runs last.
    void hostWithoutAName()
    {
        if (unshare(CLONE_NEWUTS) != 0 || sethostname("", 0) != 0)
            QSKIP("the test cannot have a host name of its own here");
        r->monitor.StartVeltoMonitoring();
        QCOMPARE(r->messages.messages.size(), 1);
    }
};

QTEST_GUILESS_MAIN(TestVeltoMonitor)
#include "tst_veltomonitor.moc"
