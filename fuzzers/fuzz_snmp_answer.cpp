// An SNMP answer as the UDP payload arrives from the remote: parsed by the
// library the way it parses a datagram of an SNMPv1 session, then every
// binding through the station's value-to-text.
#include "FuzzCheck.h"
#include "app/Records.h"
#include "snmp/SnmpClient.h"
#include "snmp/SnmpValueText.h"

#include <QTemporaryDir>
#include <cstdint>
#include <net-snmp/net-snmp-config.h>
#include <net-snmp/net-snmp-includes.h>
#include <vector>

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    silenceQtMessages();
    // The library starts as the station starts it, with its persistent files
    // and the settings it reads in a folder of the fuzzer's own.
    static QTemporaryDir home;
    qputenv("XDG_CACHE_HOME", home.filePath(QStringLiteral("cache")).toLocal8Bit());
    qputenv("XDG_CONFIG_HOME", home.filePath(QStringLiteral("config")).toLocal8Bit());
    SessionSettings settings;
    MonitorState state;
    SnmpClient layer(settings, state, nullptr);
    layer.StartSnmp();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    netsnmp_session session;
    snmp_sess_init(&session);
    session.version = SNMP_VERSION_1;
    // The library may write into what it parses; it gets a copy of its own.
    std::vector<u_char> packet(data, data + size);
    netsnmp_pdu *pdu = static_cast<netsnmp_pdu *>(calloc(1, sizeof(netsnmp_pdu)));
    FUZZ_CHECK(pdu);
    if (snmp_parse(nullptr, &session, pdu, packet.data(), packet.size()) == SNMPERR_SUCCESS) {
        for (const netsnmp_variable_list *binding = pdu->variables; binding;
             binding = binding->next_variable) {
            const QString text = SnmpValueText::fromBinding(binding);
            if (binding->type == ASN_OCTET_STR && binding->val.string)
                FUZZ_CHECK(text.size() == qsizetype(binding->val_len));
        }
    }
    snmp_free_pdu(pdu);
    return 0;
}
