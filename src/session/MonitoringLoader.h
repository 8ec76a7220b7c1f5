#pragma once

#include <QStringList>

class MonitoringForm;
class MonitoringModule;
class StationNavigator;
struct StationSession;

// Makes the monitoring window with the monitoring module, which it loads at
// the first opening from the first of its folders that holds a loadable one.
// When none does, the operator is told why and no window is made; the next
// opening tries again.
class MonitoringLoader
{
public:
    explicit MonitoringLoader(QStringList folders);

    MonitoringForm *operator()(StationSession &session, StationNavigator &navigator);

private:
    MonitoringModule *loadedModule();

    QStringList m_folders;
    MonitoringModule *m_module = nullptr;
};
