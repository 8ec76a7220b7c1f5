#pragma once

#include <QProgressBar>

// A progress-bar meter on a 0..100 scale that keeps the exact value it was
// given (62.5, 99.99): the bar shows it to a hundredth, tests read it back.
class SignalMeter : public QProgressBar
{
    Q_OBJECT
public:
    explicit SignalMeter(QWidget *parent = nullptr);

    void setMeterValue(double value); // clamped to 0..100
    double meterValue() const { return m_value; }

private:
    double m_value = 0.0;
};
