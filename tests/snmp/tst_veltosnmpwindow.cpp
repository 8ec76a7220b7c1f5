// The monitoring window's SNMP handlers against a scripted Velto radio on the
// loopback: the Velto start, the display of a poll, the time-out count and
// give-up, and the remote reboot.
#include "SimulatedRadio.h"
#include "TestSupport.h"
#include "app/MousePointer.h"
#include "app/Records.h"
#include "display/SignalMeter.h"
#include "monitor/KavomonitoringForm.h"
#include "telnet/CongestionStatus.h"

#include <QAction>
#include <QLabel>
#include <QMenu>
#include <QPointer>
#include <QTimer>
#include <QtTest>

using namespace OidCatalogue;

namespace {

QByteArray text(const QByteArray &t)
{
    return Ber::tlv(Ber::OctetString, t);
}

// A radio that answers the Velto start: a remote (mode 2) on firmware 4.8.0.
SimulatedRadio startableRadio()
{
    SimulatedRadio radio;
    radio.values = {{DeviceMode, Ber::integer(2)},
                    {RssiThreshold, Ber::integer(-85)},
                    {SnrThreshold, Ber::integer(20)},
                    {FirmwareVersion, text("4.8.0")},
                    {FeatureIndicator, Ber::integer(0)},
                    {ConnectionState, Ber::integer(2)},
                    {TxOctets, Ber::unsignedValue(111, Ber::Counter32)},
                    {RxOctets, Ber::unsignedValue(222, Ber::Counter32)},
                    {RebootValue, Ber::integer(1)}};
    return radio;
}

const QString kGiveUpText = QStringLiteral(
    "The Monitoring application was unable to connect successfully with the radio. \r\n"
    "Please verify the radio connections and select 'Resume Monitoring' from the 'Run' menu.");

} // namespace

class TestVeltoSnmpWindow : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void startSequence_data();
    void startSequence();
    void startWithoutAnswer();
    void startRefusesAnAccessPoint();
    void stopDuringTheModeRequest();

    void displayFromStoredFields_data();
    void displayFromStoredFields();
    void rssiOverTwoCycles();
    void unchangedLampIsNotDrawnAgain();
    void stoppedCycleSendsNothing();
    void tickDuringAPendingRequest();
    void haltDuringACycle_data();
    void haltDuringACycle();

    void timeouts_data();
    void timeouts();

    void rebootWhileStopped();
    void rebootWhileRunning_data();
    void rebootWhileRunning();

private:
    void makeWindow();
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
    m_store->put(QStringLiteral("Preferences"), QStringLiteral("SNMPPort"),
                 QString::number(m_agent->port()));
    sessionSettings.remoteKind = RemoteKind::Velto;
    sessionSettings.remoteAddress = QStringLiteral("127.0.0.1");
    m_radio = startableRadio();
    m_radio.serve(*m_agent);
    makeWindow();
}

void TestVeltoSnmpWindow::makeWindow()
{
    m_window = new KavomonitoringForm;
    // The same handlers, with a shorter wait for a silent radio.
    m_window->SNMPTimeoutTimer->setInterval(300);
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

// ---------------------------------------------------------------------------
// Velto start

void TestVeltoSnmpWindow::startSequence_data()
{
    QTest::addColumn<QByteArray>("firmware");
    QTest::addColumn<QByteArray>("feature"); // empty: silent; "-": noSuchName
    QTest::addColumn<QByteArray>("rssiThreshold");
    QTest::addColumn<QByteArray>("snrThreshold");
    QTest::addColumn<QStringList>("titles");
    QTest::addColumn<QString>("version");
    QTest::addColumn<bool>("extended");
    QTest::addColumn<bool>("newLogin");
    QTest::addColumn<int>("rssiMagnitude");
    QTest::addColumn<int>("snr");
    QTest::addColumn<int>("snrBar");

    const QByteArray zero = Ber::integer(0);
    const QByteArray one = Ber::integer(1);
    const QStringList none;
    const QStringList oldFirmware{QStringLiteral("Error")};
    QTest::newRow("4.7.2 passes") << text("4.7.2") << zero << Ber::integer(-85) << Ber::integer(20)
                                  << none << "472" << false << false << 85 << 20 << 40;
    QTest::newRow("4.7.1 with 0") << text("4.7.1") << zero << Ber::integer(-45) << Ber::integer(5)
                                  << oldFirmware << "471" << false << false << 61 << 10 << 0;
    QTest::newRow("4.7.1 with noSuchName")
        << text("4.7.1") << QByteArray("-") << Ber::integer(-110) << Ber::integer(35) << oldFirmware
        << "471" << false << false << 100 << 30 << 79;
    QTest::newRow("4.7.1 with 1") << text("4.7.1") << one << Ber::integer(-85) << Ber::integer(20)
                                  << none << "471" << true << true << 85 << 20 << 40;
    QTest::newRow("4.7.1 with no answer")
        << text("4.7.1") << QByteArray() << Ber::integer(-85) << Ber::integer(20) << none << "471"
        << true << true << 85 << 20 << 40;
    QTest::newRow("5.7.0") << text("5.7.0") << zero << Ber::integer(-85) << Ber::integer(20) << none
                           << "570" << false << false << 85 << 20 << 40;
    QTest::newRow("5.7.0 extended") << text("5.7.0") << one << Ber::integer(-85) << Ber::integer(20)
                                    << none << "570" << true << true << 85 << 20 << 40;
    QTest::newRow("5.7.1") << text("5.7.1") << zero << Ber::integer(-85) << Ber::integer(20) << none
                           << "571" << false << true << 85 << 20 << 40;
    QTest::newRow("v4.8.0") << text("v4.8.0") << zero << Ber::integer(-85) << Ber::integer(20)
                            << none << "480" << false << false << 85 << 20 << 40;
    QTest::newRow("thresholds as text") << text("4.8.0") << zero << text("-90 dBm") << text("12")
                                        << none << "480" << false << false << 90 << 12 << 8;
}

void TestVeltoSnmpWindow::startSequence()
{
    QFETCH(QByteArray, firmware);
    QFETCH(QByteArray, feature);
    QFETCH(QByteArray, rssiThreshold);
    QFETCH(QByteArray, snrThreshold);
    QFETCH(QStringList, titles);
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

    QCOMPARE(seen(), (QList<int>{DeviceMode, RssiThreshold, SnrThreshold, FirmwareVersion,
                                 FeatureIndicator}));
    QCOMPARE(m_messages->titles(), titles);
    QCOMPARE(linkStatistics.deviceMode, QStringLiteral("2"));
    QCOMPARE(linkStatistics.firmwareVersion, version);
    QCOMPARE(linkStatistics.extendedFirmware, extended);
    QCOMPARE(linkStatistics.newFirmwareLogin, newLogin);
    QCOMPARE(int(linkStatistics.rssiThreshold), rssiMagnitude);
    QCOMPARE(int(linkStatistics.snrThreshold), snr);
    QCOMPARE(int(linkStatistics.snrThresholdBar), snrBar);
    QCOMPARE(m_window->Traffic_History_Chart->isEnabled(), titles.isEmpty());
    QCOMPARE(m_window->CongestionManagementTimer->isActive(), titles.isEmpty());
    QVERIFY(m_window->SNMPTimer->isActive());
    QVERIFY(!monitorState.monitoringStopped);
    QVERIFY(!monitorState.snmpBusy);
}

void TestVeltoSnmpWindow::startWithoutAnswer()
{
    m_radio.silent << DeviceMode;
    m_window->StartVeltoMonitoring();
    QCOMPARE(m_messages->titles(), QStringList{QStringLiteral("Connection Error")});
    QCOMPARE(m_messages->messages.first().icon, MessageIcon::Stop);
    QCOMPARE(m_messages->messages.first().text,
             QStringLiteral("The Monitoring application was unable to connect successfully with "
                            "the radio. Device said .\r\nPlease verify the radio connections and "
                            "select 'Resume Monitoring' from the 'Run' menu."));
    QCOMPARE(seen(), QList<int>{DeviceMode});
    QCOMPARE(linkStatistics.deviceMode, QStringLiteral("-1"));
    QVERIFY(monitorState.monitoringStopped);
    QVERIFY(!m_window->SNMPTimer->isActive());
    QCOMPARE(m_window->collectingDatalbl->text(),
             QStringLiteral("Not Connected to Velto remote..."));
    QVERIFY(!m_window->collectingDatalbl->isHidden());
    // The first time-out of the run is counted, nothing more.
    QCOMPARE(monitorState.snmpTimeoutCount, 1);
}

void TestVeltoSnmpWindow::startRefusesAnAccessPoint()
{
    m_radio.values[DeviceMode] = Ber::integer(5);
    m_window->StartVeltoMonitoring();
    QCOMPARE(m_messages->titles(), QStringList{QStringLiteral("Radio Error")});
    QCOMPARE(seen(), QList<int>{DeviceMode});
    QVERIFY(monitorState.windowClosing);
    QVERIFY(monitorState.monitoringStopped);
    QVERIFY(!m_window->SNMPTimer->isActive());
}

void TestVeltoSnmpWindow::stopDuringTheModeRequest()
{
    // The operator stops monitoring while the radio has not answered yet.
    m_radio.silent << DeviceMode;
    m_radio.onRequest[DeviceMode] = [this] {
        QTimer::singleShot(0, m_window, &KavomonitoringForm::runStopMenu_Click);
    };
    linkStatistics.deviceMode = QStringLiteral("2");
    m_window->StartVeltoMonitoring();
    QVERIFY(m_messages->messages.isEmpty());
    QCOMPARE(linkStatistics.deviceMode, QStringLiteral("2"));
    QVERIFY(monitorState.monitoringStopped);
    QCOMPARE(m_window->runStopMenu->text(), QStringLiteral("Resume Monitoring"));
    QVERIFY(!m_window->SNMPTimer->isActive());
    QVERIFY(!monitorState.snmpBusy);
}

// ---------------------------------------------------------------------------
// Poll display

void TestVeltoSnmpWindow::displayFromStoredFields_data()
{
    QTest::addColumn<QString>("code");
    QTest::addColumn<bool>("newFirmware");
    QTest::addColumn<bool>("congestion");
    QTest::addColumn<QString>("status");
    QTest::addColumn<QColor>("colour");
    QTest::addColumn<int>("lamp");
    QTest::addColumn<QString>("title");
    QTest::addColumn<bool>("scanning");
    QTest::addColumn<int>("rssi");
    QTest::addColumn<double>("rssiMeter");

    const QString before = QStringLiteral("Velto Monitoring Window");
    QTest::newRow("4 newer: connected, no signal steps")
        << "4" << true << false << "Connected" << QColor(0, 128, 0) << 102 << before << false << 80
        << 0.0;
    QTest::newRow("4 older: associated, signal steps")
        << "4" << false << false << "Associated" << QColor(0, 128, 0) << 102 << "-80 dBm" << false
        << 75 << 50.0;
    QTest::newRow("5 newer: associated")
        << "5" << true << false << "Associated" << QColor(0, 128, 0) << 102 << "-80 dBm" << false
        << 75 << 50.0;
    QTest::newRow("1 plain scanning") << "1" << true << false << "Scanning" << QColor(255, 0, 0)
                                      << 103 << "-- dBm" << true << 80 << 0.0;
    QTest::newRow("1 congestion keeps the title")
        << "1" << true << true << "Scanning due to Congestion" << QColor(192, 0, 0) << 104 << before
        << true << 80 << 0.0;
    QTest::newRow("3 connecting") << "3" << false << false << "Connecting" << QColor(192, 192, 0)
                                  << 105 << before << false << 80 << 0.0;
    QTest::newRow("empty code keeps everything")
        << "" << true << false << "Connected" << QColor(1, 2, 3) << 106 << before << true << 80
        << 0.0;
}

void TestVeltoSnmpWindow::displayFromStoredFields()
{
    QFETCH(QString, code);
    QFETCH(bool, newFirmware);
    QFETCH(bool, congestion);
    QFETCH(QString, status);
    QFETCH(QColor, colour);
    QFETCH(int, lamp);
    QFETCH(QString, title);
    QFETCH(bool, scanning);
    QFETCH(int, rssi);
    QFETCH(double, rssiMeter);

    // What the window showed before this cycle.
    m_window->status->setText(QStringLiteral("Connected"));
    KavomonitoringForm::setLabelColour(m_window->status, QColor(1, 2, 3));
    m_window->showLamp(106);
    m_window->setWindowTitle(QStringLiteral("Velto Monitoring Window"));
    m_window->SignalStrengthMeter->setMeterValue(40);
    linkStatistics.radioScanning = true;

    // Monitoring stopped: no request, the cycle works on the stored fields.
    monitorState.monitoringStopped = true;
    linkStatistics.connectionStateCode = code;
    linkStatistics.newFirmwareLogin = newFirmware;
    linkStatistics.rssi = 80;
    linkStatistics.rssiText = QStringLiteral("-70");
    if (congestion) {
        congestionStatus.congestionStatusText = QStringLiteral("Scanning due to Congestion");
        congestionStatus.scanningLightIcon = 104;
    }

    m_window->SNMPTimer_Timer();

    QVERIFY(m_agent->requests.isEmpty());
    QCOMPARE(m_window->status->text(), status);
    QCOMPARE(KavomonitoringForm::labelColour(m_window->status), colour);
    QCOMPARE(m_window->lampIconId(), lamp);
    QCOMPARE(m_window->windowTitle(), title);
    QCOMPARE(linkStatistics.radioScanning, scanning);
    QCOMPARE(int(linkStatistics.rssi), rssi);
    QCOMPARE(m_window->SignalStrengthMeter->meterValue(), rssiMeter);
    QVERIFY(m_window->collectingDatalbl->isHidden());
    QVERIFY(!m_window->status->isHidden());
}

// Each poll shows the state; a lamp that stays the same is not drawn again,
// and a lamp shown before is used again (every new icon rendered its pixmaps
// into the application's pixmap cache).
void TestVeltoSnmpWindow::unchangedLampIsNotDrawnAgain()
{
    monitorState.monitoringStopped = true;
    linkStatistics.connectionStateCode = QStringLiteral("3");
    m_window->SNMPTimer_Timer();
    QCOMPARE(m_window->lampIconId(), 105);
    const qint64 icon = m_window->windowIcon().cacheKey();
    const qint64 lamp = m_window->light->pixmap().cacheKey();

    m_window->SNMPTimer_Timer();
    QCOMPARE(m_window->windowIcon().cacheKey(), icon);
    QCOMPARE(m_window->light->pixmap().cacheKey(), lamp);

    linkStatistics.connectionStateCode = QStringLiteral("1");
    m_window->SNMPTimer_Timer();
    QCOMPARE(m_window->lampIconId(), 103);
    QVERIFY(m_window->windowIcon().cacheKey() != icon);
    QVERIFY(m_window->light->pixmap().cacheKey() != lamp);

    // Back to a lamp shown before: the same icon again.
    linkStatistics.connectionStateCode = QStringLiteral("3");
    m_window->SNMPTimer_Timer();
    QCOMPARE(m_window->windowIcon().cacheKey(), icon);
    QCOMPARE(m_window->light->pixmap().cacheKey(), lamp);
}

void TestVeltoSnmpWindow::rssiOverTwoCycles()
{
    monitorState.monitoringStopped = true;
    linkStatistics.connectionStateCode = QStringLiteral("5");
    linkStatistics.newFirmwareLogin = true;
    linkStatistics.rssi = 0;
    linkStatistics.rssiText = QStringLiteral("-85");
    linkStatistics.snr = 30;
    linkStatistics.snrText = QStringLiteral("40");
    linkStatistics.apAddressRaw = QString::fromLatin1("\x0A\x00\x00\x01", 4);
    linkStatistics.linkRateText = QStringLiteral("2");

    m_window->SNMPTimer_Timer();
    QCOMPARE(m_window->SignalStrengthMeter->meterValue(), 0.0);
    QCOMPARE(m_window->windowTitle(), QStringLiteral("0 dBm"));
    QCOMPARE(linkStatistics.rssi, qint16(42));
    QCOMPARE(linkStatistics.snr, qint16(30));
    QCOMPARE(m_window->SNRMeter->meterValue(), 99.99);
    QCOMPARE(linkStatistics.apAddress, QStringLiteral("10.0.0.1"));
    QCOMPARE(linkStatistics.linkRateKbps, qint16(512));

    m_window->SNMPTimer_Timer();
    QCOMPARE(m_window->SignalStrengthMeter->meterValue(), 100.0);
    QCOMPARE(m_window->windowTitle(), QStringLiteral("-42 dBm"));
    QCOMPARE(linkStatistics.rssi, qint16(64));

    // SNR 255 is no value: 0 at once.
    linkStatistics.snrText = QStringLiteral("255");
    m_window->SNMPTimer_Timer();
    QCOMPARE(linkStatistics.snr, qint16(0));
    QCOMPARE(m_window->SNRMeter->meterValue(), 0.0);
}

void TestVeltoSnmpWindow::stoppedCycleSendsNothing()
{
    linkStatistics.txBytes = QStringLiteral("5");
    monitorState.windowClosing = true;
    linkStatistics.connectionStateCode = QStringLiteral("2");
    m_window->SNMPTimer_Timer();
    QCoreApplication::processEvents();
    QVERIFY(m_agent->requests.isEmpty());
    QCOMPARE(linkStatistics.txBytes, QStringLiteral("5"));
    QCOMPARE(m_window->status->text(), QStringLiteral("Connecting"));
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
        if (++stateRequests == 1) {
            QTimer::singleShot(0, m_window, &KavomonitoringForm::SNMPTimer_Timer);
            QTimer::singleShot(150, m_agent.get(), [&] {
                QCOMPARE(m_agent->requests.size(), 1); // the tick has sent nothing
                m_agent->answerLast(ScriptedAnswer{Ber::integer(2)});
            });
        } else {
            m_radio.silent.remove(ConnectionState);
        }
    };
    m_window->SNMPTimer_Timer();
    QCOMPARE(seen(), (QList<int>{ConnectionState, ConnectionState, TxOctets, RxOctets, TxOctets,
                                 RxOctets}));
    QCOMPARE(linkStatistics.connectionStateCode, QStringLiteral("2"));
    QCOMPARE(linkStatistics.txBytes, QStringLiteral("111"));
    QCOMPARE(linkStatistics.rxBytes, QStringLiteral("222"));
    QCOMPARE(monitorState.snmpTimeoutCount, 0);
    QVERIFY(m_messages->messages.isEmpty());
}

void TestVeltoSnmpWindow::haltDuringACycle_data()
{
    QTest::addColumn<bool>("giveUp");
    QTest::addColumn<QString>("status");
    QTest::addColumn<int>("lamp");
    QTest::newRow("fourth time-out gives up") << true << "Disconnected From Radio" << 106;
    QTest::newRow("operator stops") << false << "Disconnected From Radio" << 106;
}

void TestVeltoSnmpWindow::haltDuringACycle()
{
    // Monitoring stops while the cycle waits for the state: the display the
    // stop has set is not drawn over by the rest of the cycle.
    QFETCH(bool, giveUp);
    QFETCH(QString, status);
    QFETCH(int, lamp);
    QCOMPARE(m_window->StartSnmp(), 1);
    m_window->SNMPTimer->start();
    linkStatistics.connectionStateCode = QStringLiteral("5");
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
    QCOMPARE(m_window->status->text(), status);
    QCOMPARE(m_window->lampIconId(), lamp);
    QCOMPARE(m_window->windowTitle(), QStringLiteral("-- dBm"));
    QCOMPARE(m_window->status->isHidden(), giveUp);
    if (giveUp) {
        QVERIFY(!m_window->collectingDatalbl->isHidden());
        QCOMPARE(m_window->collectingDatalbl->text(),
                 QStringLiteral("Not Connected to Velto Remote...."));
    }
}

// ---------------------------------------------------------------------------
// Time-out

void TestVeltoSnmpWindow::timeouts_data()
{
    QTest::addColumn<int>("timeouts");
    QTest::addColumn<bool>("answerAfter");
    QTest::addColumn<bool>("closing");
    QTest::addColumn<int>("messages");
    QTest::addColumn<int>("count");
    QTest::addColumn<bool>("stopped");
    QTest::addColumn<int>("terminations");
    QTest::newRow("three, then an answer") << 3 << true << false << 0 << 0 << false << 0;
    QTest::newRow("three") << 3 << false << false << 0 << 3 << false << 0;
    QTest::newRow("four") << 4 << false << false << 1 << 0 << true << 0;
    QTest::newRow("eight") << 8 << false << false << 2 << 0 << true << 0;
    QTest::newRow("one while closing") << 1 << false << true << 0 << 0 << false << 1;
}

void TestVeltoSnmpWindow::timeouts()
{
    QFETCH(int, timeouts);
    QFETCH(bool, answerAfter);
    QFETCH(bool, closing);
    QFETCH(int, messages);
    QFETCH(int, count);
    QFETCH(bool, stopped);
    QFETCH(int, terminations);

    QCOMPARE(m_window->StartSnmp(), 1);
    m_window->SNMPTimer->start();
    monitorState.windowClosing = closing;
    for (int i = 0; i < timeouts; ++i)
        m_window->SNMPTimeoutTimer_Timer();
    if (answerAfter)
        QCOMPARE(m_window->GetViaSNMP(ConnectionState), QStringLiteral("2"));

    QCOMPARE(m_messages->messages.size(), messages);
    QCOMPARE(monitorState.snmpTimeoutCount, count);
    QCOMPARE(monitorState.monitoringStopped, stopped);
    QCOMPARE(m_terminations->count, terminations);
    if (!closing)
        QCOMPARE(m_window->SNMPTimer->isActive(), !stopped);
    if (messages > 0) {
        const OperatorMessage &m = m_messages->messages.first();
        QCOMPARE(m.title, QStringLiteral("Connection Error"));
        QCOMPARE(m.icon, MessageIcon::Stop);
        QCOMPARE(m.text, kGiveUpText);
        QCOMPARE(m_window->collectingDatalbl->text(),
                 QStringLiteral("Not Connected to Velto Remote...."));
        QVERIFY(!m_window->collectingDatalbl->isHidden());
        QVERIFY(m_window->status->isHidden());
        QVERIFY(m_window->SignalStrengthMeter->isHidden());
        QCOMPARE(m_window->runStopMenu->text(), QStringLiteral("Resume Monitoring"));
    }
}

// ---------------------------------------------------------------------------
// Reboot

void TestVeltoSnmpWindow::rebootWhileStopped()
{
    QCOMPARE(m_window->StartSnmp(), 1);
    monitorState.monitoringStopped = true;
    m_window->RebootTimer->setInterval(60000); // ticks are run by hand below
    m_window->rebootVelto_Click();

    QCOMPARE(seen(), QList<int>{RebootRequest});
    const SeenRequest &set = m_agent->requests.first();
    QCOMPARE(set.pduType, Ber::SetRequest);
    QCOMPARE(set.valueType, Ber::OctetString);
    QVERIFY(set.valueContent.isEmpty());
    QVERIFY(!m_window->runMenu->isEnabled());
    QVERIFY(!m_window->Options->isEnabled());
    QVERIFY(m_window->RebootTimer->isActive());
    QVERIFY(MousePointer::isBusy());
    QVERIFY(monitorState.monitoringStopped);
    QCOMPARE(m_window->collectingDatalbl->text(), QStringLiteral("Rebooting Velto Remote..."));
    QVERIFY(!m_window->collectingDatalbl->isHidden());
    QVERIFY(m_window->light->isHidden());

    // The first tick only lets time pass.
    m_window->RebootTimer_Timer();
    QCOMPARE(m_agent->requests.size(), 1);
    QVERIFY(m_window->RebootTimer->isActive());
    QVERIFY(!m_window->runMenu->isEnabled());

    // The second restarts monitoring from scratch.
    linkStatistics.rxBytes = QStringLiteral("9");
    linkStatistics.txBytes = QStringLiteral("9");
    monitorState.chartRestart = false;
    m_window->RebootTimer_Timer();
    QCOMPARE(seen(), (QList<int>{RebootRequest, DeviceMode, RssiThreshold, SnrThreshold,
                                 FirmwareVersion, FeatureIndicator}));
    QVERIFY(!m_window->RebootTimer->isActive());
    QVERIFY(m_window->runMenu->isEnabled());
    QVERIFY(m_window->Options->isEnabled());
    QCOMPARE(m_window->runStopMenu->text(), QStringLiteral("Stop Monitoring"));
    QVERIFY(!MousePointer::isBusy());
    QVERIFY(!monitorState.monitoringStopped);
    QVERIFY(linkStatistics.rxBytes.isEmpty());
    QVERIFY(linkStatistics.txBytes.isEmpty());
    QVERIFY(monitorState.chartRestart);
    QVERIFY(m_window->SNMPTimer->isActive());

    // A later reboot waits two ticks again.
    m_window->rebootVelto_Click();
    const qsizetype sent = m_agent->requests.size();
    m_window->RebootTimer_Timer();
    QCOMPARE(m_agent->requests.size(), sent);
    QVERIFY(m_window->RebootTimer->isActive());
}

void TestVeltoSnmpWindow::rebootWhileRunning_data()
{
    QTest::addColumn<bool>("valueAnswered");
    QTest::addColumn<QByteArray>("sent");
    QTest::newRow("entry 5 answers 1: INTEGER 1") << true << Ber::integer(1);
    QTest::newRow("entry 5 silent: empty OCTET STRING") << false << Ber::tlv(Ber::OctetString, {});
}

void TestVeltoSnmpWindow::rebootWhileRunning()
{
    QFETCH(bool, valueAnswered);
    QFETCH(QByteArray, sent);
    if (!valueAnswered)
        m_radio.silent << RebootValue;
    QCOMPARE(m_window->StartSnmp(), 1);
    m_window->SNMPTimer->start();
    m_window->rebootVelto_Click();

    QCOMPARE(seen(), (QList<int>{RebootValue, RebootRequest}));
    const SeenRequest &set = m_agent->requests.last();
    QCOMPARE(Ber::tlv(set.valueType, set.valueContent), sent);
    QVERIFY(monitorState.monitoringStopped);
    QVERIFY(!m_window->SNMPTimer->isActive());
    QVERIFY(!monitorState.snmpBusy);
    QVERIFY(m_window->RebootTimer->isActive());
    QCOMPARE(m_window->collectingDatalbl->text(), QStringLiteral("Rebooting Velto Remote..."));
}

QTEST_MAIN(TestVeltoSnmpWindow)
#include "tst_veltosnmpwindow.moc"
