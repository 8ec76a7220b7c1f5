// The radio's object identifiers and their parsing, and the rules that turn
// the Velto poll's answers into display values.
#include "snmp/OidCatalogue.h"
#include "snmp/SnmpValueText.h"
#include "snmp/VeltoPollResults.h"

#include <QtTest>
#include <net-snmp/net-snmp-config.h>
#include <net-snmp/net-snmp-includes.h>

using namespace VeltoPollResults;

class TestVeltoPollResults : public QObject
{
    Q_OBJECT
private slots:
    void lookupOid();
    void stateRow_data();
    void stateRow();
    void rssi_data();
    void rssi();
    void snr_data();
    void snr();
    void apAddress();
    void linkRate_data();
    void linkRate();
    void oidText_data();
    void oidText();
};

void TestVeltoPollResults::lookupOid()
{
    // The radio's objects, by catalogue index 1 to 14; outside it none.
    const QString radio = QStringLiteral("1.3.6.1.4.1.4130.");
    const QStringList objects{
        "1.3.6.1.2.1.2.2.1.16.3",  "1.3.6.1.2.1.2.2.1.10.3", radio + "5.2.4.0",
        radio + "5.4.1.8.0",       radio + "5.4.1.11.0",     radio + "2.1.1.2.1.1.0",
        radio + "2.1.1.2.2.4.0",   radio + "2.1.1.2.2.5.0",  radio + "2.1.1.3.2.4.0",
        radio + "2.1.1.3.2.5.0",   radio + "2.1.1.3.2.6.0",  radio + "2.1.1.3.2.7.1.0",
        radio + "2.1.1.3.2.7.3.0", radio + "2.1.1.8.5.1.0"};
    QStringList looked{LookupOid(-1), LookupOid(0), LookupOid(15)};
    for (int index = 1; index <= 14; ++index)
        looked << LookupOid(index);
    QCOMPARE(looked, QStringList(3, QStringLiteral("Invalid OID")) + objects);
}

void TestVeltoPollResults::stateRow_data()
{
    QTest::addColumn<QString>("code");
    QTest::addColumn<bool>("newFirmware");
    QTest::addColumn<bool>("congestion");
    QTest::addColumn<QString>("text"); // empty: no row, the display is kept
    QTest::addColumn<RgbColour>("colour");
    QTest::addColumn<Lamp>("lamp");
    QTest::addColumn<bool>("noSignalTitle");
    QTest::addColumn<bool>("scanning");
    const auto row = [](const char *code, bool newer, bool congestion, const char *text,
                        RgbColour colour, Lamp lamp, bool noSignal = false, bool scanning = false) {
        QTest::addRow("%s %d%d %s", code, newer, congestion, text)
            << QString::fromLatin1(code) << newer << congestion << QString::fromLatin1(text)
            << colour << lamp << noSignal << scanning;
    };
    const RgbColour green{0, 128, 0}, yellow{192, 192, 0};
    row("4", true, false, "Connected", green, Lamp::Associated);
    row("4", false, false, "Associated", green, Lamp::Associated);
    row("5", true, false, "Associated", green, Lamp::Associated);
    row("1", true, false, "Scanning", RgbColour{255, 0, 0}, Lamp::Scanning, true, true);
    row("1", true, true, "Scanning due to Congestion", {192, 0, 0}, Lamp::Congestion, false, true);
    row("2", true, false, "Connecting", yellow, Lamp::Connecting);
    row("3", false, false, "Connecting", yellow, Lamp::Connecting);
    for (const char *unknown : {"", "0", "6", "05", "5"})
        row(unknown, false, false, "", {}, Lamp::Scanning);
}

void TestVeltoPollResults::stateRow()
{
    QFETCH(QString, code);
    QFETCH(bool, newFirmware);
    QFETCH(bool, congestion);
    QFETCH(QString, text);
    // The congestion lamp comes from congestion management, not from the rule.
    const std::optional<ConnectionStateRow> row = connectionStateRow(
        code, newFirmware, congestion ? QStringLiteral("Scanning due to Congestion") : QString(),
        congestion ? Lamp::Congestion : Lamp::Scanning);
    QCOMPARE(row.has_value(), !text.isEmpty());
    if (!row)
        return;
    QFETCH(RgbColour, colour);
    QFETCH(Lamp, lamp);
    QCOMPARE(row->look, (StateLook{text, colour, lamp}));
    QTEST(row->noSignalTitle, "noSignalTitle");
    QTEST(row->radioScanning, "scanning");
}

void TestVeltoPollResults::rssi_data()
{
    // Meter and title show the stored magnitude; the reading moves it half-way.
    QTest::addColumn<int>("stored");
    QTest::addColumn<double>("meter");
    QTest::addColumn<QString>("answer");
    QTest::addColumn<int>("next"); // -1: does not fit 16 bits
    const auto row = [](const char *name, int stored, double meter, const char *answer, int next) {
        QTest::newRow(name) << stored << meter << QString::fromLatin1(answer) << next;
    };
    row("nothing stored: the reading as it is", 0, 0.0, "-85", 85);
    row("42, -85: 63.5 to even", 42, 100.0, "-85", 64);
    row("85, -86: 85.5 to even", 85, 37.5, "-86", 86);
    row("80", 80, 50.0, "-80", 80);
    row("99", 99, 2.5, "-99", 99);
    row("120", 120, 0.0, "-120", 120);
    row("no minus sign", 80, 50.0, "70", 75);
    row("time-out halves", 80, 50.0, "", 40);
    row("text after the number", 60, 100.0, "-70 dBm", 65);
    row("overflow", 32000, 0.0, "-40000", -1);
}

void TestVeltoPollResults::rssi()
{
    QFETCH(int, stored);
    QFETCH(QString, answer);
    QTEST(rssiMeterValue(qint16(stored)), "meter");
    QCOMPARE(rssiTitle(qint16(stored)), stored ? QStringLiteral("-%1 dBm").arg(stored) : "0 dBm");
    QTEST(int(smoothedRssi(qint16(stored), answer).value_or(-1)), "next");
}

void TestVeltoPollResults::snr_data()
{
    QTest::addColumn<int>("stored");
    QTest::addColumn<QString>("answer");
    QTest::addColumn<int>("snr"); // -1: does not fit 16 bits
    QTest::addColumn<double>("meter");
    const auto row = [](const char *name, int stored, const char *answer, int snr, double meter) {
        QTest::newRow(name) << stored << QString::fromLatin1(answer) << snr << meter;
    };
    row("255 is no value", 24, "255", 0, 0.0);
    row("30 and 40 held at 30", 30, "40", 30, 99.99);
    row("stored above 30 held first", 50, "20", 25, 83.325);
    row("stored below 0 held first", -8, "9", 4, 13.332);
    row("halves to even", 20, "25", 22, 73.326);
    row("time-out halves", 20, "", 10, 33.33);
    row("negative reading held at 0", 2, "-30", 0, 0.0);
    row("overflow", 30, "70000", -1, 0.0);
}

void TestVeltoPollResults::snr()
{
    QFETCH(int, stored);
    QFETCH(QString, answer);
    QFETCH(int, snr);
    QFETCH(double, meter);
    const qint16 next = smoothedSnr(qint16(stored), answer).value_or(-1);
    QCOMPARE(int(next), snr);
    if (next >= 0)
        QVERIFY(qAbs(snrMeterValue(next) - meter) < 1e-9);
}

void TestVeltoPollResults::apAddress()
{
    QCOMPARE(apAddressFromRaw(QString::fromLatin1("\xC0\xA8\x01\x0A")), "192.168.1.10");
    QCOMPARE(apAddressFromRaw(QString::fromLatin1("\xFF")), "255");
    QCOMPARE(apAddressFromRaw(QString()), QString());
}

void TestVeltoPollResults::linkRate_data()
{
    QTest::addColumn<QString>("answer");
    QTest::addColumn<int>("kbps"); // -1: does not fit 16 bits
    const auto row = [](const char *answer, int kbps) {
        QTest::newRow(answer) << QString(answer) << kbps;
    };
    row("1", 256);
    row("2", 512);
    row("", 256);    // after a time-out
    row("0.5", 512); // rounds to 0
    row("1.4", 256);
    row("70000", -1);
}

void TestVeltoPollResults::linkRate()
{
    QFETCH(QString, answer);
    QTEST(int(linkRateKbps(answer).value_or(-1)), "kbps");
}

void TestVeltoPollResults::oidText_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QVector<quint32>>("subIds"); // empty: refused
    const auto row = [](const char *name, const QString &text, const QVector<quint32> &ids = {}) {
        QTest::newRow(name) << text << ids;
    };
    row("two numbers", "1.3", {1, 3});
    row("largest sub-identifier", "1.4294967295", {1, 4294967295u});
    row("sub-identifier past 32 bits", "1.4294967296");
    for (const char *refused : {"1", "", ".1.3", "1.3.", "1..3", "1.-3", "Invalid OID"})
        row(refused, QString::fromLatin1(refused));
    QStringList parts(MAX_OID_LEN, QStringLiteral("7"));
    row("longest", parts.join(u'.'), QVector<quint32>(MAX_OID_LEN, 7));
    row("one sub-identifier too many", (parts << "7").join(u'.'));
}

void TestVeltoPollResults::oidText()
{
    QFETCH(QString, text);
    QTEST(SnmpValueText::parseOid(text).value_or(QVector<quint32>{}), "subIds");
}

QTEST_APPLESS_MAIN(TestVeltoPollResults)
#include "tst_veltopollresults.moc"
