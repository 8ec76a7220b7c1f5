#include "stream/DataProcessingOps.h"
#include "stream/NumConversion.h"

#include <QtTest>

using namespace DataProcessingOps;

// The RSSI's binary path, its smoothing and meter scale, and the counter texts.
class TestDataProcessingOps : public QObject
{
    Q_OBJECT
private slots:
    void bitRoutines_data();
    void bitRoutines();
    void rssiOfEveryByte();
    void smoothing_data();
    void smoothing();
    void meter_data();
    void meter();
    void counterTexts_data();
    void counterTexts();
};

void TestDataProcessingOps::bitRoutines_data()
{
    QTest::addColumn<QString>("binNum");
    QTest::addColumn<QString>("padded");
    QTest::addColumn<QString>("inverted");
    QTest::addColumn<QString>("plusOne");
    QTest::addColumn<int>("decimal");

    QTest::newRow("B5 gives 75") << "10110101"
                                 << "10110101"
                                 << "01001010"
                                 << "01001011" << 75;
    QTest::newRow("05 is padded") << "0101"
                                  << "00000101"
                                  << "11111010"
                                  << "11111011" << 251;
    QTest::newRow("00 carries out and gives 0") << "0000"
                                                << "00000000"
                                                << "11111111"
                                                << "00000000" << 0;
    QTest::newRow("FF gives 1") << "11111111"
                                << "11111111"
                                << "00000000"
                                << "00000001" << 1;
    QTest::newRow("80 gives 128") << "10000000"
                                  << "10000000"
                                  << "01111111"
                                  << "10000000" << 128;
}

void TestDataProcessingOps::bitRoutines()
{
    QFETCH(QString, binNum);
    QFETCH(QString, padded);
    QFETCH(QString, inverted);
    QFETCH(QString, plusOne);
    QFETCH(int, decimal);

    QCOMPARE(PadToEightBits(binNum), padded);
    QCOMPARE(InvertBits(padded), inverted);
    QCOMPARE(AddOneBinary(inverted), plusOne);
    QCOMPARE(BinaryToDecimal(plusOne), decimal);
}

void TestDataProcessingOps::rssiOfEveryByte()
{
    // The two's complement path must agree with plain arithmetic for every
    // byte: b - 256 from 1 to 255, and 0 for 0.
    NumConversion n;
    for (int b = 0; b < 256; ++b) {
        n.setDeciNum(float(b));
        const int expected = b == 0 ? 0 : b - 256;
        QVERIFY2(DecodeRSSI(n) == expected, qPrintable(QStringLiteral("byte %1").arg(b)));
    }
}

void TestDataProcessingOps::smoothing_data()
{
    QTest::addColumn<int>("raw");
    QTest::addColumn<int>("previous");
    QTest::addColumn<int>("shown");

    QTest::newRow("nothing stored yet") << -75 << 0 << -75;
    QTest::newRow("mean -77.5 rounds to even -78") << -75 << -80 << -78;
    QTest::newRow("mean -74.5 rounds to even -74") << -75 << -74 << -74;
    QTest::newRow("mean -75.5 rounds to even -76") << -76 << -75 << -76;
    QTest::newRow("whole mean") << -70 << -80 << -75;
    QTest::newRow("a zero byte is averaged in") << 0 << -80 << -40;
}

void TestDataProcessingOps::smoothing()
{
    QFETCH(int, raw);
    QFETCH(int, previous);
    QFETCH(int, shown);
    QCOMPARE(int(smoothRssi(qint16(raw), qint16(previous))), shown);
}

void TestDataProcessingOps::meter_data()
{
    QTest::addColumn<int>("rssi");
    QTest::addColumn<double>("meter");

    QTest::newRow("-75 dBm") << -75 << 62.5;
    QTest::newRow("-60 dBm is full") << -60 << 100.0;
    QTest::newRow("stronger than -60 is full") << -59 << 100.0;
    QTest::newRow("0 dBm is full") << 0 << 100.0;
    QTest::newRow("-80 dBm is half") << -80 << 50.0;
    QTest::newRow("-99 dBm") << -99 << 2.5;
    QTest::newRow("-100 dBm is empty") << -100 << 0.0;
    QTest::newRow("-128 dBm is empty") << -128 << 0.0;
}

void TestDataProcessingOps::meter()
{
    QFETCH(int, rssi);
    QFETCH(double, meter);
    QCOMPARE(meterValueForRssi(qint16(rssi)), meter);
}

void TestDataProcessingOps::counterTexts_data()
{
    QTest::addColumn<quint32>("counter");
    QTest::addColumn<QString>("text");

    QTest::newRow("zero") << 0U << "0";
    QTest::newRow("seven digits") << 1234567U << "1234567";
    QTest::newRow("largest plain") << 9999999U << "9999999";
    QTest::newRow("ten million") << 10000000U << "1E+07";
    QTest::newRow("eight digits") << 12345678U << "1.234568E+07";
    QTest::newRow("trailing zeros dropped") << 15000000U << "1.5E+07";
    QTest::newRow("beyond single precision") << 16777217U << "1.677722E+07";
    QTest::newRow("2^31 stays positive") << 2147483648U << "2.147484E+09";
    QTest::newRow("largest counter") << 4294967295U << "4.294967E+09";
}

void TestDataProcessingOps::counterTexts()
{
    QFETCH(quint32, counter);
    QFETCH(QString, text);
    QCOMPARE(counterText(float(counter)), text);
}

QTEST_APPLESS_MAIN(TestDataProcessingOps)
#include "tst_dataprocessingops.moc"
