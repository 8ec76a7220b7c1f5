// GPS receiver, its status and log clock of the monitoring window.
#include "MonitoringWindow.h"
#include "app/Records.h"
#include "gps/GpsReceiver.h"
#include "log/LogRecorder.h"
#include "session/StationNavigator.h"
#include "session/StationSession.h"

#include <QLabel>
#include <QMenuBar>
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
    // The status sits in the menu bar's free corner, so it costs the
    // window's fixed layout no height.
    GpsStatus = new QLabel(gpsReceiver->status().text());
    GpsStatus->setObjectName(QStringLiteral("GpsStatus"));
    GpsStatus->setAccessibleName(QStringLiteral("GPS status"));
    GpsStatus->setContentsMargins(0, 0, 6, 0);
    // The menu bar sizes its corner once: room for the widest status.
    const struct GpsStatus widest
    {
        .enabled = true, .receiving = true, .fixQuality = QStringLiteral("2 - DGPS fix"),
        .satellites = QStringLiteral("12"), .ageSeconds = 999
    };
    GpsStatus->setMinimumWidth(GpsStatus->fontMetrics().horizontalAdvance(widest.text()) + 6);
    menuBar()->setCornerWidget(GpsStatus, Qt::TopRightCorner);
    connect(gpsReceiver, &GpsReceiver::statusChanged, GpsStatus,
            [label = GpsStatus](const struct GpsStatus &status) { label->setText(status.text()); });
    logRecorder = new LogRecorder(
        {m_session.settings, m_session.link, m_session.gps, m_session.existingLog}, this);
}
