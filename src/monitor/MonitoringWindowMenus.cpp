// The monitoring window's menus. Every menu and entry carries an Alt-key
// accelerator (the & in its caption), unique within its menu, so each
// command is reachable from the keyboard. A new entry goes into the
// builder of its menu below, made with addMenuAction; letters taken:
//   menu bar: F R O H    File: E X    Run: S R W
//   Options: V B R N     View: S T A  Help: T A
#include "LogExportMenu.h"
#include "MonitoringWindow.h"
#include "MonitoringWindowAlignment.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>

QMenu *MonitoringWindow::addMenu(QWidget *parent, const char *name, const QString &caption)
{
    auto *menu = new QMenu(caption, parent);
    menu->setObjectName(QLatin1String(name));
    if (auto *bar = qobject_cast<QMenuBar *>(parent))
        bar->addMenu(menu);
    else
        static_cast<QMenu *>(parent)->addMenu(menu);
    return menu;
}

QAction *MonitoringWindow::addMenuAction(QMenu *menu, const char *name, const QString &caption)
{
    QAction *action = menu->addAction(caption);
    action->setObjectName(QLatin1String(name));
    return action;
}

void MonitoringWindow::buildMenus()
{
    buildFileMenu();
    buildRunMenu();
    buildOptionsMenu();
    buildHelpMenu();
}

void MonitoringWindow::buildFileMenu()
{
    fileMenu = addMenu(menuBar(), "fileMenu", QStringLiteral("&File"));
    LogExportMenu::addTo(fileMenu, this, m_session);
    exit = addMenuAction(fileMenu, "exit", QStringLiteral("E&xit"));
    connect(exit, &QAction::triggered, this, &MonitoringWindow::exit_Click);
}

void MonitoringWindow::buildRunMenu()
{
    runMenu = addMenu(menuBar(), "runMenu", QStringLiteral("&Run"));
    runStopMenu = addMenuAction(runMenu, "runStopMenu", QStringLiteral("&Stop Monitoring"));
    SwitchRemote = addMenuAction(runMenu, "SwitchRemote", QStringLiteral("S&witch Remote"));
    SwitchRemote->setCheckable(true);
    connect(runStopMenu, &QAction::triggered, this, &MonitoringWindow::runStopMenu_Click);
    connect(SwitchRemote, &QAction::triggered, this, &MonitoringWindow::SwitchRemote_Click);
}

void MonitoringWindow::buildOptionsMenu()
{
    Options = addMenu(menuBar(), "Options", QStringLiteral("&Options"));
    buildViewMenu();
    // A reboot takes the link down: it stands apart from the view entries.
    Options->addSeparator();
    rebootVelto = addMenuAction(Options, "rebootVelto", QStringLiteral("Re&boot Velto Remote"));
    Options->addSeparator();
    changeRSSIThresh =
        addMenuAction(Options, "changeRSSIThresh", QStringLiteral("Change &RSSI Threshold"));
    changeSNRThreshold =
        addMenuAction(Options, "changeSNRThreshold", QStringLiteral("Change S&NR Threshold"));
    connect(rebootVelto, &QAction::triggered, this, &MonitoringWindow::rebootVelto_Click);
    connect(changeRSSIThresh, &QAction::triggered, this, &MonitoringWindow::changeRSSIThresh_Click);
    connect(changeSNRThreshold, &QAction::triggered, this,
            &MonitoringWindow::changeSNRThreshold_Click);
}

void MonitoringWindow::buildViewMenu()
{
    View = addMenu(Options, "View", QStringLiteral("&View"));
    ViewSNR = addMenuAction(View, "ViewSNR", QStringLiteral("&SNR Status Bar"));
    ViewSNR->setCheckable(true);
    Traffic_History_Chart =
        addMenuAction(View, "Traffic_History_Chart", QStringLiteral("&Traffic History"));
    Traffic_History_Chart->setCheckable(true);
    // The View entries' check marks are set by their handlers, not by the click.
    connect(ViewSNR, &QAction::triggered, this, [this] {
        ViewSNR->setChecked(!ViewSNR->isChecked());
        ViewSNR_Click();
    });
    connect(Traffic_History_Chart, &QAction::triggered, this, [this] {
        Traffic_History_Chart->setChecked(!Traffic_History_Chart->isChecked());
        Traffic_History_Chart_Click();
    });
    addAlignmentView(*this, m_session);
}

void MonitoringWindow::buildHelpMenu()
{
    helpMenu = addMenu(menuBar(), "helpMenu", QStringLiteral("&Help"));
    helpTopics = addMenuAction(helpMenu, "helpTopics", QStringLiteral("Help &Topics"));
    helpTopics->setShortcut(QKeySequence(Qt::Key_F1));
    separator = helpMenu->addSeparator();
    separator->setObjectName(QStringLiteral("separator"));
    about = addMenuAction(helpMenu, "about", QStringLiteral("&About Kavo Connectivity Window"));
    about->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_A));
    connect(helpTopics, &QAction::triggered, this, &MonitoringWindow::helpTopics_Click);
    connect(about, &QAction::triggered, this, &MonitoringWindow::about_Click);
}
