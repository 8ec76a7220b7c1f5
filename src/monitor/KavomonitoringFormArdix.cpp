// Ardix stream handlers of the monitoring window: the socket and its
// multicast membership, the statistics datagrams, and the supervision of
// their arrival. The decoding itself is ArdixDatagramDecoder's; the handlers
// store its results in linkStatistics and show them.
#include "KavomonitoringForm.h"
#include "app/ApplicationExit.h"
#include "app/OperatorMessages.h"
#include "app/Records.h"
#include "app/StationWindows.h"
#include "display/SignalMeter.h"
#include "stream/ArdixDatagramDecoder.h"
#include "stream/DataProcessingOps.h"
#include "stream/MulticastMembership.h"

#include <QFrame>
#include <QLabel>
#include <QPointer>
#include <QTimer>
#include <QUdpSocket>

namespace {

constexpr qint16 kArdixChartRateKbps = 120;
constexpr int kFreshnessRecheckMs = 6000; // dataArrivalTimer1 after its first tick
constexpr int kSilenceRepeatMs = 5000;    // DataArrivalTimer2 after its first tick
// Datagrams taken per arrival event. The socket signals again for the rest,
// so a flood of datagrams cannot keep the window from its other events.
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

void KavomonitoringForm::setSignalWidgetsVisible(bool visible)
{
    for (QWidget *w :
         {static_cast<QWidget *>(RssiColorBarFrame), static_cast<QWidget *>(light),
          static_cast<QWidget *>(status), static_cast<QWidget *>(SignalStrengthlbl),
          static_cast<QWidget *>(ConnectionStatuslbl), static_cast<QWidget *>(SignalStrengthMeter),
          static_cast<QWidget *>(hundredDBMlbl), static_cast<QWidget *>(eightyDBMlbl),
          static_cast<QWidget *>(sixtyDBMlbl)})
        w->setVisible(visible);
}

// ---------------------------------------------------------------------------
// Socket start-up and membership

void KavomonitoringForm::StartArdixStream()
{
    m_datagramDecoder = std::make_shared<ArdixDatagramDecoder>();
    linkStatistics.ArdixDataFresh = true;
    linkStatistics.ArdixDataSeen = false;
    linkStatistics.linkRateKbps = kArdixChartRateKbps;
    collectingDatalbl->setVisible(!monitorState.monitoringStopped);
    MulticastGroupAddress = QStringLiteral("224.1.2.3");

    // Any host may send to the port; only the local port is bound. Other
    // stations on this machine may listen on the same port.
    Winsock1->close();
    connect(Winsock1, &QUdpSocket::readyRead, this, &KavomonitoringForm::Winsock1_DataArrival,
            Qt::UniqueConnection);
    const bool portUsable = sessionSettings.destPort > 0 && sessionSettings.destPort <= 65535;
    const bool bound =
        portUsable && Winsock1->bind(QHostAddress::AnyIPv4, quint16(sessionSettings.destPort),
                                     QUdpSocket::ShareAddress | QUdpSocket::ReuseAddressHint);
    StreamSocketHandle = Winsock1->socketDescriptor();
    if (bound)
        Winsock1->setSocketOption(QAbstractSocket::ReceiveBufferSizeSocketOption,
                                  kReceiveBufferBytes);

    // A port that cannot be bound receives nothing; the arrival supervision
    // then tells the operator that no data comes and returns to the dialog.
    if (bound) {
        m_multicastMembership = std::make_shared<MulticastMembership>();
        if (!m_multicastMembership->JoinMulticastGroup(StreamSocketHandle, MulticastGroupAddress)) {
            QPointer<KavomonitoringForm> self(this);
            OperatorMessages::show(QStringLiteral("Connection Error"), MessageIcon::Stop,
                                   {QStringLiteral("Failed to join the multi-cast group")});
            if (self && !m_unloaded)
                close();
            ApplicationExit::terminate();
            return;
        }
    }

    if (monitorState.monitoringStopped) {
        collectingDatalbl->hide();
    } else {
        collectingDatalbl->show();
        setSignalWidgetsVisible(false); // until the first datagram brings values
    }
}

void KavomonitoringForm::LeaveMulticastGroup()
{
    // Stop has usually closed the socket already, which ended its
    // memberships; the membership then has nothing left to drop.
    if (m_multicastMembership)
        m_multicastMembership->LeaveMulticastGroup(Winsock1->socketDescriptor());
    m_multicastMembership.reset();
    m_datagramDecoder.reset();
}

// ---------------------------------------------------------------------------
// Datagrams

void KavomonitoringForm::Winsock1_DataArrival()
{
    // A message shown for one datagram runs a nested event loop. Datagrams
    // arriving meanwhile stay in the socket and are taken, in order, by the
    // loop below once the message has closed.
    if (m_takingDatagrams || !m_datagramDecoder)
        return;
    QPointer<KavomonitoringForm> self(this);
    m_takingDatagrams = true;
    for (int taken = 0; taken < kDatagramsPerEvent && Winsock1->hasPendingDatagrams(); ++taken) {
        QByteArray datagram(qMax<qint64>(0, Winsock1->pendingDatagramSize()), Qt::Uninitialized);
        const qint64 size = Winsock1->readDatagram(datagram.data(), datagram.size());
        if (size < 0)
            break;
        datagram.truncate(size);
        applyDatagram(datagram);
        if (!self)
            return;
        if (m_unloaded || Winsock1->state() != QAbstractSocket::BoundState)
            break;
    }
    m_takingDatagrams = false;
}

void KavomonitoringForm::applyDatagram(const QByteArray &datagram)
{
    const ArdixDatagram decoded = m_datagramDecoder->decode(datagram, linkStatistics.rssi);
    if (decoded.marker == ArdixDatagram::Marker::Invalid) {
        // Any host can send to the port, so a stray datagram must not end the
        // run, nor pass for the radio's data: it neither paints a state nor
        // keeps the watchdogs from noticing that the radio went quiet. The
        // operator is told once, until a valid datagram comes again.
        if (!m_invalidDataShown) {
            m_invalidDataShown = true;
            OperatorMessages::show(QStringLiteral("Error"), MessageIcon::Stop,
                                   {QStringLiteral("Invalid data being received by the remote."),
                                    QStringLiteral("Restart radio and try again.")});
        }
        return;
    }
    if (decoded.marker == ArdixDatagram::Marker::Valid)
        m_invalidDataShown = false;

    collectingDatalbl->hide();
    setSignalWidgetsVisible(true);
    linkStatistics.ArdixDataFresh = true;
    linkStatistics.ArdixDataSeen = true;
    dataArrivalTimer1->stop();
    DataArrivalTimer2->stop();

    if (decoded.state)
        ShowConnectionState(*decoded.state);

    if (decoded.rssi) {
        linkStatistics.rssi = *decoded.rssi;
        setWindowTitle(DataProcessingOps::rssiTitle(linkStatistics.rssi));
        UpdateColorBar(0);
        SignalStrengthMeter->setMeterValue(
            DataProcessingOps::meterValueForRssi(linkStatistics.rssi));
    }
    for (int i = 0; i < ArdixDatagram::CounterCount; ++i) {
        if (decoded.counters[i])
            linkStatistics.*kCounterFields[i] = *decoded.counters[i];
    }

    // Both watchdogs count their full interval again from this datagram; not
    // when the stream was stopped or closed meanwhile.
    if (!m_unloaded && Winsock1->state() == QAbstractSocket::BoundState) {
        dataArrivalTimer1->start();
        DataArrivalTimer2->start();
    }
}

void KavomonitoringForm::ShowConnectionState(int state)
{
    const DataProcessingOps::ConnectionStateLook look =
        DataProcessingOps::connectionStateLook(state);
    if (look.associated)
        Traffic_History_Chart->setEnabled(true);
    collectingDatalbl->hide();
    for (QWidget *w :
         {static_cast<QWidget *>(ConnectionStatuslbl), static_cast<QWidget *>(SignalStrengthMeter),
          static_cast<QWidget *>(RssiColorBarFrame), static_cast<QWidget *>(hundredDBMlbl),
          static_cast<QWidget *>(eightyDBMlbl), static_cast<QWidget *>(sixtyDBMlbl),
          static_cast<QWidget *>(SignalStrengthlbl)})
        w->show();
    ConnectionStateText = look.text;

    status->show();
    const QColor colour(look.red, look.green, look.blue);
    if (labelColour(status) != colour)
        setLabelColour(status, colour);
    status->setText(look.text);
    status->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    light->show();
    // Rendering the lamp costs more than a datagram's decoding; it is only
    // redrawn when it changes.
    if (lampIconId() != look.lampIconId)
        showLamp(look.lampIconId);
}

// ---------------------------------------------------------------------------
// Arrival supervision

void KavomonitoringForm::dataArrivalTimer1_Timer()
{
    // Nothing new since the last tick: the log timer stops writing records.
    linkStatistics.ArdixDataFresh = false;
    dataArrivalTimer1->setInterval(kFreshnessRecheckMs);
    dataArrivalTimer1->start();
}

void KavomonitoringForm::DataArrivalTimer2_Timer()
{
    DataArrivalTimer2->setInterval(kSilenceRepeatMs);
    DataArrivalTimer2->stop();

    if (linkStatistics.ArdixDataSeen) {
        // The stream has fallen silent: shown again every 5 s while it lasts.
        ShowConnectionState(0);
        setWindowTitle(QStringLiteral("--- dBm"));
        SignalStrengthMeter->setMeterValue(0);
        linkStatistics.ArdixDataFresh = false;
        DataArrivalTimer2->start();
        return;
    }

    // Nothing came at all since the stream started: back to the dialog.
    QPointer<KavomonitoringForm> self(this);
    OperatorMessages::show(QStringLiteral("Error"), MessageIcon::Stop,
                           {QStringLiteral("No connection can be established at this time. "),
                            QStringLiteral("Possible causes for this failure include a "
                                           "disconnected "),
                            QStringLiteral("remote or an invalid destination port. "), QString(),
                            QStringLiteral("Restart radio and try again.")});
    // The window closes before the dialog loads: the dialog's load sets the
    // remote kind from the store, and the close sequence must still see Ardix.
    if (self && !m_unloaded)
        close();
    StationWindows::showSnifferForm();
}

// These two only re-arm themselves; nothing reads what they would change.
void KavomonitoringForm::idleTimer_Timer()
{
    idleTimer->start();
}

void KavomonitoringForm::checkToSeeIfDisconnectedTimer_Timer()
{
    checkToSeeIfDisconnectedTimer->start();
}
