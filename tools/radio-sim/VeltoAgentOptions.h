#pragma once

#include <QCommandLineOption>

// The simulated Velto agent's command-line options.
struct VeltoAgentOptions
{
    QCommandLineOption port{QStringLiteral("velto-snmp-port"),
                            QStringLiteral("Velto radio: answer SNMP on 127.0.0.1:<port>."),
                            QStringLiteral("port")};
    QCommandLineOption firmware{
        QStringLiteral("velto-firmware"),
        QStringLiteral("Velto radio: firmware version text (default 4.8.0)."),
        QStringLiteral("version"), QStringLiteral("4.8.0")};
    QCommandLineOption extended{
        QStringLiteral("velto-extended"),
        QStringLiteral("Velto radio: the feature indicator's answer, a number, or \"none\" for an "
                       "agent without the object (default 1)."),
        QStringLiteral("answer"), QStringLiteral("1")};
    QCommandLineOption accessPoint{
        QStringLiteral("velto-access-point"),
        QStringLiteral("Velto radio: report access-point mode (5) instead of remote (2).")};
    QCommandLineOption silent{QStringLiteral("velto-silent"),
                              QStringLiteral("Velto radio: take SNMP requests but never answer.")};
    QCommandLineOption rebootSeconds{
        QStringLiteral("velto-reboot-seconds"),
        QStringLiteral("Velto radio: seconds of silence after a reboot request (default 60)."),
        QStringLiteral("seconds"), QStringLiteral("60")};
    QCommandLineOption rescanSeconds{
        QStringLiteral("velto-rescan-seconds"),
        QStringLiteral("Velto radio: seconds associated before it scans again (default 120)."),
        QStringLiteral("seconds"), QStringLiteral("120")};

    QCommandLineOption readCommunity{
        QStringLiteral("velto-read-community"),
        QStringLiteral("Velto radio: read community (default public)."), QStringLiteral("text"),
        QStringLiteral("public")};
    QCommandLineOption writeCommunity{
        QStringLiteral("velto-write-community"),
        QStringLiteral("Velto radio: write community, the only one SETs are taken under "
                       "(default private)."),
        QStringLiteral("text"), QStringLiteral("private")};
};
