#include "SnmpTestAgents.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QNetworkDatagram>
#include <QTest>

namespace Ber {

QByteArray tlv(quint8 tag, const QByteArray &content)
{
    QByteArray out;
    out.append(char(tag));
    const qsizetype n = content.size();
    if (n < 0x80) {
        out.append(char(n));
    } else {
        QByteArray length;
        for (qsizetype rest = n; rest > 0; rest >>= 8)
            length.prepend(char(rest & 0xFF));
        out.append(char(0x80 | length.size()));
        out.append(length);
    }
    return out + content;
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

QByteArray unsignedValue(quint32 value, quint8 tag)
{
    return integer(qint64(value), tag);
}

QByteArray objectId(const QString &dotted)
{
    const QStringList parts = dotted.split(QLatin1Char('.'));
    QByteArray content;
    content.append(char(parts.at(0).toUInt() * 40 + parts.at(1).toUInt()));
    for (qsizetype i = 2; i < parts.size(); ++i) {
        quint32 sub = parts.at(i).toUInt();
        QByteArray encoded;
        encoded.prepend(char(sub & 0x7F));
        for (sub >>= 7; sub > 0; sub >>= 7)
            encoded.prepend(char(0x80 | (sub & 0x7F)));
        content.append(encoded);
    }
    return tlv(ObjectId, content);
}

} // namespace Ber

namespace {

// A reader over one level of TLVs.
struct Reader
{
    QByteArray data;
    qsizetype pos = 0;

    bool next(quint8 &tag, QByteArray &content)
    {
        if (pos + 2 > data.size())
            return false;
        tag = quint8(data.at(pos++));
        qsizetype length = quint8(data.at(pos++));
        if (length & 0x80) {
            const int bytes = length & 0x7F;
            if (bytes == 0 || bytes > 4 || pos + bytes > data.size())
                return false;
            length = 0;
            for (int i = 0; i < bytes; ++i)
                length = (length << 8) | quint8(data.at(pos++));
        }
        if (pos + length > data.size())
            return false;
        content = data.mid(pos, length);
        pos += length;
        return true;
    }
};

qint64 readInteger(const QByteArray &content)
{
    qint64 value = content.isEmpty() ? 0 : qint64(qint8(content.at(0)));
    for (qsizetype i = 1; i < content.size(); ++i)
        value = (value << 8) | quint8(content.at(i));
    return value;
}

QString readOid(const QByteArray &content)
{
    if (content.isEmpty())
        return QString();
    QStringList parts{QString::number(quint8(content.at(0)) / 40),
                      QString::number(quint8(content.at(0)) % 40)};
    quint32 sub = 0;
    for (qsizetype i = 1; i < content.size(); ++i) {
        sub = (sub << 7) | (quint8(content.at(i)) & 0x7F);
        if (!(quint8(content.at(i)) & 0x80)) {
            parts << QString::number(sub);
            sub = 0;
        }
    }
    return parts.join(QLatin1Char('.'));
}

} // namespace

std::optional<SeenRequest> decodeMessage(const QByteArray &datagram)
{
    SeenRequest seen;
    seen.datagram = datagram;
    quint8 tag = 0;
    QByteArray content;
    Reader outer{datagram};
    if (!outer.next(tag, content) || tag != Ber::Sequence)
        return std::nullopt;
    Reader message{content};
    if (!message.next(tag, content) || tag != Ber::Integer)
        return std::nullopt;
    seen.version = readInteger(content);
    if (!message.next(tag, content) || tag != Ber::OctetString)
        return std::nullopt;
    seen.community = content;
    if (!message.next(tag, content))
        return std::nullopt;
    seen.pduType = tag;
    Reader pdu{content};
    if (!pdu.next(tag, content) || tag != Ber::Integer)
        return std::nullopt;
    seen.requestId = readInteger(content);
    if (!pdu.next(tag, content) || tag != Ber::Integer)
        return std::nullopt;
    seen.errorStatus = readInteger(content);
    if (!pdu.next(tag, content) || tag != Ber::Integer)
        return std::nullopt;
    seen.errorIndex = readInteger(content);
    if (!pdu.next(tag, content) || tag != Ber::Sequence)
        return std::nullopt;
    Reader list{content};
    QByteArray binding;
    while (list.next(tag, binding)) {
        if (tag != Ber::Sequence)
            return std::nullopt;
        if (++seen.bindingCount > 1)
            continue;
        Reader pair{binding};
        if (!pair.next(tag, content) || tag != Ber::ObjectId)
            return std::nullopt;
        seen.oid = readOid(content);
        if (!pair.next(seen.valueType, seen.valueContent))
            return std::nullopt;
    }
    return seen;
}

namespace {

QByteArray responseFor(const SeenRequest &request, const ScriptedAnswer &answer)
{
    const QByteArray binding = Ber::tlv(Ber::Sequence, Ber::objectId(request.oid) + answer.value);
    const QByteArray pdu = Ber::tlv(
        Ber::GetResponse, Ber::integer(request.requestId) + Ber::integer(answer.errorStatus) +
                              Ber::integer(answer.errorIndex) + Ber::tlv(Ber::Sequence, binding));
    return Ber::tlv(Ber::Sequence,
                    Ber::integer(0) + Ber::tlv(Ber::OctetString, request.community) + pdu);
}

} // namespace

ScriptedAgent::ScriptedAgent()
{
    QVERIFY(m_socket.bind(QHostAddress::LocalHost, 0));
    connect(&m_socket, &QUdpSocket::readyRead, this, &ScriptedAgent::readPending);
}

void ScriptedAgent::readPending()
{
    while (m_socket.hasPendingDatagrams()) {
        const QNetworkDatagram datagram = m_socket.receiveDatagram();
        const std::optional<SeenRequest> request = decodeMessage(datagram.data());
        if (!request)
            continue;
        requests << *request;
        m_lastSender = datagram.senderAddress();
        m_lastSenderPort = quint16(datagram.senderPort());
        if (!answer)
            continue;
        if (const std::optional<ScriptedAnswer> a = answer(*request))
            m_socket.writeDatagram(responseFor(*request, *a), m_lastSender, m_lastSenderPort);
    }
}

void ScriptedAgent::answerLast(const ScriptedAnswer &a)
{
    if (!requests.isEmpty())
        m_socket.writeDatagram(responseFor(requests.last(), a), m_lastSender, m_lastSenderPort);
}

// ---------------------------------------------------------------------------

SnmpdAgent::SnmpdAgent(const QStringList &overrides) : m_overrides(overrides)
{
    connect(&m_relay, &QUdpSocket::readyRead, this, &SnmpdAgent::fromClient);
    connect(&m_upstream, &QUdpSocket::readyRead, this, &SnmpdAgent::fromAgent);
    if (!m_relay.bind(QHostAddress::LocalHost, 0) || !m_upstream.bind(QHostAddress::LocalHost, 0)) {
        m_failure = QStringLiteral("no loopback socket");
        return;
    }
    for (int attempt = 0; attempt < 3 && !m_ready; ++attempt) {
        quint16 port = 0;
        {
            QUdpSocket probe;
            if (probe.bind(QHostAddress::LocalHost, 0))
                port = probe.localPort();
        }
        m_ready = port != 0 && start(port);
    }
}

SnmpdAgent::~SnmpdAgent()
{
    if (m_process.state() != QProcess::NotRunning) {
        m_process.terminate();
        if (!m_process.waitForFinished(3000)) {
            m_process.kill();
            m_process.waitForFinished(3000);
        }
    }
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
    // On the same port, so that a client talking to snmpd directly finds it again.
    m_ready = start(m_agentPort);
    return m_ready;
}

bool SnmpdAgent::start(quint16 port)
{
    m_agentPort = port;
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
    m_process.setStandardOutputFile(m_dir.filePath(QStringLiteral("snmpd.log")));
    m_process.start(QStringLiteral("/usr/sbin/snmpd"),
                    {QStringLiteral("-f"), QStringLiteral("-Lo"), QStringLiteral("-C"),
                     QStringLiteral("-c"), conf.fileName(), QStringLiteral("-p"),
                     m_dir.filePath(QStringLiteral("snmpd.pid")), QStringLiteral("-M"), QString(),
                     QStringLiteral("udp:127.0.0.1:%1").arg(m_agentPort)});
    if (!m_process.waitForStarted(5000)) {
        m_failure = QStringLiteral("snmpd does not start");
        return false;
    }

    // Ready once it answers a GET; bounded to 10 s.
    QUdpSocket asker;
    asker.bind(QHostAddress::LocalHost, 0);
    const QByteArray get = Ber::tlv(
        Ber::Sequence,
        Ber::integer(0) + Ber::tlv(Ber::OctetString, "public") +
            Ber::tlv(Ber::GetRequest,
                     Ber::integer(1) + Ber::integer(0) + Ber::integer(0) +
                         Ber::tlv(Ber::Sequence,
                                  Ber::tlv(Ber::Sequence,
                                           Ber::objectId(QStringLiteral("1.3.6.1.2.1.1.3.0")) +
                                               Ber::tlv(Ber::Null, {})))));
    QDeadlineTimer deadline(10000);
    for (int round = 0; round < 100 && !deadline.hasExpired(); ++round) {
        if (m_process.state() == QProcess::NotRunning)
            break;
        asker.writeDatagram(get, QHostAddress::LocalHost, m_agentPort);
        if (asker.waitForReadyRead(100)) {
            asker.receiveDatagram();
            return true;
        }
    }
    m_failure = QStringLiteral("snmpd does not answer: ") + QString::fromLocal8Bit([this] {
                    QFile log(m_dir.filePath(QStringLiteral("snmpd.log")));
                    return log.open(QIODevice::ReadOnly) ? log.readAll() : QByteArray();
                }());
    m_process.kill();
    m_process.waitForFinished(3000);
    return false;
}

void SnmpdAgent::fromClient()
{
    while (m_relay.hasPendingDatagrams()) {
        const QNetworkDatagram datagram = m_relay.receiveDatagram();
        if (const std::optional<SeenRequest> request = decodeMessage(datagram.data())) {
            requests << *request;
            if (onRequest)
                onRequest(*request);
        }
        m_client = datagram.senderAddress();
        m_clientPort = quint16(datagram.senderPort());
        m_upstream.writeDatagram(datagram.data(), QHostAddress::LocalHost, m_agentPort);
    }
}

void SnmpdAgent::fromAgent()
{
    while (m_upstream.hasPendingDatagrams()) {
        const QNetworkDatagram datagram = m_upstream.receiveDatagram();
        if (m_clientPort != 0)
            m_relay.writeDatagram(datagram.data(), m_client, m_clientPort);
    }
}

QStringList SnmpdAgent::requestedOids() const
{
    QStringList oids;
    for (const SeenRequest &r : requests)
        oids << r.oid;
    return oids;
}
