#include "stream/ArdixDatagramDecoder.h"

#include <QtTest>

// Whole datagrams through the decoder: which fields it takes and what they say.
class TestArdixDatagramDecoder : public QObject
{
    Q_OBJECT
private slots:
    void datagrams_data();
    void datagrams();
    void oneDecoderForManyDatagrams();
};

namespace {

QByteArray bytes(const char *hex)
{
    return QByteArray::fromHex(QByteArray(hex).replace(' ', ""));
}

const char *const kZeroCounters = "00000000 00000000 00000000 00000000 "
                                  "00000000 00000000 00000000 00000000";

QByteArray datagram(const char *head, const char *counters = kZeroCounters)
{
    return bytes(head) + bytes(counters);
}

QStringList allCounters(const QString &text)
{
    return QStringList(ArdixDatagram::CounterCount, text);
}

} // namespace

void TestArdixDatagramDecoder::datagrams_data()
{
    using Marker = ArdixDatagram::Marker;
    QTest::addColumn<QByteArray>("data");
    QTest::addColumn<int>("previousRssi");
    QTest::addColumn<int>("state"); // -1: not present
    QTest::addColumn<Marker>("marker");
    QTest::addColumn<int>("rssi");             // 1: not present (a decoded RSSI is never positive)
    QTest::addColumn<QStringList>("counters"); // empty text: not present
    QTest::addColumn<int>("fields");

    QTest::newRow("01 FF B5 and 32 zero bytes, nothing stored")
        << datagram("01 FF B5") << 0 << 1 << Marker::Valid << -75 << allCounters("0") << 11;
    QTest::newRow("the same after -80 is smoothed to -78")
        << datagram("01 FF B5") << -80 << 1 << Marker::Valid << -78 << allCounters("0") << 11;
    QTest::newRow("state 00 is read as 0")
        << datagram("00 FF B5") << 0 << 0 << Marker::Valid << -75 << allCounters("0") << 11;
    QTest::newRow("state 02 is read as 2")
        << datagram("02 FF B5") << 0 << 2 << Marker::Valid << -75 << allCounters("0") << 11;
    QTest::newRow("RSSI byte 00 is 0 dBm")
        << datagram("01 FF 00") << 0 << 1 << Marker::Valid << 0 << allCounters("0") << 11;
    QTest::newRow("RSSI byte FF is -1 dBm")
        << datagram("01 FF FF") << 0 << 1 << Marker::Valid << -1 << allCounters("0") << 11;
    QTest::newRow("RSSI byte 80 is -128 dBm")
        << datagram("01 FF 80") << 0 << 1 << Marker::Valid << -128 << allCounters("0") << 11;
    QTest::newRow("counters in datagram order")
        << datagram("01 FF B5", "00000001 00000002 00000003 00000004 "
                                "00000005 00000006 00000007 00000008")
        << 0 << 1 << Marker::Valid << -75 << QStringList{"1", "2", "3", "4", "5", "6", "7", "8"}
        << 11;
    QTest::newRow("00 BC 61 4E and 00 12 D6 87")
        << datagram("01 FF B5", "00BC614E 0012D687 00000000 00000000 "
                                "00000000 00000000 00000000 00000000")
        << 0 << 1 << Marker::Valid << -75
        << QStringList{"1.234568E+07", "1234567", "0", "0", "0", "0", "0", "0"} << 11;
    QTest::newRow("counters of 2^31 and more stay unsigned")
        << datagram("01 FF B5", "80000000 FFFFFFFF 7FFFFFFF 00989680 "
                                "00000000 00000000 00000000 00000000")
        << 0 << 1 << Marker::Valid << -75
        << QStringList{"2.147484E+09", "4.294967E+09", "2.147484E+09", "1E+07", "0", "0", "0", "0"}
        << 11;
    QTest::newRow("a 40-byte datagram decodes like its first 35 bytes")
        << datagram("01 FF B5", "00000001 00000002 00000003 00000004 "
                                "00000005 00000006 00000007 00000008") +
               bytes("FF FF FF FF FF")
        << 0 << 1 << Marker::Valid << -75 << QStringList{"1", "2", "3", "4", "5", "6", "7", "8"}
        << 11;
    QTest::newRow("a one-byte datagram is only the state")
        << bytes("01") << -80 << 1 << Marker::NotReached << 1 << allCounters(QString()) << 1;
    QTest::newRow("two bytes add the marker check")
        << bytes("01 FF") << 0 << 1 << Marker::Valid << 1 << allCounters(QString()) << 2;
    QTest::newRow("a counter is taken only when its last byte came")
        << bytes("01 FF B5 00000001 000000") << 0 << 1 << Marker::Valid << -75
        << QStringList{"1", "", "", "", "", "", "", ""} << 4;
    QTest::newRow("34 bytes miss the retries")
        << datagram("01 FF B5", "00000001 00000002 00000003 00000004 "
                                "00000005 00000006 00000007 00000008")
               .left(34)
        << 0 << 1 << Marker::Valid << -75 << QStringList{"1", "2", "3", "4", "5", "6", "7", ""}
        << 10;
    QTest::newRow("marker FE: nothing after it is decoded")
        << datagram("01 FE B5", "00000001 00000002 00000003 00000004 "
                                "00000005 00000006 00000007 00000008")
        << 0 << 1 << Marker::Invalid << 1 << allCounters(QString()) << 1;
    QTest::newRow("empty datagram")
        << QByteArray() << 0 << -1 << Marker::NotReached << 1 << allCounters(QString()) << 0;
}

void TestArdixDatagramDecoder::datagrams()
{
    QFETCH(QByteArray, data);
    QFETCH(int, previousRssi);
    QFETCH(int, state);
    QFETCH(ArdixDatagram::Marker, marker);
    QFETCH(int, rssi);
    QFETCH(QStringList, counters);
    QFETCH(int, fields);

    ArdixDatagramDecoder decoder;
    const ArdixDatagram d = decoder.decode(data, qint16(previousRssi));

    QCOMPARE(d.state.value_or(-1), state);
    QCOMPARE(d.marker, marker);
    QCOMPARE(int(d.rssi.value_or(1)), rssi);
    QCOMPARE(d.rawRssi.has_value(), d.rssi.has_value());
    QStringList decoded;
    for (const auto &c : d.counters)
        decoded << c.value_or(QString());
    QCOMPARE(decoded, counters);
    QCOMPARE(d.fieldsComplete, fields);
}

void TestArdixDatagramDecoder::oneDecoderForManyDatagrams()
{
    // The run's decoder keeps nothing of a datagram for the next: a short
    // datagram after a full one must not inherit its counters.
    ArdixDatagramDecoder decoder;
    const ArdixDatagram full =
        decoder.decode(datagram("01 FF B5", "00000001 00000002 00000003 00000004 "
                                            "00000005 00000006 00000007 00000008"),
                       0);
    QCOMPARE(full.fieldsComplete, 11);
    const ArdixDatagram shortOne = decoder.decode(bytes("00 FF C4 000000"), *full.rssi);
    QCOMPARE(shortOne.state.value_or(-1), 0);
    QCOMPARE(int(*shortOne.rawRssi), 0xC4 - 256);
    QCOMPARE(int(*shortOne.rssi), -68); // the mean -67.5 goes to the even neighbour
    for (const auto &c : shortOne.counters)
        QVERIFY(!c.has_value());
}

QTEST_APPLESS_MAIN(TestArdixDatagramDecoder)
#include "tst_ardixdatagramdecoder.moc"
