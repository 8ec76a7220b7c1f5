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
    clearReading();
}

void SignalMeter::setMeterValue(double value)
{
    m_value = qBound(0.0, value, 100.0);
    setValue(qRound(m_value * kStepsPerUnit));
}

void SignalMeter::setUnit(const QString &unit)
{
    m_unit = unit;
}

void SignalMeter::setReading(int value)
{
    // The bar's text is not painted (textVisible is off); it is the value
    // the accessibility layer reads.
    const QString text = QString::number(value) + QLatin1Char(' ') + m_unit;
    setFormat(text);
    setAccessibleDescription(text);
}

void SignalMeter::clearReading()
{
    const QString none = QStringLiteral("No reading");
    setFormat(none);
    setAccessibleDescription(none);
}

#include "moc_SignalMeter.cpp"
