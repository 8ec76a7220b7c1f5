// The alignment view shows the monitors' readings before smoothing, and while
// it is open a Velto monitor reads between its polls.
#include "AlignmentViewMenu.h"

#include "display/AlignmentWindow.h"
#include "session/StationSession.h"
#include "snmp/VeltoMonitor.h"
#include "stream/ArdixMonitor.h"

#include <QAction>
#include <QMenu>
#include <QPointer>

namespace AlignmentViewMenu {

namespace {

AlignmentWindow *makeView(QWidget *owner, StationSession &session, ArdixMonitor *ardix,
                          QPointer<VeltoMonitor> velto, QAction *action)
{
    auto *view = new AlignmentWindow(session.settings, session.link, owner);
    QObject::connect(ardix, &ArdixMonitor::rawSignalRead, view, &AlignmentWindow::showReading);
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

void addTo(QMenu *menu, QWidget *owner, StationSession &session, ArdixMonitor *ardix,
           VeltoMonitor *velto)
{
    QAction *action = menu->addAction(QStringLiteral("&Alignment"));
    action->setObjectName(QStringLiteral("alignmentView"));
    action->setCheckable(true);
    action->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_L));
    QPointer<VeltoMonitor> veltoGuard(velto);
    QObject::connect(action, &QAction::triggered, owner,
                     [owner, &session, ardix, veltoGuard, action] {
                         // The check mark follows the view, not the click.
                         action->setChecked(!action->isChecked());
                         auto *view = owner->findChild<AlignmentWindow *>(
                             QStringLiteral("AlignmentWindow"), Qt::FindDirectChildrenOnly);
                         if (view && view->isVisible()) {
                             view->close();
                             return;
                         }
                         if (!view)
                             view = makeView(owner, session, ardix, veltoGuard, action);
                         view->show();
                         view->raise();
                         view->activateWindow();
                     });
}

} // namespace AlignmentViewMenu
