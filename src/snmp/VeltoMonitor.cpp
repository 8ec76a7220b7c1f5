// The Velto monitor's SNMP requests, poll, time-out and reboot; the start
// sequence is in VeltoMonitorStart.cpp.
#include "VeltoMonitor.h"

#include "VeltoFastReader.h"
#include "VeltoPollResults.h"
#include "VeltoStartRules.h"
#include "app/ApplicationExit.h"
#include "app/CongestionStatus.h"
#include "app/EventWait.h"
#include "app/HandlerTimer.h"
#include "app/OperatorMessages.h"
#include "app/Records.h"
#include "app/ThresholdRules.h"

#include <QPointer>
#include <QTimer>

namespace {

constexpr int kPollIntervalMs = 1000;
constexpr int kAnswerTimeoutMs = 5000;
constexpr int kRebootWaitMs = 45000;
constexpr int kTimeoutsBeforeGivingUp = 3;
// An extra reading does not start this close to the next poll.
constexpr int kFastReadingLeadMs = 40;
const QString kError = QStringLiteral("ERROR");

} // namespace

VeltoMonitor::VeltoMonitor(SessionSettings &settings, MonitorState &state, LinkStatistics &link,
                           const CongestionStatus &congestion, QObject *parent)
    : QObject(parent), m_settings(settings), m_state(state), m_link(link), m_congestion(congestion)
{
    using V = VeltoMonitor;
    SNMPTimer = makeHandlerTimer(this, "SNMPTimer", kPollIntervalMs, &V::SNMPTimer_Timer);
    SNMPTimeoutTimer =
        makeHandlerTimer(this, "SNMPTimeoutTimer", kAnswerTimeoutMs, &V::SNMPTimeoutTimer_Timer);
    RebootTimer = makeHandlerTimer(this, "RebootTimer", kRebootWaitMs, &V::RebootTimer_Timer);
    m_fastReader =
        std::make_unique<VeltoFastReader>(settings, [this] { return fastReadingAllowed(); });
    connect(m_fastReader.get(), &VeltoFastReader::signalRead, this, &V::rawSignalRead);
}

VeltoMonitor::~VeltoMonitor() = default;

bool VeltoMonitor::halted() const
{
    return m_state.monitoringStopped || m_state.windowClosing;
}

void VeltoMonitor::requestStop()
{
    if (!m_state.monitoringStopped)
        emit stopRequested();
}

void VeltoMonitor::stopMonitoring()
{
    m_state.monitoringStopped = true;
    SNMPTimer->stop();
    SNMPTimeoutTimer->stop();
    m_stateText.clear();
    m_fastReader->abandon();
}

void VeltoMonitor::resumeMonitoring()
{
    m_state.monitoringStopped = false;
    StartVeltoMonitoring();
}

// ---------------------------------------------------------------------------
// Access layer

int VeltoMonitor::StartSnmp()
{
    if (!m_snmp)
        m_snmp = std::make_unique<SnmpClient>(m_settings, m_state, SNMPTimeoutTimer);
    return m_snmp->StartSnmp();
}

int VeltoMonitor::CleanupSnmp()
{
    return m_snmp ? m_snmp->CleanupSnmp() : 1;
}

QString VeltoMonitor::GetViaSNMP(int index)
{
    if (LookupOid(index) == QLatin1String(OidCatalogue::kInvalidOid))
        return QString();
    if (!m_snmp)
        return kError;
    return m_snmp->GetViaSNMP(index);
}

QString VeltoMonitor::SetViaSNMP(int index, const QVariant &value)
{
    const QString oid = LookupOid(index);
    if (oid == QLatin1String(OidCatalogue::kInvalidOid))
        return oid;
    if (!m_snmp)
        return kError;
    return m_snmp->SetViaSNMP(index, value);
}

bool VeltoMonitor::snmpReadCutShort() const
{
    if (!m_snmp)
        return false;
    const SnmpClient::WaitEnd end = m_snmp->lastWaitEnd();
    return end == SnmpClient::WaitEnd::Stopped || end == SnmpClient::WaitEnd::Superseded;
}

void VeltoMonitor::setFastReadingEnabled(bool enabled)
{
    m_fastReader->setEnabled(enabled);
}

bool VeltoMonitor::fastReadingAllowed() const
{
    return !halted() && !m_polling && !m_state.snmpBusy && SNMPTimer->isActive() &&
           SNMPTimer->remainingTime() > kFastReadingLeadMs &&
           m_stateText == QLatin1String(VeltoPollResults::kAssociated);
}

void VeltoMonitor::waitForPendingSnmpRequest()
{
    // Every request of the monitor goes before an extra reading.
    m_fastReader->abandon();
    // The time-out timer ends every pending request within its interval. The
    // record outlives this object, which a close may destroy meanwhile.
    const MonitorState &state = m_state;
    EventWait::serveUntil([&state] { return !state.snmpBusy || state.snmpTimedOut; });
}

// ---------------------------------------------------------------------------
// Thresholds

std::optional<QString> VeltoMonitor::writeThreshold(OidCatalogue::Entry entry, const QString &value)
{
    if (halted())
        return std::nullopt;
    QPointer<VeltoMonitor> self(this);
    waitForPendingSnmpRequest();
    if (!self || halted())
        return std::nullopt;
    return SetViaSNMP(entry, value);
}

void VeltoMonitor::takeThreshold(OidCatalogue::Entry entry, const QString &value)
{
    if (entry == OidCatalogue::RssiThreshold) {
        m_link.rssiThresholdText = value;
        m_link.rssiThreshold = ThresholdRules::rssiThresholdFromEntry(value);
    } else {
        m_link.snrThresholdText = value;
        m_link.snrThreshold = VeltoStartRules::snrThresholdFromText(value);
        m_link.snrThresholdBar = VeltoStartRules::snrThresholdBar(m_link.snrThreshold);
    }
    emit scalesChanged();
}

// ---------------------------------------------------------------------------
// Poll

bool VeltoMonitor::pollRead(int index, QString &field)
{
    if (halted())
        return true;
    QPointer<VeltoMonitor> self(this);
    waitForPendingSnmpRequest();
    // A stop, a give-up or a close that came while this cycle waited has set
    // the display itself: the cycle ends without drawing over it.
    if (gone(self) || halted())
        return false;
    const QString answer = GetViaSNMP(index);
    if (!self)
        return false;
    // A read cut short by a stop keeps the field as it was, like a skipped one.
    if (answer != kError && !snmpReadCutShort())
        field = answer;
    return !halted();
}

void VeltoMonitor::showConnectionState()
{
    const std::optional<VeltoPollResults::ConnectionStateRow> row =
        VeltoPollResults::connectionStateRow(m_link.connectionStateCode, m_link.newFirmwareLogin,
                                             m_congestion.congestionStatusText,
                                             static_cast<Lamp>(m_congestion.scanningLightIcon));
    if (!row)
        return;
    m_stateText = row->look.text;
    emit stateLookChanged(row->look);
    if (row->noSignalTitle)
        emit titleChanged(QStringLiteral("-- dBm"));
    m_link.radioScanning = row->radioScanning;
}

bool VeltoMonitor::applyRssiStep()
{
    // Meter and title show the average as it stood before this reading.
    const qint16 stored = m_link.rssi;
    emit rssiMeterChanged(VeltoPollResults::rssiMeterValue(stored));
    emit titleChanged(VeltoPollResults::rssiTitle(stored));
    const std::optional<qint16> next = VeltoPollResults::smoothedRssi(stored, m_link.rssiText);
    if (!next)
        return false;
    m_link.rssi = *next;
    return true;
}

bool VeltoMonitor::applySnrStep()
{
    const std::optional<qint16> next = VeltoPollResults::smoothedSnr(m_link.snr, m_link.snrText);
    if (!next)
        return false;
    m_link.snr = *next;
    emit snrMeterChanged(VeltoPollResults::snrMeterValue(m_link.snr));
    return true;
}

bool VeltoMonitor::applyLinkRateStep()
{
    const std::optional<qint16> rate = VeltoPollResults::linkRateKbps(m_link.linkRateText);
    if (!rate)
        return false;
    m_link.linkRateKbps = *rate;
    return true;
}

void VeltoMonitor::SNMPTimer_Timer()
{
    QPointer<VeltoMonitor> self(this);
    m_polling = true;
    pollCycle();
    if (self)
        m_polling = false;
}

void VeltoMonitor::pollCycle()
{
    using namespace OidCatalogue;
    if (!pollRead(ConnectionState, m_link.connectionStateCode))
        return;
    emit waitingShown(false);
    showConnectionState();

    if (m_stateText == QLatin1String(VeltoPollResults::kAssociated)) {
        if (!pollRead(Rssi, m_link.rssiText) || !applyRssiStep())
            return;
        if (!pollRead(Snr, m_link.snrText) || !applySnrStep())
            return;
        emit rawSignalRead(VeltoPollResults::rawRssiDbm(m_link.rssiText),
                           VeltoPollResults::rawSnrDb(m_link.snrText));
        if (!pollRead(AccessPointAddress, m_link.apAddressRaw))
            return;
        m_link.apAddress = VeltoPollResults::apAddressFromRaw(m_link.apAddressRaw);
        if (!pollRead(LinkRate, m_link.linkRateText) || !applyLinkRateStep())
            return;
    } else {
        emit snrMeterChanged(0);
        emit rssiMeterChanged(0);
    }

    if (!pollRead(TxOctets, m_link.txBytes))
        return;
    pollRead(RxOctets, m_link.rxBytes);
}

// ---------------------------------------------------------------------------
// Time-out

void VeltoMonitor::SNMPTimeoutTimer_Timer()
{
    SNMPTimeoutTimer->stop();
    m_state.snmpTimedOut = true;
    if (m_snmp)
        m_snmp->endRequestByTimeout();

    if (m_state.windowClosing) {
        if (m_snmp)
            m_snmp->CloseSnmpSession();
        CleanupSnmp();
        ApplicationExit::terminate();
        return;
    }

    if (m_state.snmpTimeoutCount < kTimeoutsBeforeGivingUp) {
        ++m_state.snmpTimeoutCount;
        return;
    }
    giveUp();
}

void VeltoMonitor::giveUp()
{
    m_state.snmpTimeoutCount = 0;
    SNMPTimer->stop();
    QPointer<VeltoMonitor> self(this);
    OperatorMessages::show(
        QStringLiteral("Connection Error"), MessageIcon::Stop,
        {QStringLiteral(
             "The Monitoring application was unable to connect successfully with the radio. "),
         QStringLiteral("Please verify the radio connections and select 'Resume Monitoring' from "
                        "the 'Run' menu.")});
    if (gone(self))
        return;
    emit noticeChanged(QStringLiteral("Not Connected to Velto Remote...."));
    requestStop();
    if (gone(self))
        return;
    emit waitingShown(true);
    emit remoteLost();
}

// ---------------------------------------------------------------------------
// Reboot

void VeltoMonitor::rebootVelto_Click()
{
    emit menusEnabled(false);
    QPointer<VeltoMonitor> self(this);
    QString rebootValue;
    if (!halted()) {
        waitForPendingSnmpRequest();
        if (!self)
            return;
        const QString answer = GetViaSNMP(OidCatalogue::RebootValue);
        if (!self)
            return;
        if (answer != kError)
            rebootValue = answer;
    }

    m_state.snmpBusy = false;
    SNMPTimeoutTimer->stop();
    if (!m_state.snmpTimedOut)
        m_state.snmpTimeoutCount = 0;

    SetViaSNMP(OidCatalogue::RebootRequest, rebootValue);
    if (!self)
        return;
    RebootTimer->start();
    requestStop();
    if (!self)
        return;
    emit noticeChanged(QStringLiteral("Rebooting Velto Remote..."));
    emit waitingShown(true);
    emit remoteLost();
    emit busyChanged(true);
}

int VeltoMonitor::rebootTimeLeftMs() const
{
    if (!RebootTimer->isActive())
        return -1;
    // Monitoring resumes at the second tick.
    return RebootTimer->remainingTime() + (m_rebootPhase == 0 ? RebootTimer->interval() : 0);
}

void VeltoMonitor::RebootTimer_Timer()
{
    if (m_rebootPhase == 0) {
        // The remote gets a first full interval.
        m_rebootPhase = 1;
        return;
    }
    emit waitingShown(true);
    m_state.windowClosing = false;
    m_state.monitoringStopped = false;
    m_link.rxBytes.clear();
    m_link.txBytes.clear();
    m_state.chartRestart = true;
    emit runResumed();
    RebootTimer->stop();
    emit busyChanged(false);
    emit menusEnabled(true);
    QPointer<VeltoMonitor> self(this);
    StartVeltoMonitoring();
    if (self)
        m_rebootPhase = 0;
}
