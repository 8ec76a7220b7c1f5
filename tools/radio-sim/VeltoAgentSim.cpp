// The Velto radio's SNMPv1 agent on 127.0.0.1, built on net-snmp's agent
// library: the fourteen catalogue objects of the station, with a signal that
// drifts, a connection state that passes through Scanning and Connecting to
// Associated, and interface counters that rise. The two alarm thresholds and
// the reboot object accept SETs; a reboot makes the radio silent for a while
// and then start over from Scanning.
#include "SimMode.h"
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

// The objects by the station's catalogue index.
enum Object : int
{
    TxOctets = 1,
    RxOctets,
    FirmwareVersion,
    RebootRequest,
    RebootValue,
    DeviceMode,
    RssiThreshold,
    SnrThreshold,
    Rssi,
    Snr,
    LinkRate,
    ConnectionState,
    AccessPointAddress,
    FeatureIndicator
};

struct ObjectOid
{
    Object object;
    std::vector<oid> name;
};

const std::vector<ObjectOid> &objects()
{
    static const std::vector<ObjectOid> list = {
        {TxOctets, {1, 3, 6, 1, 2, 1, 2, 2, 1, 16, 3}},
        {RxOctets, {1, 3, 6, 1, 2, 1, 2, 2, 1, 10, 3}},
        {FirmwareVersion, {1, 3, 6, 1, 4, 1, 4130, 5, 2, 4, 0}},
        {RebootRequest, {1, 3, 6, 1, 4, 1, 4130, 5, 4, 1, 8, 0}},
        {RebootValue, {1, 3, 6, 1, 4, 1, 4130, 5, 4, 1, 11, 0}},
        {DeviceMode, {1, 3, 6, 1, 4, 1, 4130, 2, 1, 1, 2, 1, 1, 0}},
        {RssiThreshold, {1, 3, 6, 1, 4, 1, 4130, 2, 1, 1, 2, 2, 4, 0}},
        {SnrThreshold, {1, 3, 6, 1, 4, 1, 4130, 2, 1, 1, 2, 2, 5, 0}},
        {Rssi, {1, 3, 6, 1, 4, 1, 4130, 2, 1, 1, 3, 2, 4, 0}},
        {Snr, {1, 3, 6, 1, 4, 1, 4130, 2, 1, 1, 3, 2, 5, 0}},
        {LinkRate, {1, 3, 6, 1, 4, 1, 4130, 2, 1, 1, 3, 2, 6, 0}},
        {ConnectionState, {1, 3, 6, 1, 4, 1, 4130, 2, 1, 1, 3, 2, 7, 1, 0}},
        {AccessPointAddress, {1, 3, 6, 1, 4, 1, 4130, 2, 1, 1, 3, 2, 7, 3, 0}},
        {FeatureIndicator, {1, 3, 6, 1, 4, 1, 4130, 2, 1, 1, 8, 5, 1, 0}},
    };
    return list;
}

// Seconds spent in each phase of a connection: scanning, connecting, then
// associated until the next re-scan.
constexpr int kScanSeconds = 4;
constexpr int kConnectSeconds = 4;

class VeltoAgentSim : public SimMode
{
public:
    void addOptions(QCommandLineParser &parser) override;
    bool wanted(const QCommandLineParser &parser) const override { return parser.isSet(m_port); }
    bool start(const QCommandLineParser &parser, QString *error) override;

private:
    static int handle(netsnmp_mib_handler *handler, netsnmp_handler_registration *registration,
                      netsnmp_agent_request_info *info, netsnmp_request_info *requests);
    int answer(Object object, netsnmp_agent_request_info *info, netsnmp_request_info *request);
    void tick();
    void serve(int socket);
    int associatedCode() const { return m_newFirmware ? 5 : 4; }

    QCommandLineOption m_port{QStringLiteral("velto-snmp-port"),
                              QStringLiteral("Velto radio: answer SNMP on 127.0.0.1:<port>."),
                              QStringLiteral("port")};
    QCommandLineOption m_firmware{
        QStringLiteral("velto-firmware"),
        QStringLiteral("Velto radio: firmware version text (default 4.8.0)."),
        QStringLiteral("version"), QStringLiteral("4.8.0")};
    QCommandLineOption m_extended{
        QStringLiteral("velto-extended"),
        QStringLiteral("Velto radio: the feature indicator's answer, a number, or \"none\" for an "
                       "agent without the object (default 1)."),
        QStringLiteral("answer"), QStringLiteral("1")};
    QCommandLineOption m_accessPoint{
        QStringLiteral("velto-access-point"),
        QStringLiteral("Velto radio: report access-point mode (5) instead of remote (2).")};
    QCommandLineOption m_silent{
        QStringLiteral("velto-silent"),
        QStringLiteral("Velto radio: take SNMP requests but never answer.")};
    QCommandLineOption m_rebootSeconds{
        QStringLiteral("velto-reboot-seconds"),
        QStringLiteral("Velto radio: seconds of silence after a reboot request (default 60)."),
        QStringLiteral("seconds"), QStringLiteral("60")};
    QCommandLineOption m_rescanOption{
        QStringLiteral("velto-rescan-seconds"),
        QStringLiteral("Velto radio: seconds associated before it scans again (default 120)."),
        QStringLiteral("seconds"), QStringLiteral("120")};

    QCommandLineOption m_readOption{QStringLiteral("velto-read-community"),
                                    QStringLiteral("Velto radio: read community (default public)."),
                                    QStringLiteral("text"), QStringLiteral("public")};
    QCommandLineOption m_writeOption{
        QStringLiteral("velto-write-community"),
        QStringLiteral("Velto radio: write community, the only one SETs are taken under "
                       "(default private)."),
        QStringLiteral("text"), QStringLiteral("private")};

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
         {&m_port, &m_firmware, &m_extended, &m_accessPoint, &m_silent, &m_rebootSeconds,
          &m_rescanOption, &m_readOption, &m_writeOption})
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
    const uint port = parser.value(m_port).toUInt(&ok);
    if (!ok || port == 0 || port > 65535) {
        *error = QStringLiteral("--velto-snmp-port needs a port number");
        return false;
    }
    m_firmwareText = parser.value(m_firmware).toLatin1();
    m_readCommunity = parser.value(m_readOption).toLatin1();
    m_writeCommunity = parser.value(m_writeOption).toLatin1();
    const QString feature = parser.value(m_extended);
    m_hasFeature = feature != QLatin1String("none");
    m_feature = feature.toLong();
    m_mode = parser.isSet(m_accessPoint) ? 5 : 2;
    m_silentAlways = parser.isSet(m_silent);
    m_rebootMs = parser.value(m_rebootSeconds).toInt() * 1000;
    m_rescanSeconds = std::max(10, parser.value(m_rescanOption).toInt());
    // The station's rule for the newer state table: above 5.7.0 or extended.
    const QByteArray digits =
        m_firmwareText.mid(std::max<qsizetype>(0, m_firmwareText.indexOf('.') - 1));
    const int version =
        digits.size() >= 5 ? (QByteArray(1, digits[0]) + digits[2] + digits[4]).toInt() : 0;
    m_newFirmware = version > 570 || (m_hasFeature && m_feature != 0);
    // The telnet menu of the same radio asks for the credential that matches.
    VeltoRadioState::instance().firmware = QString::fromLatin1(m_firmwareText);
    VeltoRadioState::instance().extendedFeatures = m_hasFeature && m_feature != 0;

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
    if (init_master_agent() != 0) {
        *error = QStringLiteral("cannot answer SNMP on 127.0.0.1:%1").arg(port);
        return false;
    }

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

    VeltoRadioState &radio = VeltoRadioState::instance();
    radio.stateCode = 1;
    m_phaseSeconds = 0;
    m_clock.setInterval(1000);
    QObject::connect(&m_clock, &QTimer::timeout, [this] { tick(); });
    m_clock.start();
    std::printf("Velto SNMP agent on 127.0.0.1:%u (firmware %s, mode %ld%s)\n", port,
                m_firmwareText.constData(), m_mode, m_silentAlways ? ", silent" : "");
    return true;
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
    VeltoRadioState &radio = VeltoRadioState::instance();
    const bool scanning = radio.scanningAfterBlacklist();
    auto integer = [request](long value) {
        snmp_set_var_typed_value(request->requestvb, ASN_INTEGER, &value, sizeof value);
    };
    auto counter = [request](quint32 value) {
        const u_long v = value;
        snmp_set_var_typed_value(request->requestvb, ASN_COUNTER, &v, sizeof v);
    };
    auto octets = [request](const QByteArray &text) {
        snmp_set_var_typed_value(request->requestvb, ASN_OCTET_STR, text.constData(),
                                 size_t(text.size()));
    };

    switch (info->mode) {
    case MODE_GET:
        switch (object) {
        case TxOctets:
            counter(radio.ifOutOctets);
            break;
        case RxOctets:
            counter(radio.ifInOctets);
            break;
        case FirmwareVersion:
            octets(m_firmwareText);
            break;
        case RebootRequest:
            integer(0);
            break;
        case RebootValue:
            integer(m_rebootValue);
            break;
        case DeviceMode:
            integer(m_mode);
            break;
        case RssiThreshold:
            integer(m_rssiThreshold);
            break;
        case SnrThreshold:
            integer(m_snrThreshold);
            break;
        case Rssi:
            integer(radio.rssiDbm);
            break;
        case Snr:
            integer(radio.snrDb);
            break;
        case LinkRate:
            integer(1);
            break;
        case ConnectionState:
            integer(scanning ? 1 : radio.stateCode);
            break;
        case AccessPointAddress:
            octets(radio.stateCode == associatedCode() && !scanning
                       ? QByteArray("\xC0\xA8\x01\x0A", 4)
                       : QByteArray());
            break;
        case FeatureIndicator:
            if (m_hasFeature)
                integer(m_feature);
            else
                netsnmp_set_request_error(info, request, SNMP_NOSUCHOBJECT);
            break;
        }
        break;
    case MODE_SET_RESERVE1: {
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
        break;
    }
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

} // namespace

std::unique_ptr<SimMode> makeVeltoAgentSim()
{
    return std::make_unique<VeltoAgentSim>();
}
