// Congestion-management handlers of the monitoring window.
#include "KavomonitoringForm.h"

void KavomonitoringForm::CongestionManagementTimer_Timer() {}
void KavomonitoringForm::TelnetConnectionTimer_Timer() {}
void KavomonitoringForm::ChangeCommandForBalancing_Timer() {}
void KavomonitoringForm::CongestionManagementTelnet_Connected() {}
void KavomonitoringForm::CongestionManagementTelnet_Closed() {}
void KavomonitoringForm::CongestionManagementTelnet_DataArrival() {}
void KavomonitoringForm::CongestionManagementTelnet_WaitForMatched() {}
void KavomonitoringForm::CongestionManagementTelnet_Message(const QString &) {}
void KavomonitoringForm::CloseCongestionManagementTelnet() {}
void KavomonitoringForm::ResetCongestionManagement() {}
