// Workstation lock handlers of the monitoring window.
#include "KavomonitoringForm.h"
#include "lock/screenSaver.h"
#include "session/StationSession.h"

#include <QLabel>

void KavomonitoringForm::screen_lock_Click()
{
    m_session.monitor.screenLocked = true;
    screenSaver::load()->lockScreen(screen());
}

void KavomonitoringForm::test_Timer()
{
    screenSaver *lock = screenSaver::loaded();
    if (!m_session.monitor.screenLocked || !lock)
        return;
    lock->testLabel->setText(QString::number(m_session.link.rssi));
    lock->test2Label->setText(status->text());
}
