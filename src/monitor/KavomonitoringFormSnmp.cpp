// SNMP handlers of the monitoring window.
#include "KavomonitoringForm.h"

int KavomonitoringForm::StartSnmp()
{
    return 0;
}
int KavomonitoringForm::CleanupSnmp()
{
    return 1;
}
QString KavomonitoringForm::GetViaSNMP(int)
{
    return QStringLiteral("ERROR");
}
QString KavomonitoringForm::SetViaSNMP(int, const QVariant &)
{
    return QStringLiteral("ERROR");
}
void KavomonitoringForm::SNMPTimer_Timer() {}
void KavomonitoringForm::SNMPTimeoutTimer_Timer() {}
void KavomonitoringForm::rebootVelto_Click() {}
void KavomonitoringForm::RebootTimer_Timer() {}
