#include "display/MessageBoxPresenter.h"
#include "display/StationIcons.h"
#include "monitor/KavomonitoringForm.h"
#include "monitor/StationWindows.h"
#include "session/CommandLine.h"
#include "session/StoredSession.h"

#include <QApplication>
#include <QPointer>

// The remote named on the command line is monitored as if chosen in the
// remote-selection dialog and confirmed with OK; the dialog is not shown.
static void startMonitoring(StationWindows &windows, const CommandLine::RemoteStart &remote)
{
    const bool ardix = remote.kind == RemoteKind::Ardix;
    sessionSettings.remoteKind = remote.kind;
    sessionSettings.remoteAddress = remote.address;
    sessionSettings.destPort = remote.destPort;
    sessionSettings.loggingEnabled = StoredSession::storedLoggingEnabled();
    StoredSession::firstUseOfFamilyForLogging(ardix ? QStringLiteral("Ardix")
                                                    : QStringLiteral("Velto"));
    QPointer<KavomonitoringForm> monitor = windows.openMonitoringForm();
    if (monitor)
        ardix ? monitor->setupForArdix() : monitor->setupForVelto();
    if (monitor && monitorState.windowClosing)
        monitor->close();
    monitorState.windowClosing = false;
}

int main(int argc, char *argv[])
{
    QApplication::setApplicationName(QStringLiteral("Kavo Connectivity Window"));
    QApplication::setApplicationVersion(QStringLiteral("1.1.6"));
    CommandLine::Reading commandLine;
    {
        // Help and version are answered without a window system.
        const QCoreApplication reader(argc, argv);
        commandLine = CommandLine::read(QCoreApplication::arguments());
    }
    if (commandLine.outcome != CommandLine::Reading::Outcome::Run)
        return CommandLine::finish(commandLine);

    QApplication app(argc, argv);
    QApplication::setDesktopFileName(QStringLiteral("kavo-station"));
    QApplication::setWindowIcon(StationIcons::product());
    // The station decides itself when it ends: the monitoring window closes
    // the remote-selection dialog while it opens, and may bring it back.
    QApplication::setQuitOnLastWindowClosed(false);
    MessageBoxPresenter::install();

    StationWindows windows;
    if (commandLine.remote)
        startMonitoring(windows, *commandLine.remote);
    else
        windows.showSnifferForm();
    return QApplication::exec();
}
