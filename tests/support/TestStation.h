#pragma once

#include "TestSupport.h"
#include "monitor/MonitoringWindow.h"
#include "monitor/StationWindows.h"
#include "session/StationSession.h"

#include <QCoreApplication>
#include <QUdpSocket>

// A station of the test's own: its settings store, the session and the
// windows. Whatever window a test leaves open is closed as the operator
// would close it; closing a Velto window ends only the test case.
struct TestStation
{
    TestStore store;
    StationSession session;
    StationWindows windows{session};

    TestStation() = default;
    TestStation(const TestStation &) = delete;
    TestStation &operator=(const TestStation &) = delete;
    ~TestStation()
    {
        TerminationRecorder termination;
        if (MonitoringWindow *monitor = windows.monitoringForm())
            monitor->close();
        windows.closeSelection();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    // A port of the Ardix stream's range that nothing on the loopback holds.
    static quint16 freeArdixPort()
    {
        QUdpSocket probe;
        probe.bind(QHostAddress::LocalHost, 0);
        const quint16 port = probe.localPort();
        return port >= 30000 && port <= 60000 ? port : 45123;
    }

    // The monitoring window of an Ardix run, loaded and listening.
    MonitoringWindow *openArdix()
    {
        session.settings.remoteKind = RemoteKind::Ardix;
        session.settings.destPort = freeArdixPort();
        return windows.openMonitoringForm();
    }
};
