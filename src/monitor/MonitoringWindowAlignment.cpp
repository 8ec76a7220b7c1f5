// The alignment view of the monitoring window: it shows the monitors'
// readings before smoothing, and while it is open a Velto monitor reads
// between its polls.
#include "MonitoringWindowAlignment.h"

#include "MonitoringWindow.h"
#include "display/AlignmentWindow.h"
#include "session/StationSession.h"
#include "snmp/VeltoMonitor.h"
#include "stream/ArdixMonitor.h"

#include <QAction>
#include <QMenu>
#include <QPointer>

namespace {

AlignmentWindow *makeAlignmentView(MonitoringWindow &window, StationSession &session,
                                   QAction *action)
{
    auto *view = new AlignmentWindow(session.settings, session.link, &window);
    QObject::connect(window.ardixMonitor, &ArdixMonitor::rawSignalRead, view,
                     &AlignmentWindow::showReading);
    QPointer<VeltoMonitor> velto(window.veltoMonitor());
    QObject::connect(velto, &VeltoMonitor::rawSignalRead, view, &AlignmentWindow::showReading);
    const SessionSettings &settings = session.settings;
    QObject::connect(view, &AlignmentWindow::openChanged, action,
                     [action, velto, &settings](bool open) {
                         action->setChecked(open);
                         if (velto && settings.remoteKind == RemoteKind::Velto)
                             velto->setFastReadingEnabled(open);
                     });
    return view;
}

} // namespace

void addAlignmentView(MonitoringWindow &window, StationSession &session)
{
    QAction *action = window.View->addAction(QStringLiteral("&Alignment"));
    action->setObjectName(QStringLiteral("alignmentView"));
    action->setCheckable(true);
    action->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_L));
    QObject::connect(action, &QAction::triggered, &window, [&window, &session, action] {
        // The check mark follows the view, not the click.
        action->setChecked(!action->isChecked());
        auto *view = window.findChild<AlignmentWindow *>(QStringLiteral("AlignmentWindow"),
                                                         Qt::FindDirectChildrenOnly);
        if (view && view->isVisible()) {
            view->close();
            return;
        }
        if (!view)
            view = makeAlignmentView(window, session, action);
        view->show();
        view->raise();
        view->activateWindow();
    });
}
