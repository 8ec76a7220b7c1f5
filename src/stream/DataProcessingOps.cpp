#include "DataProcessingOps.h"

#include "NumConversion.h"
#include "app/Numeric.h"

#include <cmath>
#include <cstdio>

namespace DataProcessingOps {

namespace {

constexpr int kBitCount = 8;
constexpr float kStrongRssi = 60.0F; // -60 dBm and stronger fill the meter
constexpr float kWeakRssi = 100.0F;  // -100 dBm and weaker empty it
constexpr float kMeterPerDb = 2.5F;
constexpr float kPlainCounterLimit = 10000000.0F;

} // namespace

QString PadToEightBits(const QString &bits)
{
    if (bits.size() >= kBitCount)
        return bits.right(kBitCount);
    return QString(kBitCount - bits.size(), QLatin1Char('0')) + bits;
}

QString InvertBits(const QString &bits)
{
    QString inverted(bits.size(), Qt::Uninitialized);
    for (qsizetype i = 0; i < bits.size(); ++i)
        inverted[i] = bits[i] == u'1' ? QLatin1Char('0') : QLatin1Char('1');
    return inverted;
}

QString AddOneBinary(const QString &bits)
{
    QString sum = bits;
    for (qsizetype i = sum.size() - 1; i >= 0; --i) {
        if (sum[i] == u'1') {
            sum[i] = QLatin1Char('0'); // carry on to the next digit
        } else {
            sum[i] = QLatin1Char('1');
            break;
        }
    }
    return sum;
}

int BinaryToDecimal(const QString &bits)
{
    int value = 0;
    for (QChar digit : bits)
        value = value * 2 + (digit == u'1' ? 1 : 0);
    return value;
}

qint16 DecodeRSSI(const NumConversion &conversion)
{
    const QString bits = PadToEightBits(conversion.BinNum());
    return static_cast<qint16>(-BinaryToDecimal(AddOneBinary(InvertBits(bits))));
}

qint16 smoothRssi(qint16 rawRssi, qint16 previousRssi)
{
    if (previousRssi == 0)
        return rawRssi;
    // The mean of two 16-bit values always fits 16 bits again.
    return static_cast<qint16>(Numeric::roundHalfEven((rawRssi + previousRssi) / 2.0));
}

double meterValueForRssi(qint16 rssi)
{
    const float m = -static_cast<float>(rssi);
    if (m < kStrongRssi)
        return 100.0;
    if (m >= kWeakRssi)
        return 0.0;
    return 100.0F - (m - kStrongRssi) * kMeterPerDb;
}

QString rssiTitle(qint16 rssi)
{
    return QString::number(rssi) + QStringLiteral(" dBm");
}

QString counterText(float value)
{
    if (std::fabs(value) < kPlainCounterLimit)
        return QString::number(static_cast<qint64>(value));
    // Seven significant digits, then the mantissa loses its trailing zeros
    // ("1.500000E+07" -> "1.5E+07", "1.000000E+07" -> "1E+07").
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%.6E", static_cast<double>(value));
    QString text = QString::fromLatin1(buffer);
    const qsizetype exponent = text.indexOf(QLatin1Char('E'));
    qsizetype end = exponent;
    while (end > 0 && text[end - 1] == u'0')
        --end;
    if (end > 0 && text[end - 1] == u'.')
        --end;
    return text.left(end) + text.mid(exponent);
}

StateLook connectionStateLook(int state)
{
    if (state == 1)
        return {QStringLiteral("Associated"), {0, 128, 0}, Lamp::Associated};
    return {QStringLiteral("Disconnected"), {192, 0, 0}, Lamp::Scanning};
}

} // namespace DataProcessingOps
