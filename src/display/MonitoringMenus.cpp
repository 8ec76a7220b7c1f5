#include "MonitoringMenus.h"

#include "WindowFit.h"

#include <QAction>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>

namespace {

// A menu of the bar or a submenu.
template <typename Parent> QMenu *addMenu(Parent *parent, const char *name, const QString &caption)
{
    return WindowFit::named(parent->addMenu(caption), name);
}

QAction *addAction(QMenu *menu, const char *name, const QString &caption)
{
    return WindowFit::named(menu->addAction(caption), name);
}

// A View entry: its handler sets the check mark from what it shows, so the
// click's own toggle is taken back before the handler runs.
QAction *addViewEntry(QMenu *menu, const char *name, const QString &caption)
{
    QAction *action = addAction(menu, name, caption);
    action->setCheckable(true);
    QObject::connect(action, &QAction::triggered, action,
                     [action] { action->setChecked(!action->isChecked()); });
    return action;
}

} // namespace

MonitoringMenus::MonitoringMenus(QMenuBar *bar) : QObject(bar), m_bar(bar)
{
    fileMenu = addMenu(bar, "fileMenu", QStringLiteral("&File"));
    exit = addAction(fileMenu, "exit", QStringLiteral("E&xit"));
    runMenu = addMenu(bar, "runMenu", QStringLiteral("&Run"));
    runStopMenu = addAction(runMenu, "runStopMenu", QStringLiteral("&Stop Monitoring"));
    SwitchRemote = addAction(runMenu, "SwitchRemote", QStringLiteral("S&witch Remote"));
    SwitchRemote->setCheckable(true);
    buildOptionsMenu(bar);
    buildHelpMenu(bar);
}

void MonitoringMenus::buildOptionsMenu(QMenuBar *bar)
{
    Options = addMenu(bar, "Options", QStringLiteral("&Options"));
    View = addMenu(Options, "View", QStringLiteral("&View"));
    ViewSNR = addViewEntry(View, "ViewSNR", QStringLiteral("&SNR Status Bar"));
    Traffic_History_Chart =
        addViewEntry(View, "Traffic_History_Chart", QStringLiteral("&Traffic History"));
    // A reboot takes the link down: it stands apart from the view entries.
    Options->addSeparator();
    rebootVelto = addAction(Options, "rebootVelto", QStringLiteral("Re&boot Velto Remote"));
    Options->addSeparator();
    changeRSSIThresh =
        addAction(Options, "changeRSSIThresh", QStringLiteral("Change &RSSI Threshold"));
    changeSNRThreshold =
        addAction(Options, "changeSNRThreshold", QStringLiteral("Change S&NR Threshold"));
}

void MonitoringMenus::buildHelpMenu(QMenuBar *bar)
{
    helpMenu = addMenu(bar, "helpMenu", QStringLiteral("&Help"));
    helpTopics = addAction(helpMenu, "helpTopics", QStringLiteral("Help &Topics"));
    helpTopics->setShortcut(QKeySequence(Qt::Key_F1));
    helpMenu->addSeparator()->setObjectName(QStringLiteral("separator"));
    about = addAction(helpMenu, "about", QStringLiteral("&About Kavo Connectivity Window"));
    about->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_A));
}

void MonitoringMenus::showFamily(RemoteKind kind)
{
    if (kind == RemoteKind::Ardix) {
        about->setText(QStringLiteral("&About Ardix Monitoring Window"));
        SwitchRemote->setVisible(true);
        for (QAction *a : {changeRSSIThresh, changeSNRThreshold, rebootVelto, ViewSNR})
            a->setVisible(false);
    } else if (kind == RemoteKind::Velto) {
        SwitchRemote->setVisible(false);
        about->setText(QStringLiteral("&About Velto Monitoring Window"));
    }
}

void MonitoringMenus::showRunning(bool running)
{
    runStopMenu->setText(running ? QStringLiteral("&Stop Monitoring")
                                 : QStringLiteral("&Resume Monitoring"));
}

void MonitoringMenus::setRunAndOptionsEnabled(bool enabled)
{
    runMenu->setEnabled(enabled);
    Options->setEnabled(enabled);
}

QLabel *MonitoringMenus::addCornerStatus(const char *name, const QString &widestText)
{
    auto *label = WindowFit::named(new QLabel, name);
    label->setContentsMargins(0, 0, 6, 0);
    label->setMinimumWidth(label->fontMetrics().horizontalAdvance(widestText) + 6);
    m_bar->setCornerWidget(label, Qt::TopRightCorner);
    return label;
}

#include "moc_MonitoringMenus.cpp"
