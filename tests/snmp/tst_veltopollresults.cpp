// The OID catalogue and its parsing, and the rules that turn the Velto poll's
// answers into display values.
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
    void lookupOid_data();
    void lookupOid();
    void stateRow_data();
    void stateRow();
    void rssi_data();
    void rssi();
    void snr_data();
    void snr();
    void apAddress_data();
    void apAddress();
    void linkRate_data();
    void linkRate();
    void oidText_data();
    void oidText();
};

void TestVeltoPollResults::lookupOid_data()
{
    QTest::addColumn<int>("index");
    QTest::addColumn<QString>("oid");
    const char *catalogue[] = {
        "1.3.6.1.2.1.2.2.1.16.3",           "1.3.6.1.2.1.2.2.1.10.3",
        "1.3.6.1.4.1.4130.5.2.4.0",         "1.3.6.1.4.1.4130.5.4.1.8.0",
        "1.3.6.1.4.1.4130.5.4.1.11.0",      "1.3.6.1.4.1.4130.2.1.1.2.1.1.0",
        "1.3.6.1.4.1.4130.2.1.1.2.2.4.0",   "1.3.6.1.4.1.4130.2.1.1.2.2.5.0",
        "1.3.6.1.4.1.4130.2.1.1.3.2.4.0",   "1.3.6.1.4.1.4130.2.1.1.3.2.5.0",
        "1.3.6.1.4.1.4130.2.1.1.3.2.6.0",   "1.3.6.1.4.1.4130.2.1.1.3.2.7.1.0",
        "1.3.6.1.4.1.4130.2.1.1.3.2.7.3.0", "1.3.6.1.4.1.4130.2.1.1.8.5.1.0"};
    for (int index = 1; index <= 14; ++index)
        QTest::addRow("%d", index) << index << QString::fromLatin1(catalogue[index - 1]);
    for (int outside : {-1, 0, 15})
        QTest::addRow("%d", outside) << outside << "Invalid OID";
}

void TestVeltoPollResults::lookupOid()
{
    QFETCH(int, index);
    QFETCH(QString, oid);
    QCOMPARE(LookupOid(index), oid);
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
    const RgbColour green{0, 128, 0}, yellow{192, 192, 0};
    QTest::newRow("4 newer: connected")
        << "4" << true << false << "Connected" << green << Lamp::Associated << false << false;
    QTest::newRow("4 older: associated")
        << "4" << false << false << "Associated" << green << Lamp::Associated << false << false;
    QTest::newRow("5 newer: associated")
        << "5" << true << false << "Associated" << green << Lamp::Associated << false << false;
    QTest::newRow("1 plain scanning") << "1" << true << false << "Scanning" << RgbColour{255, 0, 0}
                                      << Lamp::Scanning << true << true;
    QTest::newRow("1 congestion keeps the title")
        << "1" << true << true << "Scanning due to Congestion" << RgbColour{192, 0, 0}
        << Lamp::Congestion << false << true;
    QTest::newRow("2 connecting") << "2" << true << false << "Connecting" << yellow
                                  << Lamp::Connecting << false << false;
    QTest::newRow("3 connecting") << "3" << false << false << "Connecting" << yellow
                                  << Lamp::Connecting << false << false;
    for (const char *unknown : {"", "0", "6", "05", "5"})
        QTest::addRow("code '%s': no row", unknown)
            << QString::fromLatin1(unknown) << false << false << "" << RgbColour{} << Lamp::Scanning
            << false << false;
}

void TestVeltoPollResults::stateRow()
{
    QFETCH(QString, code);
    QFETCH(bool, newFirmware);
    QFETCH(bool, congestion);
    QFETCH(QString, text);
    QFETCH(RgbColour, colour);
    QFETCH(Lamp, lamp);
    QFETCH(bool, noSignalTitle);
    QFETCH(bool, scanning);
    // The congestion lamp comes from congestion management, not from the rule.
    const std::optional<ConnectionStateRow> row = connectionStateRow(
        code, newFirmware, congestion ? QString::fromLatin1(kCongestionText) : QString(),
        congestion ? Lamp::Congestion : Lamp::Scanning);
    QCOMPARE(row.has_value(), !text.isEmpty());
    if (!row)
        return;
    QCOMPARE(row->look, (StateLook{text, colour, lamp}));
    QCOMPARE(row->noSignalTitle, noSignalTitle);
    QCOMPARE(row->radioScanning, scanning);
}

void TestVeltoPollResults::rssi_data()
{
    // Meter and title show the stored magnitude; the reading moves it half-way.
    QTest::addColumn<int>("stored");
    QTest::addColumn<double>("meter");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("answer");
    QTest::addColumn<int>("next"); // -1: does not fit 16 bits
    QTest::newRow("nothing stored: -85 taken as it is") << 0 << 0.0 << "0 dBm"
                                                        << "-85" << 85;
    QTest::newRow("42, -85: 63.5 to even") << 42 << 100.0 << "-42 dBm"
                                           << "-85" << 64;
    QTest::newRow("85, -86: 85.5 to even") << 85 << 37.5 << "-85 dBm"
                                           << "-86" << 86;
    QTest::newRow("85, -87") << 85 << 37.5 << "-85 dBm"
                             << "-87" << 86;
    QTest::newRow("80") << 80 << 50.0 << "-80 dBm"
                        << "-80" << 80;
    QTest::newRow("61") << 61 << 97.5 << "-61 dBm"
                        << "-61" << 61;
    QTest::newRow("60") << 60 << 100.0 << "-60 dBm"
                        << "-60" << 60;
    QTest::newRow("99") << 99 << 2.5 << "-99 dBm"
                        << "-99" << 99;
    QTest::newRow("100") << 100 << 0.0 << "-100 dBm"
                         << "-100" << 100;
    QTest::newRow("120") << 120 << 0.0 << "-120 dBm"
                         << "-120" << 120;
    QTest::newRow("no minus sign") << 80 << 50.0 << "-80 dBm"
                                   << "70" << 75;
    QTest::newRow("time-out halves") << 80 << 50.0 << "-80 dBm"
                                     << "" << 40;
    QTest::newRow("text after the number") << 60 << 100.0 << "-60 dBm"
                                           << "-70 dBm" << 65;
    QTest::newRow("overflow") << 32000 << 0.0 << "-32000 dBm"
                              << "-40000" << -1;
}

void TestVeltoPollResults::rssi()
{
    QFETCH(int, stored);
    QFETCH(double, meter);
    QFETCH(QString, title);
    QFETCH(QString, answer);
    QFETCH(int, next);
    QCOMPARE(rssiMeterValue(qint16(stored)), meter);
    QCOMPARE(rssiTitle(qint16(stored)), title);
    QCOMPARE(int(smoothedRssi(qint16(stored), answer).value_or(-1)), next);
}

void TestVeltoPollResults::snr_data()
{
    QTest::addColumn<int>("stored");
    QTest::addColumn<QString>("answer");
    QTest::addColumn<int>("snr"); // -1: does not fit 16 bits
    QTest::addColumn<double>("meter");
    QTest::newRow("255 is no value") << 24 << "255" << 0 << 0.0;
    QTest::newRow("30 and 40 held at 30") << 30 << "40" << 30 << 99.99;
    QTest::newRow("stored above 30 held first") << 50 << "20" << 25 << 83.325;
    QTest::newRow("stored below 0 held first") << -8 << "9" << 4 << 13.332;
    QTest::newRow("halves to even") << 20 << "25" << 22 << 73.326;
    QTest::newRow("time-out halves") << 20 << "" << 10 << 33.33;
    QTest::newRow("negative reading held at 0") << 2 << "-30" << 0 << 0.0;
    QTest::newRow("overflow") << 30 << "70000" << -1 << 0.0;
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

void TestVeltoPollResults::apAddress_data()
{
    QTest::addColumn<QString>("raw");
    QTest::addColumn<QString>("address");
    QTest::newRow("192.168.1.10") << QString::fromLatin1("\xC0\xA8\x01\x0A", 4) << "192.168.1.10";
    QTest::newRow("10.0.0.1") << QString::fromLatin1("\x0A\x00\x00\x01", 4) << "10.0.0.1";
    QTest::newRow("empty") << QString() << QString();
    QTest::newRow("one octet") << QString::fromLatin1("\xFF", 1) << "255";
}

void TestVeltoPollResults::apAddress()
{
    QFETCH(QString, raw);
    QFETCH(QString, address);
    QCOMPARE(apAddressFromRaw(raw), address);
}

void TestVeltoPollResults::linkRate_data()
{
    QTest::addColumn<QString>("answer");
    QTest::addColumn<int>("kbps"); // -1: does not fit 16 bits
    QTest::newRow("1") << "1" << 256;
    QTest::newRow("2") << "2" << 512;
    QTest::newRow("empty after a time-out") << "" << 256;
    QTest::newRow("not a number") << "fast" << 256;
    QTest::newRow("0.5 rounds to 0") << "0.5" << 512;
    QTest::newRow("1.4 rounds to 1") << "1.4" << 256;
    QTest::newRow("does not fit 16 bits") << "70000" << -1;
}

void TestVeltoPollResults::linkRate()
{
    QFETCH(QString, answer);
    QFETCH(int, kbps);
    QCOMPARE(int(linkRateKbps(answer).value_or(-1)), kbps);
}

void TestVeltoPollResults::oidText_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QVector<quint32>>("subIds"); // empty: refused

    QTest::newRow("catalogue entry")
        << LookupOid(OidCatalogue::ConnectionState)
        << QVector<quint32>{1, 3, 6, 1, 4, 1, 4130, 2, 1, 1, 3, 2, 7, 1, 0};
    QTest::newRow("two numbers") << "1.3" << QVector<quint32>{1, 3};
    QTest::newRow("largest sub-identifier") << "1.4294967295" << QVector<quint32>{1, 4294967295u};
    QTest::newRow("sub-identifier past 32 bits") << "1.4294967296" << QVector<quint32>{};
    QTest::newRow("one number") << "1" << QVector<quint32>{};
    QTest::newRow("empty") << "" << QVector<quint32>{};
    QTest::newRow("leading dot") << ".1.3" << QVector<quint32>{};
    QTest::newRow("trailing dot") << "1.3." << QVector<quint32>{};
    QTest::newRow("two dots") << "1..3" << QVector<quint32>{};
    QTest::newRow("sign") << "1.-3" << QVector<quint32>{};
    QTest::newRow("not an OID") << OidCatalogue::kInvalidOid << QVector<quint32>{};
    QStringList parts(MAX_OID_LEN, QStringLiteral("7"));
    QTest::newRow("longest") << parts.join(u'.') << QVector<quint32>(MAX_OID_LEN, 7);
    parts << QStringLiteral("7");
    QTest::newRow("one sub-identifier too many") << parts.join(u'.') << QVector<quint32>{};
    parts << QStringLiteral("7");
    QTest::newRow("two too many") << parts.join(u'.') << QVector<quint32>{};
}

void TestVeltoPollResults::oidText()
{
    QFETCH(QString, text);
    QFETCH(QVector<quint32>, subIds);
    QCOMPARE(SnmpValueText::parseOid(text).value_or(QVector<quint32>{}), subIds);
}

QTEST_APPLESS_MAIN(TestVeltoPollResults)
#include "tst_veltopollresults.moc"
