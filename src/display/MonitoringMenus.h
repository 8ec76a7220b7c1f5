#pragma once

#include "app/Records.h"

#include <QObject>

class QAction;
class QLabel;
class QMenu;
class QMenuBar;

// The monitoring window's menus, built into its menu bar. Every menu and
// entry carries an Alt-key accelerator (the & in its caption), unique within
// its menu, so each command is reachable from the keyboard. Letters taken:
//   menu bar: F R O H    File: E X    Run: S R W
//   Options: V B R N     View: S T A  Help: T A
// The entries are named as designed; the window connects them to its
// handlers. The View entries' check marks are left to those handlers, not
// to the click.
class MonitoringMenus : public QObject
{
    Q_OBJECT
public:
    explicit MonitoringMenus(QMenuBar *bar);

    // A status text in the menu bar's free corner, so it costs the window's
    // layout no height; the bar sizes its corner once, to the widest text.
    QLabel *addCornerStatus(const char *name, const QString &widestText);
    // The entries of the family monitored: an Ardix remote is switched from
    // here; a Velto remote has thresholds, a reboot and the SNR view.
    void showFamily(RemoteKind kind);
    // Run > Stop or Resume, as monitoring runs or not.
    void showRunning(bool running);
    void setRunAndOptionsEnabled(bool enabled);

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
    QAction *about = nullptr;

private:
    void buildOptionsMenu(QMenuBar *bar);
    void buildHelpMenu(QMenuBar *bar);

    QMenuBar *m_bar;
};
