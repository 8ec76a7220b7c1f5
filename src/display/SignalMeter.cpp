#include "SignalMeter.h"

#include <QtMath>

namespace {
constexpr int kStepsPerUnit = 100;
}

SignalMeter::SignalMeter(QWidget *parent) : QProgressBar(parent)
{
    setRange(0, 100 * kStepsPerUnit);
    setTextVisible(false);
    setValue(0);
}

void SignalMeter::setMeterValue(double value)
{
    m_value = qBound(0.0, value, 100.0);
    setValue(qRound(m_value * kStepsPerUnit));
}
