#include "SnmpClient.h"

#include "OidCatalogue.h"
#include "SnmpLibrary.h"
#include "SnmpValueText.h"
#include "app/Numeric.h"
#include "app/Records.h"
#include "app/SettingsStore.h"

#include <QCoreApplication>
#include <QHostAddress>
#include <QSocketNotifier>
#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <net-snmp/net-snmp-config.h>
#include <net-snmp/net-snmp-includes.h>
#include <sys/epoll.h>
#include <sys/select.h>
#include <unistd.h>

namespace {

quint16 portFromText(const QString &text)
{
    const std::optional<qint32> port = Numeric::toInt32(Numeric::leadingNumber(text));
    if (!port || *port < 1 || *port > 65535)
        return SnmpClient::kDefaultPort;
    return static_cast<quint16>(*port);
}

} // namespace

SnmpClient::SnmpClient(const SessionSettings &settings, MonitorState &state, QTimer *timeoutTimer,
                       QObject *parent)
    : QObject(parent), m_settings(settings), m_state(state), m_timeoutTimer(timeoutTimer),
      m_notifier(QSocketNotifier::Read)
{
    connect(&m_notifier, &QSocketNotifier::activated, this, &SnmpClient::ReceiveSnmpResponse);
    watchReadySet();
    m_retransmitTimer.setSingleShot(true);
    connect(&m_retransmitTimer, &QTimer::timeout, this, &SnmpClient::retransmit);
}

SnmpClient::~SnmpClient()
{
    if (m_pending) {
        m_pending->ended = true;
        m_pending.reset();
        m_state.snmpBusy = false;
    }
    if (m_session)
        CloseSnmpSession();
    m_notifier.setSocket(-1);
    if (m_readySet >= 0)
        ::close(m_readySet);
}

bool SnmpClient::watchReadySet()
{
    if (m_readySet < 0) {
        m_readySet = epoll_create1(EPOLL_CLOEXEC);
        if (m_readySet < 0)
            return false;
        m_notifier.setSocket(m_readySet);
        m_notifier.setEnabled(true);
    }
    return true;
}

const QByteArray &SnmpClient::peerName()
{
    if (m_settings.remoteAddress != m_peerAddress || m_peerPort != m_port) {
        m_peerAddress = m_settings.remoteAddress;
        m_peerPort = m_port;
        // Only a literal address: a host name would block the window on a
        // name look-up.
        QHostAddress address;
        if (address.setAddress(m_peerAddress) &&
            address.protocol() == QAbstractSocket::IPv4Protocol)
            m_peer = "udp:" + address.toString().toLatin1() + ':' + QByteArray::number(m_port);
        else
            m_peer.clear();
    }
    return m_peer;
}

int SnmpClient::fail(int code)
{
    m_lastApiResult = (code == 1 || code == 0) ? SNMPERR_GENERR : code;
    return m_lastApiResult;
}

int SnmpClient::StartSnmp()
{
    SnmpLibrary::start();
    m_port = portFromText(
        SettingsStore::readPreference(QStringLiteral("SNMPPort"), QStringLiteral("161")));
    // A start begins afresh: no request waiting, no session kept from before.
    return CleanupSnmp();
}

int SnmpClient::CleanupSnmp()
{
    if (m_pending)
        endRequest(WaitEnd::Superseded);
    else if (m_session)
        CloseSnmpSession();
    m_lastApiResult = 1;
    return 1;
}

int SnmpClient::OpenSnmpSession()
{
    // One session at a time: a newer request takes over from a waiting one.
    if (m_pending)
        endRequest(WaitEnd::Superseded);
    SnmpLibrary::start();
    m_lastApiResult = 0;

    QByteArray peer = peerName();
    if (m_session && peer == m_sessionPeer) {
        m_lastApiResult = 1; // the session the last answered request left open
        return 1;
    }
    if (m_session)
        CloseSnmpSession();
    if (peer.isEmpty())
        return fail(SNMPERR_BAD_ADDRESS);
    if (!watchReadySet())
        return fail(SNMPERR_GENERR);

    netsnmp_session settings;
    snmp_sess_init(&settings);
    settings.version = SNMP_VERSION_1;
    settings.peername = peer.data();
    settings.callback = libraryCallback;
    settings.callback_magic = this;
    m_session = snmp_sess_open(&settings);
    if (!m_session)
        return fail(settings.s_snmp_errno);
    m_sessionPeer = peer;
    m_resent = false;

    epoll_event readable{};
    readable.events = EPOLLIN;
    readable.data.fd = snmp_sess_transport(m_session)->sock;
    if (epoll_ctl(m_readySet, EPOLL_CTL_ADD, readable.data.fd, &readable) != 0) {
        CloseSnmpSession();
        return fail(SNMPERR_GENERR);
    }
    m_lastApiResult = 1;
    return 1;
}

int SnmpClient::CloseSnmpSession()
{
    m_retransmitTimer.stop();
    if (!m_session)
        return fail(SNMPERR_BAD_SESSION);
    void *session = m_session;
    m_session = nullptr;
    // Out of the set before the library closes it: a child process may still
    // hold a copy of the descriptor, which would keep it in the set.
    epoll_ctl(m_readySet, EPOLL_CTL_DEL, snmp_sess_transport(session)->sock, nullptr);
    if (snmp_sess_close(session) != 1)
        return fail(SNMPERR_GENERR);
    m_lastApiResult = 1;
    return 1;
}

int SnmpClient::SendSnmpGet(const QString &oidText)
{
    return send(SNMP_MSG_GET, oidText, m_settings.readCommunity, nullptr);
}

int SnmpClient::SendSnmpSet(const QString &oidText, const QVariant &value)
{
    return send(SNMP_MSG_SET, oidText, m_settings.writeCommunity, &value);
}

int SnmpClient::send(int pduType, const QString &oidText, const QString &community,
                     const QVariant *setValue)
{
    m_lastApiResult = 0;
    if (!m_session)
        return fail(SNMPERR_BAD_SESSION);
    const std::optional<QVector<quint32>> subIds = SnmpValueText::parseOid(oidText);
    if (!subIds)
        return fail(SNMPERR_BAD_NAME);
    std::vector<oid> name(subIds->cbegin(), subIds->cend());

    netsnmp_pdu *pdu = snmp_pdu_create(pduType);
    pdu->reqid = kRequestId;
    const QByteArray communityOctets = community.toLatin1();
    if (!communityOctets.isEmpty()) {
        pdu->community = static_cast<u_char *>(std::malloc(communityOctets.size()));
        std::memcpy(pdu->community, communityOctets.constData(), communityOctets.size());
        pdu->community_len = static_cast<size_t>(communityOctets.size());
    }

    if (!setValue) {
        snmp_add_null_var(pdu, name.data(), name.size());
    } else {
        const std::optional<SnmpValueText::SetValue> value = SnmpValueText::setValueFor(*setValue);
        if (!value) {
            snmp_free_pdu(pdu);
            return fail(SNMPERR_VALUE);
        }
        if (value->syntax == SnmpValueText::SetValue::Syntax::Integer) {
            const long integer = value->integer;
            snmp_pdu_add_variable(pdu, name.data(), name.size(), ASN_INTEGER, &integer,
                                  sizeof(integer));
        } else {
            static const char kNoOctets = 0;
            const char *octets = value->octets.isEmpty() ? &kNoOctets : value->octets.constData();
            snmp_pdu_add_variable(pdu, name.data(), name.size(), ASN_OCTET_STR, octets,
                                  static_cast<size_t>(value->octets.size()));
        }
    }

    if (snmp_sess_async_send(m_session, pdu, libraryCallback, this) == 0) {
        const int error = snmp_sess_session(m_session)->s_snmp_errno;
        snmp_free_pdu(pdu);
        return fail(error);
    }
    armRetransmission();
    m_lastApiResult = 1;
    return 1;
}

int SnmpClient::libraryCallback(int operation, struct snmp_session *, int, snmp_pdu *pdu,
                                void *magic)
{
    // Runs inside snmp_sess_read: it only copies the value and returns. A
    // nested event loop here would re-enter the library.
    auto *self = static_cast<SnmpClient *>(magic);
    if (operation != NETSNMP_CALLBACK_OP_RECEIVED_MESSAGE || !self || !pdu)
        return 1;
    if (self->m_pending && !self->m_pending->mailbox)
        self->m_pending->mailbox = SnmpValueText::fromBinding(pdu->variables);
    return 1;
}

void SnmpClient::ReceiveSnmpResponse()
{
    // The library's callback never spins an event loop, so the read is never
    // re-entered; the guard keeps it that way should that change.
    if (!m_session || m_reading)
        return;
    fd_set readable;
    FD_ZERO(&readable);
    FD_SET(snmp_sess_transport(m_session)->sock, &readable);
    m_reading = true;
    snmp_sess_read(m_session, &readable);
    m_reading = false;
    if (m_pending && m_pending->mailbox) {
        endRequest(WaitEnd::Answered);
        return;
    }
    armRetransmission();
}

void SnmpClient::armRetransmission()
{
    if (!m_session)
        return;
    int descriptors = 0;
    int block = 1;
    fd_set unused;
    FD_ZERO(&unused);
    timeval untilNext{0, 0};
    snmp_sess_select_info(m_session, &descriptors, &unused, &untilNext, &block);
    if (block) {
        m_retransmitTimer.stop();
        return;
    }
    const qint64 ms = qint64(untilNext.tv_sec) * 1000 + (untilNext.tv_usec + 999) / 1000;
    m_retransmitTimer.start(static_cast<int>(std::clamp<qint64>(ms, 1, 60000)));
}

void SnmpClient::retransmit()
{
    if (!m_session)
        return;
    m_resent = true;
    snmp_sess_timeout(m_session);
    armRetransmission();
}

std::shared_ptr<SnmpClient::Request> SnmpClient::beginWait()
{
    m_pending = std::make_shared<Request>();
    m_lastWaitEnd = WaitEnd::None;
    if (m_timeoutTimer)
        m_timeoutTimer->start();
    m_state.snmpTimedOut = false;
    m_state.snmpBusy = true;
    return m_pending;
}

bool SnmpClient::wait(const std::shared_ptr<Request> &request, StopRule rule)
{
    QPointer<SnmpClient> self(this);
    const bool stoppedBefore = rule == StopRule::StopDuringWait && m_state.monitoringStopped;
    auto stopped = [this, stoppedBefore] { return m_state.monitoringStopped && !stoppedBefore; };
    while (!request->ended && !stopped()) {
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        if (!self)
            return false;
    }
    if (!request->ended)
        endRequest(WaitEnd::Stopped);
    return true;
}

void SnmpClient::endRequest(WaitEnd how)
{
    m_lastWaitEnd = how;
    if (m_pending) {
        m_pending->ended = true;
        m_pending.reset();
    }
    if (m_timeoutTimer)
        m_timeoutTimer->stop();
    m_state.snmpBusy = false;
    if (!m_state.snmpTimedOut)
        m_state.snmpTimeoutCount = 0;
    // Every request carries the same identifier, so the session keeps no
    // answer that may still come: after a time-out, a stop or a takeover the
    // answer may be on its way, and after a resend a second one. Only an
    // answer to a request sent once leaves the session for the next request,
    // which then needs no new socket.
    m_retransmitTimer.stop();
    if (how != WaitEnd::Answered || m_resent)
        CloseSnmpSession();
}

void SnmpClient::endRequestByTimeout()
{
    m_state.snmpTimedOut = true;
    if (m_pending)
        endRequest(WaitEnd::TimedOut);
}

QString SnmpClient::GetViaSNMP(int index)
{
    const QString oidText = LookupOid(index);
    if (oidText == QLatin1String(OidCatalogue::kInvalidOid))
        return QString();
    if (OpenSnmpSession() != 1)
        return QStringLiteral("ERROR");
    if (SendSnmpGet(oidText) != 1) {
        CloseSnmpSession();
        return QStringLiteral("ERROR");
    }
    const std::shared_ptr<Request> request = beginWait();
    wait(request, StopRule::WhileStopped);
    return request->mailbox.value_or(QString());
}

QString SnmpClient::SetViaSNMP(int index, const QVariant &value)
{
    const QString oidText = LookupOid(index);
    if (oidText == QLatin1String(OidCatalogue::kInvalidOid))
        return oidText;
    if (OpenSnmpSession() != 1)
        return QStringLiteral("ERROR");
    if (SendSnmpSet(oidText, value) != 1) {
        CloseSnmpSession();
        return QStringLiteral("ERROR");
    }
    const std::shared_ptr<Request> request = beginWait();
    wait(request, StopRule::StopDuringWait);
    return request->mailbox.value_or(QStringLiteral("ERROR"));
}
