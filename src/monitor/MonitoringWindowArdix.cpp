// The Ardix stream as the monitoring window shows it: the window creates the
// stream's monitor and shows what it reports. The socket, the datagrams and
// the supervision of their arrival are the monitor's (stream/ArdixMonitor).
#include "MonitoringWindow.h"
#include "app/ColorBarModel.h"
#include "app/Records.h"
#include "display/SignalPanel.h"
#include "session/StationNavigator.h"
#include "session/StationSession.h"
#include "stream/ArdixMonitor.h"

#include <QAction>
#include <QFrame>
#include <QLabel>

void MonitoringWindow::buildArdixMonitor()
{
    ardixMonitor = new ArdixMonitor(m_session.settings, m_session.monitor, m_session.link, this);
    ArdixMonitor *m = ardixMonitor;
    connect(m, &ArdixMonitor::stateLookChanged, this, &MonitoringWindow::showArdixState);
    connect(m, &ArdixMonitor::titleChanged, this, &MonitoringWindow::setWindowTitle);
    connect(m, &ArdixMonitor::meterChanged, this, &MonitoringWindow::showRssiReading);
    connect(m, &ArdixMonitor::signalWidgetsShown, this, &MonitoringWindow::setSignalWidgetsVisible);
    connect(m, &ArdixMonitor::waitingNoticeShown, collectingDatalbl, &QLabel::setVisible);
    connect(m, &ArdixMonitor::associated, this,
            [this] { Traffic_History_Chart->setEnabled(true); });
    connect(m, &ArdixMonitor::rssiScaleChanged, this,
            [this] { UpdateColorBar(ColorBarModel::Rssi); });
    connect(m, &ArdixMonitor::closeRequested, this, [this] {
        if (!m_unloaded)
            close();
    });
    connect(m, &ArdixMonitor::selectionRequested, this, [this] { m_navigator.showSelection(); });
}

void MonitoringWindow::setSignalWidgetsVisible(bool visible)
{
    for (QWidget *w : rssiPanel->controls())
        w->setVisible(visible);
    for (QWidget *w : {light, status, ConnectionStatuslbl})
        w->setVisible(visible);
}

void MonitoringWindow::showArdixState(const StateLook &look)
{
    setStatusColour(QColor(look.colour.red, look.colour.green, look.colour.blue));
    status->setText(look.text);
    status->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    // Rendering the lamp costs more than a datagram's decoding; it is only
    // redrawn when it changes.
    showLamp(int(look.lamp));
}
