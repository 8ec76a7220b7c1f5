// The remote's reboot from the Options menu: the operator confirms it (the
// link is down while the remote restarts), and the window counts down to
// the moment monitoring resumes.
#include "MonitoringWindow.h"
#include "app/OperatorMessages.h"
#include "session/StationSession.h"
#include "snmp/VeltoMonitor.h"

#include <QPointer>
#include <QStatusBar>
#include <QTimer>

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
