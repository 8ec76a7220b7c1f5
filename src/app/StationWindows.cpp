#include "StationWindows.h"

#include "monitor/KavomonitoringForm.h"
#include "session/SnifferForm.h"

#include <QCoreApplication>
#include <QPointer>
#include <QTimer>

namespace StationWindows {

namespace {
QPointer<SnifferForm> dialog;
QPointer<KavomonitoringForm> monitor;
} // namespace

SnifferForm *snifferForm()
{
    return dialog;
}

SnifferForm *showSnifferForm()
{
    if (!dialog) {
        dialog = new SnifferForm;
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

KavomonitoringForm *openMonitoringForm()
{
    if (!monitor) {
        monitor = new KavomonitoringForm;
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
        const bool dialogOpen = dialog && dialog->isVisible();
        const bool monitorOpen = monitor && !monitor->isUnloaded();
        if (!dialogOpen && !monitorOpen)
            QCoreApplication::quit();
    });
}

} // namespace StationWindows
