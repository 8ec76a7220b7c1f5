#pragma once

#include <QtGlobal>
#include <optional>

// The peak mark of the alignment scale: it jumps to any reading at or above
// it, stays there for the hold time, then sinks at a steady rate until it
// meets the newest reading. Times are the caller's milliseconds (any steady
// clock), so the mark can be computed for any moment.
class PeakHold
{
public:
    PeakHold(qint64 holdMs, double decayPerSecond);

    void add(double reading, qint64 nowMs);
    void reset();
    // nullopt before the first reading.
    std::optional<double> mark(qint64 nowMs) const;

private:
    qint64 m_holdMs;
    double m_decayPerSecond;
    bool m_any = false;
    double m_peak = 0;
    qint64 m_peakAtMs = 0;
    double m_latest = 0;
};
