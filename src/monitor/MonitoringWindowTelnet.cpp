// Congestion management of the monitoring window: the controller runs the
// telnet cycles; the window centres the state text when it asks.
#include "MonitoringWindow.h"
#include "app/CongestionStatus.h"
#include "app/Records.h"
#include "session/StationSession.h"
#include "telnet/CongestionManager.h"
#include "telnet/WirelessStats.h"

#include <QLabel>

void MonitoringWindow::buildCongestionManager()
{
    congestionManager = new CongestionManager(m_session.settings, m_session.monitor, m_session.link,
                                              m_session.congestion, m_session.wireless, this);
    connect(congestionManager, &CongestionManager::statusCentred, this,
            [this] { status->setAlignment(Qt::AlignHCenter | Qt::AlignVCenter); });
}
