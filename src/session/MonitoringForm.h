#pragma once

#include <QMainWindow>
#include <QtPlugin>

class StationNavigator;
struct StationSession;

// The monitoring window as the station's windows hold it. Its implementation
// and all it needs (charts, sound, SNMP, telnet, the serial GPS, the lock)
// live in a module of their own, loaded when the window is first opened, so
// that the remote-selection dialog starts without them.
class MonitoringForm : public QMainWindow
{
public:
    using QMainWindow::QMainWindow;

    // Runs the load; it may close the window again (isUnloaded() then).
    virtual void Form_Load() = 0;
    // True once the close sequence has run (the window is gone for the run).
    virtual bool isUnloaded() const = 0;
    // Adjustments the remote-selection dialog makes after the load.
    virtual void setupForArdix() = 0;
    virtual void setupForVelto() = 0;
};

// What the monitoring module offers the station: its window, made for the
// station's session and navigator.
class MonitoringModule
{
public:
    virtual ~MonitoringModule() = default;
    virtual MonitoringForm *makeWindow(StationSession &session, StationNavigator &navigator) = 0;
};

#define MonitoringModule_iid "kavo.station.MonitoringModule/1"
Q_DECLARE_INTERFACE(MonitoringModule, MonitoringModule_iid)
