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

// Agents the SNMP tests talk to on 127.0.0.1: a radio scripted by the test,
// which records the requests as decoded from the bytes on the wire, and
// net-snmp's own snmpd.

// BER tags and builders of the SNMPv1 messages the tests read and write.
namespace Ber {
constexpr quint8 Integer = 0x02, OctetString = 0x04, Null = 0x05, ObjectId = 0x06, Sequence = 0x30,
                 Counter32 = 0x41, GetRequest = 0xA0, GetResponse = 0xA2, SetRequest = 0xA3;

// Contents under 128 octets.
QByteArray tlv(quint8 tag, const QByteArray &content);
QByteArray integer(qint64 value, quint8 tag = Integer);
QByteArray objectId(const QString &dotted);
inline QByteArray octets(const QByteArray &content)
{
    return tlv(OctetString, content);
}
// A whole version-1 message with one binding of the OID's and the value's TLVs.
QByteArray message(quint8 pduType, const QByteArray &community, qint64 requestId,
                   const QByteArray &oid, const QByteArray &value, qint64 errorStatus = 0);
} // namespace Ber

struct SeenRequest
{
    QByteArray community;
    quint8 pduType = 0;
    qint64 requestId = -1;
    QByteArray oid;   // the first binding's OBJECT IDENTIFIER TLV
    QByteArray value; // and its value TLV
    int index = 0;    // the object's in the catalogue; 0: none
    quint16 senderPort = 0;
};

// nullopt when the datagram is no SNMPv1 message.
std::optional<SeenRequest> decodeMessage(const QByteArray &datagram);

// A Velto radio's agent, by catalogue index: noSuchName for objects it does
// not have, no answer for silent ones; a SET stores its value and is answered
// with it.
class ScriptedRadio : public QObject
{
    Q_OBJECT
public:
    ScriptedRadio();
    quint16 port() const { return m_socket.localPort(); }

    QHash<int, QByteArray> values; // value TLVs
    QSet<int> silent;
    QHash<int, std::function<void()>> onRequest; // runs before the answer
    QList<SeenRequest> requests;
    // The catalogue indexes of the requests.
    QList<int> seen() const;
    // Answers the last request now (a late answer).
    void answerLast(const QByteArray &value);

private:
    void readPending();
    QUdpSocket m_socket;
    QHostAddress m_lastSender;
    quint16 m_lastSenderPort = 0;
};

// net-snmp's snmpd on a free loopback port with "override -rw" lines for the
// radio's objects; rocommunity "public", rwcommunity "private".
class SnmpdAgent
{
public:
    // overrides: lines "OID TYPE VALUE".
    explicit SnmpdAgent(const QStringList &overrides);
    ~SnmpdAgent();
    Q_DISABLE_COPY_MOVE(SnmpdAgent)
    bool isRunning() const { return m_ready; }
    QString failure() const { return m_failure; }
    quint16 port() const { return m_port; }

    // Ends snmpd at once (SIGKILL), as a crashing agent; restart() starts it
    // again on the same port.
    void kill();
    bool restart();

private:
    bool start(quint16 port);
    QTemporaryDir m_dir;
    QStringList m_overrides;
    QProcess m_process;
    quint16 m_port = 0;
    bool m_ready = false;
    QString m_failure;
};
