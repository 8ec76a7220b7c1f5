#pragma once

#include "TestSupport.h"
#include "monitor/MonitoringWindow.h"
#include "session/StationSession.h"
#include "session/StationWindows.h"

#include <QCoreApplication>

// A control or menu entry of a window, by the name it is designed with.
template <typename Part> Part *part(const QObject *window, const char *name)
{
    return window->findChild<Part *>(QLatin1String(name));
}

// A port of the Ardix stream's range that nothing on the loopback holds.
inline quint16 freeArdixPort()
{
    const quint16 port = freeUdpPort();
    return port >= 30000 && port <= 60000 ? port : 45123;
}

// A station of the test's own: its settings store, the session and the
// windows. Whatever window a test leaves open is closed as the operator
// would close it; closing a Velto window ends only the test case.
struct TestStation
{
    TestStore store;
    StationSession session;
    // The monitoring window is made in the test's own process, not by the
    // module.
    StationWindows windows{session, &MonitoringWindow::make};

    ~TestStation()
    {
        TerminationRecorder termination;
        if (MonitoringForm *monitor = windows.monitoringForm())
            monitor->close();
        windows.closeSelection();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    // The monitoring window of an Ardix run, loaded and listening on a free port.
    MonitoringWindow *openArdix()
    {
        session.settings.remoteKind = RemoteKind::Ardix;
        session.settings.destPort = freeArdixPort();
        return static_cast<MonitoringWindow *>(windows.openMonitoringForm());
    }
};
