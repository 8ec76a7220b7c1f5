#include "MonitoringWindow.h"

#include "app/ApplicationExit.h"
#include "app/EventWait.h"
#include "app/HandlerTimer.h"
#include "app/OperatorMessages.h"
#include "app/SettingsStore.h"
#include "display/HelpWindow.h"
#include "display/MousePointer.h"
#include "display/SignalMeter.h"
#include "display/SignalPanel.h"
#include "display/StationIcons.h"
#include "gps/GpsReceiver.h"
#include "log/LogRecorder.h"
#include "session/AboutBox.h"
#include "session/RemoteSelectionDialog.h"
#include "session/StationNavigator.h"
#include "session/StationSession.h"
#include "snmp/VeltoMonitor.h"
#include "snmp/VeltoStartRules.h"
#include "stream/ArdixMonitor.h"
#include "telnet/CongestionManager.h"

#include <QCloseEvent>
#include <QLabel>
#include <QMenu>
#include <QPointer>
#include <QTimer>

namespace {

constexpr int kBaseHeightTwips = 2900;

} // namespace

MonitoringWindow::MonitoringWindow(StationSession &session, StationNavigator &navigator,
                                   QWidget *parent)
    : QMainWindow(parent), m_session(session), m_navigator(navigator)
{
    setObjectName(QStringLiteral("KavomonitoringForm"));
    setWindowTitle(QStringLiteral("Kavo Connectivity Window"));
    setWindowIcon(StationIcons::product());
    setAttribute(Qt::WA_DeleteOnClose);
    buildControls();
    buildMenus();
    buildTimers();
    buildCongestionManager();
    buildGpsReceiverAndLogRecorder();
    buildVeltoMonitor();
    setWindowHeightTwips(kBaseHeightTwips);
}

MonitoringWindow::~MonitoringWindow()
{
    Form_Terminate();
}

// ---------------------------------------------------------------------------
// Construction

void MonitoringWindow::buildTimers()
{
    using F = MonitoringWindow;
    test = makeHandlerTimer(this, "test", 2000, &F::test_Timer);
    ChartTimer = makeHandlerTimer(this, "ChartTimer", 5000, &F::ChartTimer_Timer);
    rebootCountdown = makeHandlerTimer(this, "rebootCountdown", 1000, &F::rebootCountdown_Timer);
}

// ---------------------------------------------------------------------------
// Load

void MonitoringWindow::Form_Load()
{
    // Timers enabled at design time run from the window's creation.
    for (QTimer *t : {test, gpsReceiver->mscomm_timer, ChartTimer})
        t->start();
    logRecorder->start();

    // GPS is used when the stored setting says so, and then its port is
    // opened too: deciding the port before reading the store would leave the
    // first window of a run (and the one after a remote switch) logging
    // "No data" all run long for a receiver that was never opened.
    m_session.settings.gpsEnabled =
        SettingsStore::read(
            QString::fromUtf16(SettingsStore::kGpsOptions), QStringLiteral("GPS Enabled"),
            SettingsStore::booleanText(m_session.settings.gpsEnabled)) == QLatin1String("True");
    if (m_session.settings.gpsEnabled && !gpsReceiver->open())
        return; // the port is held by another program: the station has ended
    m_session.monitor.screenLocked = false;

    MousePointer::setNormal();
    collectingDatalbl->show();

    m_session.monitor.windowClosing = false;
    m_session.monitor.monitoringStopped = false;
    m_session.link.rxBytes.clear();
    m_session.link.txBytes.clear();

    setWindowHeightTwips(kBaseHeightTwips);
    m_session.monitor.trafficViewState = 1;

    // The window shows before the dialog closes, so the operator sees the
    // start sequence (the Velto start waits for the radio) in this window.
    show();
    m_navigator.closeSelection();

    InitColorBar(0);
    m_session.monitor.chartRestart = true;
    InitTrafficChart();
    SignalStrengthMeter->setMeterValue(0);
    SignalStrengthMeter->clearReading();
    startFamily();
}

void MonitoringWindow::startFamily()
{
    switch (m_session.settings.remoteKind) {
    case RemoteKind::Ardix:
        about->setText(QStringLiteral("&About Ardix Monitoring Window"));
        SwitchRemote->setVisible(true);
        for (QAction *a : {changeRSSIThresh, changeSNRThreshold, rebootVelto, ViewSNR})
            a->setVisible(false);
        StartArdixMonitoring();
        break;
    case RemoteKind::Velto:
        SwitchRemote->setVisible(false);
        about->setText(QStringLiteral("&About Velto Monitoring Window"));
        m_velto->StartVeltoMonitoring();
        break;
    default: {
        QPointer<MonitoringWindow> self(this);
        StationNavigator &navigator = m_navigator; // outlives the window
        OperatorMessages::show(QStringLiteral("Sorry"), MessageIcon::Exclamation,
                               {QStringLiteral("This is not for Torvik!")});
        // The window closes before the dialog comes back: the dialog's load
        // sets the family again, and a close under the Velto family would end
        // the application instead of returning to the dialog.
        if (self)
            close();
        navigator.showSelection();
        break;
    }
    }
}

void MonitoringWindow::setupForArdix()
{
    setWindowTitle(QStringLiteral("Ardix Monitoring Window"));
    ViewSNR->setEnabled(false);
    SNRlbl->hide();
    SNRMeter->hide();
    SNRColorBarFrame->hide();
    // An Ardix radio reports no SNR: its scale's captions go with the scale.
    for (QLabel *caption : {LowSNRLabel, MidSNRLabel, HighSNRLabel})
        caption->hide();
    snrPanel->hide();
    fitToContents();
}

void MonitoringWindow::setupForVelto()
{
    setWindowTitle(QStringLiteral("Velto Monitoring Window"));
    ViewSNR->setEnabled(true);
    ViewSNR->setChecked(false);
    SNRMeter->hide();
    SNRColorBarFrame->hide();
    SNRlbl->hide();
    snrPanel->hide();
    m_session.monitor.snrBarShown = false;
    fitToContents();
}

// ---------------------------------------------------------------------------
// Start sequences

void MonitoringWindow::StartArdixMonitoring()
{
    QPointer<MonitoringWindow> self(this);
    ardixMonitor->start();
    if (!self || m_unloaded)
        return;
    ChartTimer->start();
}

// ---------------------------------------------------------------------------
// Stop, resume, switch, close

void MonitoringWindow::ToggleMonitoring()
{
    if (!m_session.monitor.monitoringStopped) {
        m_session.monitor.monitoringStopped = true;
        if (m_session.settings.remoteKind == RemoteKind::Ardix) {
            ChartTimer->stop();
            ardixMonitor->stop();
        } else if (m_session.settings.remoteKind == RemoteKind::Velto) {
            m_velto->stopMonitoring();
            ChartTimer->stop();
        }
        showDisconnectedDisplay();
        for (SignalMeter *meter : {SignalStrengthMeter, SNRMeter}) {
            meter->setMeterValue(0);
            meter->clearReading();
        }
        return;
    }

    m_session.monitor.monitoringStopped = false;
    runStopMenu->setText(QStringLiteral("&Stop Monitoring"));
    // The start's waits may close and delete this window; the session outlives it.
    MonitorState &monitor = m_session.monitor;
    QPointer<MonitoringWindow> self(this);
    if (m_session.settings.remoteKind == RemoteKind::Velto) {
        m_velto->resumeMonitoring();
        if (self)
            Options->setEnabled(true);
    } else if (m_session.settings.remoteKind == RemoteKind::Ardix) {
        StartArdixMonitoring();
    }
    monitor.chartRestart = true;
}

void MonitoringWindow::runStopMenu_Click()
{
    ToggleMonitoring();
}

void MonitoringWindow::SwitchRemote_Click()
{
    showDisconnectedDisplay();
    SwitchRemote->setChecked(true);
    if (!m_session.monitor.monitoringStopped)
        ToggleMonitoring();
    close();
    m_navigator.showSelection();
}

void MonitoringWindow::exit_Click()
{
    close();
}

void MonitoringWindow::closeEvent(QCloseEvent *event)
{
    if (!m_unloading) {
        m_unloading = true;
        QPointer<MonitoringWindow> self(this);
        Form_Unload();
        if (!self)
            return;
        m_unloaded = true;
        logRecorder->stop();
    }
    event->accept();
    m_navigator.quitWhenNoWindowLeft();
}

void MonitoringWindow::Form_Unload()
{
    QPointer<MonitoringWindow> self(this);
    m_session.settings.gpsEnabled = false;
    MousePointer::setBusy();
    showDisconnectedDisplay();
    if (!m_session.monitor.monitoringStopped)
        ToggleMonitoring();
    m_session.monitor.windowClosing = true;
    congestionManager->stopConnectionTimer();
    congestionManager->CloseCongestionManagementTelnet();
    if (!self)
        return;
    EventWait::serveFor(100);
    if (!self)
        return;

    if (m_session.settings.remoteKind == RemoteKind::Ardix) {
        ardixMonitor->LeaveMulticastGroup();
    } else if (m_session.settings.remoteKind == RemoteKind::Velto) {
        if (m_velto->closeSession())
            return; // the application has ended
    }

    if (!m_session.link.deviceMode.isEmpty() &&
        !VeltoStartRules::isAccessPointMode(m_session.link.deviceMode)) {
        ApplicationExit::terminate();
        return;
    }
    gpsReceiver->close();
    // The run goes on with the remote-selection dialog: give the operator
    // back the normal pointer the close sequence replaced.
    MousePointer::setNormal();
}

void MonitoringWindow::Form_Terminate()
{
    congestionManager->CloseCongestionManagementTelnet();
}

void MonitoringWindow::about_Click()
{
    if (m_session.settings.remoteKind == RemoteKind::Ardix)
        AboutBox::showBox(AboutBox::Kind::ArdixMonitoring);
    else if (m_session.settings.remoteKind == RemoteKind::Velto)
        AboutBox::showBox(AboutBox::Kind::VeltoMonitoring);
}

void MonitoringWindow::helpTopics_Click()
{
    HelpWindow::showTopics();
}
