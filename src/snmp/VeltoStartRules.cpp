#include "VeltoStartRules.h"

#include "app/Numeric.h"

namespace VeltoStartRules {

namespace {

constexpr int kAccessPointMode = 5;

// The number after the first "-", or of the whole text when there is none.
double magnitudeAfterMinus(const QString &text)
{
    const qsizetype minus = text.indexOf(QLatin1Char('-'));
    return Numeric::roundHalfEven(Numeric::leadingNumber(minus < 0 ? text : text.mid(minus + 1)));
}

} // namespace

qint16 rssiThresholdFromText(const QString &text)
{
    const double value = magnitudeAfterMinus(text);
    if (value > 100)
        return 100;
    if (value >= 1 && value <= 60)
        return 61;
    if (value < -32768)
        return -32768;
    return static_cast<qint16>(value);
}

qint16 snrThresholdFromText(const QString &text)
{
    const double value = magnitudeAfterMinus(text);
    if (value > 30)
        return 30;
    if (value < 10)
        return 10;
    return static_cast<qint16>(value);
}

qint16 snrThresholdBar(qint16 snrThreshold)
{
    return static_cast<qint16>(Numeric::roundHalfEven((snrThreshold - 10) * 3.95));
}

QString compressFirmwareVersion(const QString &answer)
{
    const qsizetype dot = answer.indexOf(QLatin1Char('.'));
    if (dot < 1)
        return answer;
    const QString from = answer.mid(dot - 1);
    if (from.size() < 5)
        return answer;
    return QString(from.at(0)) + from.at(2) + from.at(4);
}

int firmwareNumber(const QString &version)
{
    return Numeric::toInt32(Numeric::leadingNumber(version)).value_or(0);
}

bool passesFirmwareGate(int version, bool extendedFirmware)
{
    return version >= 472 || extendedFirmware;
}

bool usesNewFirmwareLogin(int version, bool extendedFirmware)
{
    return version > 570 || extendedFirmware;
}

bool isAccessPointMode(const QString &deviceMode)
{
    return Numeric::leadingNumber(deviceMode) == kAccessPointMode;
}

bool isExtendedFirmwareAnswer(const QString &answer)
{
    return answer != QLatin1String("0") && answer != QLatin1String("ERROR");
}

} // namespace VeltoStartRules
