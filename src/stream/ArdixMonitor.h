#pragma once

#include "app/StateLook.h"

#include <QObject>
#include <QString>
#include <memory>
#include <optional>

class MulticastMembership;
class QTimer;
class QUdpSocket;
struct LinkStatistics;
struct MonitorState;
struct SessionSettings;

// The Ardix statistics stream of a monitoring run: the socket and its
// multicast membership, the datagrams, and the supervision of their arrival.
// The decoded values go to the link statistics; what the operator sees is
// reported through the signals, which the monitoring window shows.
//
// Everything runs on the user-interface thread. The operator's messages run a
// nested event loop, so code after one re-checks that the stream still runs.
class ArdixMonitor : public QObject
{
    Q_OBJECT
public:
    ArdixMonitor(const SessionSettings &settings, MonitorState &state, LinkStatistics &link,
                 QObject *parent = nullptr);
    ~ArdixMonitor() override;

    // The stream's socket ("Winsock1"), for the figures of its receive queue.
    QUdpSocket *socket() const { return m_socket; }

public slots:
    // Opens the stream and starts its supervision; nothing starts after a
    // failed join.
    void start();
    // Closes the socket (which ends its memberships) and stops the supervision.
    void stop();

    void StartArdixStream();
    void Winsock1_DataArrival();
    void dataArrivalTimer1_Timer();
    void DataArrivalTimer2_Timer();
    void idleTimer_Timer();
    void checkToSeeIfDisconnectedTimer_Timer();
    void LeaveMulticastGroup();

signals:
    void stateLookChanged(const StateLook &look);
    void titleChanged(const QString &title);
    void meterChanged(double value);
    // The state, the RSSI meter, its scale and their captions.
    void signalWidgetsShown(bool shown);
    // The "collecting data" notice.
    void waitingNoticeShown(bool shown);
    // The remote is associated: its traffic may be charted.
    void associated();
    // A new RSSI: its colour scale is drawn again.
    void rssiScaleChanged();
    // Every datagram's RSSI in dBm as it came, before smoothing (the
    // datagrams carry no SNR: NaN).
    void rawSignalRead(double rssiDbm, double snrDb);
    void closeRequested();
    // Back to the remote-selection dialog, after the window's close.
    void selectionRequested();

private:
    // False when the join failed (and the station is asked to end).
    bool openStream();
    bool joinGroup();
    // Takes what is queued, up to a share per event.
    void takeDatagrams();
    // Stores the datagram's values; true when it showed the operator a message.
    bool applyDatagram(const QByteArray &datagram);
    // Shows what the datagrams taken since the last call brought.
    void showTakenDatagrams();
    void showConnectionState(int state);
    void rearmWatchdogs();
    bool streaming() const;

    const SessionSettings &m_settings;
    MonitorState &m_state;
    LinkStatistics &m_link;
    QUdpSocket *m_socket = nullptr;
    QTimer *m_freshnessTimer = nullptr;  // dataArrivalTimer1
    QTimer *m_silenceTimer = nullptr;    // DataArrivalTimer2
    QTimer *m_idleTimer = nullptr;       // idleTimer
    QTimer *m_disconnectTimer = nullptr; // checkToSeeIfDisconnectedTimer
    // From the stream's start to the window's unload.
    bool m_streamOpen = false;
    std::unique_ptr<MulticastMembership> m_membership;
    bool m_takingDatagrams = false;  // the datagram handler is never re-entered
    bool m_invalidDataShown = false; // until a datagram with a valid marker comes
    // What the datagrams taken but not yet shown brought.
    struct TakenDatagrams
    {
        bool any = false;
        std::optional<int> state; // the last one's
        bool associated = false;  // any of them
        bool rssi = false;        // the last reading is in the link statistics
    };
    TakenDatagrams m_taken;
};
