#include "ArdixMonitor.h"

#include "ArdixDatagramDecoder.h"
#include "ArdixReadings.h"
#include "MulticastMembership.h"
#include "app/ApplicationExit.h"
#include "app/HandlerTimer.h"
#include "app/OperatorMessages.h"
#include "app/Records.h"

#include <QPointer>
#include <QTimer>
#include <QUdpSocket>
#include <QVariant>
#include <cmath>
#include <utility>

namespace {

constexpr qint16 kArdixChartRateKbps = 120;
const QString kMulticastGroup = QStringLiteral("224.1.2.3");

// The arrival supervision: each watchdog's first interval from the start, and
// the one it counts after its first tick.
constexpr int kFreshnessFirstMs = 4000;   // dataArrivalTimer1
constexpr int kFreshnessRecheckMs = 6000; // dataArrivalTimer1 after its first tick
constexpr int kSilenceFirstMs = 7000;     // DataArrivalTimer2
constexpr int kSilenceRepeatMs = 5000;    // DataArrivalTimer2 after its first tick
constexpr int kIdleMs = 60000;
constexpr int kDisconnectCheckMs = 60000;

// Datagrams taken per arrival event, so a flood of datagrams cannot keep the
// window from its other events.
constexpr int kDatagramsPerEvent = 64;
// Datagrams wait in the socket while the window serves its other events (a
// repaint, a log tick, a message). The system's default buffer holds a few
// hundred small datagrams, a fraction of a second of a busy stream; this one
// holds thousands. The system caps it at its own maximum (net.core.rmem_max).
constexpr int kReceiveBufferBytes = 4 * 1024 * 1024;

// Where each counter of the datagram is kept, in datagram order.
constexpr QString LinkStatistics::*kCounterFields[ArdixDatagram::CounterCount] = {
    &LinkStatistics::rxBytes,   &LinkStatistics::rxPackets, &LinkStatistics::rxErrors,
    &LinkStatistics::txBytes,   &LinkStatistics::txPackets, &LinkStatistics::txErrors,
    &LinkStatistics::fragments, &LinkStatistics::retries};

} // namespace

ArdixMonitor::ArdixMonitor(const SessionSettings &settings, MonitorState &state,
                           LinkStatistics &link, QObject *parent)
    : QObject(parent), m_settings(settings), m_state(state), m_link(link),
      m_socket(new QUdpSocket(this))
{
    setObjectName(QStringLiteral("ardixMonitor"));
    m_socket->setObjectName(QStringLiteral("Winsock1"));
    connect(m_socket, &QUdpSocket::readyRead, this, &ArdixMonitor::Winsock1_DataArrival);
    m_freshnessTimer = makeHandlerTimer(this, "dataArrivalTimer1", kFreshnessFirstMs,
                                        &ArdixMonitor::dataArrivalTimer1_Timer);
    m_silenceTimer = makeHandlerTimer(this, "DataArrivalTimer2", kSilenceFirstMs,
                                      &ArdixMonitor::DataArrivalTimer2_Timer);
    m_idleTimer = makeHandlerTimer(this, "idleTimer", kIdleMs, &ArdixMonitor::idleTimer_Timer);
    m_disconnectTimer = makeHandlerTimer(this, "checkToSeeIfDisconnectedTimer", kDisconnectCheckMs,
                                         &ArdixMonitor::checkToSeeIfDisconnectedTimer_Timer);
}

ArdixMonitor::~ArdixMonitor() = default;

bool ArdixMonitor::streaming() const
{
    return m_streamOpen && m_socket->state() == QAbstractSocket::BoundState;
}

// ---------------------------------------------------------------------------
// Start, stop and membership

void ArdixMonitor::start()
{
    if (!openStream())
        return;
    for (QTimer *t : {m_freshnessTimer, m_silenceTimer, m_idleTimer, m_disconnectTimer})
        t->start();
}

void ArdixMonitor::stop()
{
    m_socket->close();
    for (QTimer *t : {m_freshnessTimer, m_silenceTimer, m_idleTimer, m_disconnectTimer})
        t->stop();
}

void ArdixMonitor::StartArdixStream()
{
    openStream();
}

bool ArdixMonitor::openStream()
{
    m_streamOpen = true;
    m_taken = {};
    m_link.ArdixDataFresh = true;
    m_link.ArdixDataSeen = false;
    m_link.linkRateKbps = kArdixChartRateKbps;
    emit waitingNoticeShown(!m_state.monitoringStopped);

    // Any host may send to the port; only the local port is bound. Other
    // stations on this machine may listen on the same port.
    m_socket->close();
    const qint32 port = m_settings.destPort;
    const bool bound = port > 0 && port <= 65535 &&
                       m_socket->bind(QHostAddress::AnyIPv4, quint16(port),
                                      QUdpSocket::ShareAddress | QUdpSocket::ReuseAddressHint);
    // A port that cannot be bound receives nothing; the arrival supervision
    // then tells the operator that no data comes and returns to the dialog.
    if (bound) {
        m_socket->setSocketOption(QAbstractSocket::ReceiveBufferSizeSocketOption,
                                  QVariant(kReceiveBufferBytes));
        if (!joinGroup())
            return false;
    }
    if (!m_state.monitoringStopped)
        emit signalWidgetsShown(false); // until the first datagram brings values
    return true;
}

bool ArdixMonitor::joinGroup()
{
    m_membership = std::make_unique<MulticastMembership>();
    if (m_membership->JoinMulticastGroup(m_socket->socketDescriptor(), kMulticastGroup))
        return true;
    QPointer<ArdixMonitor> self(this);
    OperatorMessages::show(QStringLiteral("Connection Error"), MessageIcon::Stop,
                           {QStringLiteral("Failed to join the multi-cast group")});
    if (self)
        emit closeRequested();
    ApplicationExit::terminate();
    return false;
}

void ArdixMonitor::LeaveMulticastGroup()
{
    // Stop has usually closed the socket already, which ended its
    // memberships; the membership then has nothing left to drop.
    if (m_membership)
        m_membership->LeaveMulticastGroup(m_socket->socketDescriptor());
    m_membership.reset();
    m_streamOpen = false;
}

// ---------------------------------------------------------------------------
// Datagrams

void ArdixMonitor::Winsock1_DataArrival()
{
    // A message shown for one datagram runs a nested event loop. Datagrams
    // arriving meanwhile stay in the socket and are taken, in order, by the
    // loop below once the message has closed.
    if (m_takingDatagrams || !m_streamOpen)
        return;
    QPointer<ArdixMonitor> self(this);
    m_takingDatagrams = true;
    takeDatagrams();
    if (self)
        m_takingDatagrams = false;
}

void ArdixMonitor::takeDatagrams()
{
    // The socket signals the next arrival only once the last one it signalled
    // was followed by a read. While a message is open its signals go
    // unanswered (this handler is not re-entered), so after a message the
    // loop reads at least once more, whatever its share; ending on the
    // message would leave the socket silent for good.
    QPointer<ArdixMonitor> self(this);
    bool messageShown = false;
    // Bytes after the decoded ones are dropped by the read; the decoder would
    // ignore them anyway.
    char buffer[ArdixDatagramDecoder::kDatagramSize];
    for (int taken = 0; taken < kDatagramsPerEvent || messageShown; ++taken) {
        if (!m_socket->hasPendingDatagrams())
            break;
        const qint64 size = m_socket->readDatagram(buffer, sizeof buffer);
        if (size < 0)
            break;
        messageShown = applyDatagram(QByteArray::fromRawData(buffer, qsizetype(size)));
        if (!self || !streaming())
            return;
    }
    showTakenDatagrams();
}

bool ArdixMonitor::applyDatagram(const QByteArray &datagram)
{
    const ArdixDatagram decoded = ArdixDatagramDecoder::decode(datagram, m_link.rssi);
    if (decoded.marker == ArdixDatagram::Marker::Invalid) {
        // Any host can send to the port, so a stray datagram must not end the
        // run, nor pass for the radio's data: it neither paints a state nor
        // keeps the watchdogs from noticing that the radio went quiet. The
        // operator is told once, until a valid datagram comes again.
        if (m_invalidDataShown)
            return false;
        m_invalidDataShown = true;
        // What came before the stray datagram is on screen while the
        // message is open.
        showTakenDatagrams();
        OperatorMessages::show(QStringLiteral("Error"), MessageIcon::Stop,
                               {QStringLiteral("Invalid data being received by the remote."),
                                QStringLiteral("Restart radio and try again.")});
        return true;
    }
    if (decoded.marker == ArdixDatagram::Marker::Valid)
        m_invalidDataShown = false;

    m_link.ArdixDataFresh = true;
    m_link.ArdixDataSeen = true;
    m_taken.any = true;
    if (decoded.state) {
        m_taken.state = *decoded.state;
        m_taken.associated |= *decoded.state == 1;
    }
    if (decoded.rssi) {
        m_link.rssi = *decoded.rssi;
        m_taken.rssi = true;
    }
    for (int i = 0; i < ArdixDatagram::CounterCount; ++i) {
        if (decoded.counters[i])
            m_link.*kCounterFields[i] = *decoded.counters[i];
    }
    // A zero byte is the remote's "no reading".
    if (decoded.rawRssi)
        emit rawSignalRead(*decoded.rawRssi == 0 ? std::nan("") : *decoded.rawRssi, std::nan(""));
    return false;
}

void ArdixMonitor::showTakenDatagrams()
{
    // The records follow every datagram; the window is told once per batch,
    // the last values, as it cannot draw faster than its screen anyway.
    if (!m_taken.any)
        return;
    const TakenDatagrams taken = std::exchange(m_taken, {});
    emit waitingNoticeShown(false);
    emit signalWidgetsShown(true);
    if (taken.associated)
        emit associated();
    if (taken.state)
        emit stateLookChanged(ArdixReadings::connectionStateLook(*taken.state));
    if (taken.rssi) {
        emit titleChanged(ArdixReadings::rssiTitle(m_link.rssi));
        emit rssiScaleChanged();
        emit meterChanged(ArdixReadings::meterValueForRssi(m_link.rssi));
    }
    rearmWatchdogs();
}

void ArdixMonitor::rearmWatchdogs()
{
    // Both watchdogs count their full interval again from this datagram; not
    // when the stream was stopped or closed meanwhile.
    if (!streaming())
        return;
    m_freshnessTimer->start();
    m_silenceTimer->start();
}

void ArdixMonitor::showConnectionState(int state)
{
    const StateLook look = ArdixReadings::connectionStateLook(state);
    if (look.lamp == Lamp::Associated)
        emit associated();
    emit waitingNoticeShown(false);
    emit signalWidgetsShown(true);
    emit stateLookChanged(look);
}

// ---------------------------------------------------------------------------
// Arrival supervision

void ArdixMonitor::dataArrivalTimer1_Timer()
{
    // Nothing new since the last tick: the log timer stops writing records.
    m_link.ArdixDataFresh = false;
    m_freshnessTimer->setInterval(kFreshnessRecheckMs);
    m_freshnessTimer->start();
}

void ArdixMonitor::DataArrivalTimer2_Timer()
{
    m_silenceTimer->setInterval(kSilenceRepeatMs);
    m_silenceTimer->stop();

    if (m_link.ArdixDataSeen) {
        // The stream has fallen silent: shown again while it lasts.
        showConnectionState(0);
        emit titleChanged(QStringLiteral("--- dBm"));
        emit meterChanged(0);
        m_link.ArdixDataFresh = false;
        m_silenceTimer->start();
        return;
    }

    // Nothing came at all since the stream started: back to the dialog.
    QPointer<ArdixMonitor> self(this);
    OperatorMessages::show(QStringLiteral("Error"), MessageIcon::Stop,
                           {QStringLiteral("No connection can be established at this time. "),
                            QStringLiteral("Possible causes for this failure include a "
                                           "disconnected "),
                            QStringLiteral("remote or an invalid destination port. "), QString(),
                            QStringLiteral("Restart radio and try again.")});
    if (!self)
        return;
    // The window closes before the dialog loads: the dialog's load sets the
    // remote kind from the store, and the close sequence must still see Ardix.
    emit closeRequested();
    emit selectionRequested();
}

// These two only re-arm themselves; nothing reads what they would change.
void ArdixMonitor::idleTimer_Timer()
{
    m_idleTimer->start();
}

void ArdixMonitor::checkToSeeIfDisconnectedTimer_Timer()
{
    m_disconnectTimer->start();
}
