#pragma once

#include "session/MonitoringForm.h"
#include "session/StationNavigator.h"

#include <QObject>
#include <QPointer>
#include <functional>

class RemoteSelectionDialog;
struct StationSession;

// The station's two main windows, each open once at most: the remote-selection
// dialog and the monitoring window. Windows are destroyed when they close, so
// each showing of the dialog loads it afresh from the store.
class StationWindows final : public QObject, public StationNavigator
{
    Q_OBJECT
public:
    // Makes the monitoring window, or returns nullptr when it cannot (the
    // maker has told the operator why).
    using MonitoringMaker = std::function<MonitoringForm *(StationSession &, StationNavigator &)>;

    StationWindows(StationSession &session, MonitoringMaker makeMonitoring,
                   QObject *parent = nullptr);

    // The dialog, or nullptr when it is not loaded.
    RemoteSelectionDialog *snifferForm() const;
    // Loads the dialog when needed (its Form_Load runs) and shows it modeless.
    RemoteSelectionDialog *showRemoteSelection();
    // The monitoring window, or nullptr when none is open.
    MonitoringForm *monitoringForm() const;
    // Creates the monitoring window, runs its load, and shows it unless the
    // load already closed it. Returns nullptr in that case, and when the
    // window cannot be made.
    MonitoringForm *openMonitoringForm();

    void openMonitoring(RemoteKind kind) override;
    void closeMonitoring() override;
    void showSelection() override;
    void closeSelection() override;
    void quitWhenNoWindowLeft() override;

private:
    StationSession &m_session;
    MonitoringMaker m_makeMonitoring;
    QPointer<RemoteSelectionDialog> m_dialog;
    QPointer<MonitoringForm> m_monitor;
};
