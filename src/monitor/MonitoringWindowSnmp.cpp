// Velto monitoring in the monitoring window: the VeltoMonitor's signals set
// the widgets, and the Velto commands of the menus go to its slots.
#include "MonitoringWindow.h"
#include "app/ColorBarModel.h"
#include "app/CongestionStatus.h"
#include "app/Records.h"
#include "display/MousePointer.h"
#include "display/RssiThresholdDialog.h"
#include "display/SignalPanel.h"
#include "display/SnrThresholdDialog.h"
#include "session/StationNavigator.h"
#include "session/StationSession.h"
#include "snmp/VeltoMonitor.h"
#include "telnet/CongestionManager.h"

#include <QAction>
#include <QChartView>
#include <QFrame>
#include <QLabel>
#include <QMenu>
#include <QPointer>
#include <QTimer>

namespace {

// The threshold dialogs reach the radio through the run's monitor; a dialog
// left open after the window has gone sends nothing.
ThresholdLink thresholdLink(VeltoMonitor *monitor, OidCatalogue::Entry entry,
                            const QString &currentValue)
{
    QPointer<VeltoMonitor> target(monitor);
    return {[target, entry](const QString &value) -> std::optional<QString> {
                if (!target)
                    return std::nullopt;
                return target->writeThreshold(entry, value);
            },
            [target, entry](const QString &value) {
                if (target)
                    target->takeThreshold(entry, value);
            },
            currentValue};
}

} // namespace

void MonitoringWindow::buildVeltoMonitor()
{
    auto *velto = m_velto = new VeltoMonitor(m_session.settings, m_session.monitor, m_session.link,
                                             m_session.congestion, this);
    connect(velto, &VeltoMonitor::runStarting, this, &MonitoringWindow::prepareVeltoRun);
    connect(velto, &VeltoMonitor::noticeChanged, collectingDatalbl, &QLabel::setText);
    connect(velto, &VeltoMonitor::waitingShown, this, &MonitoringWindow::showVeltoWaiting);
    connect(velto, &VeltoMonitor::stateLookChanged, this, &MonitoringWindow::showStateLook);
    connect(velto, &VeltoMonitor::titleChanged, this, &QWidget::setWindowTitle);
    connect(velto, &VeltoMonitor::rssiMeterChanged, this, &MonitoringWindow::showRssiReading);
    connect(velto, &VeltoMonitor::snrMeterChanged, this, &MonitoringWindow::showSnrReading);
    connect(velto, &VeltoMonitor::trafficChartEnabled, this, [this](bool enabled) {
        Traffic_History_Chart->setEnabled(enabled);
        TrafficChart->setVisible(enabled);
    });
    connect(velto, &VeltoMonitor::scalesChanged, this, [this] {
        UpdateColorBar(ColorBarModel::Rssi);
        UpdateColorBar(ColorBarModel::Snr);
    });
    connect(velto, &VeltoMonitor::congestionManagementAllowed, congestionManager,
            &CongestionManager::startCycles);
    connect(velto, &VeltoMonitor::remoteLost, congestionManager,
            &CongestionManager::stopConnectionTimer);
    connect(velto, &VeltoMonitor::stopRequested, this, &MonitoringWindow::ToggleMonitoring);
    connect(velto, &VeltoMonitor::runResumed, this,
            [this] { runStopMenu->setText(QStringLiteral("&Stop Monitoring")); });
    connect(velto, &VeltoMonitor::menusEnabled, this, [this](bool enabled) {
        runMenu->setEnabled(enabled);
        Options->setEnabled(enabled);
    });
    connect(velto, &VeltoMonitor::busyChanged, this,
            [](bool busy) { busy ? MousePointer::setBusy() : MousePointer::setNormal(); });
    connect(velto, &VeltoMonitor::selectionRequested, this,
            [this] { m_navigator.showSelection(); });
}

void MonitoringWindow::prepareVeltoRun()
{
    congestionManager->stopCycles();
    ChartTimer->start();
    InitColorBar(ColorBarModel::Snr);
    TrafficChart->show();
    congestionManager->ResetCongestionManagement();
}

void MonitoringWindow::showVeltoWaiting(bool waiting)
{
    collectingDatalbl->setVisible(waiting);
    if (waiting) {
        hideSignalWidgets();
        return;
    }
    for (QWidget *w : rssiPanel->controls())
        w->show();
    for (QWidget *w : {light, status, ConnectionStatuslbl})
        w->show();
    if (!ViewSNR->isChecked())
        return;
    for (QWidget *w : snrPanel->controls())
        w->show();
}

void MonitoringWindow::showStateLook(const StateLook &look)
{
    status->setText(look.text);
    status->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    setStatusColour(QColor(look.colour.red, look.colour.green, look.colour.blue));
    showLamp(static_cast<int>(look.lamp));
}

void MonitoringWindow::changeRSSIThresh_Click()
{
    RssiThresholdDialog::showModeless(
        thresholdLink(m_velto, OidCatalogue::RssiThreshold, m_session.link.rssiThresholdText));
}

void MonitoringWindow::changeSNRThreshold_Click()
{
    SnrThresholdDialog::showModeless(
        thresholdLink(m_velto, OidCatalogue::SnrThreshold, m_session.link.snrThresholdText));
}
