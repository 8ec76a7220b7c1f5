#include "ThresholdRules.h"

#include "Numeric.h"

namespace ThresholdRules {

bool isValidRssiEntry(const QString &text)
{
    if (!Numeric::isNumber(text))
        return false;
    const double value = Numeric::leadingNumber(text);
    return value >= -120 && value <= 0;
}

bool radioAcceptedRssi(const QString &answer)
{
    return (answer != QLatin1String("ERROR") && answer.contains(QLatin1Char('-'))) ||
           answer == QLatin1String("0");
}

qint16 rssiThresholdFromEntry(const QString &text)
{
    const qsizetype minus = text.indexOf(QLatin1Char('-'));
    const double magnitude =
        Numeric::roundHalfEven(Numeric::leadingNumber(minus < 0 ? text : text.mid(minus + 1)));
    if (magnitude >= 100)
        return 100;
    if (magnitude <= 60)
        return 61;
    return static_cast<qint16>(magnitude);
}

std::optional<qint16> snrEntryValue(const QString &text)
{
    const double value = Numeric::isNumber(text) ? Numeric::leadingNumber(text) : 60.0;
    const std::optional<qint16> rounded = Numeric::toInt16(value);
    if (!rounded || *rounded < 0 || *rounded > 40)
        return std::nullopt;
    return rounded;
}

} // namespace ThresholdRules
