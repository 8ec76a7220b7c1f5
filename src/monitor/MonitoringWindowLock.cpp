// Workstation lock handlers of the monitoring window.
#include "MonitoringWindow.h"
#include "lock/LockWindow.h"
#include "session/StationSession.h"

#include <QLabel>

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
    lock->test2Label->setText(status->text());
}
