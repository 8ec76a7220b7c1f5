// GPS receiver and log clock of the monitoring window.
#include "MonitoringWindow.h"
#include "app/Records.h"
#include "gps/GpsReceiver.h"
#include "log/LogRecorder.h"
#include "session/StationNavigator.h"
#include "session/StationSession.h"

#include <QPointer>

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
    logRecorder = new LogRecorder(
        {m_session.settings, m_session.link, m_session.gps, m_session.existingLog}, this);
}
