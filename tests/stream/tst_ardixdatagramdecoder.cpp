#include "stream/ArdixDatagramDecoder.h"
#include "stream/DataProcessingOps.h"

#include <QRandomGenerator>
#include <QtTest>
#include <cmath>
#include <cstdio>

using namespace Qt::StringLiterals;

// Whole datagrams through the decoder: which fields it takes and what they
// say, checked by hand and against a plain reading of the byte layout over
// many datagrams; and the RSSI's way to the meter.
class TestArdixDatagramDecoder : public QObject
{
    Q_OBJECT
private slots:
    void datagrams_data();
    void datagrams();
    void sameAsPlainReading_data();
    void sameAsPlainReading();
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

    const ArdixDatagram d = ArdixDatagramDecoder::decode(data, qint16(previousRssi));

    QCOMPARE(d.state.value_or(-1), state);
    QCOMPARE(d.marker, marker);
    QCOMPARE(int(d.rssi.value_or(1)), rssi);
    QStringList decoded;
    for (const auto &c : d.counters)
        decoded << c.value_or(u"-"_s);
    QCOMPARE(decoded.join(' '), counters);
}

void TestArdixDatagramDecoder::sameAsPlainReading_data()
{
    QTest::addColumn<QList<QByteArray>>("corpus");
    QTest::addColumn<QList<int>>("previousReadings");

    QList<QByteArray> everyRssiByte;
    for (int b = 0; b < 256; ++b)
        everyRssiByte << datagram("01 FF 00").replace(2, 1, QByteArray(1, char(b)));
    QTest::newRow("every RSSI byte") << everyRssiByte << QList<int>{0, -1, -80, -75, -128};

    // Random lengths, mostly valid markers, counters of every magnitude.
    QRandomGenerator random(20261207);
    QList<QByteArray> corpus;
    for (int i = 0; i < 20000; ++i) {
        QByteArray d(int(random.bounded(41)), '\0');
        for (char &byte : d)
            byte = char(random.bounded(256));
        if (d.size() > 1 && random.bounded(10) > 0)
            d[1] = char(0xFF);
        for (int at = 3; at + 4 <= d.size(); at += 4)
            for (int zeros = int(random.bounded(5)), k = 0; k < zeros; ++k)
                d[at + k] = 0;
        corpus << d;
    }
    QTest::newRow("seeded random datagrams") << corpus << QList<int>{0, -40, -77, -200};
}

namespace {

// The datagram read straight from its documented layout, as text, and how
// many fields it completes.
QString plainReading(const QByteArray &d, qint16 previous)
{
    const auto byte = [&](int i) { return quint8(d[i]); };
    const int n = int(std::min<qsizetype>(d.size(), 35));
    QStringList fields;
    if (n > 0)
        fields << QString::number(byte(0));
    if (n > 1)
        fields << (byte(1) == 0xFF ? u"valid"_s : u"invalid"_s);
    if (n < 3 || byte(1) != 0xFF)
        return fields.join(' ') + u" / %1"_s.arg(std::min(n, 1 + (n > 1 && byte(1) == 0xFF)));
    const int raw = -((~byte(2) + 1) & 0xFF); // two's complement of the eight bits
    const int shown = previous == 0 ? raw : int(std::nearbyint((raw + previous) / 2.0));
    fields << QString::number(raw) << QString::number(shown);
    for (int at = 3; at + 4 <= n; at += 4) {
        char text[32];
        const quint32 counter =
            quint32(byte(at)) << 24 | byte(at + 1) << 16 | byte(at + 2) << 8 | byte(at + 3);
        std::snprintf(text, sizeof text, "%.7G", double(float(counter)));
        fields << QString::fromLatin1(text);
    }
    return fields.join(' ') + u" / %1"_s.arg(fields.size() - 1);
}

QString decodedReading(const ArdixDatagram &d)
{
    QStringList fields;
    if (d.state)
        fields << QString::number(*d.state);
    if (d.marker != ArdixDatagram::Marker::NotReached)
        fields << (d.marker == ArdixDatagram::Marker::Valid ? u"valid"_s : u"invalid"_s);
    if (d.rawRssi)
        fields << QString::number(*d.rawRssi) << QString::number(d.rssi.value_or(1));
    for (const auto &c : d.counters) {
        if (c)
            fields << *c;
    }
    return fields.join(' ') + u" / %1"_s.arg(d.fieldsComplete);
}

} // namespace

void TestArdixDatagramDecoder::sameAsPlainReading()
{
    QFETCH(QList<QByteArray>, corpus);
    QFETCH(QList<int>, previousReadings);
    for (const QByteArray &d : std::as_const(corpus)) {
        for (int previous : previousReadings) {
            const QString decoded =
                decodedReading(ArdixDatagramDecoder::decode(d, qint16(previous)));
            if (decoded != plainReading(d, qint16(previous)))
                QFAIL(qPrintable(d.toHex(' ') + u" after %1: "_s.arg(previous) + decoded));
        }
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

QTEST_APPLESS_MAIN(TestArdixDatagramDecoder)
#include "tst_ardixdatagramdecoder.moc"
