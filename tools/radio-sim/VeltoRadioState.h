#pragma once

#include <QDeadlineTimer>
#include <QString>
#include <QtGlobal>

// The one simulated Velto radio, shared by its SNMP agent and its telnet menu:
// a "blacklist" sent over telnet puts the radio into Scanning for a while,
// which the agent then reports as its connection state.
struct VeltoRadioState
{
    // Connection state code 1..5 as the agent reports it (1 Scanning,
    // 2 and 3 Connecting, 4 Connected, 5 Associated on newer firmware).
    int stateCode = 1;
    int rssiDbm = -70; // negative dBm
    int snrDb = 25;
    quint32 ifOutOctets = 0;
    quint32 ifInOctets = 0;

    // Wireless statistics screen counters.
    quint32 rxPackets = 0;
    quint32 txPackets = 0;
    quint32 rxBytes = 0;
    quint32 txBytes = 0;
    quint32 txErrors = 0;
    quint32 rxErrors = 0;
    quint32 retries = 0;
    quint32 retryErrors = 0;

    // Firmware version text as the agent reports it; the telnet menu accepts
    // the credential of this firmware generation (above 5.7.0: the newer one).
    QString firmware = QStringLiteral("4.8.0");
    // Set by the agent when it reports the extended features: the station then
    // logs in with the newer credential whatever the version.
    bool extendedFeatures = false;

    // While set and not expired, the radio scans (after a "blacklist").
    QDeadlineTimer scanningUntil{QDeadlineTimer::Forever};
    bool blacklisted = false;
    int blacklistCount = 0;

    void blacklist(int scanMilliseconds)
    {
        ++blacklistCount;
        blacklisted = true;
        scanningUntil = QDeadlineTimer(scanMilliseconds);
    }
    bool scanningAfterBlacklist() const { return blacklisted && !scanningUntil.hasExpired(); }

    // After a reboot request over SNMP the radio is silent for a while.
    QDeadlineTimer rebootingUntil{0};
    bool rebooting() const { return !rebootingUntil.hasExpired(); }

    static VeltoRadioState &instance()
    {
        static VeltoRadioState state;
        return state;
    }
};
