#pragma once

#include <QObject>
#include <QString>

class QTimer;
class TelnetClient;
class WirelessStats;
struct CongestionStatus;
struct LinkStatistics;
struct MonitorState;
struct SessionSettings;

// Congestion management of a Velto run: telnet cycles to the radio's menu,
// each 10 s after the previous one ended (login, menu, "wrlsstat", the
// statistics read and the congestion rules, leaving), and the good-bye when
// the station closes. The dialogue itself is CongestionScript, the reading
// and the rules WirelessStats.
//
// The slots carry the handler names of the timers and of the telnet client,
// so a tick runs by calling its slot. The waits while leaving the radio serve
// events: any handler, the destruction of this object included, may run
// inside them.
class CongestionManager : public QObject
{
    Q_OBJECT
public:
    CongestionManager(const SessionSettings &settings, MonitorState &state, LinkStatistics &link,
                      CongestionStatus &status, WirelessStats &stats, QObject *parent = nullptr);

    // A radio's menu screen is a few kilobytes; a peer that sends more before
    // the next read of the screen is not a menu and is given up as one that
    // never prompts.
    static constexpr qsizetype kCycleReadLimit = 64 * 1024;

    TelnetClient *const CongestionManagementTelnet;
    QTimer *const CongestionManagementTimer; // opens the next cycle
    QTimer *const ChangeCommandForBalancing; // one statistics read per tick
    QTimer *const TelnetConnectionTimer;     // gives the radio up when it never prompts

signals:
    // A rule for a flood of retry errors fired: the state text is centred.
    void statusCentred();

public slots:
    void CongestionManagementTimer_Timer();
    void TelnetConnectionTimer_Timer();
    void ChangeCommandForBalancing_Timer();
    void CongestionManagementTelnet_Connected();
    void CongestionManagementTelnet_Closed();
    void CongestionManagementTelnet_DataArrival(int byteCount);
    void CongestionManagementTelnet_WaitForMatched();
    void CongestionManagementTelnet_Message(const QString &message);
    // Close step: says good-bye to the radio's menu when connected.
    void CloseCongestionManagementTelnet();
    // Velto start: script at the login, the congestion counts and slots back
    // to the start, the plain scanning lamp; an open cycle ends.
    void ResetCongestionManagement();
    // The radio's firmware allows congestion management: cycles begin.
    void startCycles();
    // A Velto start: no cycle and no statistics read until allowed again.
    void stopCycles();
    // Monitoring gave up on the radio or rebooted it: no give-up message.
    void stopConnectionTimer();

private:
    void leaveRadioAfterCycle();
    // "exit", a pause, "Q", a pause, then the line is closed; false when this
    // object went away during the pauses.
    bool leaveRadioMenu();
    // No further cycle in this run; the operator is told once.
    void giveUpOnRadio();

    const SessionSettings &m_settings;
    MonitorState &m_state;
    LinkStatistics &m_link;
    CongestionStatus &m_status;
    WirelessStats &m_stats;
    qint16 m_scriptState;
    bool m_connected = false;
    QString m_screenText;       // the data received last
    qsizetype m_cycleBytes = 0; // received since the cycle opened or the last read
};
