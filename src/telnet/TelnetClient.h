#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>
#include <QStringList>

class QTcpSocket;
struct telnet_t;
union telnet_event_t;

// The telnet client the monitoring window talks to the radio's menu with.
//
// Data passes unchanged in both directions: send() writes exactly the bytes it
// is given (an 0xFF byte is doubled, as the protocol demands; CR and LF are
// left alone, the caller writes its own line ends), and received data is
// handed on as it came, except that a CR NUL pair is turned back into CR.
// Every option the peer offers is refused, and a peer that starts compression
// all the same has its connection closed as after a protocol error: nothing
// from the start of the compressed stream on is handed on.
//
// The wait-for text is looked for in the data that arrives after it was set,
// across the boundaries of received chunks; each appearance raises one
// waitForMatched(). A handler of waitForMatched() may set a new wait-for text:
// the rest of the data of that chunk is then searched for the new text.
//
// Events: connected() when the connection is up; closed() once when an open
// connection ends, whether the peer or close() ended it; dataArrival(count)
// for each received chunk, whose bytes receive() then returns;
// waitForMatched(); message(text) for socket errors and protocol warnings.
class TelnetClient : public QObject
{
    Q_OBJECT
public:
    explicit TelnetClient(QObject *parent = nullptr);
    ~TelnetClient() override;

    void setHost(const QString &host) { m_host = host; }
    QString host() const { return m_host; }
    void setPort(quint16 port) { m_port = port; }
    quint16 port() const { return m_port; }
    // TCP keep-alive probes on the connections opened from now on.
    void setKeepAlive(bool on) { m_keepAlive = on; }
    bool keepAlive() const { return m_keepAlive; }

    // Opens a connection to host() and port(); an earlier connection or
    // attempt is dropped first.
    void connectToRemote();
    bool isConnected() const { return m_telnet != nullptr; }

    // Sends the bytes as given; false (nothing sent) when not connected.
    bool send(const QByteArray &data);

    void setWaitFor(const QByteArray &text);
    QByteArray waitFor() const { return m_waitFor; }

    // Raw bytes as they come from the peer, through the same path as a socket's
    // data: protocol decoding, CR NUL, the wait-for text and the events. The
    // protocol starts here when no connection has started it, so the receive
    // path can be driven without a socket.
    void handleReceived(const QByteArray &raw);

    // Up to count bytes of the received data not read yet, oldest first.
    QByteArray receive(qsizetype count);

    // Ends the connection: pending output is still delivered, then the
    // connection closes. Raises closed() at once when it was open.
    void close();

    // The received data kept for receive() is bounded: when nobody reads,
    // the oldest bytes are dropped beyond this size.
    static constexpr qsizetype kReceiveBufferLimit = 64 * 1024;

signals:
    void connected();
    void closed();
    void dataArrival(int byteCount);
    void waitForMatched();
    void message(const QString &text);

private:
    static void onTelnetEvent(telnet_t *telnet, telnet_event_t *event, void *self);
    void handleSocketConnected();
    // Starts the protocol state of a connection; false (and a message) when
    // it could not be started.
    bool startProtocol();
    void handleReadyRead();
    void handleDisconnected();
    void handleSocketError();
    void processReceived(const QByteArray &raw);
    // Scans a decoded chunk for the wait-for text; false when the connection
    // ended (or this object went) during one of the raised events.
    bool scanForWaitFor(QByteArray data);
    void endTelnet();

    QTcpSocket *m_socket = nullptr;
    telnet_t *m_telnet = nullptr;
    QString m_host;
    quint16 m_port = 23;
    bool m_keepAlive = false;

    QByteArray m_waitFor;
    QByteArray m_waitTail; // data seen since the last match, at most |wait-for| - 1 bytes
    QByteArray m_unread;   // received, not yet taken by receive()
    bool m_lastByteWasCr = false;

    // Filled by the protocol callbacks during one telnet_recv(), raised after it.
    QByteArray m_decoded;
    QStringList m_pendingMessages;
    bool m_protocolError = false;
    bool m_compressionStarted = false; // what follows in this chunk is not data
};
