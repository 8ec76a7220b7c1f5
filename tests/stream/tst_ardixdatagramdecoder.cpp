#include "stream/ArdixDatagramDecoder.h"
#include "stream/DataProcessingOps.h"

#include <QtTest>

using namespace Qt::StringLiterals;

// Whole datagrams through the decoder: which fields it takes and what they
// say; and the RSSI's way to the meter.
class TestArdixDatagramDecoder : public QObject
{
    Q_OBJECT
private slots:
    void datagrams_data();
    void datagrams();
    void meter_data();
    void meter();
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

    const auto row = [](const char *name, const QByteArray &data, int previous, int state,
                        Marker marker, int rssi, const QString &counters) {
        QTest::newRow(name) << data << previous << state << marker << rssi << counters;
    };
    const Marker valid = Marker::Valid;
    row("01 FF B5 and 32 zero bytes, nothing stored", datagram("01 FF B5"), 0, 1, valid, -75,
        kZeros);
    row("after -80: -77.5 rounds to even -78", datagram("01 FF B5"), -80, 1, valid, -78, kZeros);
    row("RSSI byte 00 is 0 dBm", datagram("01 FF 00"), 0, 1, valid, 0, kZeros);
    row("counters in datagram order", datagram("01 FF B5", kOneToEight), 0, 1, valid, -75,
        u"1 2 3 4 5 6 7 8"_s);
    row("exponent form from 10^7, halves to even; 2^31 and more stay unsigned",
        datagram("01 FF B5",
                 "00BC614E 0012D687 0098967F 00989680 00E4E1C0 80000000 00BC6141 FFFFFFFF"),
        0, 1, valid, -75,
        u"1.234568E+07 1234567 9999999 1E+07 1.5E+07 2.147484E+09 1.234566E+07 4.294967E+09"_s);
    row("40 bytes decode like their first 35",
        datagram("01 FF B5", kOneToEight) + bytes("FFFFFFFFFF"), 0, 1, valid, -75,
        u"1 2 3 4 5 6 7 8"_s);
    row("one byte is only the state", bytes("01"), -80, 1, Marker::NotReached, 1, kNone);
    row("two bytes add the marker check", bytes("01 FF"), 0, 1, valid, 1, kNone);
    row("a counter is taken once its last byte came", bytes("01 FF B5 00000001 000000"), 0, 1,
        valid, -75, u"1 - - - - - - -"_s);
    row("marker FE: nothing after it", datagram("01 FE B5", kOneToEight), 0, 1, Marker::Invalid, 1,
        kNone);
    row("empty datagram", QByteArray(), 0, -1, Marker::NotReached, 1, kNone);
}

void TestArdixDatagramDecoder::datagrams()
{
    QFETCH(QByteArray, data);
    QFETCH(int, previousRssi);
    QFETCH(int, state);
    QFETCH(ArdixDatagram::Marker, marker);
    QFETCH(int, rssi);
    QFETCH(QString, counters);

    const ArdixDatagram d = ArdixDatagramDecoder::decode(data, qint16(previousRssi));

    QCOMPARE(d.state.value_or(-1), state);
    QCOMPARE(d.marker, marker);
    QCOMPARE(int(d.rssi.value_or(1)), rssi);
    QStringList decoded;
    for (const auto &c : d.counters)
        decoded << c.value_or(u"-"_s);
    QCOMPARE(decoded.join(' '), counters);
}

void TestArdixDatagramDecoder::meter_data()
{
    QTest::addColumn<int>("rssi");
    QTest::addColumn<double>("meter");

    for (const auto &[rssi, meter] : {std::pair{-59, 100.0}, {-75, 62.5}, {-128, 0.0}})
        QTest::addRow("%d dBm", rssi) << rssi << meter;
}

void TestArdixDatagramDecoder::meter()
{
    QFETCH(int, rssi);
    QFETCH(double, meter);
    QCOMPARE(DataProcessingOps::meterValueForRssi(qint16(rssi)), meter);
}

QTEST_APPLESS_MAIN(TestArdixDatagramDecoder)
#include "tst_ardixdatagramdecoder.moc"
