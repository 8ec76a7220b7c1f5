#pragma once

#include "session/StationNavigator.h"

#include <QObject>
#include <QPointer>

class RemoteSelectionDialog;
struct StationSession;
class MonitoringWindow;

// The station's two main windows, each open once at most: the remote-selection
// dialog and the monitoring window. Windows are destroyed when they close, so
// each showing of the dialog loads it afresh from the store.
class StationWindows final : public QObject, public StationNavigator
{
    Q_OBJECT
public:
    explicit StationWindows(StationSession &session, QObject *parent = nullptr);

    // The dialog, or nullptr when it is not loaded.
    RemoteSelectionDialog *snifferForm() const;
    // Loads the dialog when needed (its Form_Load runs) and shows it modeless.
    RemoteSelectionDialog *showRemoteSelection();
    // The monitoring window, or nullptr when none is open.
    MonitoringWindow *monitoringForm() const;
    // Creates the monitoring window, runs its load, and shows it unless the
    // load already closed it. Returns nullptr in that case.
    MonitoringWindow *openMonitoringForm();

    void openMonitoring(RemoteKind kind) override;
    void closeMonitoring() override;
    void showSelection() override;
    void closeSelection() override;
    void quitWhenNoWindowLeft() override;

private:
    StationSession &m_session;
    QPointer<RemoteSelectionDialog> m_dialog;
    QPointer<MonitoringWindow> m_monitor;
};
