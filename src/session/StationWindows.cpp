#include "StationWindows.h"

#include "RemoteSelectionDialog.h"

#include <QApplication>
#include <QTimer>
#include <algorithm>
#include <utility>

namespace {

// Any window the operator sees: the dialog, an about box, an options form,
// the help. Menus and tool tips do not count.
bool anyWindowShown()
{
    const QWidgetList windows = QApplication::topLevelWidgets();
    return std::any_of(windows.cbegin(), windows.cend(), [](const QWidget *w) {
        const Qt::WindowType type = w->windowType();
        return w->isVisible() && (type == Qt::Window || type == Qt::Dialog);
    });
}

} // namespace

StationWindows::StationWindows(StationSession &session, MonitoringMaker makeMonitoring,
                               QObject *parent)
    : QObject(parent), m_session(session), m_makeMonitoring(std::move(makeMonitoring))
{
    // The last of the other windows closing ends the run as well once the two
    // station windows are gone.
    connect(qApp, &QGuiApplication::lastWindowClosed, this, &StationWindows::quitWhenNoWindowLeft);
}

RemoteSelectionDialog *StationWindows::snifferForm() const
{
    return m_dialog;
}

MonitoringForm *StationWindows::monitoringForm() const
{
    return m_monitor;
}

RemoteSelectionDialog *StationWindows::showRemoteSelection()
{
    if (!m_dialog) {
        m_dialog = new RemoteSelectionDialog(m_session, *this);
        m_dialog->Form_Load();
    }
    m_dialog->show();
    m_dialog->raise();
    m_dialog->activateWindow();
    return m_dialog;
}

MonitoringForm *StationWindows::openMonitoringForm()
{
    if (!m_monitor) {
        m_monitor = m_makeMonitoring(m_session, *this);
        if (!m_monitor) {
            // A station started for a remote named on the command line has
            // no window left then, and ends.
            quitWhenNoWindowLeft();
            return nullptr;
        }
        QPointer<MonitoringForm> opened = m_monitor;
        opened->Form_Load();
        if (!opened || opened->isUnloaded())
            return nullptr;
        opened->show();
    }
    return m_monitor;
}

void StationWindows::openMonitoring(RemoteKind kind)
{
    MonitoringForm *monitor = openMonitoringForm();
    if (!monitor)
        return;
    if (kind == RemoteKind::Ardix)
        monitor->setupForArdix();
    else
        monitor->setupForVelto();
}

void StationWindows::closeMonitoring()
{
    if (m_monitor)
        m_monitor->close();
}

void StationWindows::showSelection()
{
    showRemoteSelection();
}

void StationWindows::closeSelection()
{
    if (m_dialog)
        m_dialog->close();
}

void StationWindows::quitWhenNoWindowLeft()
{
    QTimer::singleShot(0, this, [this] {
        const bool monitorOpen = m_monitor && !m_monitor->isUnloaded();
        if (!monitorOpen && !anyWindowShown())
            QCoreApplication::quit();
    });
}
