#pragma once

#include <QString>
#include <optional>

// The station reads numbers out of text the way the radios and the operator
// write them: the leading number of a text counts, anything after it is
// ignored, and a text without a leading number reads as 0. Conversions to
// integers round halves to the even neighbour (42.5 -> 42, 43.5 -> 44), which
// the smoothing of the signal readings and the threshold scales rely on.
namespace Numeric {

// Leading number of a text: optional blanks, an optional sign, digits with an
// optional decimal point, and an optional exponent ("1.2E+07"). 0 when none.
double leadingNumber(const QString &text);

// True when the whole text, blanks around it aside, is one number.
bool isNumber(const QString &text);

// Nearest integer, halves to the even neighbour.
double roundHalfEven(double value);

// Rounded (halves to even) into a 16-bit signed value; nullopt when the result
// does not fit, which callers treat as an overflow.
std::optional<qint16> toInt16(double value);

// Rounded (halves to even) into a 32-bit signed value; nullopt when it does not fit.
std::optional<qint32> toInt32(double value);

} // namespace Numeric
