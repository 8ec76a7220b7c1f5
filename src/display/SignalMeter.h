#pragma once

#include <QProgressBar>

// A progress-bar meter on a 0..100 scale that keeps the exact value it was
// given (62.5, 99.99): the bar shows it to a hundredth, tests read it back.
// Beside the fill it carries the reading in its unit ("-83 dBm"), which is
// what a screen reader announces: the fill's percentage means nothing to a
// listener.
class SignalMeter : public QProgressBar
{
    Q_OBJECT
public:
    explicit SignalMeter(QWidget *parent = nullptr);

    void setMeterValue(double value); // clamped to 0..100
    double meterValue() const { return m_value; }

    void setUnit(const QString &unit);
    void setReading(int value);
    // No reading: monitoring stopped or nothing received yet.
    void clearReading();
    QString reading() const { return text(); }

private:
    double m_value = 0.0;
    QString m_unit;
};
