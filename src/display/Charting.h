#pragma once

#include "TrafficHistory.h"

class QChartView;

// The traffic history chart: two line series, "Transmit (kB/s)" and
// "Receive (kB/s)", 60 rows with the newest sample first, a category axis
// "Minutes" labelled 0 to 4 and a value axis in percent of the link rate.
// The history is module state: it lives for the whole application and is
// only shifted at stop, resume and switch.
namespace Charting {

TrafficHistory &history();

// Builds the chart in the view and shows the history (all 0 at load).
void InitTrafficChart(QChartView *view);

// One tick of the chart timer: adds a sample from linkStatistics and redraws.
void UpdateTrafficChart(QChartView *view, int intervalMs);

// The chart's points of one series (0 transmit, 1 receive), for tests.
QList<double> seriesValues(QChartView *view, int series);

} // namespace Charting
