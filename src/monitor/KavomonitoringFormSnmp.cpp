// SNMP handlers of the monitoring window: the blocking requests, the poll,
// the time-out and the remote reboot. The layer and the display rules live in
// src/snmp; these handlers call them and set the widgets.
#include "KavomonitoringForm.h"
#include "app/ApplicationExit.h"
#include "app/MousePointer.h"
#include "app/OperatorMessages.h"
#include "app/Records.h"
#include "display/SignalMeter.h"
#include "snmp/OidCatalogue.h"
#include "snmp/SNMP_Functions.h"
#include "snmp/VeltoPollResults.h"
#include "telnet/CongestionManager.h"
#include "telnet/CongestionStatus.h"

#include <QCoreApplication>
#include <QFrame>
#include <QLabel>
#include <QMenu>
#include <QPointer>
#include <QTimer>

namespace {

constexpr int kTimeoutsBeforeGivingUp = 3;
const QString kError = QStringLiteral("ERROR");

} // namespace

void KavomonitoringForm::SnmpLayerDeleter::operator()(SNMP_Functions *layer) const
{
    delete layer;
}

// ---------------------------------------------------------------------------
// Access layer

int KavomonitoringForm::StartSnmp()
{
    if (!m_snmp)
        m_snmp.reset(new SNMP_Functions(SNMPTimeoutTimer));
    return m_snmp->StartSnmp();
}

int KavomonitoringForm::CleanupSnmp()
{
    return m_snmp ? m_snmp->CleanupSnmp() : 1;
}

QString KavomonitoringForm::GetViaSNMP(int index)
{
    if (LookupOid(index) == QLatin1String(OidCatalogue::kInvalidOid))
        return QString();
    if (!m_snmp)
        return kError;
    return m_snmp->GetViaSNMP(index);
}

QString KavomonitoringForm::SetViaSNMP(int index, const QVariant &value)
{
    const QString oid = LookupOid(index);
    if (oid == QLatin1String(OidCatalogue::kInvalidOid))
        return oid;
    if (!m_snmp)
        return kError;
    return m_snmp->SetViaSNMP(index, value);
}

bool KavomonitoringForm::snmpReadCutShort() const
{
    if (!m_snmp)
        return false;
    const SNMP_Functions::WaitEnd end = m_snmp->lastWaitEnd();
    return end == SNMP_Functions::WaitEnd::Stopped || end == SNMP_Functions::WaitEnd::Superseded;
}

// ---------------------------------------------------------------------------
// Poll

void KavomonitoringForm::SNMPTimer_Timer()
{
    PollVeltoRemote();
}

bool KavomonitoringForm::pollRead(int index, QString &field)
{
    const auto halted = [] { return monitorState.monitoringStopped || monitorState.windowClosing; };
    if (halted())
        return true;
    QPointer<KavomonitoringForm> self(this);
    waitForPendingSnmpRequest();
    // A stop, a give-up or a close that came while this cycle waited has set
    // the display itself: the cycle ends without drawing over it.
    if (!self || halted())
        return false;
    const QString answer = GetViaSNMP(index);
    if (!self)
        return false;
    // A read cut short by a stop keeps the field as it was, like a skipped one.
    if (answer != kError && !snmpReadCutShort())
        field = answer;
    return !halted();
}

void KavomonitoringForm::showPollWidgets()
{
    collectingDatalbl->hide();
    for (QWidget *w :
         {static_cast<QWidget *>(RssiColorBarFrame), static_cast<QWidget *>(light),
          static_cast<QWidget *>(status), static_cast<QWidget *>(SignalStrengthlbl),
          static_cast<QWidget *>(ConnectionStatuslbl), static_cast<QWidget *>(SignalStrengthMeter),
          static_cast<QWidget *>(hundredDBMlbl), static_cast<QWidget *>(eightyDBMlbl),
          static_cast<QWidget *>(sixtyDBMlbl)})
        w->show();
    if (ViewSNR->isChecked()) {
        for (QWidget *w :
             {static_cast<QWidget *>(SNRlbl), static_cast<QWidget *>(LowSNRLabel),
              static_cast<QWidget *>(MidSNRLabel), static_cast<QWidget *>(HighSNRLabel),
              static_cast<QWidget *>(SNRColorBarFrame), static_cast<QWidget *>(SNRMeter)})
            w->show();
    }
}

void KavomonitoringForm::showConnectionState()
{
    const std::optional<VeltoPollResults::ConnectionStateRow> row =
        VeltoPollResults::connectionStateRow(
            linkStatistics.connectionStateCode, linkStatistics.newFirmwareLogin,
            congestionStatus.congestionStatusText, int(congestionStatus.scanningLightIcon));
    if (!row)
        return;
    status->setText(row->text);
    status->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    setLabelColour(status, QColor(row->colour.red, row->colour.green, row->colour.blue));
    showLamp(row->iconId);
    if (row->noSignalTitle)
        setWindowTitle(QStringLiteral("-- dBm"));
    linkStatistics.radioScanning = row->radioScanning;
}

bool KavomonitoringForm::applyRssiStep()
{
    // Meter and title show the average as it stood before this reading.
    const qint16 stored = linkStatistics.rssi;
    SignalStrengthMeter->setMeterValue(VeltoPollResults::rssiMeterValue(stored));
    setWindowTitle(VeltoPollResults::rssiTitle(stored));
    const std::optional<qint16> next =
        VeltoPollResults::smoothedRssi(stored, linkStatistics.rssiText);
    if (!next)
        return false;
    linkStatistics.rssi = *next;
    return true;
}

bool KavomonitoringForm::applySnrStep()
{
    const std::optional<qint16> next =
        VeltoPollResults::smoothedSnr(linkStatistics.snr, linkStatistics.snrText);
    if (!next)
        return false;
    linkStatistics.snr = *next;
    SNRMeter->setMeterValue(VeltoPollResults::snrMeterValue(linkStatistics.snr));
    return true;
}

bool KavomonitoringForm::applyLinkRateStep()
{
    const std::optional<qint16> rate = VeltoPollResults::linkRateKbps(linkStatistics.linkRateText);
    if (!rate)
        return false;
    linkStatistics.linkRateKbps = *rate;
    return true;
}

void KavomonitoringForm::PollVeltoRemote()
{
    using namespace OidCatalogue;
    if (!pollRead(ConnectionState, linkStatistics.connectionStateCode))
        return;
    showPollWidgets();
    showConnectionState();

    if (status->text() == QLatin1String(VeltoPollResults::kAssociated)) {
        if (!pollRead(Rssi, linkStatistics.rssiText) || !applyRssiStep())
            return;
        if (!pollRead(Snr, linkStatistics.snrText) || !applySnrStep())
            return;
        if (!pollRead(AccessPointAddress, linkStatistics.apAddressRaw))
            return;
        linkStatistics.apAddress = VeltoPollResults::apAddressFromRaw(linkStatistics.apAddressRaw);
        if (!pollRead(LinkRate, linkStatistics.linkRateText) || !applyLinkRateStep())
            return;
    } else {
        SNRMeter->setMeterValue(0);
        SignalStrengthMeter->setMeterValue(0);
    }

    if (!pollRead(TxOctets, linkStatistics.txBytes))
        return;
    pollRead(RxOctets, linkStatistics.rxBytes);
}

// ---------------------------------------------------------------------------
// Time-out

void KavomonitoringForm::SNMPTimeoutTimer_Timer()
{
    SNMPTimeoutTimer->stop();
    monitorState.snmpTimedOut = true;
    if (m_snmp)
        m_snmp->endRequestByTimeout();

    if (monitorState.windowClosing) {
        if (m_snmp)
            m_snmp->CloseSnmpSession();
        CleanupSnmp();
        ApplicationExit::terminate();
        return;
    }

    if (monitorState.snmpTimeoutCount < kTimeoutsBeforeGivingUp) {
        ++monitorState.snmpTimeoutCount;
        return;
    }

    // The fourth time-out in a row: the remote is given up.
    monitorState.snmpTimeoutCount = 0;
    SNMPTimer->stop();
    QPointer<KavomonitoringForm> self(this);
    OperatorMessages::show(
        QStringLiteral("Connection Error"), MessageIcon::Stop,
        {QStringLiteral(
             "The Monitoring application was unable to connect successfully with the radio. "),
         QStringLiteral("Please verify the radio connections and select 'Resume Monitoring' from "
                        "the 'Run' menu.")});
    if (!self || m_unloaded)
        return;
    collectingDatalbl->setText(QStringLiteral("Not Connected to Velto Remote...."));
    if (!monitorState.monitoringStopped)
        ToggleMonitoring();
    hideSignalWidgets();
    congestionManager->stopConnectionTimer();
    collectingDatalbl->show();
}

// ---------------------------------------------------------------------------
// Reboot

void KavomonitoringForm::rebootVelto_Click()
{
    runMenu->setEnabled(false);
    Options->setEnabled(false);

    QString rebootValue;
    if (!monitorState.monitoringStopped && !monitorState.windowClosing) {
        QPointer<KavomonitoringForm> self(this);
        waitForPendingSnmpRequest();
        if (!self)
            return;
        const QString answer = GetViaSNMP(OidCatalogue::RebootValue);
        if (!self)
            return;
        if (answer != kError)
            rebootValue = answer;
    }

    monitorState.snmpBusy = false;
    SNMPTimeoutTimer->stop();
    if (!monitorState.snmpTimedOut)
        monitorState.snmpTimeoutCount = 0;

    QPointer<KavomonitoringForm> self(this);
    SetViaSNMP(OidCatalogue::RebootRequest, rebootValue);
    if (!self)
        return;

    RebootTimer->start();
    if (!monitorState.monitoringStopped)
        ToggleMonitoring();
    collectingDatalbl->setText(QStringLiteral("Rebooting Velto Remote..."));
    collectingDatalbl->show();
    hideSignalWidgets();
    congestionManager->stopConnectionTimer();
    MousePointer::setBusy();
}

void KavomonitoringForm::RebootTimer_Timer()
{
    if (m_rebootPhase == 0) {
        // The remote gets a first 45 seconds.
        m_rebootPhase = 1;
        return;
    }
    collectingDatalbl->show();
    monitorState.windowClosing = false;
    monitorState.monitoringStopped = false;
    linkStatistics.rxBytes.clear();
    linkStatistics.txBytes.clear();
    monitorState.chartRestart = true;
    runStopMenu->setText(QStringLiteral("Stop Monitoring"));
    RebootTimer->stop();
    MousePointer::setNormal();
    runMenu->setEnabled(true);
    Options->setEnabled(true);
    QPointer<KavomonitoringForm> self(this);
    StartVeltoMonitoring();
    if (self)
        m_rebootPhase = 0;
}
