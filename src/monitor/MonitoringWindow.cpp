#include "MonitoringWindow.h"

#include "AlignmentViewMenu.h"
#include "LogExportMenu.h"
#include "app/ApplicationExit.h"
#include "app/EventWait.h"
#include "app/HandlerTimer.h"
#include "app/OperatorMessages.h"
#include "app/SettingsStore.h"
#include "display/MonitoringMenus.h"
#include "display/MonitoringView.h"
#include "display/MousePointer.h"
#include "display/StationIcons.h"
#include "display/Twips.h"
#include "gps/GpsReceiver.h"
#include "log/LogRecorder.h"
#include "session/StationNavigator.h"
#include "session/StationSession.h"
#include "snmp/VeltoMonitor.h"
#include "snmp/VeltoStartRules.h"
#include "stream/ArdixMonitor.h"
#include "telnet/CongestionManager.h"

#include <QAction>
#include <QCloseEvent>
#include <QLayout>
#include <QMenu>
#include <QPointer>
#include <QTimer>

namespace {

constexpr int kWindowWidthTwips = 8250;

} // namespace

MonitoringWindow::MonitoringWindow(StationSession &session, StationNavigator &navigator,
                                   QWidget *parent)
    : MonitoringForm(parent), m_session(session), m_navigator(navigator)
{
    setObjectName(QStringLiteral("KavomonitoringForm"));
    setWindowTitle(QStringLiteral("Kavo Connectivity Window"));
    setWindowIcon(StationIcons::product());
    setAttribute(Qt::WA_DeleteOnClose);
    m_view = new MonitoringView(m_session.settings, m_session.link, this);
    setCentralWidget(m_view);
    connect(m_view, &MonitoringView::iconChanged, this, &QWidget::setWindowIcon);
    connect(m_view, &MonitoringView::lockRequested, this, &MonitoringWindow::screen_lock_Click);
    buildArdixMonitor();
    m_menus = new MonitoringMenus(menuBar());
    LogExportMenu::addTo(m_menus->fileMenu, this, m_session);
    buildTimers();
    buildCongestionManager();
    buildGpsReceiverAndLogRecorder();
    buildVeltoMonitor();
    AlignmentViewMenu::addTo(m_menus->View, this, m_session, ardixMonitor, m_velto);
    connectMenus();
    setWindowHeightTwips(MonitoringView::windowHeightTwips(false, false));
}

MonitoringForm *MonitoringWindow::make(StationSession &session, StationNavigator &navigator)
{
    return new MonitoringWindow(session, navigator);
}

MonitoringWindow::~MonitoringWindow()
{
    Form_Terminate();
}

void MonitoringWindow::buildTimers()
{
    using F = MonitoringWindow;
    test = makeHandlerTimer(this, "test", 2000, &F::test_Timer);
    ChartTimer = makeHandlerTimer(this, "ChartTimer", 5000, &F::ChartTimer_Timer);
    rebootCountdown = makeHandlerTimer(this, "rebootCountdown", 1000, &F::rebootCountdown_Timer);
}

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
    m_view->setNoticeShown(true);

    m_session.monitor.windowClosing = false;
    m_session.monitor.monitoringStopped = false;
    m_session.link.rxBytes.clear();
    m_session.link.txBytes.clear();

    setWindowHeightTwips(MonitoringView::windowHeightTwips(false, false));
    m_session.monitor.trafficViewState = 1;

    // The window shows before the dialog closes, so the operator sees the
    // start sequence (the Velto start waits for the radio) in this window.
    show();
    m_navigator.closeSelection();

    InitColorBar(0);
    m_session.monitor.chartRestart = true;
    InitTrafficChart();
    m_view->clearRssiReading();
    startFamily();
}

void MonitoringWindow::startFamily()
{
    m_menus->showFamily(m_session.settings.remoteKind);
    switch (m_session.settings.remoteKind) {
    case RemoteKind::Ardix:
        StartArdixMonitoring();
        break;
    case RemoteKind::Velto:
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

int MonitoringWindow::lampIconId() const
{
    return m_view->lampIconId();
}

void MonitoringWindow::setupForArdix()
{
    setupForFamily(QStringLiteral("Ardix Monitoring Window"), false); // no SNR reported
}

void MonitoringWindow::setupForVelto()
{
    setupForFamily(QStringLiteral("Velto Monitoring Window"), true);
}

void MonitoringWindow::setupForFamily(const QString &title, bool snrViewAvailable)
{
    setWindowTitle(title);
    m_menus->ViewSNR->setEnabled(snrViewAvailable);
    m_menus->ViewSNR->setChecked(false);
    m_view->setSnrPanelShown(false);
    // The SNR view starts hidden in every run, so the chart view's height
    // does not count an SNR panel a run before showed.
    m_session.monitor.snrBarShown = false;
    fitToContents();
}

void MonitoringWindow::setWindowHeightTwips(int twips)
{
    m_heightTwips = twips;
    fitToContents();
}

void MonitoringWindow::fitToContents()
{
    // The designed size at the design font; a larger font or scale needs
    // more, and then the window takes what its contents need.
    // A control shown or hidden a moment ago has not been laid out yet.
    for (QLayout *l : {m_view->layout(), layout()}) {
        l->invalidate();
        l->activate();
    }
    const QSize needed = minimumSizeHint();
    resize(qMax(Twips::toPixels(kWindowWidthTwips), needed.width()),
           qMax(Twips::windowHeight(m_heightTwips), needed.height()));
}

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
        m_view->clearReadings();
        return;
    }

    m_session.monitor.monitoringStopped = false;
    m_menus->showRunning(true);
    // The start's waits may close and delete this window; the session outlives it.
    MonitorState &monitor = m_session.monitor;
    QPointer<MonitoringWindow> self(this);
    if (m_session.settings.remoteKind == RemoteKind::Velto) {
        m_velto->resumeMonitoring();
        if (self)
            m_menus->Options->setEnabled(true);
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
    m_menus->SwitchRemote->setChecked(true);
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

void MonitoringWindow::showDisconnectedDisplay()
{
    m_menus->showRunning(false);
    setWindowTitle(QStringLiteral("-- dBm"));
    m_view->showDisconnected();
}
