#pragma once

#include "TrafficHistory.h"
#include "app/Records.h"

class QChartView;

// The traffic history chart: two line series, "Transmit (kB/s)" and
// "Receive (kB/s)", 60 rows with the newest sample first, a category axis
// "Minutes" labelled 0 to 4 and a value axis in percent of the link rate.
// The history belongs to the station's session: it lives for the whole run
// and is only shifted at stop, resume and switch.
namespace TrafficChart {

// Builds the chart in the view and shows the history (all 0 at load); the
// next tick is a baseline.
void InitTrafficChart(QChartView *view, const TrafficHistory &history, MonitorState &state);

// One tick of the chart timer: adds a sample from the link's counters and
// redraws.
void UpdateTrafficChart(QChartView *view, int intervalMs, TrafficHistory &history,
                        const LinkStatistics &link, MonitorState &state);

// The chart's points of one series (0 transmit, 1 receive), for tests.
QList<double> seriesValues(QChartView *view, int series);

} // namespace TrafficChart
