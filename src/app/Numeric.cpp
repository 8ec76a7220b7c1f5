#include "Numeric.h"

#include <cmath>
#include <limits>

namespace Numeric {

namespace {

// Length of the leading number in text starting at pos, 0 when there is none.
qsizetype scanNumber(const QString &text, qsizetype pos)
{
    const qsizetype start = pos;
    if (pos < text.size() && (text[pos] == u'+' || text[pos] == u'-'))
        ++pos;
    qsizetype digits = 0;
    while (pos < text.size() && text[pos].isDigit() && text[pos].unicode() < 128) {
        ++pos;
        ++digits;
    }
    if (pos < text.size() && text[pos] == u'.') {
        ++pos;
        while (pos < text.size() && text[pos].isDigit() && text[pos].unicode() < 128) {
            ++pos;
            ++digits;
        }
    }
    if (digits == 0)
        return 0;
    if (pos < text.size() && (text[pos] == u'e' || text[pos] == u'E')) {
        qsizetype e = pos + 1;
        if (e < text.size() && (text[e] == u'+' || text[e] == u'-'))
            ++e;
        qsizetype expDigits = 0;
        while (e < text.size() && text[e].isDigit() && text[e].unicode() < 128) {
            ++e;
            ++expDigits;
        }
        if (expDigits > 0)
            pos = e;
    }
    return pos - start;
}

qsizetype skipBlanks(const QString &text, qsizetype pos)
{
    while (pos < text.size() && (text[pos] == u' ' || text[pos] == u'\t'))
        ++pos;
    return pos;
}

} // namespace

double leadingNumber(const QString &text)
{
    const qsizetype start = skipBlanks(text, 0);
    const qsizetype length = scanNumber(text, start);
    if (length == 0)
        return 0.0;
    const double value = text.mid(start, length).toDouble();
    return std::isfinite(value) ? value : 0.0;
}

bool isNumber(const QString &text)
{
    const qsizetype start = skipBlanks(text, 0);
    const qsizetype length = scanNumber(text, start);
    return length > 0 && skipBlanks(text, start + length) == text.size();
}

double roundHalfEven(double value)
{
    // nearbyint rounds in the current mode, which is to-nearest-even by default.
    return std::nearbyint(value);
}

std::optional<qint16> toInt16(double value)
{
    const double r = roundHalfEven(value);
    if (!std::isfinite(r) || r < std::numeric_limits<qint16>::min() ||
        r > std::numeric_limits<qint16>::max())
        return std::nullopt;
    return static_cast<qint16>(r);
}

std::optional<qint32> toInt32(double value)
{
    const double r = roundHalfEven(value);
    if (!std::isfinite(r) || r < std::numeric_limits<qint32>::min() ||
        r > std::numeric_limits<qint32>::max())
        return std::nullopt;
    return static_cast<qint32>(r);
}

} // namespace Numeric
