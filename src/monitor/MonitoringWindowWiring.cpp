// The controllers the monitoring window makes, and what their signals show.
#include "MonitoringWindow.h"
#include "app/ColorBarModel.h"
#include "display/MonitoringMenus.h"
#include "display/MonitoringView.h"
#include "display/MousePointer.h"
#include "gps/GpsReceiver.h"
#include "log/LogRecorder.h"
#include "session/StationNavigator.h"
#include "session/StationSession.h"
#include "snmp/VeltoMonitor.h"
#include "stream/ArdixMonitor.h"
#include "telnet/CongestionManager.h"

#include <QAction>
#include <QLabel>
#include <QMenu>
#include <QPointer>
#include <QTimer>

void MonitoringWindow::buildArdixMonitor()
{
    ardixMonitor = new ArdixMonitor(m_session.settings, m_session.monitor, m_session.link, this);
    ArdixMonitor *m = ardixMonitor;
    MonitoringView *view = m_view;
    connect(m, &ArdixMonitor::stateLookChanged, view, &MonitoringView::showStateLook);
    connect(m, &ArdixMonitor::titleChanged, this, &MonitoringWindow::setWindowTitle);
    connect(m, &ArdixMonitor::meterChanged, view, &MonitoringView::showRssiReading);
    connect(m, &ArdixMonitor::signalWidgetsShown, view,
            [view](bool shown) { view->setReadingsShown(shown, false); });
    connect(m, &ArdixMonitor::waitingNoticeShown, view, &MonitoringView::setNoticeShown);
    connect(m, &ArdixMonitor::associated, this,
            [this] { m_menus->Traffic_History_Chart->setEnabled(true); });
    connect(m, &ArdixMonitor::rssiScaleChanged, this,
            [this] { UpdateColorBar(ColorBarModel::Rssi); });
    connect(m, &ArdixMonitor::closeRequested, this, [this] {
        if (!m_unloaded)
            close();
    });
    connect(m, &ArdixMonitor::selectionRequested, this, [this] { m_navigator.showSelection(); });
}

void MonitoringWindow::buildVeltoMonitor()
{
    auto *velto = m_velto = new VeltoMonitor(m_session.settings, m_session.monitor, m_session.link,
                                             m_session.congestion, this);
    using V = VeltoMonitor;
    connect(velto, &V::runStarting, this, &MonitoringWindow::prepareVeltoRun);
    connect(velto, &V::noticeChanged, m_view, &MonitoringView::setNoticeText);
    connect(velto, &V::waitingShown, this, &MonitoringWindow::showVeltoWaiting);
    connect(velto, &V::stateLookChanged, m_view, &MonitoringView::showStateLook);
    connect(velto, &V::titleChanged, this, &QWidget::setWindowTitle);
    connect(velto, &V::rssiMeterChanged, m_view, &MonitoringView::showRssiReading);
    connect(velto, &V::snrMeterChanged, m_view, &MonitoringView::showSnrReading);
    connect(velto, &V::trafficChartEnabled, m_menus->Traffic_History_Chart, &QAction::setEnabled);
    connect(velto, &V::trafficChartEnabled, m_view, &MonitoringView::setChartShown);
    connect(velto, &V::scalesChanged, m_view, &MonitoringView::updateScales);
    connect(velto, &V::congestionManagementAllowed, congestionManager,
            &CongestionManager::startCycles);
    connect(velto, &V::remoteLost, congestionManager, &CongestionManager::stopConnectionTimer);
    connect(velto, &V::stopRequested, this, &MonitoringWindow::ToggleMonitoring);
    connect(velto, &V::runResumed, this, [this] { m_menus->showRunning(true); });
    connect(velto, &V::menusEnabled, m_menus, &MonitoringMenus::setRunAndOptionsEnabled);
    connect(velto, &V::busyChanged, this,
            [](bool busy) { busy ? MousePointer::setBusy() : MousePointer::setNormal(); });
    connect(velto, &V::selectionRequested, this, [this] { m_navigator.showSelection(); });
}

void MonitoringWindow::prepareVeltoRun()
{
    congestionManager->stopCycles();
    ChartTimer->start();
    InitColorBar(ColorBarModel::Snr);
    m_view->setChartShown(true);
    congestionManager->ResetCongestionManagement();
}

void MonitoringWindow::showVeltoWaiting(bool waiting)
{
    m_view->setNoticeShown(waiting);
    m_view->setReadingsShown(!waiting, waiting || m_menus->ViewSNR->isChecked());
}

void MonitoringWindow::buildCongestionManager()
{
    congestionManager = new CongestionManager(m_session.settings, m_session.monitor, m_session.link,
                                              m_session.congestion, m_session.wireless, this);
    connect(congestionManager, &CongestionManager::statusCentred, m_view,
            &MonitoringView::centreStatus);
}

void MonitoringWindow::buildGpsReceiverAndLogRecorder()
{
    gpsReceiver = new GpsReceiver(m_session.settings, m_session.gps, this);
    // The port is held by another program: the station ends.
    connect(gpsReceiver, &GpsReceiver::closeRequested, this, [this] {
        QPointer<MonitoringWindow> self(this);
        m_navigator.closeSelection();
        if (self)
            close();
    });
    const GpsStatus widest{.enabled = true,
                           .receiving = true,
                           .fixQuality = QStringLiteral("2 - DGPS fix"),
                           .satellites = QStringLiteral("12"),
                           .ageSeconds = 999};
    QLabel *status = m_menus->addCornerStatus("GpsStatus", widest.text());
    status->setAccessibleName(QStringLiteral("GPS status"));
    status->setText(gpsReceiver->status().text());
    connect(gpsReceiver, &GpsReceiver::statusChanged, status,
            [status](const GpsStatus &shown) { status->setText(shown.text()); });
    logRecorder = new LogRecorder(
        {m_session.settings, m_session.link, m_session.gps, m_session.existingLog}, this);
}
