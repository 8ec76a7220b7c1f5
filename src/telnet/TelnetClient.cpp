#include "TelnetClient.h"

#include <QPointer>
#include <QTcpSocket>
#include <cstddef>

// libtelnet.h uses size_t without including its header.
#include <libtelnet.h>

namespace {

// No option is supported: libtelnet answers every WILL with DONT and every DO
// with WONT by itself.
const telnet_telopt_t kNoOptions[] = {{-1, 0, 0}};

} // namespace

TelnetClient::TelnetClient(QObject *parent) : QObject(parent), m_socket(new QTcpSocket(this))
{
    connect(m_socket, &QTcpSocket::connected, this, &TelnetClient::handleSocketConnected);
    connect(m_socket, &QTcpSocket::readyRead, this, &TelnetClient::handleReadyRead);
    connect(m_socket, &QTcpSocket::disconnected, this, &TelnetClient::handleDisconnected);
    connect(m_socket, &QTcpSocket::errorOccurred, this, &TelnetClient::handleSocketError);
}

TelnetClient::~TelnetClient()
{
    // No events from a client that is going away.
    m_socket->disconnect(this);
    m_socket->abort();
    if (m_telnet)
        telnet_free(m_telnet);
}

void TelnetClient::connectToRemote()
{
    if (m_telnet) {
        QPointer<TelnetClient> self(this);
        close();
        if (!self)
            return;
    }
    if (m_socket->state() != QAbstractSocket::UnconnectedState)
        m_socket->abort();
    m_waitTail.clear();
    m_unread.clear();
    m_lastByteWasCr = false;
    m_socket->connectToHost(m_host, m_port);
}

void TelnetClient::handleSocketConnected()
{
    m_socket->setSocketOption(QAbstractSocket::KeepAliveOption, m_keepAlive ? 1 : 0);
    m_socket->setSocketOption(QAbstractSocket::LowDelayOption, 1);
    if (!startProtocol()) {
        m_socket->abort();
        return;
    }
    emit connected();
}

bool TelnetClient::startProtocol()
{
    m_telnet = telnet_init(kNoOptions, &TelnetClient::onTelnetEvent, 0, this);
    if (!m_telnet) {
        emit message(QStringLiteral("telnet: out of memory"));
        return false;
    }
    return true;
}

void TelnetClient::handleReceived(const QByteArray &raw)
{
    if (!m_telnet && !startProtocol())
        return;
    processReceived(raw);
}

void TelnetClient::onTelnetEvent(telnet_t *, telnet_event_t *event, void *self)
{
    auto *client = static_cast<TelnetClient *>(self);
    switch (event->type) {
    case TELNET_EV_DATA:
        if (!client->m_compressionStarted)
            client->m_decoded.append(event->data.buffer, qsizetype(event->data.size));
        break;
    case TELNET_EV_SEND:
        client->m_socket->write(event->data.buffer, qint64(event->data.size));
        break;
    case TELNET_EV_WARNING:
        client->m_pendingMessages << QString::fromLatin1(event->error.msg);
        break;
    case TELNET_EV_ERROR:
        client->m_pendingMessages << QString::fromLatin1(event->error.msg);
        client->m_protocolError = true;
        break;
    case TELNET_EV_COMPRESS:
        // libtelnet inflates whatever follows a compression start, which the
        // peer may send although it was never offered. None of that is the
        // menu's data: the connection ends as after a protocol error. The
        // library reports the start more than once.
        if (!client->m_compressionStarted)
            client->m_pendingMessages << QStringLiteral("telnet: the remote started compression");
        client->m_protocolError = true;
        client->m_compressionStarted = true;
        break;
    default:
        break; // negotiations are answered by libtelnet; nothing else is used
    }
}

bool TelnetClient::send(const QByteArray &data)
{
    if (!m_telnet)
        return false;
    telnet_send(m_telnet, data.constData(), size_t(data.size()));
    m_socket->flush();
    return true;
}

void TelnetClient::setWaitFor(const QByteArray &text)
{
    m_waitFor = text;
    m_waitTail.clear();
}

QByteArray TelnetClient::receive(qsizetype count)
{
    const QByteArray taken = m_unread.left(std::max<qsizetype>(0, count));
    m_unread.remove(0, taken.size());
    return taken;
}

void TelnetClient::handleReadyRead()
{
    const QByteArray raw = m_socket->readAll();
    if (!raw.isEmpty())
        processReceived(raw);
}

void TelnetClient::processReceived(const QByteArray &raw)
{
    if (!m_telnet)
        return;
    m_decoded.clear();
    m_pendingMessages.clear();
    m_protocolError = false;
    m_compressionStarted = false;
    telnet_recv(m_telnet, raw.constData(), size_t(raw.size()));

    // A CR the peer sent alone travels as CR NUL; the NUL is not data. The
    // pair may be split between two chunks.
    QByteArray data;
    data.reserve(m_decoded.size());
    for (const char c : std::as_const(m_decoded)) {
        if (c == '\0' && m_lastByteWasCr) {
            m_lastByteWasCr = false;
            continue;
        }
        data.append(c);
        m_lastByteWasCr = c == '\r';
    }
    const QStringList messages = m_pendingMessages;
    const bool protocolError = m_protocolError;

    QPointer<TelnetClient> self(this);
    for (const QString &text : messages) {
        emit message(text);
        if (!self)
            return;
    }
    if (!data.isEmpty()) {
        m_unread.append(data);
        if (m_unread.size() > kReceiveBufferLimit)
            m_unread.remove(0, m_unread.size() - kReceiveBufferLimit);
        emit dataArrival(int(data.size()));
        if (!self || !m_telnet || !scanForWaitFor(data))
            return;
    }
    // The stream cannot be followed after a protocol error.
    if (protocolError && m_telnet)
        close();
}

bool TelnetClient::scanForWaitFor(QByteArray data)
{
    QPointer<TelnetClient> self(this);
    while (!m_waitFor.isEmpty()) {
        const QByteArray text = m_waitFor;
        QByteArray window = m_waitTail + data;
        const qsizetype at = window.indexOf(text);
        if (at < 0) {
            m_waitTail = window.right(text.size() - 1);
            return true;
        }
        // The match is used up: the next one starts after it.
        const qsizetype end = at + text.size();
        data = window.mid(end);
        m_waitTail.clear();
        emit waitForMatched();
        if (!self || !m_telnet)
            return false;
        if (data.isEmpty())
            return true;
    }
    return true;
}

void TelnetClient::close()
{
    const bool wasOpen = m_telnet != nullptr;
    endTelnet();
    if (m_socket->state() == QAbstractSocket::ConnectedState)
        m_socket->disconnectFromHost(); // delivers what is still queued first
    else if (m_socket->state() != QAbstractSocket::ClosingState)
        m_socket->abort();
    if (wasOpen)
        emit closed();
}

void TelnetClient::handleDisconnected()
{
    if (!m_telnet)
        return; // closed here already
    // Data that came with the end of the connection is still delivered.
    QPointer<TelnetClient> self(this);
    const QByteArray rest = m_socket->readAll();
    if (!rest.isEmpty())
        processReceived(rest);
    if (!self || !m_telnet)
        return;
    endTelnet();
    emit closed();
}

void TelnetClient::handleSocketError()
{
    // The end of the connection by the peer is reported by closed().
    if (m_socket->error() == QAbstractSocket::RemoteHostClosedError)
        return;
    emit message(m_socket->errorString());
}

void TelnetClient::endTelnet()
{
    if (m_telnet) {
        telnet_free(m_telnet);
        m_telnet = nullptr;
    }
}
