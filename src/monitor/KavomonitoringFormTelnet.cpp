// Congestion management of the monitoring window: the controller runs the
// telnet cycles; the window centres the state text when it asks.
#include "KavomonitoringForm.h"
#include "app/CongestionStatus.h"
#include "app/Records.h"
#include "telnet/CongestionManager.h"
#include "telnet/WirelessStats.h"

#include <QLabel>

void KavomonitoringForm::buildCongestionManager()
{
    congestionManager = new CongestionManager(sessionSettings, monitorState, linkStatistics,
                                              congestionStatus, wirelessStats, this);
    connect(congestionManager, &CongestionManager::statusCentred, this,
            [this] { status->setAlignment(Qt::AlignHCenter | Qt::AlignVCenter); });
}
