#pragma once

#include "session/StationNavigator.h"

#include <QObject>
#include <QPointer>

class SnifferForm;
struct StationSession;
class KavomonitoringForm;

// The station's two main windows, each open once at most: the remote-selection
// dialog and the monitoring window. Windows are destroyed when they close, so
// each showing of the dialog loads it afresh from the store.
class StationWindows final : public QObject, public StationNavigator
{
    Q_OBJECT
public:
    explicit StationWindows(StationSession &session, QObject *parent = nullptr);

    // The dialog, or nullptr when it is not loaded.
    SnifferForm *snifferForm() const;
    // Loads the dialog when needed (its Form_Load runs) and shows it modeless.
    SnifferForm *showSnifferForm();
    // The monitoring window, or nullptr when none is open.
    KavomonitoringForm *monitoringForm() const;
    // Creates the monitoring window, runs its load, and shows it unless the
    // load already closed it. Returns nullptr in that case.
    KavomonitoringForm *openMonitoringForm();

    void openMonitoring(RemoteKind kind) override;
    void closeMonitoring() override;
    void showSelection() override;
    void closeSelection() override;
    void quitWhenNoWindowLeft() override;

private:
    StationSession &m_session;
    QPointer<SnifferForm> m_dialog;
    QPointer<KavomonitoringForm> m_monitor;
};
