// Workstation lock handlers of the monitoring window.
#include "KavomonitoringForm.h"
#include "app/Records.h"
#include "lock/screenSaver.h"

#include <QLabel>

void KavomonitoringForm::screen_lock_Click()
{
    monitorState.screenLocked = true;
    screenSaver::load()->lockScreen(screen());
}

void KavomonitoringForm::test_Timer()
{
    screenSaver *lock = screenSaver::loaded();
    if (!monitorState.screenLocked || !lock)
        return;
    lock->testLabel->setText(QString::number(linkStatistics.rssi));
    lock->test2Label->setText(status->text());
}
