// The Velto radio's SNMPv1 agent on 127.0.0.1, built on net-snmp's agent
// library: the fourteen catalogue objects of the station, with a signal that
// drifts, a connection state that passes through Scanning and Connecting to
// Associated, and interface counters that rise. The two alarm thresholds and
// the reboot object accept SETs; a reboot makes the radio silent for a while
// and then start over from Scanning.
#include "SimMode.h"
#include "VeltoAgentObjects.h"
#include "VeltoAgentOptions.h"
#include "VeltoRadioState.h"

#include <QDir>
#include <QRandomGenerator>
#include <QSocketNotifier>
#include <QTemporaryDir>
#include <QTimer>
#include <cstdint>
#include <memory>
#include <net-snmp/net-snmp-config.h>
#include <sys/select.h>
#include <sys/socket.h>
#include <vector>
// The library's headers need its configuration first, the agent's the library's.
#include <net-snmp/net-snmp-includes.h>
// The agent core.
#include <net-snmp/agent/agent_callbacks.h>
#include <net-snmp/agent/net-snmp-agent-includes.h>

namespace {

using namespace VeltoAgentObjects;

// Seconds spent in each phase of a connection: scanning, connecting, then
// associated until the next re-scan.
constexpr int kScanSeconds = 4;
constexpr int kConnectSeconds = 4;

class VeltoAgentSim : public SimMode
{
public:
    void addOptions(QCommandLineParser &parser) override;
    bool wanted(const QCommandLineParser &parser) const override
    {
        return parser.isSet(m_options.port);
    }
    bool start(const QCommandLineParser &parser, QString *error) override;

private:
    static int handle(netsnmp_mib_handler *handler, netsnmp_handler_registration *registration,
                      netsnmp_agent_request_info *info, netsnmp_request_info *requests);
    int answer(Object object, netsnmp_agent_request_info *info, netsnmp_request_info *request);
    long integerValue(Object object) const;
    void answerGet(Object object, netsnmp_agent_request_info *info,
                   netsnmp_request_info *request) const;
    void checkSet(Object object, netsnmp_agent_request_info *info,
                  netsnmp_request_info *request) const;
    void tick();
    void serve(int socket);
    void readRadioOptions(const QCommandLineParser &parser);
    bool startAgent(uint port);
    void watchAgentSockets();
    int associatedCode() const { return m_newFirmware ? 5 : 4; }

    VeltoAgentOptions m_options;
    QTemporaryDir m_persistent;
    QByteArray m_readCommunity;
    QByteArray m_writeCommunity;
    QTimer m_clock;
    std::vector<std::unique_ptr<QSocketNotifier>> m_notifiers;
    QByteArray m_firmwareText;
    bool m_hasFeature = true;
    long m_feature = 1;
    long m_mode = 2;
    bool m_silentAlways = false;
    bool m_newFirmware = true;
    int m_rebootMs = 60000;
    int m_rescanSeconds = 120;
    long m_rssiThreshold = -90;
    long m_snrThreshold = 15;
    long m_rebootValue = 1;
    int m_phaseSeconds = 0;
};

void VeltoAgentSim::addOptions(QCommandLineParser &parser)
{
    for (const QCommandLineOption *o :
         {&m_options.port, &m_options.firmware, &m_options.extended, &m_options.accessPoint,
          &m_options.silent, &m_options.rebootSeconds, &m_options.rescanSeconds,
          &m_options.readCommunity, &m_options.writeCommunity})
        parser.addOption(*o);
}

// Every object may be read and written by a request that came in under one of
// the radio's communities (the communities are mapped before this is asked).
int allowAccess(int, int, void *serverArgument, void *)
{
    static_cast<view_parameters *>(serverArgument)->errorcode = VACM_SUCCESS;
    return SNMP_ERR_NOERROR;
}

// The library's log is kept off the terminal.
int quietLog(int, int, void *, void *)
{
    return 0;
}

bool VeltoAgentSim::start(const QCommandLineParser &parser, QString *error)
{
    bool ok = false;
    const uint port = parser.value(m_options.port).toUInt(&ok);
    if (!ok || port == 0 || port > 65535) {
        *error = QStringLiteral("--velto-snmp-port needs a port number");
        return false;
    }
    readRadioOptions(parser);
    if (!startAgent(port)) {
        *error = QStringLiteral("cannot answer SNMP on 127.0.0.1:%1").arg(port);
        return false;
    }
    watchAgentSockets();
    VeltoRadioState::instance().stateCode = 1;
    m_phaseSeconds = 0;
    m_clock.setInterval(1000);
    QObject::connect(&m_clock, &QTimer::timeout, [this] { tick(); });
    m_clock.start();
    std::printf("Velto SNMP agent on 127.0.0.1:%u (firmware %s, mode %ld%s)\n", port,
                m_firmwareText.constData(), m_mode, m_silentAlways ? ", silent" : "");
    return true;
}

void VeltoAgentSim::readRadioOptions(const QCommandLineParser &parser)
{
    m_firmwareText = parser.value(m_options.firmware).toLatin1();
    m_readCommunity = parser.value(m_options.readCommunity).toLatin1();
    m_writeCommunity = parser.value(m_options.writeCommunity).toLatin1();
    const QString feature = parser.value(m_options.extended);
    m_hasFeature = feature != QLatin1String("none");
    m_feature = feature.toLong();
    m_mode = parser.isSet(m_options.accessPoint) ? 5 : 2;
    m_silentAlways = parser.isSet(m_options.silent);
    m_rebootMs = parser.value(m_options.rebootSeconds).toInt() * 1000;
    m_rescanSeconds = std::max(10, parser.value(m_options.rescanSeconds).toInt());
    // The station's rule for the newer state table: above 5.7.0 or extended.
    const QByteArray digits =
        m_firmwareText.mid(std::max<qsizetype>(0, m_firmwareText.indexOf('.') - 1));
    const int version =
        digits.size() >= 5 ? (QByteArray(1, digits[0]) + digits[2] + digits[4]).toInt() : 0;
    m_newFirmware = version > 570 || (m_hasFeature && m_feature != 0);
    // The telnet menu of the same radio asks for the credential that matches.
    VeltoRadioState::instance().firmware = QString::fromLatin1(m_firmwareText);
    VeltoRadioState::instance().extendedFeatures = m_hasFeature && m_feature != 0;
}

// The agent library answers on the loopback only, reads no configuration and
// keeps no state between runs.
bool VeltoAgentSim::startAgent(uint port)
{
    snmp_register_callback(SNMP_CALLBACK_LIBRARY, SNMP_CALLBACK_LOGGING, quietLog, nullptr);
    netsnmp_register_loghandler(NETSNMP_LOGHANDLER_CALLBACK, LOG_DEBUG);
    netsnmp_ds_set_string(NETSNMP_DS_LIBRARY_ID, NETSNMP_DS_LIB_PERSISTENT_DIR,
                          QFile::encodeName(m_persistent.path()).constData());
    for (int option :
         {NETSNMP_DS_LIB_DONT_READ_CONFIGS, NETSNMP_DS_LIB_DONT_PERSIST_STATE,
          NETSNMP_DS_LIB_DISABLE_PERSISTENT_LOAD, NETSNMP_DS_LIB_DISABLE_PERSISTENT_SAVE})
        netsnmp_ds_set_boolean(NETSNMP_DS_LIBRARY_ID, option, 1);
    qputenv("MIBS", QByteArray());
    netsnmp_set_mib_directory("");
    netsnmp_ds_set_boolean(NETSNMP_DS_APPLICATION_ID, NETSNMP_DS_AGENT_ROLE, 0);
    netsnmp_ds_set_string(NETSNMP_DS_APPLICATION_ID, NETSNMP_DS_AGENT_PORTS,
                          QByteArray("udp:127.0.0.1:" + QByteArray::number(port)).constData());
    // The agent core also listens for SMUX peers: on the loopback only.
    netsnmp_ds_set_string(NETSNMP_DS_APPLICATION_ID, NETSNMP_DS_SMUX_SOCKET, "127.0.0.1");
    init_agent("kavo-radio-sim");
    for (int check : {SNMPD_CALLBACK_ACM_CHECK, SNMPD_CALLBACK_ACM_CHECK_INITIAL,
                      SNMPD_CALLBACK_ACM_CHECK_SUBTREE})
        snmp_register_callback(SNMP_CALLBACK_APPLICATION, check, allowAccess, nullptr);
    for (const ObjectOid &o : objects()) {
        netsnmp_handler_registration *registration = netsnmp_create_handler_registration(
            "velto", handle, o.name.data(), o.name.size(), HANDLER_CAN_RWRITE);
        registration->my_reg_void = this;
        registration->priority = o.object; // keeps the object's index with it
        netsnmp_register_instance(registration);
    }
    init_snmp("kavo-radio-sim");
    // Requests are taken under the radio's two communities, from this host only.
    for (const QByteArray &community : {m_readCommunity, m_writeCommunity}) {
        QByteArray mapping = "station 127.0.0.1 " + community;
        netsnmp_udp_parse_security("com2sec", mapping.data());
    }
    return init_master_agent() == 0;
}

// The library's sockets are served from the event loop.
void VeltoAgentSim::watchAgentSockets()
{
    int descriptors = 0;
    int block = 1;
    fd_set readable;
    FD_ZERO(&readable);
    timeval unused{0, 0};
    snmp_select_info(&descriptors, &readable, &unused, &block);
    for (int fd = 0; fd < descriptors; ++fd) {
        if (!FD_ISSET(fd, &readable))
            continue;
        auto notifier = std::make_unique<QSocketNotifier>(fd, QSocketNotifier::Read);
        QObject::connect(notifier.get(), &QSocketNotifier::activated, notifier.get(),
                         [this, fd] { serve(fd); });
        m_notifiers.push_back(std::move(notifier));
    }
}

void VeltoAgentSim::serve(int socket)
{
    VeltoRadioState &radio = VeltoRadioState::instance();
    if (m_silentAlways || radio.rebooting()) {
        // Take the datagram and drop it: a radio that does not answer.
        char buffer[2048];
        (void)recv(socket, buffer, sizeof buffer, MSG_DONTWAIT);
        return;
    }
    agent_check_and_process(0);
}

void VeltoAgentSim::tick()
{
    VeltoRadioState &radio = VeltoRadioState::instance();
    QRandomGenerator *random = QRandomGenerator::global();
    if (radio.rebooting()) {
        radio.stateCode = 1;
        m_phaseSeconds = 0;
        return;
    }
    ++m_phaseSeconds;
    if (m_phaseSeconds <= kScanSeconds)
        radio.stateCode = 1;
    else if (m_phaseSeconds <= kScanSeconds + kConnectSeconds)
        radio.stateCode = m_phaseSeconds % 2 ? 2 : 3;
    else
        radio.stateCode = associatedCode();
    if (m_phaseSeconds >= m_rescanSeconds)
        m_phaseSeconds = 0;

    radio.rssiDbm = std::clamp(radio.rssiDbm + random->bounded(-3, 4), -95, -50);
    radio.snrDb = std::clamp(radio.snrDb + random->bounded(-2, 3), 5, 35);
    if (radio.stateCode == associatedCode()) {
        radio.ifOutOctets += quint32(random->bounded(2000, 24000));
        radio.ifInOctets += quint32(random->bounded(4000, 48000));
    }
}

int VeltoAgentSim::handle(netsnmp_mib_handler *, netsnmp_handler_registration *registration,
                          netsnmp_agent_request_info *info, netsnmp_request_info *requests)
{
    auto *self = static_cast<VeltoAgentSim *>(registration->my_reg_void);
    for (netsnmp_request_info *r = requests; r; r = r->next)
        self->answer(Object(registration->priority), info, r);
    return SNMP_ERR_NOERROR;
}

int VeltoAgentSim::answer(Object object, netsnmp_agent_request_info *info,
                          netsnmp_request_info *request)
{
    switch (info->mode) {
    case MODE_GET:
        answerGet(object, info, request);
        break;
    case MODE_SET_RESERVE1:
        checkSet(object, info, request);
        break;
    case MODE_SET_ACTION:
        if (object == RssiThreshold)
            m_rssiThreshold = *request->requestvb->val.integer;
        else if (object == SnrThreshold)
            m_snrThreshold = *request->requestvb->val.integer;
        break;
    case MODE_SET_COMMIT:
        if (object == RebootRequest) {
            // Answers this request, then is silent while it restarts.
            std::printf("Velto radio: reboot requested\n");
            std::fflush(stdout);
            QTimer::singleShot(0, [this] {
                VeltoRadioState::instance().rebootingUntil = QDeadlineTimer(m_rebootMs);
            });
        }
        break;
    default:
        break;
    }
    return SNMP_ERR_NOERROR;
}

// The integer objects' current values; the others are answered by type below.
long VeltoAgentSim::integerValue(Object object) const
{
    const VeltoRadioState &radio = VeltoRadioState::instance();
    switch (object) {
    case RebootValue:
        return m_rebootValue;
    case DeviceMode:
        return m_mode;
    case RssiThreshold:
        return m_rssiThreshold;
    case SnrThreshold:
        return m_snrThreshold;
    case Rssi:
        return radio.rssiDbm;
    case Snr:
        return radio.snrDb;
    case LinkRate:
        return 1;
    case ConnectionState:
        return radio.scanningAfterBlacklist() ? 1 : radio.stateCode;
    case FeatureIndicator:
        return m_feature;
    default:
        return 0; // the reboot request reads as 0
    }
}

void VeltoAgentSim::answerGet(Object object, netsnmp_agent_request_info *info,
                              netsnmp_request_info *request) const
{
    const VeltoRadioState &radio = VeltoRadioState::instance();
    auto counter = [request](quint32 value) {
        const u_long v = value;
        snmp_set_var_typed_value(request->requestvb, ASN_COUNTER, &v, sizeof v);
    };
    auto octets = [request](const QByteArray &text) {
        snmp_set_var_typed_value(request->requestvb, ASN_OCTET_STR, text.constData(),
                                 size_t(text.size()));
    };
    if (object == TxOctets) {
        counter(radio.ifOutOctets);
    } else if (object == RxOctets) {
        counter(radio.ifInOctets);
    } else if (object == FirmwareVersion) {
        octets(m_firmwareText);
    } else if (object == AccessPointAddress) {
        const bool associated =
            radio.stateCode == associatedCode() && !radio.scanningAfterBlacklist();
        octets(associated ? QByteArray("\xC0\xA8\x01\x0A", 4) : QByteArray());
    } else if (object == FeatureIndicator && !m_hasFeature) {
        netsnmp_set_request_error(info, request, SNMP_NOSUCHOBJECT);
    } else {
        const long value = integerValue(object);
        snmp_set_var_typed_value(request->requestvb, ASN_INTEGER, &value, sizeof value);
    }
}

// SETs are taken under the write community, on the three writable objects,
// and the thresholds only as integers.
void VeltoAgentSim::checkSet(Object object, netsnmp_agent_request_info *info,
                             netsnmp_request_info *request) const
{
    const bool writable =
        object == RssiThreshold || object == SnrThreshold || object == RebootRequest;
    const netsnmp_pdu *pdu = info->asp->pdu;
    const QByteArray community(reinterpret_cast<const char *>(pdu->community),
                               qsizetype(pdu->community_len));
    if (community != m_writeCommunity)
        netsnmp_set_request_error(info, request, SNMP_ERR_NOACCESS);
    else if (!writable)
        netsnmp_set_request_error(info, request, SNMP_ERR_NOTWRITABLE);
    else if (object != RebootRequest && request->requestvb->type != ASN_INTEGER)
        netsnmp_set_request_error(info, request, SNMP_ERR_WRONGTYPE);
}

} // namespace

std::unique_ptr<SimMode> makeVeltoAgentSim()
{
    return std::make_unique<VeltoAgentSim>();
}
