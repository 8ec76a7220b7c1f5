// The alignment view of the monitoring window: View > Alignment (Ctrl+L)
// opens and closes it; it shows the monitors' readings before smoothing, and
// while it is open a Velto monitor reads between its polls.
#include "MonitoringWindow.h"
#include "display/AlignmentWindow.h"
#include "session/StationSession.h"
#include "snmp/VeltoMonitor.h"
#include "stream/ArdixMonitor.h"

#include <QAction>
#include <QMenu>

void MonitoringWindow::buildAlignmentView()
{
    alignmentView = View->addAction(QStringLiteral("Alignment"));
    alignmentView->setObjectName(QStringLiteral("alignmentView"));
    alignmentView->setCheckable(true);
    alignmentView->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_L));
    // The check mark follows the window, not the click.
    connect(alignmentView, &QAction::triggered, this, [this] {
        alignmentView->setChecked(!alignmentView->isChecked());
        alignmentView_Click();
    });
}

void MonitoringWindow::alignmentView_Click()
{
    if (m_alignmentWindow && m_alignmentWindow->isVisible()) {
        m_alignmentWindow->close();
        return;
    }
    if (!m_alignmentWindow) {
        auto *view = m_alignmentWindow =
            new AlignmentWindow(m_session.settings, m_session.link, this);
        connect(ardixMonitor, &ArdixMonitor::rawSignalRead, view, &AlignmentWindow::showReading);
        connect(m_velto, &VeltoMonitor::rawSignalRead, view, &AlignmentWindow::showReading);
        connect(view, &AlignmentWindow::openChanged, this, [this](bool open) {
            alignmentView->setChecked(open);
            if (m_session.settings.remoteKind == RemoteKind::Velto)
                m_velto->setFastReadingEnabled(open);
        });
    }
    m_alignmentWindow->show();
    m_alignmentWindow->raise();
    m_alignmentWindow->activateWindow();
}
