#pragma once

#include "session/MonitoringForm.h"

class ArdixMonitor;
class CongestionManager;
class GpsReceiver;
class LogRecorder;
class MonitoringMenus;
class MonitoringView;
class QTimer;
class StationNavigator;
class VeltoMonitor;
struct StationSession;

// The monitoring window of a run presents its controllers: it makes them (they
// own the run's timers, sockets, serial port, SNMP session and telnet
// connection) and decides the order in which they start and stop, shows what
// they report in its view and hands the menus' commands to them. Its handlers
// keep their designed names and are public slots, so a test runs one directly.
// SNMP waits and modal messages run nested event loops: code after a wait
// re-tests the session's monitor flags, and code that may outlive the window
// holds a QPointer to it.
class MonitoringWindow : public MonitoringForm
{
    Q_OBJECT
public:
    MonitoringWindow(StationSession &session, StationNavigator &navigator,
                     QWidget *parent = nullptr);
    ~MonitoringWindow() override;
    // The station windows' maker of the monitoring window.
    static MonitoringForm *make(StationSession &session, StationNavigator &navigator);

    // Lamp icon resource shown in the state lamp and as the window icon.
    int lampIconId() const;
    bool isUnloaded() const override { return m_unloaded; }
    void setupForArdix() override;
    void setupForVelto() override;
    // Heights of the window in twips, as the view toggles and the load set
    // them. The window takes the designed size, or the size its contents need
    // when a larger font or scale needs more.
    void setWindowHeightTwips(int twips);
    VeltoMonitor *veltoMonitor() const { return m_velto; }

    // ---- Controllers of the subsystems, made with the window ----
    ArdixMonitor *ardixMonitor = nullptr; // socket "Winsock1" and its timers
    CongestionManager *congestionManager = nullptr;
    GpsReceiver *gpsReceiver = nullptr;
    LogRecorder *logRecorder = nullptr;
    // ---- Timers (interval ms; running at creation) ----
    QTimer *test = nullptr;            // 2000, yes
    QTimer *ChartTimer = nullptr;      // 5000, yes
    QTimer *rebootCountdown = nullptr; // 1000, while the remote restarts

public slots:
    // ---- Lifecycle (MonitoringWindow.cpp) ----
    void Form_Load() override;
    void Form_Unload();
    void Form_Terminate();
    void runStopMenu_Click();
    void SwitchRemote_Click();
    void exit_Click();
    void StartArdixMonitoring();
    void ToggleMonitoring();

    // ---- Commands and the window's timers (MonitoringWindowCommands.cpp) ----
    void about_Click();
    void helpTopics_Click();
    void changeRSSIThresh_Click();
    void changeSNRThreshold_Click();
    // Asks the operator, then has the Velto monitor reboot the remote.
    void rebootVelto_Click();
    void rebootCountdown_Timer();
    void InitColorBar(int selector);
    void UpdateColorBar(int selector);
    void InitTrafficChart();
    void ChartTimer_Timer();
    void Traffic_History_Chart_Click();
    void ViewSNR_Click();
    void screen_lock_Click();
    void test_Timer();

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void buildTimers();
    void connectMenus();
    // The load's last step: the start of the chosen family's monitoring.
    void startFamily();
    void setupForFamily(const QString &title, bool snrViewAvailable);
    void showDisconnectedDisplay();
    void fitToContents();

    // ---- The controllers and their signals (MonitoringWindowWiring.cpp) ----
    void buildArdixMonitor();
    void buildVeltoMonitor();
    void buildCongestionManager();
    void buildGpsReceiverAndLogRecorder();
    // What a Velto start does in the window: the chart, the SNR scale and a
    // fresh congestion-management cycle.
    void prepareVeltoRun();
    void showVeltoWaiting(bool waiting);

    StationSession &m_session;
    StationNavigator &m_navigator;
    MonitoringView *m_view = nullptr;
    MonitoringMenus *m_menus = nullptr;
    VeltoMonitor *m_velto = nullptr;
    int m_heightTwips = 0;
    bool m_unloaded = false;
    bool m_unloading = false;
};
