// The monitoring module: the monitoring window and all that only it needs,
// loaded by the station at the window's first opening.
#include "monitor/MonitoringWindow.h"
#include "session/MonitoringForm.h"

#include <QObject>

class MonitoringModulePlugin final : public QObject, public MonitoringModule
{
    Q_OBJECT
    Q_PLUGIN_METADATA(IID MonitoringModule_iid)
    Q_INTERFACES(MonitoringModule)
public:
    MonitoringForm *makeWindow(StationSession &session, StationNavigator &navigator) override
    {
        return MonitoringWindow::make(session, navigator);
    }
};

#include "monitoring_module.moc"
