#include "SnmpAgentFixture.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QNetworkDatagram>
#include <QTest>
#include <algorithm>

namespace Ber {

QByteArray tlv(quint8 tag, const QByteArray &content)
{
    return char(tag) + QByteArray(1, char(content.size())) + content;
}

QByteArray integer(qint64 value, quint8 tag)
{
    QByteArray content;
    do {
        content.prepend(char(value & 0xFF));
        value >>= 8;
    } while (!((value == 0 && !(content.at(0) & 0x80)) || (value == -1 && (content.at(0) & 0x80))));
    return tlv(tag, content);
}

QByteArray objectId(const QString &dotted)
{
    const QStringList parts = dotted.split(QLatin1Char('.'));
    QByteArray content(1, char(parts.at(0).toUInt() * 40 + parts.at(1).toUInt()));
    for (qsizetype i = 2; i < parts.size(); ++i) {
        quint32 sub = parts.at(i).toUInt();
        QByteArray encoded(1, char(sub & 0x7F));
        for (sub >>= 7; sub > 0; sub >>= 7)
            encoded.prepend(char(0x80 | (sub & 0x7F)));
        content += encoded;
    }
    return tlv(ObjectId, content);
}

QByteArray message(quint8 pduType, const QByteArray &community, qint64 requestId,
                   const QByteArray &oid, const QByteArray &value, qint64 errorStatus)
{
    const QByteArray bindings = tlv(Sequence, tlv(Sequence, oid + value));
    const QByteArray pdu = tlv(pduType, integer(requestId) + integer(errorStatus) +
                                            integer(errorStatus ? 1 : 0) + bindings);
    return tlv(Sequence, integer(0) + tlv(OctetString, community) + pdu);
}

} // namespace Ber

namespace {

struct Tlv
{
    quint8 tag = 0;
    QByteArray content;
};

// Every TLV of a message in order; a container's contents follow its header.
// The requests of these tests are under 128 octets: short-form lengths only.
QList<Tlv> flatten(const QByteArray &data)
{
    QList<Tlv> tlvs;
    for (qsizetype pos = 0; pos + 2 <= data.size();) {
        const quint8 tag = quint8(data.at(pos));
        const qsizetype length = quint8(data.at(pos + 1));
        pos += 2;
        tlvs << Tlv{tag, data.mid(pos, length)};
        const bool container = tag == Ber::Sequence || (tag & 0xF0) == 0xA0;
        pos += container ? 0 : length;
    }
    return tlvs;
}

qint64 readInteger(const QByteArray &content)
{
    qint64 value = content.isEmpty() ? 0 : qint64(qint8(content.at(0)));
    for (qsizetype i = 1; i < content.size(); ++i)
        value = (value << 8) | quint8(content.at(i));
    return value;
}

} // namespace

std::optional<SeenRequest> decodeMessage(const QByteArray &datagram)
{
    // SEQUENCE {version 0, community, PDU {id, status, index, SEQUENCE {SEQUENCE {OID, value}}}}
    const QList<Tlv> t = flatten(datagram);
    if (t.size() < 11 || t[1].tag != Ber::Integer || readInteger(t[1].content) != 0 ||
        t[9].tag != Ber::ObjectId)
        return std::nullopt;
    SeenRequest seen{t[2].content, t[3].tag, readInteger(t[4].content),
                     Ber::tlv(t[9].tag, t[9].content), Ber::tlv(t[10].tag, t[10].content)};
    seen.index = OidCatalogue::kLastIndex;
    while (seen.index >= OidCatalogue::kFirstIndex &&
           Ber::objectId(LookupOid(seen.index)) != seen.oid)
        --seen.index;
    return seen;
}

ScriptedRadio::ScriptedRadio()
{
    QVERIFY(m_socket.bind(QHostAddress::LocalHost, 0));
    connect(&m_socket, &QUdpSocket::readyRead, this, &ScriptedRadio::readPending);
}

QList<int> ScriptedRadio::seen() const
{
    QList<int> indexes;
    std::ranges::transform(requests, std::back_inserter(indexes), &SeenRequest::index);
    return indexes;
}

void ScriptedRadio::readPending()
{
    while (m_socket.hasPendingDatagrams()) {
        const QNetworkDatagram datagram = m_socket.receiveDatagram();
        const std::optional<SeenRequest> request = decodeMessage(datagram.data());
        if (!request)
            continue;
        requests << *request;
        m_lastSender = datagram.senderAddress();
        m_lastSenderPort = quint16(datagram.senderPort());
        requests.last().senderPort = m_lastSenderPort;
        const int index = request->index;
        if (const auto hook = onRequest.value(index))
            hook();
        if (silent.contains(index))
            continue;
        if (request->pduType == Ber::SetRequest)
            values[index] = request->value;
        m_socket.writeDatagram(Ber::message(Ber::GetResponse, request->community,
                                            request->requestId, request->oid,
                                            values.value(index, Ber::tlv(Ber::Null, {})),
                                            values.contains(index) ? 0 : 2),
                               m_lastSender, m_lastSenderPort);
    }
}

void ScriptedRadio::answerLast(const QByteArray &value)
{
    const SeenRequest &last = requests.last();
    m_socket.writeDatagram(
        Ber::message(Ber::GetResponse, last.community, last.requestId, last.oid, value),
        m_lastSender, m_lastSenderPort);
}

SnmpdAgent::SnmpdAgent(const QStringList &overrides) : m_overrides(overrides)
{
    for (int attempt = 0; attempt < 3 && !m_ready; ++attempt) {
        QUdpSocket probe;
        const quint16 port = probe.bind(QHostAddress::LocalHost, 0) ? probe.localPort() : 0;
        probe.close();
        m_ready = port != 0 && start(port);
    }
}

SnmpdAgent::~SnmpdAgent()
{
    kill();
}

void SnmpdAgent::kill()
{
    if (m_process.state() == QProcess::NotRunning)
        return;
    m_process.kill();
    m_process.waitForFinished(3000);
}

bool SnmpdAgent::restart()
{
    kill();
    m_ready = start(m_port);
    return m_ready;
}

bool SnmpdAgent::start(quint16 port)
{
    m_port = port;
    QFile conf(m_dir.filePath(QStringLiteral("snmpd.conf")));
    if (!conf.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    QByteArray text = "rocommunity public 127.0.0.1\nrwcommunity private 127.0.0.1\n";
    for (const QString &line : std::as_const(m_overrides))
        text += "override -rw " + line.toUtf8() + '\n';
    conf.write(text);
    conf.close();

    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("SNMP_PERSISTENT_DIR"), m_dir.filePath(QStringLiteral("persist")));
    env.insert(QStringLiteral("MIBS"), QString());
    m_process.setProcessEnvironment(env);
    m_process.setProcessChannelMode(QProcess::MergedChannels);
    const QString log = m_dir.filePath(QStringLiteral("snmpd.log"));
    m_process.setStandardOutputFile(log);
    m_process.start("/usr/sbin/snmpd",
                    {"-f", "-Lo", "-C", "-c", conf.fileName(), "-p", m_dir.filePath("snmpd.pid"),
                     "-M", QString(), QStringLiteral("udp:127.0.0.1:%1").arg(m_port)});
    if (!m_process.waitForStarted(5000)) {
        m_failure = QStringLiteral("snmpd does not start");
        return false;
    }

    // Ready once it answers a GET; bounded to 10 s.
    QUdpSocket asker;
    asker.bind(QHostAddress::LocalHost, 0);
    const QByteArray get =
        Ber::message(Ber::GetRequest, "public", 1,
                     Ber::objectId(QStringLiteral("1.3.6.1.2.1.1.3.0")), Ber::tlv(Ber::Null, {}));
    QDeadlineTimer deadline(10000);
    for (int round = 0; round < 100 && !deadline.hasExpired(); ++round) {
        if (m_process.state() == QProcess::NotRunning)
            break;
        asker.writeDatagram(get, QHostAddress::LocalHost, m_port);
        if (asker.waitForReadyRead(100)) {
            asker.receiveDatagram();
            return true;
        }
    }
    QFile logFile(log);
    m_failure = QStringLiteral("snmpd does not answer: ") +
                QString::fromLocal8Bit(logFile.open(QIODevice::ReadOnly) ? logFile.readAll() : "");
    kill();
    return false;
}
