// The monitoring window's SNMP handlers against a scripted Velto radio on the
// loopback: the Velto start, the display of a poll, the time-out count and
// give-up, and the remote reboot.
#include "SimulatedRadio.h"
#include "TestSupport.h"
#include "app/MousePointer.h"
#include "app/Records.h"
#include "display/SignalMeter.h"
#include "monitor/KavomonitoringForm.h"
#include "telnet/CongestionManager.h"
#include "telnet/CongestionStatus.h"

#include <QAction>
#include <QLabel>
#include <QMenu>
#include <QPointer>
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
const QString kNotConnected = u"Not Connected to Velto Remote...."_s;

} // namespace

class TestVeltoSnmpWindow : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void startSequence_data();
    void startSequence();
    void startEndsAtTheMode_data();
    void startEndsAtTheMode();
    void display_data();
    void display();
    void unchangedLampIsNotDrawnAgain();
    void tickDuringAPendingRequest();
    void haltDuringACycle_data();
    void haltDuringACycle();
    void timeouts_data();
    void timeouts();
    void reboot_data();
    void reboot();

private:
    QList<int> seen() const { return SimulatedRadio::indexes(m_agent->requests); }

    std::unique_ptr<TestStore> m_store;
    std::unique_ptr<MessageRecorder> m_messages;
    std::unique_ptr<TerminationRecorder> m_terminations;
    std::unique_ptr<ScriptedAgent> m_agent;
    SimulatedRadio m_radio;
    QPointer<KavomonitoringForm> m_window;
};

void TestVeltoSnmpWindow::init()
{
    m_store = std::make_unique<TestStore>();
    m_messages = std::make_unique<MessageRecorder>();
    m_terminations = std::make_unique<TerminationRecorder>();
    m_agent = std::make_unique<ScriptedAgent>();
    m_store->put(u"Preferences"_s, u"SNMPPort"_s, QString::number(m_agent->port()));
    sessionSettings.remoteKind = RemoteKind::Velto;
    sessionSettings.remoteAddress = u"127.0.0.1"_s;
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
    m_window = new KavomonitoringForm;
    m_window->SNMPTimeoutTimer->setInterval(300); // a shorter wait for a silent radio
}

void TestVeltoSnmpWindow::cleanup()
{
    delete m_window.data();
    m_agent.reset();
    m_terminations.reset();
    m_messages.reset();
    m_store.reset();
    MousePointer::setNormal();
}

void TestVeltoSnmpWindow::startSequence_data()
{
    QTest::addColumn<QByteArray>("firmware");
    QTest::addColumn<QByteArray>("feature"); // empty: silent; "-": noSuchName
    QTest::addColumn<QByteArray>("rssiThreshold");
    QTest::addColumn<QByteArray>("snrThreshold");
    QTest::addColumn<bool>("oldFirmware");
    QTest::addColumn<QString>("version");
    QTest::addColumn<bool>("extended");
    QTest::addColumn<bool>("newLogin");
    QTest::addColumn<int>("rssiMagnitude");
    QTest::addColumn<int>("snr");
    QTest::addColumn<int>("snrBar");

    const QByteArray zero = Ber::integer(0);
    const QByteArray rssi = Ber::integer(-85);
    const QByteArray snr = Ber::integer(20);
    QTest::newRow("4.7.2 passes") << text("4.7.2") << zero << rssi << snr << false << "472" << false
                                  << false << 85 << 20 << 40;
    QTest::newRow("4.7.1 with 0") << text("4.7.1") << zero << Ber::integer(-45) << Ber::integer(5)
                                  << true << "471" << false << false << 61 << 10 << 0;
    QTest::newRow("4.7.1 with noSuchName")
        << text("4.7.1") << QByteArray("-") << Ber::integer(-110) << Ber::integer(35) << true
        << "471" << false << false << 100 << 30 << 79;
    QTest::newRow("4.7.1 with no answer") << text("4.7.1") << QByteArray() << rssi << snr << false
                                          << "471" << true << true << 85 << 20 << 40;
    QTest::newRow("5.7.1") << text("5.7.1") << zero << rssi << snr << false << "571" << false
                           << true << 85 << 20 << 40;
    QTest::newRow("thresholds as text") << text("v4.8.0") << zero << text("-90 dBm") << text("12")
                                        << false << "480" << false << false << 90 << 12 << 8;
}

void TestVeltoSnmpWindow::startSequence()
{
    QFETCH(QByteArray, firmware);
    QFETCH(QByteArray, feature);
    QFETCH(QByteArray, rssiThreshold);
    QFETCH(QByteArray, snrThreshold);
    QFETCH(bool, oldFirmware);
    QFETCH(QString, version);
    QFETCH(bool, extended);
    QFETCH(bool, newLogin);
    QFETCH(int, rssiMagnitude);
    QFETCH(int, snr);
    QFETCH(int, snrBar);
    m_radio.values[FirmwareVersion] = firmware;
    m_radio.values[RssiThreshold] = rssiThreshold;
    m_radio.values[SnrThreshold] = snrThreshold;
    if (feature.isEmpty())
        m_radio.silent << FeatureIndicator;
    else if (feature == "-")
        m_radio.values.remove(FeatureIndicator);
    else
        m_radio.values[FeatureIndicator] = feature;

    m_window->StartVeltoMonitoring();

    QCOMPARE(seen(), kStartReads);
    QCOMPARE(m_messages->titles(), oldFirmware ? QStringList{u"Error"_s} : QStringList());
    QCOMPARE(linkStatistics.deviceMode, u"2"_s);
    QCOMPARE(linkStatistics.firmwareVersion, version);
    QCOMPARE(linkStatistics.extendedFirmware, extended);
    QCOMPARE(linkStatistics.newFirmwareLogin, newLogin);
    QCOMPARE(int(linkStatistics.rssiThreshold), rssiMagnitude);
    QCOMPARE(int(linkStatistics.snrThreshold), snr);
    QCOMPARE(int(linkStatistics.snrThresholdBar), snrBar);
    QCOMPARE(m_window->Traffic_History_Chart->isEnabled(), !oldFirmware);
    QCOMPARE(m_window->congestionManager->CongestionManagementTimer->isActive(), !oldFirmware);
    QVERIFY(m_window->SNMPTimer->isActive());
    QVERIFY(!monitorState.monitoringStopped);
    QVERIFY(!monitorState.snmpBusy);
}

void TestVeltoSnmpWindow::startEndsAtTheMode_data()
{
    QTest::addColumn<QByteArray>("mode"); // empty: no answer
    QTest::addColumn<bool>("operatorStops");
    QTest::addColumn<QString>("title"); // of the one message; empty: none
    QTest::addColumn<QString>("deviceMode");
    QTest::newRow("no answer") << QByteArray() << false << u"Connection Error"_s << u"-1"_s;
    QTest::newRow("access point refused") << Ber::integer(5) << false << u"Radio Error"_s << u"5"_s;
    QTest::newRow("operator stops while it waits") << QByteArray() << true << QString() << u"2"_s;
}

void TestVeltoSnmpWindow::startEndsAtTheMode()
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
            QTimer::singleShot(0, m_window, &KavomonitoringForm::runStopMenu_Click);
        };
    linkStatistics.deviceMode = u"2"_s;

    m_window->StartVeltoMonitoring();

    QCOMPARE(seen(), QList<int>{DeviceMode});
    QCOMPARE(m_messages->titles(), title.isEmpty() ? QStringList() : QStringList{title});
    QCOMPARE(linkStatistics.deviceMode, deviceMode);
    QVERIFY(monitorState.monitoringStopped);
    QCOMPARE(m_window->runStopMenu->text(), u"Resume Monitoring"_s);
    QVERIFY(!m_window->SNMPTimer->isActive());
    QVERIFY(!monitorState.snmpBusy);
    QCOMPARE(monitorState.windowClosing, title == "Radio Error"_L1);
    const bool noAnswer = title == "Connection Error"_L1;
    // Only the first time-out of the run is counted.
    QCOMPARE(monitorState.snmpTimeoutCount, noAnswer ? 1 : 0);
    if (noAnswer) {
        QCOMPARE(m_messages->messages.first().icon, MessageIcon::Stop);
        QCOMPARE(m_messages->messages.first().text,
                 u"The Monitoring application was unable to connect successfully with the radio. "
                 "Device said .\r\nPlease verify the radio connections and select 'Resume "
                 "Monitoring' from the 'Run' menu."_s);
        QCOMPARE(m_window->collectingDatalbl->text(), u"Not Connected to Velto remote..."_s);
        QVERIFY(!m_window->collectingDatalbl->isHidden());
    }
}

void TestVeltoSnmpWindow::display_data()
{
    // A cycle while monitoring is stopped or the window closes sends nothing
    // and shows the stored fields.
    QTest::addColumn<QString>("code");
    QTest::addColumn<bool>("newFirmware");
    QTest::addColumn<bool>("congestion");
    QTest::addColumn<bool>("closing"); // rather than stopped
    QTest::addColumn<QString>("status");
    QTest::addColumn<QColor>("colour");
    QTest::addColumn<int>("lamp");
    QTest::addColumn<QString>("title");
    QTest::addColumn<bool>("scanning");

    const QString before = u"Velto Monitoring Window"_s;
    const QColor green(0, 128, 0), yellow(192, 192, 0), kept(1, 2, 3);
    QTest::newRow("4 newer: connected")
        << "4" << true << false << false << "Connected" << green << 102 << before << false;
    QTest::newRow("4 older: associated")
        << "4" << false << false << false << "Associated" << green << 102 << "-80 dBm" << false;
    QTest::newRow("5 newer: associated")
        << "5" << true << false << true << "Associated" << green << 102 << "-80 dBm" << false;
    QTest::newRow("1 plain scanning") << "1" << true << false << false << "Scanning"
                                      << QColor(255, 0, 0) << 103 << "-- dBm" << true;
    QTest::newRow("1 congestion keeps the title")
        << "1" << true << true << false << "Scanning due to Congestion" << QColor(192, 0, 0) << 104
        << before << true;
    QTest::newRow("2 connecting") << "2" << true << false << true << "Connecting" << yellow << 105
                                  << before << false;
    QTest::newRow("3 connecting") << "3" << false << false << false << "Connecting" << yellow << 105
                                  << before << false;
    for (const char *unknown : {"", "0", "6", "05", "5"})
        QTest::addRow("code '%s' keeps the display", unknown)
            << QString::fromLatin1(unknown) << false << false << false << "Connected" << kept << 106
            << before << true;
}

void TestVeltoSnmpWindow::display()
{
    QFETCH(QString, code);
    QFETCH(bool, newFirmware);
    QFETCH(bool, congestion);
    QFETCH(bool, closing);
    QFETCH(QString, status);
    QFETCH(QColor, colour);
    QFETCH(int, lamp);
    QFETCH(QString, title);
    QFETCH(bool, scanning);

    QCOMPARE(m_window->StartSnmp(), 1);
    // What the window showed before this cycle.
    m_window->status->setText(u"Connected"_s);
    KavomonitoringForm::setLabelColour(m_window->status, QColor(1, 2, 3));
    m_window->showLamp(106);
    m_window->setWindowTitle(u"Velto Monitoring Window"_s);
    m_window->SignalStrengthMeter->setMeterValue(40);
    m_window->SNRMeter->setMeterValue(40);
    linkStatistics.radioScanning = true;

    (closing ? monitorState.windowClosing : monitorState.monitoringStopped) = true;
    linkStatistics.connectionStateCode = code;
    linkStatistics.newFirmwareLogin = newFirmware;
    linkStatistics.rssi = 80;
    linkStatistics.rssiText = u"-70"_s;
    linkStatistics.snr = 30;
    linkStatistics.snrText = u"40"_s;
    linkStatistics.apAddressRaw = QString::fromLatin1("\x0A\x00\x00\x01", 4);
    linkStatistics.linkRateText = u"2"_s;
    linkStatistics.txBytes = u"5"_s;
    if (congestion) {
        congestionStatus.congestionStatusText = u"Scanning due to Congestion"_s;
        congestionStatus.scanningLightIcon = Lamp::Congestion;
    }

    m_window->SNMPTimer_Timer();

    QCoreApplication::processEvents();
    QVERIFY(m_agent->requests.isEmpty());
    QCOMPARE(linkStatistics.txBytes, u"5"_s);
    QCOMPARE(m_window->status->text(), status);
    QCOMPARE(KavomonitoringForm::labelColour(m_window->status), colour);
    QCOMPARE(m_window->lampIconId(), lamp);
    QCOMPARE(m_window->windowTitle(), title);
    QCOMPARE(linkStatistics.radioScanning, scanning);
    QVERIFY(m_window->collectingDatalbl->isHidden());
    QVERIFY(!m_window->status->isHidden());
    // Associated: meter and title show the stored RSSI, the reading moves it.
    const bool associated = status == "Associated"_L1;
    QCOMPARE(int(linkStatistics.rssi), associated ? 75 : 80);
    QCOMPARE(m_window->SignalStrengthMeter->meterValue(), associated ? 50.0 : 0.0);
    QCOMPARE(m_window->SNRMeter->meterValue(), associated ? 99.99 : 0.0);
    QCOMPARE(linkStatistics.apAddress, associated ? u"10.0.0.1"_s : QString());
    QCOMPARE(int(linkStatistics.linkRateKbps), associated ? 512 : 0);
}

// A lamp that stays the same is not drawn again, and a lamp shown before is
// used again: every new icon rendered its pixmaps into the pixmap cache.
void TestVeltoSnmpWindow::unchangedLampIsNotDrawnAgain()
{
    monitorState.monitoringStopped = true;
    const auto showState = [this](const QString &code) {
        linkStatistics.connectionStateCode = code;
        m_window->SNMPTimer_Timer();
        return std::pair(m_window->windowIcon().cacheKey(), m_window->light->pixmap().cacheKey());
    };
    const auto yellow = showState(u"3"_s);
    QCOMPARE(m_window->lampIconId(), 105);
    QCOMPARE(showState(u"3"_s), yellow);
    const auto red = showState(u"1"_s);
    QCOMPARE(m_window->lampIconId(), 103);
    QVERIFY(red.first != yellow.first && red.second != yellow.second);
    QCOMPARE(showState(u"3"_s), yellow);
}

void TestVeltoSnmpWindow::tickDuringAPendingRequest()
{
    // The state arrives late; the next tick comes while the first waits. It
    // sends nothing until the first is answered, and each read keeps its own
    // answer.
    QCOMPARE(m_window->StartSnmp(), 1);
    m_window->SNMPTimeoutTimer->setInterval(5000);
    m_radio.silent << ConnectionState;
    int stateRequests = 0;
    m_radio.onRequest[ConnectionState] = [&] {
        if (++stateRequests > 1) {
            m_radio.silent.remove(ConnectionState);
            return;
        }
        QTimer::singleShot(0, m_window, &KavomonitoringForm::SNMPTimer_Timer);
        QTimer::singleShot(150, m_agent.get(), [&] {
            QCOMPARE(m_agent->requests.size(), 1); // the tick has sent nothing
            m_agent->answerLast(ScriptedAnswer{Ber::integer(2)});
        });
    };
    m_window->SNMPTimer_Timer();
    QCOMPARE(seen(), (QList<int>{ConnectionState, ConnectionState, TxOctets, RxOctets, TxOctets,
                                 RxOctets}));
    QCOMPARE(linkStatistics.connectionStateCode, u"2"_s);
    QCOMPARE(linkStatistics.txBytes, u"111"_s);
    QCOMPARE(linkStatistics.rxBytes, u"222"_s);
    QCOMPARE(monitorState.snmpTimeoutCount, 0);
    QVERIFY(m_messages->messages.isEmpty());
}

void TestVeltoSnmpWindow::haltDuringACycle_data()
{
    QTest::addColumn<bool>("giveUp");
    QTest::newRow("fourth time-out gives up") << true;
    QTest::newRow("operator stops") << false;
}

void TestVeltoSnmpWindow::haltDuringACycle()
{
    // Monitoring stops while the cycle waits for the state: the display the
    // stop has set is not drawn over by the rest of the cycle.
    QFETCH(bool, giveUp);
    QCOMPARE(m_window->StartSnmp(), 1);
    m_window->SNMPTimer->start();
    linkStatistics.connectionStateCode = u"5"_s;
    linkStatistics.newFirmwareLogin = true;
    m_radio.silent << ConnectionState;
    if (giveUp)
        monitorState.snmpTimeoutCount = 3;
    else
        m_radio.onRequest[ConnectionState] = [this] {
            QTimer::singleShot(0, m_window, &KavomonitoringForm::runStopMenu_Click);
        };

    m_window->SNMPTimer_Timer();

    QCOMPARE(seen(), QList<int>{ConnectionState});
    QCOMPARE(m_messages->messages.size(), giveUp ? 1 : 0);
    QVERIFY(monitorState.monitoringStopped);
    QCOMPARE(m_window->status->text(), u"Disconnected From Radio"_s);
    QCOMPARE(m_window->lampIconId(), 106);
    QCOMPARE(m_window->windowTitle(), u"-- dBm"_s);
    QCOMPARE(m_window->status->isHidden(), giveUp);
    if (giveUp) {
        QVERIFY(!m_window->collectingDatalbl->isHidden());
        QCOMPARE(m_window->collectingDatalbl->text(), kNotConnected);
    }
}

void TestVeltoSnmpWindow::timeouts_data()
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

void TestVeltoSnmpWindow::timeouts()
{
    QFETCH(int, timeouts);
    QFETCH(bool, answerAfter);
    QFETCH(bool, closing);
    QFETCH(int, messages);
    QFETCH(int, count);
    QFETCH(int, terminations);

    QCOMPARE(m_window->StartSnmp(), 1);
    m_window->SNMPTimer->start();
    monitorState.windowClosing = closing;
    for (int i = 0; i < timeouts; ++i)
        m_window->SNMPTimeoutTimer_Timer();
    if (answerAfter)
        QCOMPARE(m_window->GetViaSNMP(ConnectionState), u"2"_s);

    QCOMPARE(m_messages->messages.size(), messages);
    QCOMPARE(monitorState.snmpTimeoutCount, count);
    QCOMPARE(monitorState.monitoringStopped, messages > 0);
    QCOMPARE(m_terminations->count, terminations);
    if (!closing)
        QCOMPARE(m_window->SNMPTimer->isActive(), messages == 0);
    if (messages == 0)
        return;
    const OperatorMessage &m = m_messages->messages.first();
    QCOMPARE(m.title, u"Connection Error"_s);
    QCOMPARE(m.icon, MessageIcon::Stop);
    QCOMPARE(m.text, u"The Monitoring application was unable to connect successfully with the "
                     "radio. \r\nPlease verify the radio connections and select 'Resume "
                     "Monitoring' from the 'Run' menu."_s);
    QCOMPARE(m_window->collectingDatalbl->text(), kNotConnected);
    QVERIFY(!m_window->collectingDatalbl->isHidden());
    QVERIFY(m_window->status->isHidden());
    QVERIFY(m_window->SignalStrengthMeter->isHidden());
    QCOMPARE(m_window->runStopMenu->text(), u"Resume Monitoring"_s);
}

void TestVeltoSnmpWindow::reboot_data()
{
    QTest::addColumn<bool>("running");
    QTest::addColumn<bool>("valueAnswered"); // entry 5, read only while running
    QTest::addColumn<QByteArray>("sent");
    QTest::newRow("stopped: empty OCTET STRING") << false << true << text({});
    QTest::newRow("running, entry 5 answers 1: INTEGER 1") << true << true << Ber::integer(1);
    QTest::newRow("running, entry 5 silent: empty OCTET STRING") << true << false << text({});
}

void TestVeltoSnmpWindow::reboot()
{
    QFETCH(bool, running);
    QFETCH(bool, valueAnswered);
    QFETCH(QByteArray, sent);
    if (!valueAnswered)
        m_radio.silent << RebootValue;
    QCOMPARE(m_window->StartSnmp(), 1);
    if (running)
        m_window->SNMPTimer->start();
    monitorState.monitoringStopped = !running;
    m_window->RebootTimer->setInterval(60000); // ticks are run by hand below
    m_window->rebootVelto_Click();

    const QList<int> clicked =
        running ? QList<int>{RebootValue, RebootRequest} : QList<int>{RebootRequest};
    QCOMPARE(seen(), clicked);
    const SeenRequest &set = m_agent->requests.last();
    QCOMPARE(set.pduType, Ber::SetRequest);
    QCOMPARE(Ber::tlv(set.valueType, set.valueContent), sent);
    QVERIFY(!m_window->runMenu->isEnabled());
    QVERIFY(!m_window->Options->isEnabled());
    QVERIFY(m_window->RebootTimer->isActive());
    QVERIFY(MousePointer::isBusy());
    QVERIFY(monitorState.monitoringStopped);
    QVERIFY(!monitorState.snmpBusy);
    QVERIFY(!m_window->SNMPTimer->isActive());
    QCOMPARE(m_window->collectingDatalbl->text(), u"Rebooting Velto Remote..."_s);
    QVERIFY(!m_window->collectingDatalbl->isHidden());
    QVERIFY(m_window->light->isHidden());

    // The first tick only lets time pass.
    m_window->RebootTimer_Timer();
    QCOMPARE(seen(), clicked);
    QVERIFY(m_window->RebootTimer->isActive());
    QVERIFY(!m_window->runMenu->isEnabled());

    // The second restarts monitoring from scratch.
    linkStatistics.rxBytes = linkStatistics.txBytes = u"9"_s;
    monitorState.chartRestart = false;
    m_window->RebootTimer_Timer();
    QCOMPARE(seen(), clicked + kStartReads);
    QVERIFY(!m_window->RebootTimer->isActive());
    QVERIFY(m_window->runMenu->isEnabled());
    QVERIFY(m_window->Options->isEnabled());
    QCOMPARE(m_window->runStopMenu->text(), u"Stop Monitoring"_s);
    QVERIFY(!MousePointer::isBusy());
    QVERIFY(!monitorState.monitoringStopped);
    QVERIFY(linkStatistics.rxBytes.isEmpty() && linkStatistics.txBytes.isEmpty());
    QVERIFY(monitorState.chartRestart);
    QVERIFY(m_window->SNMPTimer->isActive());

    // A later reboot waits two ticks again.
    m_window->rebootVelto_Click();
    const qsizetype sentSoFar = m_agent->requests.size();
    m_window->RebootTimer_Timer();
    QCOMPARE(m_agent->requests.size(), sentSoFar);
    QVERIFY(m_window->RebootTimer->isActive());
}

QTEST_MAIN(TestVeltoSnmpWindow)
#include "tst_veltosnmpwindow.moc"
