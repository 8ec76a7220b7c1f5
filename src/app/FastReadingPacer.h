#pragma once

#include <QtGlobal>

// When the next extra reading of the alignment view may be asked for: one
// request at a time, the next one an interval after the last one went out
// (at once when the answer took longer), and after each time-out twice the
// wait, up to a cap, until an answer comes again. Times are the caller's
// milliseconds of a steady clock.
class FastReadingPacer
{
public:
    FastReadingPacer(int intervalMs, int capMs);

    bool outstanding() const { return m_outstanding; }
    int intervalMs() const { return m_currentMs; }
    // False while a request is out or before its time.
    bool maySend(qint64 nowMs) const;
    // Milliseconds until maySend holds, with nothing out (0 when it does).
    qint64 msUntilNext(qint64 nowMs) const;

    void sent(qint64 nowMs);
    void answered();
    void timedOut(qint64 nowMs);
    // Given up for another reason (the regular poll took over): neither an
    // answer nor a failure of the link.
    void abandoned();

private:
    int m_intervalMs;
    int m_capMs;
    int m_currentMs;
    bool m_outstanding = false;
    qint64 m_nextMs = 0;
};
