#include "stream/ArdixDatagramDecoder.h"
#include "stream/DataProcessingOps.h"

#include <QtTest>

using namespace Qt::StringLiterals;

// Whole datagrams through the decoder: which fields it takes and what they
// say; the RSSI's way from byte to meter; and the number converter every
// byte goes through, in its three forms (hexadecimal, binary, value).
class TestArdixDatagramDecoder : public QObject
{
    Q_OBJECT
private slots:
    void datagrams_data();
    void datagrams();
    void oneDecoderForManyDatagrams();
    void rssiOfEveryByte();
    void meter_data();
    void meter();
    void numConversion_data();
    void numConversion();
};

namespace {

QByteArray bytes(const char *hex)
{
    return QByteArray::fromHex(QByteArray(hex).replace(' ', ""));
}

QByteArray datagram(const char *head, const char *counters = "00000000 00000000 00000000 00000000 "
                                                             "00000000 00000000 00000000 00000000")
{
    return bytes(head) + bytes(counters);
}

const char *const kOneToEight = "00000001 00000002 00000003 00000004 "
                                "00000005 00000006 00000007 00000008";
const QString kZeros = u"0 0 0 0 0 0 0 0"_s;
const QString kNone = u"- - - - - - - -"_s;

} // namespace

void TestArdixDatagramDecoder::datagrams_data()
{
    using Marker = ArdixDatagram::Marker;
    QTest::addColumn<QByteArray>("data");
    QTest::addColumn<int>("previousRssi");
    QTest::addColumn<int>("state"); // -1: not present
    QTest::addColumn<Marker>("marker");
    QTest::addColumn<int>("rssi");         // 1: not present (a decoded RSSI is never positive)
    QTest::addColumn<QString>("counters"); // "-": not present

    QTest::newRow("01 FF B5 and 32 zero bytes, nothing stored")
        << datagram("01 FF B5") << 0 << 1 << Marker::Valid << -75 << kZeros;
    QTest::newRow("the same after -80: mean -77.5 rounds to even -78")
        << datagram("01 FF B5") << -80 << 1 << Marker::Valid << -78 << kZeros;
    QTest::newRow("after -74: mean -74.5 rounds to even -74")
        << datagram("01 FF B5") << -74 << 1 << Marker::Valid << -74 << kZeros;
    QTest::newRow("state 00") << datagram("00 FF B5") << 0 << 0 << Marker::Valid << -75 << kZeros;
    QTest::newRow("state 02") << datagram("02 FF B5") << 0 << 2 << Marker::Valid << -75 << kZeros;
    QTest::newRow("RSSI byte 00 is 0 dBm")
        << datagram("01 FF 00") << 0 << 1 << Marker::Valid << 0 << kZeros;
    QTest::newRow("RSSI byte 00 is averaged in")
        << datagram("01 FF 00") << -80 << 1 << Marker::Valid << -40 << kZeros;
    QTest::newRow("RSSI byte 80 is -128 dBm")
        << datagram("01 FF 80") << 0 << 1 << Marker::Valid << -128 << kZeros;
    QTest::newRow("counters in datagram order") << datagram("01 FF B5", kOneToEight) << 0 << 1
                                                << Marker::Valid << -75 << u"1 2 3 4 5 6 7 8"_s;
    QTest::newRow("00 BC 61 4E and 00 12 D6 87, 2^31 and more stay unsigned")
        << datagram("01 FF B5", "00BC614E 0012D687 0098967F 00989680 "
                                "00E4E1C0 80000000 7FFFFFFF FFFFFFFF")
        << 0 << 1 << Marker::Valid << -75
        << u"1.234568E+07 1234567 9999999 1E+07 1.5E+07 2.147484E+09 2.147484E+09 4.294967E+09"_s;
    QTest::newRow("a 40-byte datagram decodes like its first 35 bytes")
        << datagram("01 FF B5", kOneToEight) + bytes("FF FF FF FF FF") << 0 << 1 << Marker::Valid
        << -75 << u"1 2 3 4 5 6 7 8"_s;
    QTest::newRow("a one-byte datagram is only the state")
        << bytes("01") << -80 << 1 << Marker::NotReached << 1 << kNone;
    QTest::newRow("two bytes add the marker check")
        << bytes("01 FF") << 0 << 1 << Marker::Valid << 1 << kNone;
    QTest::newRow("a counter is taken only when its last byte came")
        << bytes("01 FF B5 00000001 000000") << 0 << 1 << Marker::Valid << -75
        << u"1 - - - - - - -"_s;
    QTest::newRow("34 bytes miss the retries") << datagram("01 FF B5", kOneToEight).left(34) << 0
                                               << 1 << Marker::Valid << -75 << u"1 2 3 4 5 6 7 -"_s;
    QTest::newRow("marker FE: nothing after it is decoded")
        << datagram("01 FE B5", kOneToEight) << 0 << 1 << Marker::Invalid << 1 << kNone;
    QTest::newRow("empty datagram") << QByteArray() << 0 << -1 << Marker::NotReached << 1 << kNone;
}

void TestArdixDatagramDecoder::datagrams()
{
    QFETCH(QByteArray, data);
    QFETCH(int, previousRssi);
    QFETCH(int, state);
    QFETCH(ArdixDatagram::Marker, marker);
    QFETCH(int, rssi);
    QFETCH(QString, counters);

    ArdixDatagramDecoder decoder;
    const ArdixDatagram d = decoder.decode(data, qint16(previousRssi));

    QCOMPARE(d.state.value_or(-1), state);
    QCOMPARE(d.marker, marker);
    QCOMPARE(int(d.rssi.value_or(1)), rssi);
    QStringList decoded;
    for (const auto &c : d.counters)
        decoded << c.value_or(u"-"_s);
    QCOMPARE(decoded.join(' '), counters);
}

void TestArdixDatagramDecoder::oneDecoderForManyDatagrams()
{
    // The run's decoder keeps nothing of a datagram for the next: a short
    // datagram after a full one must not inherit its counters.
    ArdixDatagramDecoder decoder;
    const ArdixDatagram full = decoder.decode(datagram("01 FF B5", kOneToEight), 0);
    const ArdixDatagram shortOne = decoder.decode(bytes("00 FF C4 000000"), *full.rssi);
    QCOMPARE(shortOne.state.value_or(-1), 0);
    QCOMPARE(int(*shortOne.rssi), -68); // the mean -67.5 goes to the even neighbour
    for (const auto &c : shortOne.counters)
        QVERIFY(!c.has_value());
}

void TestArdixDatagramDecoder::rssiOfEveryByte()
{
    // The two's complement path must agree with plain arithmetic for every
    // byte: b - 256 from 1 to 255, and 0 for 0.
    NumConversion n;
    for (int b = 0; b < 256; ++b) {
        n.setDeciNum(float(b));
        const int expected = b == 0 ? 0 : b - 256;
        QVERIFY2(DataProcessingOps::DecodeRSSI(n) == expected, qPrintable(QString::number(b)));
    }
}

void TestArdixDatagramDecoder::meter_data()
{
    QTest::addColumn<int>("rssi");
    QTest::addColumn<double>("meter");

    QTest::newRow("stronger than -60 dBm is full") << -59 << 100.0;
    QTest::newRow("-75 dBm") << -75 << 62.5;
    QTest::newRow("-99 dBm") << -99 << 2.5;
    QTest::newRow("-100 dBm is empty") << -100 << 0.0;
    QTest::newRow("-128 dBm is empty") << -128 << 0.0;
}

void TestArdixDatagramDecoder::meter()
{
    QFETCH(int, rssi);
    QFETCH(double, meter);
    QCOMPARE(DataProcessingOps::meterValueForRssi(qint16(rssi)), meter);
}

void TestArdixDatagramDecoder::numConversion_data()
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

void TestArdixDatagramDecoder::numConversion()
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

QTEST_APPLESS_MAIN(TestArdixDatagramDecoder)
#include "tst_ardixdatagramdecoder.moc"
