// The commands of the monitoring window's menus and lock button, and the
// ticks of its own timers.
#include "MonitoringWindow.h"
#include "VeltoThresholdLink.h"
#include "app/OperatorMessages.h"
#include "display/HelpWindow.h"
#include "display/MonitoringMenus.h"
#include "display/MonitoringView.h"
#include "display/RssiThresholdDialog.h"
#include "display/SnrThresholdDialog.h"
#include "display/TrafficChart.h"
#include "lock/LockWindow.h"
#include "session/AboutBox.h"
#include "session/StationSession.h"
#include "snmp/VeltoMonitor.h"

#include <QAction>
#include <QLabel>
#include <QPointer>
#include <QStatusBar>
#include <QTimer>

void MonitoringWindow::connectMenus()
{
    using W = MonitoringWindow;
    const MonitoringMenus &m = *m_menus;
    connect(m.exit, &QAction::triggered, this, &W::exit_Click);
    connect(m.runStopMenu, &QAction::triggered, this, &W::runStopMenu_Click);
    connect(m.SwitchRemote, &QAction::triggered, this, &W::SwitchRemote_Click);
    connect(m.ViewSNR, &QAction::triggered, this, &W::ViewSNR_Click);
    connect(m.Traffic_History_Chart, &QAction::triggered, this, &W::Traffic_History_Chart_Click);
    connect(m.rebootVelto, &QAction::triggered, this, &W::rebootVelto_Click);
    connect(m.changeRSSIThresh, &QAction::triggered, this, &W::changeRSSIThresh_Click);
    connect(m.changeSNRThreshold, &QAction::triggered, this, &W::changeSNRThreshold_Click);
    connect(m.helpTopics, &QAction::triggered, this, &W::helpTopics_Click);
    connect(m.about, &QAction::triggered, this, &W::about_Click);
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

void MonitoringWindow::changeRSSIThresh_Click()
{
    RssiThresholdDialog::showModeless(
        veltoThresholdLink(m_velto, OidCatalogue::RssiThreshold, m_session.link.rssiThresholdText));
}

void MonitoringWindow::changeSNRThreshold_Click()
{
    SnrThresholdDialog::showModeless(
        veltoThresholdLink(m_velto, OidCatalogue::SnrThreshold, m_session.link.snrThresholdText));
}

// The operator confirms the reboot (the link is down while the remote
// restarts), and the window counts down to the moment monitoring resumes.
void MonitoringWindow::rebootVelto_Click()
{
    QPointer<MonitoringWindow> self(this);
    const bool confirmed = OperatorMessages::ask(
        QStringLiteral("Reboot Velto Remote"),
        {QStringLiteral("Reboot the Velto remote at %1?").arg(m_session.settings.remoteAddress),
         QStringLiteral("The radio link goes down while the remote restarts, for about a "
                        "minute and a half; monitoring then resumes by itself.")});
    // The question's event loop may have closed the window.
    if (!confirmed || !self || m_unloaded)
        return;
    m_velto->rebootVelto_Click();
    if (!self)
        return;
    rebootCountdown_Timer();
}

void MonitoringWindow::rebootCountdown_Timer()
{
    const int leftMs = m_velto->rebootTimeLeftMs();
    if (leftMs < 0) {
        rebootCountdown->stop();
        statusBar()->clearMessage();
        return;
    }
    const int seconds = (leftMs + 999) / 1000;
    statusBar()->showMessage(
        QStringLiteral("The remote is restarting: monitoring resumes in %1 s").arg(seconds));
    rebootCountdown->start();
}

void MonitoringWindow::InitColorBar(int selector)
{
    m_view->InitColorBar(selector);
}

void MonitoringWindow::UpdateColorBar(int selector)
{
    m_view->UpdateColorBar(selector);
}

void MonitoringWindow::InitTrafficChart()
{
    m_session.traffic.clear();
    TrafficChart::InitTrafficChart(m_view->trafficChart(), m_session.traffic, m_session.monitor);
}

void MonitoringWindow::ChartTimer_Timer()
{
    TrafficChart::UpdateTrafficChart(m_view->trafficChart(), ChartTimer->interval(),
                                     m_session.traffic, m_session.link, m_session.monitor);
}

void MonitoringWindow::Traffic_History_Chart_Click()
{
    MonitorState &monitor = m_session.monitor;
    const bool show = monitor.trafficViewState == 1;
    monitor.trafficViewState = show ? 2 : 1;
    m_menus->Traffic_History_Chart->setChecked(show);
    m_view->setChartFrameShown(show);
    setWindowHeightTwips(MonitoringView::windowHeightTwips(monitor.snrBarShown, show));
}

void MonitoringWindow::ViewSNR_Click()
{
    const bool show = !m_session.monitor.snrBarShown;
    m_view->setSnrPanelShown(show);
    m_menus->ViewSNR->setChecked(show);
    m_session.monitor.snrBarShown = show;
    setWindowHeightTwips(
        MonitoringView::windowHeightTwips(show, m_menus->Traffic_History_Chart->isChecked()));
}

void MonitoringWindow::screen_lock_Click()
{
    m_session.monitor.screenLocked = true;
    LockWindow::load()->lockScreen(screen());
}

void MonitoringWindow::test_Timer()
{
    LockWindow *lock = LockWindow::loaded();
    if (!m_session.monitor.screenLocked || !lock)
        return;
    lock->testLabel->setText(QString::number(m_session.link.rssi));
    lock->test2Label->setText(m_view->statusText());
}
