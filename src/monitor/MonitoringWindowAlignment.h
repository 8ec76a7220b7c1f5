#pragma once

class MonitoringWindow;
struct StationSession;

// View > Alignment (Ctrl+L) in the monitoring window: opens the alignment
// view, or closes it when open.
void addAlignmentView(MonitoringWindow &window, StationSession &session);
