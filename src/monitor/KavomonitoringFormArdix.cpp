// Ardix stream handlers of the monitoring window.
#include "KavomonitoringForm.h"

void KavomonitoringForm::StartArdixStream() {}
void KavomonitoringForm::Winsock1_DataArrival() {}
void KavomonitoringForm::dataArrivalTimer1_Timer() {}
void KavomonitoringForm::DataArrivalTimer2_Timer() {}
void KavomonitoringForm::idleTimer_Timer() {}
void KavomonitoringForm::checkToSeeIfDisconnectedTimer_Timer() {}
void KavomonitoringForm::ShowConnectionState(int) {}
void KavomonitoringForm::GetLocalIPAddress() {}
void KavomonitoringForm::LeaveMulticastGroup() {}
