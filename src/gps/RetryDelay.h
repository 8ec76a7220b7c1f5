#pragma once

#include <algorithm>

// The wait before the next attempt to reach a lost GPS source: it doubles from
// the first delay up to the cap, so a source that stays away costs one cheap
// attempt per cap interval, and one that comes back is found again quickly.
class RetryDelay
{
public:
    constexpr RetryDelay(int firstMs, int capMs) : m_firstMs(firstMs), m_capMs(capMs) {}

    int next()
    {
        const int delay = m_nextMs;
        m_nextMs = std::min(m_nextMs * 2, m_capMs);
        return delay;
    }
    void reset() { m_nextMs = m_firstMs; }

private:
    int m_firstMs;
    int m_capMs;
    int m_nextMs = m_firstMs;
};
