#include "VeltoFastReader.h"

#include "OidCatalogue.h"
#include "SnmpClient.h"
#include "VeltoPollResults.h"

#include <QPointer>
#include <algorithm>

namespace {

// Four readings a second while the radio answers within a quarter second;
// after time-outs at most one every eight seconds.
constexpr int kReadingIntervalMs = 250;
constexpr int kBackOffCapMs = 8000;
constexpr int kAnswerTimeoutMs = 800;
// How soon a closed gate is looked at again.
constexpr int kGateRetryMs = 50;

} // namespace

VeltoFastReader::VeltoFastReader(const SessionSettings &settings, std::function<bool()> gate,
                                 QObject *parent)
    : QObject(parent), m_settings(settings), m_gate(std::move(gate)),
      m_pacer(kReadingIntervalMs, kBackOffCapMs)
{
    m_timeoutTimer.setSingleShot(true);
    m_timeoutTimer.setInterval(kAnswerTimeoutMs);
    m_tickTimer.setSingleShot(true);
    connect(&m_tickTimer, &QTimer::timeout, this, &VeltoFastReader::tick);
    m_clock.start();
}

VeltoFastReader::~VeltoFastReader() = default;

void VeltoFastReader::setEnabled(bool enabled)
{
    m_enabled = enabled;
    if (!enabled) {
        abandon();
        m_tickTimer.stop();
        return;
    }
    if (!m_snmp) {
        m_snmp = std::make_unique<SnmpClient>(m_settings, m_requestState, &m_timeoutTimer);
        connect(&m_timeoutTimer, &QTimer::timeout, m_snmp.get(), &SnmpClient::endRequestByTimeout);
    }
    m_snmp->StartSnmp();
    m_tickTimer.start(0);
}

void VeltoFastReader::abandon()
{
    if (m_snmp && m_pacer.outstanding())
        m_snmp->CleanupSnmp();
}

void VeltoFastReader::scheduleNext()
{
    if (!m_enabled)
        return;
    const qint64 wait = m_pacer.msUntilNext(m_clock.elapsed());
    m_tickTimer.start(int(std::max<qint64>(wait, 1)));
}

VeltoFastReader::Outcome VeltoFastReader::read(int index, QString &answer)
{
    answer = m_snmp->GetViaSNMP(index);
    switch (m_snmp->lastWaitEnd()) {
    case SnmpClient::WaitEnd::Answered:
        return Outcome::Answered;
    case SnmpClient::WaitEnd::Stopped:
    case SnmpClient::WaitEnd::Superseded:
        return Outcome::Abandoned;
    default:
        return Outcome::Failed; // a time-out, or nothing could be sent
    }
}

void VeltoFastReader::tick()
{
    if (!m_enabled || m_pacer.outstanding())
        return;
    if (!m_gate()) {
        m_tickTimer.start(kGateRetryMs);
        return;
    }
    if (!m_pacer.maySend(m_clock.elapsed())) {
        scheduleNext();
        return;
    }
    m_pacer.sent(m_clock.elapsed());
    QPointer<VeltoFastReader> self(this);
    QString rssi;
    QString snr;
    Outcome outcome = read(OidCatalogue::Rssi, rssi);
    if (!self)
        return;
    if (outcome == Outcome::Answered && m_enabled)
        outcome = read(OidCatalogue::Snr, snr);
    if (!self)
        return;
    if (outcome == Outcome::Answered) {
        m_pacer.answered();
        emit signalRead(VeltoPollResults::rawRssiDbm(rssi), VeltoPollResults::rawSnrDb(snr));
        if (!self)
            return;
    } else if (outcome == Outcome::Failed) {
        m_pacer.timedOut(m_clock.elapsed());
    } else {
        m_pacer.abandoned();
    }
    scheduleNext();
}
