#include "StationWindows.h"

#include "monitor/KavomonitoringForm.h"
#include "session/SnifferForm.h"

#include <QApplication>
#include <QPointer>
#include <QTimer>
#include <algorithm>

namespace StationWindows {

namespace {
QPointer<SnifferForm> dialog;
QPointer<KavomonitoringForm> monitor;

// Any window the operator sees: the dialog, an about box, an options form,
// the help. Menus and tool tips do not count.
bool anyWindowShown()
{
    const QWidgetList windows = QApplication::topLevelWidgets();
    return std::any_of(windows.cbegin(), windows.cend(), [](const QWidget *w) {
        const Qt::WindowType type = w->windowType();
        return w->isVisible() && (type == Qt::Window || type == Qt::Dialog);
    });
}

// The last of the other windows closing ends the run as well once the two
// station windows are gone.
void quitWithTheLastWindow()
{
    static const bool watching =
        QObject::connect(qApp, &QGuiApplication::lastWindowClosed, qApp, &quitWhenNoWindowLeft);
    Q_UNUSED(watching);
}

} // namespace

SnifferForm *snifferForm()
{
    return dialog;
}

SnifferForm *showSnifferForm(StationSession &session)
{
    quitWithTheLastWindow();
    if (!dialog) {
        dialog = new SnifferForm(session);
        dialog->Form_Load();
    }
    dialog->show();
    dialog->raise();
    dialog->activateWindow();
    return dialog;
}

void closeSnifferForm()
{
    if (dialog)
        dialog->close();
}

KavomonitoringForm *monitoringForm()
{
    return monitor;
}

KavomonitoringForm *openMonitoringForm(StationSession &session)
{
    if (!monitor) {
        monitor = new KavomonitoringForm(session);
        QPointer<KavomonitoringForm> opened = monitor;
        opened->Form_Load();
        if (!opened || opened->isUnloaded())
            return nullptr;
        opened->show();
    }
    return monitor;
}

void quitWhenNoWindowLeft()
{
    QTimer::singleShot(0, qApp, [] {
        const bool monitorOpen = monitor && !monitor->isUnloaded();
        if (!monitorOpen && !anyWindowShown())
            QCoreApplication::quit();
    });
}

} // namespace StationWindows
