// GPS receiver and log clock of the monitoring window.
#include "KavomonitoringForm.h"
#include "app/Records.h"
#include "gps/GpsReceiver.h"
#include "log/LogRecorder.h"
#include "session/StationNavigator.h"

#include <QPointer>

void KavomonitoringForm::buildGpsReceiverAndLogRecorder()
{
    gpsReceiver = new GpsReceiver(sessionSettings, gpsPosition, this);
    // The port is held by another program: the station ends.
    connect(gpsReceiver, &GpsReceiver::closeRequested, this, [this] {
        QPointer<KavomonitoringForm> self(this);
        m_navigator.closeSelection();
        if (self)
            close();
    });
    logRecorder = new LogRecorder(this);
}
