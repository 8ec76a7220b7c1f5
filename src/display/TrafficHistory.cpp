#include "TrafficHistory.h"

#include "app/Numeric.h"

#include <algorithm>

void TrafficHistory::clear()
{
    m_tx.history.fill(0.0);
    m_rx.history.fill(0.0);
}

bool TrafficHistory::update(const QString &txBytes, const QString &rxBytes, int intervalMs,
                            int linkRateKbps, bool &restart)
{
    const double tx = Numeric::leadingNumber(txBytes);
    const double rx = Numeric::leadingNumber(rxBytes);
    if (restart) {
        m_tx.previousCount = tx;
        m_rx.previousCount = rx;
        restart = false;
        return false;
    }
    for (Direction *d : {&m_tx, &m_rx})
        std::copy_backward(d->history.begin(), d->history.begin() + kChartPoints - 1,
                           d->history.begin() + kChartPoints);
    addSample(m_tx, tx, intervalMs, linkRateKbps);
    addSample(m_rx, rx, intervalMs, linkRateKbps);
    return true;
}

void TrafficHistory::addSample(Direction &d, double count, int intervalMs, int linkRateKbps)
{
    Samples &h = d.history;
    const double previousSample = h[1];
    if (count == 0.0) {
        // No counter yet: the chart holds its line.
        h[0] = previousSample;
        return;
    }
    if (count == d.previousCount) {
        // One quiet interval may be a late counter; the second one is silence.
        if (!d.quietOnce) {
            d.quietOnce = true;
            h[0] = previousSample;
        } else {
            h[0] = 0.0;
            d.quietOnce = false;
            d.previousCount = count;
        }
        return;
    }
    if (count < d.previousCount) {
        // The counter went back (a reboot or a wrap): hold the line until it
        // passes its old value again.
        h[0] = previousSample;
        return;
    }
    if (d.quietOnce) {
        // The rise covers the quiet interval too, so it is no rate of one interval.
        d.quietOnce = false;
        h[0] = previousSample;
        d.previousCount = count;
        return;
    }
    const double seconds = intervalMs / 1000.0;
    const double kbps = seconds > 0 ? (count - d.previousCount) / seconds * 8.0 / 1000.0 : 0.0;
    d.previousCount = count;
    if (seconds <= 0 || kbps > linkRateKbps) {
        h[0] = previousSample;
        return;
    }
    h[0] = kbps / linkRateKbps * 100.0;
    // A single spike between two like samples is smoothed to their mean.
    if (h[0] != 0.0 && h[2] != 0.0)
        h[1] = (h[0] + h[2]) / 2.0;
}
