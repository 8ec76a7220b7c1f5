#include "SnmpLibrary.h"

#include <QDir>
#include <QFile>
#include <QLoggingCategory>
#include <QStandardPaths>
#include <net-snmp/net-snmp-config.h>
#include <net-snmp/net-snmp-includes.h>

namespace {

// The library's log, off by default; QT_LOGGING_RULES="kavo.snmp.debug=true"
// shows it.
Q_LOGGING_CATEGORY(lcSnmp, "kavo.snmp", QtInfoMsg)

int logThroughCategory(int, int, void *serverArgument, void *)
{
    const auto *message = static_cast<const snmp_log_message *>(serverArgument);
    if (message && message->msg)
        qCDebug(lcSnmp, "%s", QByteArray(message->msg).trimmed().constData());
    return 0;
}

} // namespace

void SnmpLibrary::start()
{
    // net-snmp keeps its configuration and its MIB tree per process, so the
    // process starts it once, whichever client asks first.
    static bool started = false;
    if (started)
        return;
    started = true;

    // The callback handler replaces the library's fall-back to stderr.
    snmp_register_callback(SNMP_CALLBACK_LIBRARY, SNMP_CALLBACK_LOGGING, logThroughCategory,
                           nullptr);
    netsnmp_register_loghandler(NETSNMP_LOGHANDLER_CALLBACK, LOG_DEBUG);

    const QString persistent =
        QStandardPaths::writableLocation(QStandardPaths::CacheLocation) + QStringLiteral("/snmp");
    QDir().mkpath(persistent);
    netsnmp_ds_set_string(NETSNMP_DS_LIBRARY_ID, NETSNMP_DS_LIB_PERSISTENT_DIR,
                          QFile::encodeName(persistent).constData());
    for (int option : {NETSNMP_DS_LIB_DONT_READ_CONFIGS, NETSNMP_DS_LIB_DONT_LOAD_HOST_FILES,
                       NETSNMP_DS_LIB_DONT_PERSIST_STATE, NETSNMP_DS_LIB_DISABLE_PERSISTENT_LOAD,
                       NETSNMP_DS_LIB_DISABLE_PERSISTENT_SAVE})
        netsnmp_ds_set_boolean(NETSNMP_DS_LIBRARY_ID, option, 1);
    // No MIB modules and no MIB folders: the station only uses numeric OIDs.
    qputenv("MIBS", QByteArray());
    netsnmp_set_mib_directory("");
    init_snmp("kavo-station");
}
