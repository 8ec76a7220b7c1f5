#pragma once

class QMenu;
class QWidget;
struct StationSession;

// "Export Log…" of the monitoring window's File menu: asks for a log and for
// the file to write, and writes the log there as GPX, KML, GeoJSON or CSV, by
// the file's extension, the KML coloured under the run's RSSI threshold.
namespace LogExportMenu {

// Adds the entry (Ctrl+E) at the top of the menu; its handler lives as long as
// the menu.
void addTo(QMenu *menu, QWidget *dialogParent, StationSession &session);

void exportLog_Click(QWidget *dialogParent, const StationSession &session);

} // namespace LogExportMenu
