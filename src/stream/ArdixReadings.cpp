#include "ArdixReadings.h"

#include "app/Numeric.h"

namespace ArdixReadings {

namespace {

constexpr float kStrongRssi = 60.0F; // -60 dBm and stronger fill the meter
constexpr float kWeakRssi = 100.0F;  // -100 dBm and weaker empty it
constexpr float kMeterPerDb = 2.5F;
constexpr float kPlainCounterLimit = 10000000.0F;
constexpr quint64 kSignificantLimit = 10000000; // seven significant digits
constexpr int kMantissaDecimals = 6;

// A whole number of ten million or more in exponent form with seven
// significant digits, halves to even ("1.234568E+07"); the mantissa loses its
// trailing zeros ("1.5E+07", "1E+07"). Written by hand: a counter is written
// eight times per datagram.
QString exponentText(quint64 value)
{
    int exponent = kMantissaDecimals;
    quint64 scale = 1;
    while (value / scale >= kSignificantLimit) {
        scale *= 10;
        ++exponent;
    }
    quint64 digits = value / scale;
    const quint64 rest = value % scale;
    if (rest * 2 > scale || (rest * 2 == scale && digits % 2 == 1))
        ++digits;
    if (digits == kSignificantLimit) {
        digits /= 10;
        ++exponent;
    }
    char decimals[kMantissaDecimals];
    int kept = 0;
    for (int i = kMantissaDecimals - 1; i >= 0; --i, digits /= 10) {
        decimals[i] = char('0' + digits % 10);
        if (kept == 0 && decimals[i] != '0')
            kept = i + 1;
    }
    char text[16];
    int length = 0;
    text[length++] = char('0' + digits);
    if (kept > 0) {
        text[length++] = '.';
        for (int i = 0; i < kept; ++i)
            text[length++] = decimals[i];
    }
    text[length++] = 'E';
    text[length++] = '+';
    text[length++] = char('0' + exponent / 10);
    text[length++] = char('0' + exponent % 10);
    return QString::fromLatin1(text, length);
}

} // namespace

qint16 rssiOfByte(quint8 byte)
{
    return byte == 0 ? qint16(0) : qint16(byte - 256);
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

QString counterText(quint32 counter)
{
    const float held = static_cast<float>(counter);
    if (held < kPlainCounterLimit)
        return QString::number(static_cast<qint64>(held));
    return exponentText(static_cast<quint64>(held));
}

StateLook connectionStateLook(int state)
{
    if (state == 1)
        return {QStringLiteral("Associated"), {0, 128, 0}, Lamp::Associated};
    return {QStringLiteral("Disconnected"), {192, 0, 0}, Lamp::Scanning};
}

} // namespace ArdixReadings
