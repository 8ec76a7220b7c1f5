#pragma once

#include "OidCatalogue.h"
#include "SnmpClient.h"
#include "app/StateLook.h"

#include <QObject>
#include <QString>
#include <QVariant>
#include <memory>
#include <optional>

class QTimer;
class VeltoFastReader;
struct CongestionStatus;
struct LinkStatistics;
struct MonitorState;
struct SessionSettings;

// Velto monitoring: the start sequence that reads the remote's mode,
// thresholds and firmware, the poll every second, the give-up after four
// time-outs in a row and the remote reboot. It owns the SNMP access layer
// and the three SNMP timers, and tells the monitoring window what to show
// through its signals; the window forwards the menu commands to its slots.
//
// Every SNMP read waits in a nested event loop, and so does an operator
// message: a stop, a close or the window's destruction can come in the
// middle of any step, so each step re-tests the run-state flags and this
// object. Stopping is the window's (it owns the run's other subsystems):
// stopRequested() asks for it, and the window's stop calls stopMonitoring().
class VeltoMonitor : public QObject
{
    Q_OBJECT
public:
    VeltoMonitor(SessionSettings &settings, MonitorState &state, LinkStatistics &link,
                 const CongestionStatus &congestion, QObject *parent = nullptr);
    ~VeltoMonitor() override;

    QTimer *SNMPTimer = nullptr;        // one poll per tick
    QTimer *SNMPTimeoutTimer = nullptr; // ends a request left unanswered
    QTimer *RebootTimer = nullptr;      // the remote's time to restart

    // Sends an alarm threshold the operator entered, after any pending
    // request has ended; the radio's answer, or nullopt when nothing was
    // sent (monitoring stopped or the window closing).
    std::optional<QString> writeThreshold(OidCatalogue::Entry entry, const QString &value);
    // Keeps a threshold the radio accepted and has the scales repainted.
    void takeThreshold(OidCatalogue::Entry entry, const QString &value);
    // The window's close: ends the SNMP session, retrying for a while when a
    // request still holds it, and ends the application unless the remote
    // turned out to be an access point. True when the application was ended.
    bool closeSession();
    // Milliseconds until monitoring resumes after a reboot, or -1 when no
    // reboot is under way.
    int rebootTimeLeftMs() const;

public slots:
    void StartVeltoMonitoring();
    void SNMPTimer_Timer();
    void SNMPTimeoutTimer_Timer();
    void rebootVelto_Click();
    void RebootTimer_Timer();
    int StartSnmp();
    int CleanupSnmp();
    QString GetViaSNMP(int index);
    QString SetViaSNMP(int index, const QVariant &value);
    // Stop Monitoring: no more polls, and a waiting request ends.
    void stopMonitoring();
    // Resume Monitoring: the start sequence runs again.
    void resumeMonitoring();
    // Extra RSSI and SNR readings between the polls, for the alignment view;
    // they come as rawSignalRead.
    void setFastReadingEnabled(bool enabled);

signals:
    // A start begins: congestion management resets, the chart runs.
    void runStarting();
    void noticeChanged(const QString &text);
    // true: the waiting notice instead of the signal widgets; false: the
    // signal widgets (with the SNR group when the view shows it).
    void waitingShown(bool waiting);
    void stateLookChanged(const StateLook &look);
    void titleChanged(const QString &title);
    void rssiMeterChanged(double value);
    void snrMeterChanged(double value);
    // Each RSSI and SNR reading as the radio answered it, before the
    // smoothing the meters show: the poll's and the alignment view's extra
    // ones. NaN for a value the answer did not hold.
    void rawSignalRead(double rssiDbm, double snrDb);
    void trafficChartEnabled(bool enabled);
    void scalesChanged();
    // The firmware passed the gate: congestion management may start.
    void congestionManagementAllowed();
    // The remote is given up or rebooting: the telnet cycle's timer stops.
    void remoteLost();
    void stopRequested();
    // Monitoring runs again after a reboot.
    void runResumed();
    void menusEnabled(bool enabled);
    void busyChanged(bool busy);
    // The remote is an access point: back to the remote-selection dialog.
    void selectionRequested();

private:
    bool halted() const;
    bool gone(const QPointer<VeltoMonitor> &self) const { return !self || m_closed; }
    void requestStop();
    void waitForPendingSnmpRequest();
    bool snmpReadCutShort() const;

    // ---- Start (VeltoMonitorStart.cpp) ----
    void lookUpLocalAddress();
    void beginSession();
    // A read skipped while stopped or closing, made only after a pending
    // request has ended. False when skipped or cut short.
    bool guardedGet(int index, QString &answer);
    // Each false when the start ends there.
    bool readDeviceMode();
    bool readThresholds();
    bool readFirmware();
    void checkFirmwareGate();

    // ---- Poll ----
    // The poll's guarded read into its field; false when the cycle must end.
    bool pollRead(int index, QString &field);
    void showConnectionState();
    bool applyRssiStep();
    bool applySnrStep();
    bool applyLinkRateStep();
    void giveUp();
    void pollCycle();
    // Whether an extra reading may start now: associated, running, and
    // neither a poll nor another request under way or about to begin.
    bool fastReadingAllowed() const;

    SessionSettings &m_settings;
    MonitorState &m_state;
    LinkStatistics &m_link;
    const CongestionStatus &m_congestion;
    std::unique_ptr<SnmpClient> m_snmp; // made by the first StartSnmp
    QString m_stateText;                // the connection state shown last, empty after a stop
    int m_rebootPhase = 0;              // RebootTimer: 0 before the first tick, 1 after it
    bool m_closed = false;              // the window's close has run
    bool m_polling = false;             // a poll cycle is under way
    std::unique_ptr<VeltoFastReader> m_fastReader;
};
