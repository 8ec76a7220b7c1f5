#pragma once

// What the alignment view shows of the readings since its last reset: the
// newest one as it came, the lowest, the highest and their mean. An installer
// resets it before turning the antenna, then compares.
class AlignmentStatistics
{
public:
    // A reading that is not a number (no value from the radio) is not counted.
    void add(double reading);
    void reset();

    bool hasReadings() const { return m_count > 0; }
    int count() const { return m_count; }
    // Each 0 before the first reading.
    double current() const { return m_current; }
    double minimum() const { return m_minimum; }
    double maximum() const { return m_maximum; }
    double average() const;

private:
    int m_count = 0;
    double m_current = 0;
    double m_minimum = 0;
    double m_maximum = 0;
    double m_sum = 0;
};
