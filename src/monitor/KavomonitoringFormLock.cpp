// Workstation lock handlers of the monitoring window.
#include "KavomonitoringForm.h"

void KavomonitoringForm::screen_lock_Click() {}
void KavomonitoringForm::test_Timer() {}
