#pragma once

#include <QLatin1StringView>
#include <QString>
#include <QStringView>

// One number seen three ways: hexadecimal text, binary text and its value.
// The Ardix decoder reads every datagram byte through it (the byte goes in as
// two hexadecimal digits and comes out as a value or as binary digits), and
// reads each counter back from its eight accumulated hexadecimal digits. The
// value is held in single precision (24 significant bits), so counters above
// 2^24 come back rounded.
//
// The decoder runs once per datagram, so writing a text scans it in place with
// table look-ups; only the read-back texts allocate.
class NumConversion
{
public:
    // The value in upper-case hexadecimal without leading zeros ("B5", "0").
    // The value is first rounded to an integer, halves to the even neighbour;
    // a negative value shows its 32-bit two's complement ("FFFFFFFF" for -1).
    QString HexNum() const;
    // Each character, from the right, is a digit weighted by 16 to the power
    // of its position; 0-9 and A-F in either case, any other character counts 0.
    void setHexNum(QStringView text);
    void setHexNum(QLatin1StringView text);

    // Four binary digits for each digit of HexNum ("10110101" for B5, "0000" for 0).
    QString BinNum() const;
    // Each character, from the right, weighs 2 to the power of its position
    // when it is "1"; any other character counts 0.
    void setBinNum(QStringView text);

    float DeciNum() const { return m_value; }
    void setDeciNum(float DecNumber) { m_value = DecNumber; }

private:
    // "0" -> "0000" ... "F" -> "1111"; any other character gives the empty text.
    static QLatin1StringView HexDigitToBinary(char16_t digit);
    // "0" -> 0 ... "F" -> 15 (either case); any other character gives 0.
    static int HexDigitToValue(char16_t digit);

    template <typename Text> void setFromHexText(Text text);

    float m_value = 0.0F;
};
