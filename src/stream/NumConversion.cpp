#include "NumConversion.h"

#include "app/Numeric.h"

#include <cmath>
#include <limits>

namespace {

constexpr char kHexDigits[] = "0123456789ABCDEF";

// The value as the unsigned integer whose hexadecimal digits are shown.
quint64 hexadecimalPattern(float value)
{
    const double rounded = Numeric::roundHalfEven(value);
    if (!std::isfinite(rounded))
        return std::numeric_limits<quint64>::max();
    if (rounded < 0) {
        // A negative value shows as the 32-bit pattern of its two's complement.
        const double wrapped = std::fmod(rounded, 4294967296.0) + 4294967296.0;
        return static_cast<quint64>(wrapped) & 0xFFFFFFFFU;
    }
    if (rounded >= 18446744073709551616.0)
        return std::numeric_limits<quint64>::max();
    return static_cast<quint64>(rounded);
}

} // namespace

QLatin1StringView NumConversion::HexDigitToBinary(char16_t digit)
{
    static constexpr const char *kBinary[16] = {"0000", "0001", "0010", "0011", "0100", "0101",
                                                "0110", "0111", "1000", "1001", "1010", "1011",
                                                "1100", "1101", "1110", "1111"};
    const char16_t upper = (digit >= u'a' && digit <= u'f') ? char16_t(digit - u'a' + u'A') : digit;
    for (int i = 0; i < 16; ++i) {
        if (upper == char16_t(kHexDigits[i]))
            return QLatin1StringView(kBinary[i], 4);
    }
    return {};
}

int NumConversion::HexDigitToValue(char16_t digit)
{
    if (digit >= u'0' && digit <= u'9')
        return digit - u'0';
    if (digit >= u'A' && digit <= u'F')
        return digit - u'A' + 10;
    if (digit >= u'a' && digit <= u'f')
        return digit - u'a' + 10;
    return 0;
}

template <typename Text> void NumConversion::setFromHexText(Text text)
{
    // Summed exactly in double (16 digits fit its range, and every weight is
    // a power of two), then rounded once to single precision.
    double value = 0.0;
    double weight = 1.0;
    for (qsizetype i = text.size() - 1; i >= 0; --i) {
        value += HexDigitToValue(char16_t(text[i].unicode())) * weight;
        weight *= 16.0;
    }
    m_value = static_cast<float>(value);
}

void NumConversion::setHexNum(QStringView text)
{
    setFromHexText(text);
}

void NumConversion::setHexNum(QLatin1StringView text)
{
    setFromHexText(text);
}

QString NumConversion::HexNum() const
{
    quint64 pattern = hexadecimalPattern(m_value);
    char digits[16];
    int count = 0;
    do {
        digits[count++] = kHexDigits[pattern & 0xFU];
        pattern >>= 4;
    } while (pattern != 0);
    QString text(count, Qt::Uninitialized);
    for (int i = 0; i < count; ++i)
        text[i] = QLatin1Char(digits[count - 1 - i]);
    return text;
}

QString NumConversion::BinNum() const
{
    const QString hex = HexNum();
    QString text;
    text.reserve(hex.size() * 4);
    for (QChar digit : hex)
        text += HexDigitToBinary(digit.unicode());
    return text;
}

void NumConversion::setBinNum(QStringView text)
{
    double value = 0.0;
    double weight = 1.0;
    for (qsizetype i = text.size() - 1; i >= 0; --i) {
        if (text[i] == u'1')
            value += weight;
        weight *= 2.0;
    }
    m_value = static_cast<float>(value);
}
