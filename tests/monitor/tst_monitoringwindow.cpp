#include "TestSupport.h"
#include "app/Records.h"
#include "display/FileChooser.h"
#include "display/SignalMeter.h"
#include "log/LogFormat.h"
#include "gps/GpsReceiver.h"
#include "log/LogRecorder.h"
#include "monitor/MonitoringWindow.h"
#include "monitor/StationWindows.h"
#include "session/RemoteSelectionDialog.h"
#include "session/StationSession.h"
#include "snmp/VeltoMonitor.h"
#include "stream/ArdixMonitor.h"
#include "telnet/CongestionManager.h"

#include <QAction>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPointer>
#include <QSerialPort>
#include <QTemporaryDir>
#include <QSignalSpy>
#include <QTimer>
#include <QUdpSocket>
#include <QtTest>
#include <optional>
#include <pty.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

// A free UDP port for the Ardix stream of a test.
int freePort()
{
    QUdpSocket probe;
    probe.bind(QHostAddress::LocalHost, 0);
    return probe.localPort() >= 30000 && probe.localPort() <= 60000 ? probe.localPort() : 45123;
}

QPointer<MonitoringWindow> openArdixWindow(StationSession &session, StationWindows &windows)
{
    session.settings.remoteKind = RemoteKind::Ardix;
    session.settings.destPort = freePort();
    return windows.openMonitoringForm();
}

} // namespace

class TestMonitoringWindow : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void timerTable_data();
    void timerTable();
    void loadPreparesTheRun();
    void ardixFromTheDialog();
    void stopAndResumeArdix();
    void stopVeltoStopsItsTimers();
    void unchangedLampIsNotDrawnAgain();
    void switchRemoteReturnsToTheDialog();
    void unknownFamilyIsRefused();
    void exportLogFromTheFileMenu();
    void closeSequence_data();
    void closeSequence();

private:
    std::optional<StationSession> m_session;
    std::optional<StationWindows> m_windows;
};

void TestMonitoringWindow::init()
{
    m_session.emplace();
    m_windows.emplace(*m_session);
}

void TestMonitoringWindow::cleanup()
{
    // Closing a Velto window ends the station; here it only ends the test case.
    TerminationRecorder termination;
    if (MonitoringWindow *monitor = m_windows->monitoringForm())
        monitor->close();
    m_windows->closeSelection();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

void TestMonitoringWindow::timerTable_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("interval");
    QTest::addColumn<bool>("runningAfterArdixLoad");
    QTest::newRow("test") << "test" << 2000 << true;
    QTest::newRow("mscomm_timer") << "mscomm_timer" << 1500 << true;
    QTest::newRow("ChartTimer") << "ChartTimer" << 5000 << true;
    QTest::newRow("LogTimer") << "LogTimer" << 60000 << true;
    QTest::newRow("SNMPTimer") << "SNMPTimer" << 1000 << false;
    QTest::newRow("SNMPTimeoutTimer") << "SNMPTimeoutTimer" << 5000 << false;
    QTest::newRow("RebootTimer") << "RebootTimer" << 45000 << false;
    QTest::newRow("dataArrivalTimer1") << "dataArrivalTimer1" << 4000 << true;
    QTest::newRow("DataArrivalTimer2") << "DataArrivalTimer2" << 7000 << true;
    QTest::newRow("idleTimer") << "idleTimer" << 60000 << true;
    QTest::newRow("checkToSeeIfDisconnectedTimer")
        << "checkToSeeIfDisconnectedTimer" << 60000 << true;
    QTest::newRow("CongestionManagementTimer") << "CongestionManagementTimer" << 6000 << false;
    QTest::newRow("ChangeCommandForBalancing") << "ChangeCommandForBalancing" << 6000 << false;
    QTest::newRow("TelnetConnectionTimer") << "TelnetConnectionTimer" << 30001 << false;
}

void TestMonitoringWindow::timerTable()
{
    TestStore store;
    QFETCH(QString, name);
    QFETCH(int, interval);
    QFETCH(bool, runningAfterArdixLoad);
    {
        MonitoringWindow created(*m_session, *m_windows);
        auto *timer = created.findChild<QTimer *>(name);
        QVERIFY(timer);
        QCOMPARE(timer->interval(), interval);
        QVERIFY2(!timer->isActive(), "no timer runs before the load");
    }
    QPointer<MonitoringWindow> form = openArdixWindow(*m_session, *m_windows);
    QVERIFY(form);
    QCOMPARE(form->findChild<QTimer *>(name)->isActive(), runningAfterArdixLoad);
}

void TestMonitoringWindow::loadPreparesTheRun()
{
    TestStore store;
    m_session->monitor.monitoringStopped = m_session->monitor.windowClosing =
        m_session->monitor.screenLocked = true;
    m_session->link.rxBytes = u"123"_s;
    m_session->link.txBytes = u"456"_s;
    // The stored GPS choice opens the receiver at the run's first load,
    // before the GPS dialog was ever opened.
    int controller = -1;
    int device = -1;
    char devicePath[128] = {};
    QVERIFY(openpty(&controller, &device, devicePath, nullptr, nullptr) == 0);
    store.put(u"GPS Options"_s, u"GPS Enabled"_s, u"True"_s);
    store.put(u"GPS Options"_s, u"ComPort"_s, u"1"_s);
    store.put(u"GPS Options"_s, u"Com1Device"_s, QString::fromLocal8Bit(devicePath));

    QPointer<MonitoringWindow> form = openArdixWindow(*m_session, *m_windows);
    QVERIFY(form);
    QVERIFY(!m_session->monitor.monitoringStopped);
    QVERIFY(!m_session->monitor.windowClosing);
    QVERIFY(!m_session->monitor.screenLocked);
    QVERIFY(m_session->monitor.chartRestart);
    QCOMPARE(m_session->monitor.trafficViewState, qint16(1));
    QCOMPARE(m_session->link.rxBytes, QString());
    QCOMPARE(m_session->link.txBytes, QString());
    QCOMPARE(form->windowHeightTwips(), 2900);
    QCOMPARE(form->width(), 8250 / 15);
    QCOMPARE(form->SignalStrengthMeter->meterValue(), 0.0);
    QVERIFY(m_session->settings.gpsEnabled);
    auto *port = form->findChild<QSerialPort *>();
    QVERIFY(port && port->isOpen());
    QVERIFY(QString::fromLocal8Bit(devicePath).endsWith(port->portName()));
    // The receiver's fix reaches the status beside the menus.
    const QByteArray fix = "$GPGGA,1,4807.038,N,01131.000,E,2,07,0.9,545.4,M,,M,,*62\r\n";
    QVERIFY(::write(controller, fix.constData(), fix.size()) == fix.size());
    QVERIFY(QSignalSpy(port, &QSerialPort::readyRead).wait(5000));
    form->gpsReceiver->mscomm_timer_Timer();
    const QString gpsStatus = form->findChild<QLabel *>(u"GpsStatus"_s)->text();
    QVERIFY2(gpsStatus.contains(u"2 - DGPS fix"_s) && gpsStatus.contains(u"07"_s),
             qPrintable(gpsStatus));
    form->close();
    ::close(device);
    ::close(controller);
}

void TestMonitoringWindow::ardixFromTheDialog()
{
    TestStore store;
    MessageRecorder messages;
    RemoteSelectionDialog *dialog = m_windows->showRemoteSelection();
    dialog->listOfRadios->setCurrentRow(RemoteSelectionDialog::ArdixRow);
    dialog->portNumber->setText(QString::number(freePort()));
    dialog->OK_Click();

    MonitoringWindow *form = m_windows->monitoringForm();
    QVERIFY(form);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(!m_windows->snifferForm());
    QCOMPARE(form->windowTitle(), u"Ardix Monitoring Window"_s);
    QCOMPARE(form->about->text(), u"About Ardix Monitoring Window"_s);
    QVERIFY(form->SwitchRemote->isVisible());
    QVERIFY(!form->ViewSNR->isEnabled());
    for (QAction *hidden :
         {form->changeRSSIThresh, form->changeSNRThreshold, form->rebootVelto, form->ViewSNR})
        QVERIFY2(!hidden->isVisible(), qPrintable(hidden->objectName()));
    for (QWidget *snr : QList<QWidget *>{form->SNRMeter, form->SNRColorBarFrame, form->SNRlbl,
                                         form->LowSNRLabel, form->MidSNRLabel, form->HighSNRLabel})
        QVERIFY2(snr->isHidden(), qPrintable(snr->objectName()));
    QCOMPARE(form->Frame1->y(), 2400 / 15);
    QCOMPARE(form->runStopMenu->text(), u"Stop Monitoring"_s);
    QCOMPARE(form->helpTopics->shortcut(), QKeySequence(Qt::Key_F1));
    QCOMPARE(form->about->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_A));
}

void TestMonitoringWindow::stopAndResumeArdix()
{
    TestStore store;
    QPointer<MonitoringWindow> form = openArdixWindow(*m_session, *m_windows);
    QVERIFY(form);
    form->SignalStrengthMeter->setMeterValue(80);
    QList<QTimer *> timers{form->ChartTimer};
    for (const char *name :
         {"dataArrivalTimer1", "DataArrivalTimer2", "idleTimer", "checkToSeeIfDisconnectedTimer"})
        timers << form->findChild<QTimer *>(name);

    form->runStopMenu->trigger();
    QVERIFY(m_session->monitor.monitoringStopped);
    QCOMPARE(form->runStopMenu->text(), u"Resume Monitoring"_s);
    QCOMPARE(form->status->text(), u"Disconnected From Radio"_s);
    QCOMPARE(MonitoringWindow::labelColour(form->status), QColor(Qt::black));
    QCOMPARE(form->windowTitle(), u"-- dBm"_s);
    QCOMPARE(form->lampIconId(), 106);
    QCOMPARE(form->SignalStrengthMeter->meterValue(), 0.0);
    for (QTimer *t : timers)
        QVERIFY2(!t->isActive(), qPrintable(t->objectName()));
    QVERIFY(form->logRecorder->LogTimer->isActive()); // a stop leaves the log timer alone
    QCOMPARE(form->ardixMonitor->socket()->state(), QAbstractSocket::UnconnectedState);

    m_session->monitor.chartRestart = false;
    form->runStopMenu->trigger();
    QVERIFY(!m_session->monitor.monitoringStopped);
    QCOMPARE(form->runStopMenu->text(), u"Stop Monitoring"_s);
    QVERIFY(m_session->monitor.chartRestart);
    for (QTimer *t : timers)
        QVERIFY2(t->isActive(), qPrintable(t->objectName()));
}

void TestMonitoringWindow::stopVeltoStopsItsTimers()
{
    TestStore store;
    m_session->settings.remoteKind = RemoteKind::Velto;
    MonitoringWindow form(*m_session, *m_windows);
    VeltoMonitor *velto = form.veltoMonitor();
    for (QTimer *t : {velto->SNMPTimer, velto->SNMPTimeoutTimer, form.ChartTimer,
                      form.congestionManager->CongestionManagementTimer})
        t->start();
    form.SNRMeter->setMeterValue(50);

    form.ToggleMonitoring();
    QVERIFY(m_session->monitor.monitoringStopped);
    for (QTimer *t : {velto->SNMPTimer, velto->SNMPTimeoutTimer, form.ChartTimer})
        QVERIFY2(!t->isActive(), qPrintable(t->objectName()));
    // Congestion management goes on while monitoring is stopped.
    QVERIFY(form.congestionManager->CongestionManagementTimer->isActive());
    QCOMPARE(form.SNRMeter->meterValue(), 0.0);
    QCOMPARE(form.runStopMenu->text(), u"Resume Monitoring"_s);
}

// A lamp that stays the same is not drawn again, and a lamp shown before is
// used again: every new icon rendered its pixmaps into the pixmap cache.
void TestMonitoringWindow::unchangedLampIsNotDrawnAgain()
{
    TestStore store;
    MonitoringWindow form(*m_session, *m_windows);
    m_session->monitor.monitoringStopped = true; // the poll shows the stored state only
    const auto showState = [this, &form](const QString &code) {
        m_session->link.connectionStateCode = code;
        form.veltoMonitor()->SNMPTimer_Timer();
        return std::pair(form.windowIcon().cacheKey(), form.light->pixmap().cacheKey());
    };
    const auto yellow = showState(u"3"_s);
    QCOMPARE(showState(u"3"_s), yellow);
    const auto red = showState(u"1"_s);
    QVERIFY(red.first != yellow.first && red.second != yellow.second);
    QCOMPARE(showState(u"3"_s), yellow);
}

void TestMonitoringWindow::switchRemoteReturnsToTheDialog()
{
    TestStore store;
    TerminationRecorder termination;
    store.put(u"Preferences"_s, u"RemoteChoice"_s, u"Ardix"_s);
    QPointer<MonitoringWindow> form = openArdixWindow(*m_session, *m_windows);
    QVERIFY(form);
    form->SwitchRemote->trigger();

    QVERIFY(form.isNull() || form->isUnloaded());
    QVERIFY(m_session->monitor.monitoringStopped);
    QVERIFY(m_session->monitor.windowClosing);
    QCOMPARE(termination.count, 0);
    RemoteSelectionDialog *dialog = m_windows->snifferForm();
    QVERIFY(dialog && dialog->isVisible());
    QCOMPARE(dialog->listOfRadios->currentRow(), 0);
}

void TestMonitoringWindow::unknownFamilyIsRefused()
{
    TestStore store;
    MessageRecorder messages;
    TerminationRecorder termination;
    m_session->settings.remoteKind = static_cast<RemoteKind>(2);
    QVERIFY(!m_windows->openMonitoringForm());
    QCOMPARE(messages.messages.size(), 1);
    QCOMPARE(messages.messages.first().title, u"Sorry"_s);
    QCOMPARE(messages.messages.first().icon, MessageIcon::Exclamation);
    QCOMPARE(messages.messages.first().text, u"This is not for Torvik!"_s);
    QVERIFY(m_windows->snifferForm() && m_windows->snifferForm()->isVisible());
    QCOMPARE(termination.count, 0);
}

void TestMonitoringWindow::closeSequence_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<QString>("deviceMode");
    QTest::addColumn<int>("terminations");
    QTest::newRow("Ardix run closes the window only") << int(RemoteKind::Ardix) << "" << 0;
    QTest::newRow("Velto run ends the application") << int(RemoteKind::Velto) << "1" << 1;
    QTest::newRow("Velto after a failed connection ends it") << int(RemoteKind::Velto) << "-1" << 1;
    QTest::newRow("refused access point keeps the application")
        << int(RemoteKind::Velto) << "5" << 0;
}

void TestMonitoringWindow::closeSequence()
{
    TestStore store;
    TerminationRecorder termination;
    QFETCH(int, kind);
    QFETCH(QString, deviceMode);
    QFETCH(int, terminations);
    m_session->settings.remoteKind = static_cast<RemoteKind>(kind);
    m_session->settings.gpsEnabled = true;
    m_session->link.deviceMode = deviceMode;
    QPointer<MonitoringWindow> form = new MonitoringWindow(*m_session, *m_windows);
    form->show();
    form->exit->trigger();

    QCOMPARE(termination.count, terminations);
    QVERIFY(!m_session->settings.gpsEnabled);
    QVERIFY(m_session->monitor.windowClosing);
    QVERIFY(m_session->monitor.monitoringStopped);
    QVERIFY(!form->congestionManager->TelnetConnectionTimer->isActive());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(form.isNull());
}

QTEST_MAIN(TestMonitoringWindow)
#include "tst_monitoringwindow.moc"

void TestMonitoringWindow::exportLogFromTheFileMenu()
{
    TestStore store;
    MessageRecorder messages;
    QPointer<MonitoringWindow> form = openArdixWindow(*m_session, *m_windows);
    QVERIFY(form);
    QTemporaryDir dir;
    QFile log(dir.filePath(u"ardix.txt"_s));
    GpsPosition gps{};
    gps.gpsLatitude = u"4807.0380 N"_s;
    gps.gpsLongitude = u"01131.0000 E"_s;
    QVERIFY(log.open(QIODevice::WriteOnly));
    log.write(LogFormat::line(LogFormat::ardixHeader()) +
              LogFormat::line(LogFormat::ardixRecord({}, gps, QDateTime::currentDateTime(), {})));
    log.close();
    m_session->link.rssiThreshold = 83; // as set in the run's threshold dialog
    FileChooser::setNextAnswer(log.fileName());
    FileChooser::setNextAnswer(dir.filePath(u"track.kml"_s));
    form->fileMenu->findChild<QAction *>(u"exportLog"_s)->trigger();

    QFile kml(dir.filePath(u"track.kml"_s));
    QVERIFY(kml.open(QIODevice::ReadOnly));
    const QByteArray text = kml.readAll();
    QVERIFY(text.contains("threshold: -83 dBm"));
    QCOMPARE(text.count("<Point>"), 1);
}
