#pragma once

#include <QByteArray>
#include <QHostAddress>
#include <QList>
#include <QObject>
#include <QProcess>
#include <QString>
#include <QTemporaryDir>
#include <QUdpSocket>
#include <functional>
#include <optional>

// Agents the SNMP tests talk to, all on 127.0.0.1 and free ports: a scripted
// agent that answers each request with chosen bytes (or not at all), and
// net-snmp's own snmpd. Both record what arrived, decoded from the bytes on
// the wire.

// BER tags of the SNMPv1 messages the tests read and write.
namespace Ber {
constexpr quint8 Integer = 0x02;
constexpr quint8 OctetString = 0x04;
constexpr quint8 Null = 0x05;
constexpr quint8 ObjectId = 0x06;
constexpr quint8 Sequence = 0x30;
constexpr quint8 IpAddress = 0x40;
constexpr quint8 Counter32 = 0x41;
constexpr quint8 Gauge32 = 0x42;
constexpr quint8 TimeTicks = 0x43;
constexpr quint8 GetRequest = 0xA0;
constexpr quint8 GetResponse = 0xA2;
constexpr quint8 SetRequest = 0xA3;

QByteArray tlv(quint8 tag, const QByteArray &content);
QByteArray integer(qint64 value, quint8 tag = Integer);
QByteArray unsignedValue(quint32 value, quint8 tag);
QByteArray objectId(const QString &dotted);
} // namespace Ber

// One request as it arrived.
struct SeenRequest
{
    QByteArray datagram;
    qint64 version = -1;
    QByteArray community;
    quint8 pduType = 0;
    qint64 requestId = -1;
    qint64 errorStatus = -1;
    qint64 errorIndex = -1;
    int bindingCount = 0;
    QString oid; // of the first binding
    quint8 valueType = 0;
    QByteArray valueContent;
};

// Decodes an SNMPv1 message; nullopt when it is not one.
std::optional<SeenRequest> decodeMessage(const QByteArray &datagram);

// Answers of the scripted agent.
struct ScriptedAnswer
{
    QByteArray value = Ber::tlv(Ber::Null, {}); // the whole value TLV
    qint64 errorStatus = 0;
    qint64 errorIndex = 0;
};

class ScriptedAgent : public QObject
{
    Q_OBJECT
public:
    ScriptedAgent();
    quint16 port() const { return m_socket.localPort(); }

    // Chooses the answer to each request; nullopt answers nothing.
    std::function<std::optional<ScriptedAnswer>(const SeenRequest &)> answer;
    QList<SeenRequest> requests;
    // Sends an answer to the last request's sender now (a late answer).
    void answerLast(const ScriptedAnswer &a);

private:
    void readPending();
    QUdpSocket m_socket;
    QHostAddress m_lastSender;
    quint16 m_lastSenderPort = 0;
};

// net-snmp's snmpd on a free loopback port with "override" lines for the
// radio's objects; rocommunity "public" and rwcommunity "private". Requests
// pass through a relay of the test's own, which records them.
class SnmpdAgent : public QObject
{
    Q_OBJECT
public:
    // overrides: lines "OID TYPE VALUE" (written as "override -rw ...").
    explicit SnmpdAgent(const QStringList &overrides);
    ~SnmpdAgent() override;
    bool isRunning() const { return m_ready; }
    QString failure() const { return m_failure; }
    // The port the station talks to (the relay).
    quint16 port() const { return m_relay.localPort(); }
    // snmpd's own port, for clients that do not run an event loop.
    quint16 agentPort() const { return m_agentPort; }
    QList<SeenRequest> requests;
    QStringList requestedOids() const;
    // Runs when a request reaches the relay, before it goes on to snmpd.
    std::function<void(const SeenRequest &)> onRequest;

    // Ends snmpd at once (SIGKILL), as a radio's agent that crashes; the
    // relay stays. restart() starts it again on the same port.
    void kill();
    bool restart();

private:
    bool start(quint16 port);
    void fromClient();
    void fromAgent();
    QTemporaryDir m_dir;
    QStringList m_overrides;
    QProcess m_process;
    quint16 m_agentPort = 0;
    QUdpSocket m_relay;
    QUdpSocket m_upstream;
    QHostAddress m_client;
    quint16 m_clientPort = 0;
    bool m_ready = false;
    QString m_failure;
};
