#include "MonitoringLoader.h"

#include "MonitoringForm.h"
#include "app/OperatorMessages.h"
#include "app/SettingsStore.h"

#include <QDir>
#include <QPluginLoader>
#include <utility>

namespace {

constexpr char kModuleName[] = "kavo-monitoring";

} // namespace

MonitoringLoader::MonitoringLoader(QStringList folders) : m_folders(std::move(folders)) {}

MonitoringForm *MonitoringLoader::operator()(StationSession &session, StationNavigator &navigator)
{
    MonitoringModule *module = loadedModule();
    return module ? module->makeWindow(session, navigator) : nullptr;
}

MonitoringModule *MonitoringLoader::loadedModule()
{
    if (m_module)
        return m_module;
    QStringList reasons;
    for (const QString &folder : std::as_const(m_folders)) {
        // The module stays loaded for the rest of the run: the loader going
        // out of scope does not unload it.
        const QString path = QDir::cleanPath(folder + u'/' + QLatin1String(kModuleName));
        QPluginLoader loader(path);
        m_module = qobject_cast<MonitoringModule *>(loader.instance());
        if (m_module)
            return m_module;
        reasons << path + QLatin1String(": ") + loader.errorString();
    }
    OperatorMessages::show(QString::fromUtf16(SettingsStore::kApplicationName), MessageIcon::Stop,
                           QStringList{QStringLiteral("The monitoring window cannot be opened: "
                                                      "its module is missing or damaged.")}
                               << reasons << QStringLiteral("Please install the station again."));
    return nullptr;
}
