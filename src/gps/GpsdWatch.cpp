#include "GpsdWatch.h"

#include "GpsdLines.h"

#include <QTcpSocket>
#include <QTimer>

GpsdWatch::GpsdWatch(QObject *parent)
    : QObject(parent), m_socket(new QTcpSocket(this)), m_retryTimer(new QTimer(this))
{
    setObjectName(QStringLiteral("GpsdWatch"));
    m_socket->setReadBufferSize(kReadBufferBytes);
    m_retryTimer->setSingleShot(true);
    connect(m_retryTimer, &QTimer::timeout, this, &GpsdWatch::connectToDaemon);
    connect(m_socket, &QTcpSocket::connected, this, &GpsdWatch::onConnected);
    connect(m_socket, &QTcpSocket::disconnected, this, &GpsdWatch::onDisconnected);
    // A refused or failed connection attempt ends without a disconnect.
    connect(m_socket, &QTcpSocket::errorOccurred, this, [this] {
        if (m_socket->state() != QAbstractSocket::ConnectedState)
            onDisconnected();
    });
}

void GpsdWatch::open(const QString &host, quint16 port)
{
    close();
    m_host = host;
    m_port = port;
    m_wanted = true;
    m_retryDelay.reset();
    connectToDaemon();
}

void GpsdWatch::close()
{
    m_wanted = false;
    m_retryTimer->stop();
    m_socket->abort();
    m_pending.clear();
}

bool GpsdWatch::isReceiving() const
{
    return m_socket->state() == QAbstractSocket::ConnectedState;
}

QString GpsdWatch::takeReceivedText()
{
    if (!isReceiving())
        return {};
    m_pending += m_socket->readAll();
    return GpsdLines::takeSentences(m_pending);
}

void GpsdWatch::connectToDaemon()
{
    if (!m_wanted || m_socket->state() != QAbstractSocket::UnconnectedState)
        return;
    m_pending.clear();
    m_socket->connectToHost(m_host, m_port);
}

void GpsdWatch::onConnected()
{
    m_retryDelay.reset();
    m_socket->write(GpsdLines::watchRequest());
}

void GpsdWatch::onDisconnected()
{
    if (!m_wanted || m_retryTimer->isActive())
        return;
    m_socket->abort();
    emit lost();
    scheduleRetry();
}

void GpsdWatch::scheduleRetry()
{
    if (m_wanted)
        m_retryTimer->start(m_retryDelay.next());
}
