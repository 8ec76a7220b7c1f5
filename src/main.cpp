#include "display/MessageBoxPresenter.h"
#include "display/StationIcons.h"
#include "session/CommandLine.h"
#include "session/MonitoringLoader.h"
#include "session/StationSession.h"
#include "session/StationWindows.h"
#include "session/StoredSession.h"

#include <QApplication>
#include <QPointer>

// The remote named on the command line is monitored as if chosen in the
// remote-selection dialog and confirmed with OK; the dialog is not shown.
static void startMonitoring(StationWindows &windows, StationSession &session,
                            const CommandLine::RemoteStart &remote)
{
    const bool ardix = remote.kind == RemoteKind::Ardix;
    session.settings.remoteKind = remote.kind;
    session.settings.remoteAddress = remote.address;
    session.settings.destPort = remote.destPort;
    session.settings.loggingEnabled = StoredSession::storedLoggingEnabled();
    StoredSession::firstUseOfFamilyForLogging(ardix ? QStringLiteral("Ardix")
                                                    : QStringLiteral("Velto"));
    QPointer<MonitoringForm> monitor = windows.openMonitoringForm();
    if (monitor)
        ardix ? monitor->setupForArdix() : monitor->setupForVelto();
    if (monitor && session.monitor.windowClosing)
        monitor->close();
    session.monitor.windowClosing = false;
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

    // The station's one session: every window and controller of the run
    // shares it. Made before the application, so it outlives every window.
    StationSession session;
    QApplication app(argc, argv);
    QApplication::setDesktopFileName(QStringLiteral("kavo-station"));
    QApplication::setWindowIcon(StationIcons::product());
    // The station decides itself when it ends: the monitoring window closes
    // the remote-selection dialog while it opens, and may bring it back.
    QApplication::setQuitOnLastWindowClosed(false);
    MessageBoxPresenter::install();

    // The monitoring module lies beside the built program, or where it is
    // installed.
    const QString programFolder = QCoreApplication::applicationDirPath();
    StationWindows windows(
        session,
        MonitoringLoader({programFolder, programFolder + QLatin1String("/" KAVO_MODULE_FOLDER)}));
    if (commandLine.remote)
        startMonitoring(windows, session, *commandLine.remote);
    else
        windows.showRemoteSelection();
    return QApplication::exec();
}
