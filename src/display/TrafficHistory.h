#pragma once

#include <QString>
#include <array>

// The traffic history behind the chart: the last 60 samples (five minutes at
// one sample every 5 s) of transmit and receive load, each in percent of the
// link's full data rate, index 0 the newest.
//
// Path of a sample: the byte counters (the link statistics' txBytes / rxBytes, as
// the Ardix decoder or the Velto poll store them) -> update() turns the rise
// since the previous tick into kbit/s and then into percent of linkRateKbps
// -> the chart draws tx()/rx().
class TrafficHistory
{
public:
    static constexpr int kChartPoints = 60;
    using Samples = std::array<double, kChartPoints + 1>; // indices 0..60

    // All samples 0 (the window's load).
    void clear();

    // One chart tick. restart is the "next tick is a baseline" flag: when set,
    // the counters become the starting point, the flag is cleared and nothing
    // else changes (returns false: no redraw). Otherwise the histories shift
    // by one and get their new sample (returns true).
    bool update(const QString &txBytes, const QString &rxBytes, int intervalMs, int linkRateKbps,
                bool &restart);

    const Samples &tx() const { return m_tx.history; }
    const Samples &rx() const { return m_rx.history; }

private:
    struct Direction
    {
        Samples history{};
        double previousCount = 0.0;
        bool quietOnce = false;
    };
    static void addSample(Direction &d, double count, int intervalMs, int linkRateKbps);

    Direction m_tx;
    Direction m_rx;
};
