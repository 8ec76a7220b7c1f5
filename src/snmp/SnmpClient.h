#pragma once

#include <QObject>
#include <QPointer>
#include <QSocketNotifier>
#include <QString>
#include <QTimer>
#include <QVariant>
#include <memory>
#include <optional>

struct snmp_pdu;
struct MonitorState;
struct SessionSettings;

// The SNMP access layer of Velto monitoring, on net-snmp's single-session
// API: one request per session at a time, SNMP version 1, request identifier
// 1234 and exactly one binding in every request, the read community for a GET
// and the write community for a SET. A session whose request was answered
// without a resend serves the next request to the same remote; any other
// ending closes it (see endRequest).
//
// The answer does not come back through the call that sent it: a socket
// notifier (watching the session's socket through an epoll set) hands it to
// the library in the window's event loop, and the library's callback
// decodes the first value into the single mailbox. GetViaSNMP and
// SetViaSNMP wait for it in a nested event loop, so timers and menus keep
// running; the wait ends as soon as the answer arrives, when the time-out
// timer ends the request, when monitoring is stopped, or when a newer
// request or a clean-up takes the session over.
//
// The library's own time-out (1 s, five resends) is longer than the
// time-out timer's 5 s, so it never ends a wait; its resends go out with the
// same request identifier. A closed port on the remote is silence, not an
// error, because the library's socket is not connected.
//
// The run-state flags follow the request: snmpBusy while it waits,
// snmpTimedOut cleared when it starts waiting, snmpTimeoutCount back to 0
// when it ends other than by a time-out. Results are 1 on success and the
// library's error code otherwise.
class SnmpClient : public QObject
{
    Q_OBJECT
public:
    // The address and communities come from settings, the request flags go to
    // state. timeoutTimer bounds every wait: it is started when a request
    // starts waiting and stopped when the wait ends; its owner connects its
    // tick to endRequestByTimeout (the Velto monitor's SNMPTimeoutTimer).
    SnmpClient(const SessionSettings &settings, MonitorState &state, QTimer *timeoutTimer,
               QObject *parent = nullptr);
    ~SnmpClient() override;

    // Starts the library (once per process, quietly: no MIB files, no
    // configuration files, persistent files only under the per-user cache
    // folder, its log kept off the terminal) and reads the remote's SNMP port
    // ("SNMPPort" in "Preferences", 161 by default). A request still waiting
    // from before is given up: a start begins afresh.
    int StartSnmp();
    // Gives up a waiting request and closes the session.
    int CleanupSnmp();
    // A session to the settings' remote address on the SNMP port, or the
    // one the last answered request left open to that remote; the address
    // must be a dotted IPv4 address.
    int OpenSnmpSession();
    int CloseSnmpSession();
    int SendSnmpGet(const QString &oidText);
    int SendSnmpSet(const QString &oidText, const QVariant &value);
    // Hands the waiting datagram to the library; its callback fills the
    // mailbox. Run by the socket notifier.
    void ReceiveSnmpResponse();
    int LastApiResult() const { return m_lastApiResult; }

    // Value text of a catalogue entry: empty for an index outside the
    // catalogue (nothing is sent), after a time-out and after a stop;
    // "ERROR" when the session could not be opened or the request not sent.
    QString GetViaSNMP(int index);
    // The answer's value text; "Invalid OID" for an index outside the
    // catalogue; "ERROR" when nothing was sent or no answer came (time-out,
    // stop, or a newer request took the session over).
    QString SetViaSNMP(int index, const QVariant &value);

    // The time-out tick: the waiting request ends without an answer.
    void endRequestByTimeout();

    // How the last wait ended; a caller can tell an empty answer from a wait
    // that a stop cut short.
    enum class WaitEnd
    {
        None,
        Answered,
        TimedOut,
        Stopped,
        Superseded
    };
    WaitEnd lastWaitEnd() const { return m_lastWaitEnd; }
    bool hasSession() const { return m_session != nullptr; }
    quint16 remotePort() const { return m_port; }

    // The request identifier of every request.
    static constexpr long kRequestId = 1234;
    static constexpr quint16 kDefaultPort = 161;

private:
    struct Request
    {
        std::optional<QString> mailbox;
        bool ended = false;
    };

    static int libraryCallback(int operation, struct snmp_session *session, int requestId,
                               snmp_pdu *pdu, void *magic);
    int send(int pduType, const QString &oidText, const QString &community,
             const QVariant *setValue);
    std::shared_ptr<Request> beginWait();
    // The common wait of GET and SET. A GET ends on monitoringStopped, a SET
    // only on a stop that comes while it waits (a SET made while stopped
    // still gets its answer). False when this layer was destroyed while
    // waiting.
    enum class StopRule
    {
        WhileStopped,
        StopDuringWait
    };
    bool wait(const std::shared_ptr<Request> &request, StopRule rule);
    void endRequest(WaitEnd how);
    void armRetransmission();
    void retransmit();
    int fail(int code);
    bool watchReadySet();
    const QByteArray &peerName();

    const SessionSettings &m_settings;
    MonitorState &m_state;
    QPointer<QTimer> m_timeoutTimer;
    void *m_session = nullptr; // the library's single-session handle
    // The open session's socket sits in an epoll set, and one notifier
    // watches the set for the layer's whole life: the event loop's list of
    // descriptors stays the same from request to request, so a request
    // neither rebuilds it nor wakes the loop to do so.
    int m_readySet = -1;
    QSocketNotifier m_notifier;
    bool m_reading = false;
    // The session's peer ("udp:address:port"), made again only when the
    // address or the port changes.
    QString m_peerAddress;
    quint16 m_peerPort = 0;
    QByteArray m_peer;
    QByteArray m_sessionPeer; // the peer the open session was made for
    bool m_resent = false;    // the library resent the session's request
    QTimer m_retransmitTimer;
    std::shared_ptr<Request> m_pending; // the request whose answer is awaited
    WaitEnd m_lastWaitEnd = WaitEnd::None;
    int m_lastApiResult = 0;
    quint16 m_port = kDefaultPort;
};
