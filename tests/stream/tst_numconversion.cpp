#include "stream/NumConversion.h"

#include <QtTest>

// The three faces of one number: hexadecimal text, binary text and value.
class TestNumConversion : public QObject
{
    Q_OBJECT
private slots:
    void hexadecimalIn_data();
    void hexadecimalIn();
    void binaryIn_data();
    void binaryIn();
    void valueIn_data();
    void valueIn();
};

void TestNumConversion::hexadecimalIn_data()
{
    QTest::addColumn<QString>("hex");
    QTest::addColumn<float>("value");
    QTest::addColumn<QString>("hexBack");
    QTest::addColumn<QString>("binary");

    QTest::newRow("datagram byte B5") << "B5" << 181.0F << "B5"
                                      << "10110101";
    QTest::newRow("lower-case digits count") << "b5" << 181.0F << "B5"
                                             << "10110101";
    QTest::newRow("marker FF") << "FF" << 255.0F << "FF"
                               << "11111111";
    QTest::newRow("byte 05 loses its leading zero") << "05" << 5.0F << "5"
                                                    << "0101";
    QTest::newRow("zero") << "00" << 0.0F << "0"
                          << "0000";
    QTest::newRow("empty text is zero") << "" << 0.0F << "0"
                                        << "0000";
    QTest::newRow("other characters count 0") << "G5" << 5.0F << "5"
                                              << "0101";
    QTest::newRow("a blank inside counts 0") << "1 1" << 257.0F << "101"
                                             << "000100000001";
    QTest::newRow("counter 00 12 D6 87") << "0012D687" << 1234567.0F << "12D687"
                                         << "000100101101011010000111";
    // Above 2^24 single precision keeps 24 significant bits.
    QTest::newRow("counter 00 BC 61 4E") << "00BC614E" << 12345678.0F << "BC614E"
                                         << "101111000110000101001110";
    QTest::newRow("counter 2^31") << "80000000" << 2147483648.0F << "80000000"
                                  << "10000000000000000000000000000000";
    QTest::newRow("counter FFFFFFFF rounds up to 2^32")
        << "FFFFFFFF" << 4294967296.0F << "100000000"
        << "000100000000000000000000000000000000";
}

void TestNumConversion::hexadecimalIn()
{
    QFETCH(QString, hex);
    QFETCH(float, value);
    QFETCH(QString, hexBack);
    QFETCH(QString, binary);

    NumConversion fromText;
    fromText.setHexNum(QStringView(hex));
    QCOMPARE(fromText.DeciNum(), value);
    QCOMPARE(fromText.HexNum(), hexBack);
    QCOMPARE(fromText.BinNum(), binary);

    // The decoder writes Latin-1 digits; they must read the same.
    const QByteArray latin1 = hex.toLatin1();
    NumConversion fromLatin1;
    fromLatin1.setHexNum(QLatin1StringView(latin1));
    QCOMPARE(fromLatin1.DeciNum(), value);
}

void TestNumConversion::binaryIn_data()
{
    QTest::addColumn<QString>("binary");
    QTest::addColumn<float>("value");
    QTest::addColumn<QString>("hex");

    QTest::newRow("eight digits") << "10110101" << 181.0F << "B5";
    QTest::newRow("leading zeros") << "00000101" << 5.0F << "5";
    QTest::newRow("all zeros") << "0000" << 0.0F << "0";
    QTest::newRow("other characters count 0") << "1x1" << 5.0F << "5";
    QTest::newRow("sixteen digits") << "1111111111111111" << 65535.0F << "FFFF";
}

void TestNumConversion::binaryIn()
{
    QFETCH(QString, binary);
    QFETCH(float, value);
    QFETCH(QString, hex);

    NumConversion n;
    n.setBinNum(binary);
    QCOMPARE(n.DeciNum(), value);
    QCOMPARE(n.HexNum(), hex);
}

void TestNumConversion::valueIn_data()
{
    QTest::addColumn<float>("value");
    QTest::addColumn<QString>("hex");
    QTest::addColumn<QString>("binary");

    QTest::newRow("byte") << 181.0F << "B5"
                          << "10110101";
    QTest::newRow("half rounds to even, down") << 2.5F << "2"
                                               << "0010";
    QTest::newRow("half rounds to even, up") << 3.5F << "4"
                                             << "0100";
    QTest::newRow("minus one is 32 bits of ones") << -1.0F << "FFFFFFFF"
                                                  << "11111111111111111111111111111111";
    QTest::newRow("minus 75") << -75.0F << "FFFFFFB5"
                              << "11111111111111111111111110110101";
}

void TestNumConversion::valueIn()
{
    QFETCH(float, value);
    QFETCH(QString, hex);
    QFETCH(QString, binary);

    NumConversion n;
    n.setDeciNum(value);
    QCOMPARE(n.DeciNum(), value);
    QCOMPARE(n.HexNum(), hex);
    QCOMPARE(n.BinNum(), binary);
}

QTEST_APPLESS_MAIN(TestNumConversion)
#include "tst_numconversion.moc"
