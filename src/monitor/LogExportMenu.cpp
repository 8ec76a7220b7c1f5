#include "LogExportMenu.h"

#include "app/OperatorMessages.h"
#include "app/SettingsStore.h"
#include "display/FileChooser.h"
#include "log/TrackExport.h"
#include "session/StationSession.h"

#include <QAction>
#include <QFileInfo>
#include <QMenu>
#include <QPointer>

namespace LogExportMenu {

namespace {

QString storedLogName(RemoteKind family)
{
    return SettingsStore::readPreference(family == RemoteKind::Ardix
                                             ? QStringLiteral("Ardix LogName")
                                             : QStringLiteral("Velto LogName"));
}

void showFailure(const QStringList &lines)
{
    OperatorMessages::show(QStringLiteral("Error"), MessageIcon::Exclamation, lines);
}

} // namespace

void addTo(QMenu *menu, QWidget *dialogParent, StationSession &session)
{
    auto *action = new QAction(QStringLiteral("&Export Log\u2026"), menu);
    menu->insertAction(menu->actions().value(0), action);
    action->setObjectName(QStringLiteral("exportLog"));
    action->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_E));
    QObject::connect(action, &QAction::triggered, menu,
                     [dialogParent, &session] { exportLog_Click(dialogParent, session); });
}

void exportLog_Click(QWidget *dialogParent, const StationSession &session)
{
    // Each dialog runs an event loop of its own: the window may be gone after it.
    const QPointer<QWidget> parent(dialogParent);
    const QString log = FileChooser::chooseOpenFile(
        parent,
        {QStringLiteral("Choose the Log to Export"), storedLogName(session.settings.remoteKind),
         QStringLiteral("Tab-Delimited Text File (*.txt);;All Files (*)")});
    if (log.isEmpty())
        return;
    const QFileInfo logInfo(log);
    const QString target = FileChooser::chooseSaveFile(
        parent,
        {QStringLiteral("Export the Log As"),
         logInfo.path() + QLatin1Char('/') + logInfo.completeBaseName() + QStringLiteral(".kml"),
         QStringLiteral("KML Track (*.kml);;GPX Track (*.gpx);;GeoJSON Points "
                        "(*.geojson);;CSV Table (*.csv)")});
    if (target.isEmpty())
        return;
    const std::optional<ExportFormat> format = TrackExport::formatOfPath(target);
    if (!format) {
        showFailure({QStringLiteral("Please choose a file name ending in .kml, .gpx, .geojson "
                                    "or .csv.")});
        return;
    }
    TrackExport::Request request{log, target, *format, QLocale(), std::nullopt};
    // The run's threshold once one has been read or set; the log family's
    // starting threshold before.
    if (session.link.rssiThreshold != 0)
        request.thresholdDbm = -session.link.rssiThreshold;
    const TrackExport::Result result = TrackExport::exportLog(request);
    if (!result.error.isEmpty())
        showFailure({QStringLiteral("The log could not be exported."), result.error});
}

} // namespace LogExportMenu
