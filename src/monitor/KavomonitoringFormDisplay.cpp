// Display handlers of the monitoring window: scales, thresholds, chart, view.
#include "KavomonitoringForm.h"

void KavomonitoringForm::InitColorBar(int) {}
void KavomonitoringForm::UpdateColorBar(int) {}
void KavomonitoringForm::InitTrafficChart() {}
void KavomonitoringForm::ChartTimer_Timer() {}
void KavomonitoringForm::Traffic_History_Chart_Click() {}
void KavomonitoringForm::ViewSNR_Click() {}
void KavomonitoringForm::changeRSSIThresh_Click() {}
void KavomonitoringForm::changeSNRThreshold_Click() {}
