#include "AlignmentStatistics.h"

#include <algorithm>
#include <cmath>

void AlignmentStatistics::add(double reading)
{
    if (!std::isfinite(reading))
        return;
    m_current = reading;
    m_minimum = m_count == 0 ? reading : std::min(m_minimum, reading);
    m_maximum = m_count == 0 ? reading : std::max(m_maximum, reading);
    m_sum += reading;
    ++m_count;
}

void AlignmentStatistics::reset()
{
    *this = AlignmentStatistics();
}

double AlignmentStatistics::average() const
{
    return m_count == 0 ? 0 : m_sum / m_count;
}
