#include "PeakHold.h"

#include <algorithm>
#include <cmath>

PeakHold::PeakHold(qint64 holdMs, double decayPerSecond)
    : m_holdMs(holdMs), m_decayPerSecond(decayPerSecond)
{}

void PeakHold::add(double reading, qint64 nowMs)
{
    if (!std::isfinite(reading))
        return;
    const std::optional<double> shown = mark(nowMs);
    if (!shown || reading >= *shown) {
        m_peak = reading;
        m_peakAtMs = nowMs;
    }
    m_latest = reading;
    m_any = true;
}

void PeakHold::reset()
{
    m_any = false;
}

std::optional<double> PeakHold::mark(qint64 nowMs) const
{
    if (!m_any)
        return std::nullopt;
    const qint64 sinkingMs = std::max<qint64>(0, nowMs - m_peakAtMs - m_holdMs);
    const double sunk = m_peak - m_decayPerSecond * double(sinkingMs) / 1000.0;
    return std::max(sunk, m_latest);
}
