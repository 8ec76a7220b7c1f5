// GPS port and log timer handlers of the monitoring window.
#include "KavomonitoringForm.h"

bool KavomonitoringForm::OpenGpsPort()
{
    return true;
}
void KavomonitoringForm::CloseGpsPort() {}
void KavomonitoringForm::mscomm_timer_Timer() {}
void KavomonitoringForm::LogTimer_Timer() {}
