#pragma once

class ArdixMonitor;
class QMenu;
class QWidget;
class VeltoMonitor;
struct StationSession;

// View > Alignment (Ctrl+L) of the monitoring window: opens the alignment
// view, or closes it when open.
namespace AlignmentViewMenu {

// Adds the entry to the menu; the view is made on first use as a window
// owned by owner, fed by whichever monitor runs.
void addTo(QMenu *menu, QWidget *owner, StationSession &session, ArdixMonitor *ardix,
           VeltoMonitor *velto);

} // namespace AlignmentViewMenu
