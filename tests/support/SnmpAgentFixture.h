#pragma once

#include "snmp/OidCatalogue.h"

#include <QHash>
#include <QHostAddress>
#include <QProcess>
#include <QSet>
#include <QTemporaryDir>
#include <QUdpSocket>
#include <functional>
#include <optional>

// Agents the SNMP tests talk to on 127.0.0.1: a scripted agent that answers
// each request with chosen bytes (or not at all), and net-snmp's own snmpd.
// Both record the requests as decoded from the bytes on the wire.

// BER tags and builders of the SNMPv1 messages the tests read and write.
namespace Ber {
constexpr quint8 Integer = 0x02, OctetString = 0x04, Null = 0x05, ObjectId = 0x06, Sequence = 0x30,
                 Counter32 = 0x41, Gauge32 = 0x42, TimeTicks = 0x43, GetRequest = 0xA0,
                 GetResponse = 0xA2, SetRequest = 0xA3;

QByteArray tlv(quint8 tag, const QByteArray &content);
QByteArray integer(qint64 value, quint8 tag = Integer);
QByteArray objectId(const QString &dotted);
// A whole version-1 message with one binding.
QByteArray message(quint8 pduType, const QByteArray &community, qint64 requestId,
                   const QString &oid, const QByteArray &value, qint64 errorStatus = 0);
} // namespace Ber

struct SeenRequest
{
    QByteArray datagram;
    QByteArray community;
    quint8 pduType = 0;
    qint64 requestId = -1;
    int bindingCount = 0;
    QString oid; // of the first binding
    quint8 valueType = 0;
    QByteArray valueContent;
};

// nullopt when the datagram is no SNMPv1 message.
std::optional<SeenRequest> decodeMessage(const QByteArray &datagram);

struct ScriptedAnswer
{
    QByteArray value = Ber::tlv(Ber::Null, {}); // the whole value TLV
    qint64 errorStatus = 0;                     // its error index is 1 when set
};

class ScriptedAgent : public QObject
{
    Q_OBJECT
public:
    ScriptedAgent();
    quint16 port() const { return m_socket.localPort(); }

    // nullopt answers nothing.
    std::function<std::optional<ScriptedAnswer>(const SeenRequest &)> answer;
    QList<SeenRequest> requests;
    // Answers the last request now (a late answer).
    void answerLast(const ScriptedAnswer &a);

private:
    void readPending();
    QUdpSocket m_socket;
    QHostAddress m_lastSender;
    quint16 m_lastSenderPort = 0;
};

// net-snmp's snmpd on a free loopback port with "override -rw" lines for the
// radio's objects; rocommunity "public", rwcommunity "private". Requests pass
// through a relay of the test's own, which records them.
class SnmpdAgent : public QObject
{
    Q_OBJECT
public:
    // overrides: lines "OID TYPE VALUE".
    explicit SnmpdAgent(const QStringList &overrides);
    ~SnmpdAgent() override;
    bool isRunning() const { return m_ready; }
    QString failure() const { return m_failure; }
    quint16 port() const { return m_relay.localPort(); }
    // snmpd's own port, for clients that do not run an event loop.
    quint16 agentPort() const { return m_agentPort; }
    QList<SeenRequest> requests;
    // Runs when a request reaches the relay, before it goes on to snmpd.
    std::function<void(const SeenRequest &)> onRequest;

    // Ends snmpd at once (SIGKILL), as a crashing agent; the relay stays.
    // restart() starts it again on the same port.
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

// A Velto radio played by the scripted agent, by catalogue index: noSuchName
// for objects it does not have, no answer for silent ones; a SET stores its
// value and is answered with it.
struct SimulatedRadio
{
    QHash<int, QByteArray> values; // value TLVs by catalogue index
    QSet<int> silent;
    QHash<int, std::function<void()>> onRequest; // runs before the answer

    static int indexOf(const QString &oid)
    {
        for (int i = OidCatalogue::kFirstIndex; i <= OidCatalogue::kLastIndex; ++i) {
            if (LookupOid(i) == oid)
                return i;
        }
        return 0;
    }

    void serve(ScriptedAgent &agent)
    {
        agent.answer = [this](const SeenRequest &r) -> std::optional<ScriptedAnswer> {
            const int index = indexOf(r.oid);
            if (const auto hook = onRequest.value(index))
                hook();
            if (silent.contains(index))
                return std::nullopt;
            if (r.pduType == Ber::SetRequest)
                values[index] = Ber::tlv(r.valueType, r.valueContent);
            if (!values.contains(index))
                return ScriptedAnswer{Ber::tlv(Ber::Null, {}), 2};
            return ScriptedAnswer{values.value(index)};
        };
    }

    static QList<int> indexes(const QList<SeenRequest> &requests)
    {
        QList<int> result;
        for (const SeenRequest &r : requests)
            result << indexOf(r.oid);
        return result;
    }
};
