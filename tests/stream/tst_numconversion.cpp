#include "stream/NumConversion.h"

#include <QtTest>

using namespace Qt::StringLiterals;

// The three faces of one number: hexadecimal text, binary text and value.
class TestNumConversion : public QObject
{
    Q_OBJECT
private slots:
    void forms_data();
    void forms();
};

void TestNumConversion::forms_data()
{
    QTest::addColumn<char>("form"); // what is written: 'h'ex, 'b'inary or 'v'alue
    QTest::addColumn<QString>("written");
    QTest::addColumn<float>("value");
    QTest::addColumn<QString>("hex");
    QTest::addColumn<QString>("binary");

    QTest::newRow("hex B5") << 'h' << u"B5"_s << 181.0F << u"B5"_s << u"10110101"_s;
    QTest::newRow("hex lower-case b5") << 'h' << u"b5"_s << 181.0F << u"B5"_s << u"10110101"_s;
    QTest::newRow("hex 05 loses its leading zero") << 'h' << u"05"_s << 5.0F << u"5"_s << u"0101"_s;
    QTest::newRow("hex empty text is zero") << 'h' << u""_s << 0.0F << u"0"_s << u"0000"_s;
    QTest::newRow("hex other characters count 0") << 'h' << u"G5"_s << 5.0F << u"5"_s << u"0101"_s;
    QTest::newRow("hex blank inside counts 0")
        << 'h' << u"1 1"_s << 257.0F << u"101"_s << u"000100000001"_s;
    QTest::newRow("hex counter 00 12 D6 87")
        << 'h' << u"0012D687"_s << 1234567.0F << u"12D687"_s << u"000100101101011010000111"_s;
    // Above 2^24 single precision keeps 24 significant bits.
    QTest::newRow("hex counter 2^31") << 'h' << u"80000000"_s << 2147483648.0F << u"80000000"_s
                                      << u"10000000000000000000000000000000"_s;
    QTest::newRow("hex counter FFFFFFFF rounds up to 2^32")
        << 'h' << u"FFFFFFFF"_s << 4294967296.0F << u"100000000"_s
        << u"000100000000000000000000000000000000"_s;
    QTest::newRow("binary eight digits")
        << 'b' << u"10110101"_s << 181.0F << u"B5"_s << u"10110101"_s;
    QTest::newRow("binary leading zeros") << 'b' << u"00000101"_s << 5.0F << u"5"_s << u"0101"_s;
    QTest::newRow("binary other characters count 0")
        << 'b' << u"1x1"_s << 5.0F << u"5"_s << u"0101"_s;
    QTest::newRow("binary sixteen digits")
        << 'b' << u"1111111111111111"_s << 65535.0F << u"FFFF"_s << u"1111111111111111"_s;
    QTest::newRow("value half rounds to even, down")
        << 'v' << u"2.5"_s << 2.5F << u"2"_s << u"0010"_s;
    QTest::newRow("value half rounds to even, up")
        << 'v' << u"3.5"_s << 3.5F << u"4"_s << u"0100"_s;
    QTest::newRow("value -1 is 32 ones")
        << 'v' << u"-1"_s << -1.0F << u"FFFFFFFF"_s << u"11111111111111111111111111111111"_s;
    QTest::newRow("value -75 is its 32-bit two's complement")
        << 'v' << u"-75"_s << -75.0F << u"FFFFFFB5"_s << u"11111111111111111111111110110101"_s;
}

void TestNumConversion::forms()
{
    QFETCH(char, form);
    QFETCH(QString, written);
    QFETCH(float, value);
    QFETCH(QString, hex);
    QFETCH(QString, binary);

    NumConversion n;
    if (form == 'h') {
        n.setHexNum(QStringView(written));
        // The decoder writes Latin-1 digits; they must read the same.
        const QByteArray latin1 = written.toLatin1();
        NumConversion fromLatin1;
        fromLatin1.setHexNum(QLatin1StringView(latin1));
        QCOMPARE(fromLatin1.DeciNum(), value);
    } else if (form == 'b') {
        n.setBinNum(written);
    } else {
        n.setDeciNum(written.toFloat());
    }
    QCOMPARE(n.DeciNum(), value);
    QCOMPARE(n.HexNum(), hex);
    QCOMPARE(n.BinNum(), binary);
}

QTEST_APPLESS_MAIN(TestNumConversion)
#include "tst_numconversion.moc"
