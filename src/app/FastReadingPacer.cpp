#include "FastReadingPacer.h"

#include <algorithm>

FastReadingPacer::FastReadingPacer(int intervalMs, int capMs)
    : m_intervalMs(intervalMs), m_capMs(std::max(capMs, intervalMs)), m_currentMs(intervalMs)
{}

bool FastReadingPacer::maySend(qint64 nowMs) const
{
    return !m_outstanding && nowMs >= m_nextMs;
}

qint64 FastReadingPacer::msUntilNext(qint64 nowMs) const
{
    return std::max<qint64>(0, m_nextMs - nowMs);
}

void FastReadingPacer::sent(qint64 nowMs)
{
    m_outstanding = true;
    m_nextMs = nowMs + m_currentMs;
}

void FastReadingPacer::answered()
{
    m_outstanding = false;
    m_currentMs = m_intervalMs;
}

void FastReadingPacer::timedOut(qint64 nowMs)
{
    m_outstanding = false;
    m_currentMs = std::min(m_currentMs * 2, m_capMs);
    m_nextMs = nowMs + m_currentMs;
}

void FastReadingPacer::abandoned()
{
    m_outstanding = false;
}
