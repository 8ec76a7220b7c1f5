#pragma once

#include "app/StateLook.h"

#include <QColor>
#include <QHash>
#include <QIcon>
#include <QMainWindow>
#include <QPixmap>
#include <QString>

class QAction;
class QChartView;
class QFrame;
class QGroupBox;
class QLabel;
class QMenu;
class QPushButton;
class QTimer;
class SignalMeter;
class SignalPanel;
class StationNavigator;
class ArdixMonitor;
struct StateLook;
struct StationSession;

// The monitoring window: the single main window of a monitoring run. It owns,
// itself or through the controllers of its subsystems, every timer, socket,
// serial port, SNMP session and telnet connection of the run and decides the
// order in which the subsystems start and stop.
//
// The window is thin: its handlers (named after control and event, as
// designed) call the plain logic of the subsystems and set widgets. They are
// public slots so tests can run a tick directly. Their bodies live in one file
// per subsystem beside this one:
//   MonitoringWindow.cpp        load, start sequences, stop/resume, close
//   MonitoringWindowControls.cpp the controls and their layout
//   MonitoringWindowMenus.cpp   the menus (a new menu item goes there)
//   MonitoringWindowReboot.cpp  the confirmed remote reboot and its countdown
//   MonitoringWindowArdix.cpp   what the Ardix stream's monitor reports
//   MonitoringWindowSnmp.cpp    what the Velto monitor reports
//   MonitoringWindowTelnet.cpp  congestion management (CongestionManager)
//   MonitoringWindowDisplay.cpp shared display steps, window size, colour scales
//   MonitoringWindowChart.cpp   traffic chart, view toggles, thresholds
//   MonitoringWindowGpsLog.cpp  GPS receiver, its status and log clock (GpsReceiver, LogRecorder)
//   MonitoringWindowLock.cpp    the workstation lock
//
// Everything runs on the user-interface thread. SNMP waits and modal messages
// run nested event loops, so a handler can run inside another's wait: code
// after a wait re-tests the session's monitor flags, and code that may outlive the
// window holds a QPointer to it.
class MonitoringWindow : public QMainWindow
{
    Q_OBJECT
public:
    MonitoringWindow(StationSession &session, StationNavigator &navigator,
                     QWidget *parent = nullptr);
    ~MonitoringWindow() override;

    // Lamp icon resource shown in `light` and as the window icon (102..106).
    int lampIconId() const { return m_lampIconId; }
    // True once the close sequence has run (the window is gone for the run).
    bool isUnloaded() const { return m_unloaded; }
    // Text colour of a label, as the display steps set it.
    static QColor labelColour(const QLabel *label);

    // Adjustments the remote-selection dialog makes after the load.
    void setupForArdix();
    void setupForVelto();

    // ---- Controls, named as designed ----
    QLabel *status = nullptr; // connection-state text
    QLabel *collectingDatalbl = nullptr;
    QLabel *light = nullptr; // state lamp
    QLabel *SignalStrengthlbl = nullptr;
    SignalMeter *SignalStrengthMeter = nullptr;
    QLabel *ConnectionStatuslbl = nullptr;
    QFrame *RssiColorBarFrame = nullptr;
    QLabel *hundredDBMlbl = nullptr;
    QLabel *eightyDBMlbl = nullptr;
    QLabel *sixtyDBMlbl = nullptr;
    QFrame *SNRColorBarFrame = nullptr;
    SignalMeter *SNRMeter = nullptr;
    QLabel *SNRlbl = nullptr;
    QLabel *LowSNRLabel = nullptr;
    QLabel *MidSNRLabel = nullptr;
    QLabel *HighSNRLabel = nullptr;
    QGroupBox *Frame1 = nullptr; // traffic chart frame
    QChartView *TrafficChart = nullptr;
    QPushButton *screen_lock = nullptr;
    // The rows of each signal: caption, meter, scale frame and level captions.
    SignalPanel *rssiPanel = nullptr;
    SignalPanel *snrPanel = nullptr;

    // ---- The Ardix stream: socket "Winsock1" and its timers ----
    ArdixMonitor *ardixMonitor = nullptr;

    // ---- Menus ----
    QMenu *fileMenu = nullptr;
    QAction *exit = nullptr;
    QMenu *runMenu = nullptr;
    QAction *runStopMenu = nullptr;
    QAction *SwitchRemote = nullptr;
    QMenu *Options = nullptr;
    QMenu *View = nullptr;
    QAction *ViewSNR = nullptr;
    QAction *Traffic_History_Chart = nullptr;
    QAction *rebootVelto = nullptr;
    QAction *changeRSSIThresh = nullptr;
    QAction *changeSNRThreshold = nullptr;
    QMenu *helpMenu = nullptr;
    QAction *helpTopics = nullptr;
    QAction *separator = nullptr;
    QAction *about = nullptr;

    // ---- Timers (interval ms; running at creation) ----
    QTimer *test = nullptr;            // 2000, yes
    QTimer *ChartTimer = nullptr;      // 5000, yes
    QTimer *rebootCountdown = nullptr; // 1000, while the remote restarts

    // ---- Controllers of the subsystems, made with the window ----
    class CongestionManager *congestionManager = nullptr;
    class GpsReceiver *gpsReceiver = nullptr;
    QLabel *GpsStatus = nullptr; // fix, satellites and age, right of the menus
    class LogRecorder *logRecorder = nullptr;

public slots:
    // ---- Lifecycle (MonitoringWindow.cpp) ----
    void Form_Load();
    void Form_Unload();
    void Form_Terminate();
    void runStopMenu_Click();
    void SwitchRemote_Click();
    void exit_Click();
    void about_Click();
    void helpTopics_Click();
    void StartArdixMonitoring();
    void ToggleMonitoring();

    // ---- Velto monitoring (MonitoringWindowSnmp.cpp) ----
    void changeRSSIThresh_Click();
    // ---- Reboot (MonitoringWindowReboot.cpp) ----
    // Asks the operator, then has the Velto monitor reboot the remote.
    void rebootVelto_Click();
    void rebootCountdown_Timer();
    void changeSNRThreshold_Click();

    // ---- Colour scales (MonitoringWindowDisplay.cpp) ----
    void InitColorBar(int selector);
    void UpdateColorBar(int selector);

    // ---- Chart, view and thresholds (MonitoringWindowChart.cpp) ----
    void InitTrafficChart();
    void ChartTimer_Timer();
    void Traffic_History_Chart_Click();
    void ViewSNR_Click();

    // ---- Lock (MonitoringWindowLock.cpp) ----
    void screen_lock_Click();
    void test_Timer();

public:
    // Shared display steps.
    void showDisconnectedDisplay();
    void showWaitingDisplay();
    void showLamp(int iconId);
    static void setLabelColour(QLabel *label, const QColor &colour);
    // A designed text colour on the status label, in a readable shade of it
    // when the palette's background leaves it too faint.
    void setStatusColour(const QColor &designed);
    // Heights of the window in twips, as the view toggles and the load set
    // them. The window takes the designed size, or the size its contents need
    // when a larger font or scale needs more.
    void setWindowHeightTwips(int twips);
    int windowHeightTwips() const { return m_heightTwips; }
    // The Velto run's SNMP start, poll, time-out and reboot.
    class VeltoMonitor *veltoMonitor() const { return m_velto; }

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    StationSession &m_session;

    // ---- Controls (MonitoringWindowControls.cpp) ----
    void buildControls();
    QLayout *buildStateRow(QWidget *area);
    void buildNotice(QWidget *area);
    void buildChartFrame(QWidget *area);
    void describeControls();
    void fitToContents();

    // ---- Menus (MonitoringWindowMenus.cpp) ----
    void buildMenus();
    void buildFileMenu();
    void buildRunMenu();
    void buildOptionsMenu();
    void buildViewMenu();
    void buildHelpMenu();
    QMenu *addMenu(QWidget *parent, const char *name, const QString &caption);
    QAction *addMenuAction(QMenu *menu, const char *name, const QString &caption);

    void buildTimers();
    // The load's last step: the start of the chosen family's monitoring.
    void startFamily();
    void hideSignalWidgets();
    // The state lamp's accessible text follows the lamp shown.
    void describeLamp(int iconId);
    void showRssiReading(double meterValue);
    void showSnrReading(double meterValue);

    StationNavigator &m_navigator;
    int m_lampIconId = 0;
    // The lamps shown so far, each made once: the pixmaps of a new icon are
    // drawn into the application's pixmap cache anew.
    struct Lamp
    {
        QIcon icon;
        QPixmap pixmap;
    };
    QHash<int, Lamp> m_lamps;
    int m_heightTwips = 0;
    bool m_unloaded = false;
    bool m_unloading = false;

    // ---- The Ardix stream (MonitoringWindowArdix.cpp) ----
    void buildArdixMonitor();
    void showArdixState(const StateLook &look);
    void setSignalWidgetsVisible(bool visible);

    // ---- Velto monitoring (MonitoringWindowSnmp.cpp) ----
    VeltoMonitor *m_velto = nullptr;
    void buildVeltoMonitor();
    // What a Velto start does in the window: the chart, the SNR scale and a
    // fresh congestion-management cycle.
    void prepareVeltoRun();
    void showVeltoWaiting(bool waiting);
    void showStateLook(const StateLook &look);

    // ---- Congestion management (MonitoringWindowTelnet.cpp) ----
    void buildCongestionManager();

    // ---- State of the display (MonitoringWindowDisplay.cpp) ----
    class ColorBar *RssiColorBar = nullptr; // inside RssiColorBarFrame
    class ColorBar *SNRColorBar = nullptr;  // inside SNRColorBarFrame
    // The scale of a selector (0 RSSI, 1 SNR), made in its frame on first use.
    class ColorBar *colorBar(int selector);

    // ---- GPS and log (MonitoringWindowGpsLog.cpp) ----
    void buildGpsReceiverAndLogRecorder();

    // ---- State of the lock (MonitoringWindowLock.cpp) ----
};
