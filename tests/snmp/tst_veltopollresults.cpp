// The rules that turn the Velto poll's answers into display values, the OID
// catalogue and the texts the SNMP layer makes of values in both directions.
#include "snmp/OidCatalogue.h"
#include "snmp/SnmpValueText.h"
#include "snmp/VeltoPollResults.h"

#include <QtTest>
#include <net-snmp/net-snmp-config.h>
#include <net-snmp/net-snmp-includes.h>

using VeltoPollResults::RgbColour;
using Syntax = SnmpValueText::SetValue::Syntax;

class TestVeltoPollResults : public QObject
{
    Q_OBJECT
private slots:
    void lookupOid_data();
    void lookupOid();
    void connectionState_data();
    void connectionState();
    void rssiMeterAndTitle_data();
    void rssiMeterAndTitle();
    void rssiSmoothing_data();
    void rssiSmoothing();
    void rssiReachesTheScreenOneCycleLater();
    void snr_data();
    void snr();
    void apAddress_data();
    void apAddress();
    void linkRate_data();
    void linkRate();
    void setValue_data();
    void setValue();
    void answerText_data();
    void answerText();
    void oidText_data();
    void oidText();
};

void TestVeltoPollResults::lookupOid_data()
{
    QTest::addColumn<int>("index");
    QTest::addColumn<QString>("oid");
    QTest::newRow("0") << 0 << "Invalid OID";
    QTest::newRow("15") << 15 << "Invalid OID";
    QTest::newRow("-1") << -1 << "Invalid OID";
    QTest::newRow("1 tx octets") << 1 << "1.3.6.1.2.1.2.2.1.16.3";
    QTest::newRow("2 rx octets") << 2 << "1.3.6.1.2.1.2.2.1.10.3";
    QTest::newRow("3 firmware") << 3 << "1.3.6.1.4.1.4130.5.2.4.0";
    QTest::newRow("4 reboot") << 4 << "1.3.6.1.4.1.4130.5.4.1.8.0";
    QTest::newRow("5 reboot value") << 5 << "1.3.6.1.4.1.4130.5.4.1.11.0";
    QTest::newRow("6 mode") << 6 << "1.3.6.1.4.1.4130.2.1.1.2.1.1.0";
    QTest::newRow("7 rssi threshold") << 7 << "1.3.6.1.4.1.4130.2.1.1.2.2.4.0";
    QTest::newRow("8 snr threshold") << 8 << "1.3.6.1.4.1.4130.2.1.1.2.2.5.0";
    QTest::newRow("9 rssi") << 9 << "1.3.6.1.4.1.4130.2.1.1.3.2.4.0";
    QTest::newRow("10 snr") << 10 << "1.3.6.1.4.1.4130.2.1.1.3.2.5.0";
    QTest::newRow("11 link rate") << 11 << "1.3.6.1.4.1.4130.2.1.1.3.2.6.0";
    QTest::newRow("12 state") << 12 << "1.3.6.1.4.1.4130.2.1.1.3.2.7.1.0";
    QTest::newRow("13 access point") << 13 << "1.3.6.1.4.1.4130.2.1.1.3.2.7.3.0";
    QTest::newRow("14 features") << 14 << "1.3.6.1.4.1.4130.2.1.1.8.5.1.0";
}

void TestVeltoPollResults::lookupOid()
{
    QFETCH(int, index);
    QFETCH(QString, oid);
    QCOMPARE(LookupOid(index), oid);
}

void TestVeltoPollResults::connectionState_data()
{
    QTest::addColumn<QString>("code");
    QTest::addColumn<bool>("newFirmware");
    QTest::addColumn<QString>("congestion");
    QTest::addColumn<int>("scanningIcon");
    QTest::addColumn<bool>("applies");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("red");
    QTest::addColumn<int>("green");
    QTest::addColumn<int>("blue");
    QTest::addColumn<int>("icon");
    QTest::addColumn<bool>("noSignalTitle");
    QTest::addColumn<bool>("scanning");

    const QString congested = QStringLiteral("Scanning due to Congestion");
    QTest::newRow("1 plain scanning")
        << "1" << true << "" << 103 << true << "Scanning" << 255 << 0 << 0 << 103 << true << true;
    QTest::newRow("1 congestion") << "1" << true << congested << 104 << true << congested << 192
                                  << 0 << 0 << 104 << false << true;
    QTest::newRow("1 older firmware")
        << "1" << false << "" << 103 << true << "Scanning" << 255 << 0 << 0 << 103 << true << true;
    QTest::newRow("2") << "2" << true << "" << 103 << true << "Connecting" << 192 << 192 << 0 << 105
                       << false << false;
    QTest::newRow("3 older") << "3" << false << "" << 103 << true << "Connecting" << 192 << 192 << 0
                             << 105 << false << false;
    QTest::newRow("4 newer: connected") << "4" << true << "" << 103 << true << "Connected" << 0
                                        << 128 << 0 << 102 << false << false;
    QTest::newRow("4 older: associated") << "4" << false << "" << 103 << true << "Associated" << 0
                                         << 128 << 0 << 102 << false << false;
    QTest::newRow("5 newer: associated") << "5" << true << "" << 103 << true << "Associated" << 0
                                         << 128 << 0 << 102 << false << false;
    QTest::newRow("5 older: no row")
        << "5" << false << "" << 103 << false << "" << 0 << 0 << 0 << 0 << false << false;
    QTest::newRow("empty") << "" << true << "" << 103 << false << "" << 0 << 0 << 0 << 0 << false
                           << false;
    QTest::newRow("0") << "0" << true << "" << 103 << false << "" << 0 << 0 << 0 << 0 << false
                       << false;
    QTest::newRow("6") << "6" << true << "" << 103 << false << "" << 0 << 0 << 0 << 0 << false
                       << false;
    QTest::newRow("text") << "up" << true << "" << 103 << false << "" << 0 << 0 << 0 << 0 << false
                          << false;
    QTest::newRow("compared as text")
        << "05" << true << "" << 103 << false << "" << 0 << 0 << 0 << 0 << false << false;
}

void TestVeltoPollResults::connectionState()
{
    QFETCH(QString, code);
    QFETCH(bool, newFirmware);
    QFETCH(QString, congestion);
    QFETCH(int, scanningIcon);
    QFETCH(bool, applies);
    const auto row =
        VeltoPollResults::connectionStateRow(code, newFirmware, congestion, scanningIcon);
    QCOMPARE(row.has_value(), applies);
    if (!applies)
        return;
    QFETCH(QString, text);
    QFETCH(int, red);
    QFETCH(int, green);
    QFETCH(int, blue);
    QFETCH(int, icon);
    QFETCH(bool, noSignalTitle);
    QFETCH(bool, scanning);
    QCOMPARE(row->text, text);
    QCOMPARE(row->colour, (RgbColour{red, green, blue}));
    QCOMPARE(row->iconId, icon);
    QCOMPARE(row->noSignalTitle, noSignalTitle);
    QCOMPARE(row->radioScanning, scanning);
}

void TestVeltoPollResults::rssiMeterAndTitle_data()
{
    QTest::addColumn<int>("stored");
    QTest::addColumn<double>("meter");
    QTest::addColumn<QString>("title");
    QTest::newRow("80") << 80 << 50.0 << "-80 dBm";
    QTest::newRow("61") << 61 << 97.5 << "-61 dBm";
    QTest::newRow("100") << 100 << 0.0 << "-100 dBm";
    QTest::newRow("120") << 120 << 0.0 << "-120 dBm";
    QTest::newRow("60") << 60 << 100.0 << "-60 dBm";
    QTest::newRow("42") << 42 << 100.0 << "-42 dBm";
    QTest::newRow("99") << 99 << 2.5 << "-99 dBm";
    QTest::newRow("nothing known") << 0 << 0.0 << "0 dBm";
}

void TestVeltoPollResults::rssiMeterAndTitle()
{
    QFETCH(int, stored);
    QFETCH(double, meter);
    QFETCH(QString, title);
    QCOMPARE(VeltoPollResults::rssiMeterValue(qint16(stored)), meter);
    QCOMPARE(VeltoPollResults::rssiTitle(qint16(stored)), title);
}

void TestVeltoPollResults::rssiSmoothing_data()
{
    QTest::addColumn<int>("stored");
    QTest::addColumn<QString>("answer");
    QTest::addColumn<bool>("fits");
    QTest::addColumn<int>("smoothed");
    QTest::newRow("0, -85: 42.5 to even") << 0 << "-85" << true << 42;
    QTest::newRow("42, -85: 63.5 to even") << 42 << "-85" << true << 64;
    QTest::newRow("85, -86: 85.5 to even") << 85 << "-86" << true << 86;
    QTest::newRow("85, -87") << 85 << "-87" << true << 86;
    QTest::newRow("no minus sign") << 80 << "70" << true << 75;
    QTest::newRow("time-out halves") << 80 << "" << true << 40;
    QTest::newRow("text after the number") << 60 << "-70 dBm" << true << 65;
    QTest::newRow("overflow") << 32000 << "-40000" << false << 0;
}

void TestVeltoPollResults::rssiSmoothing()
{
    QFETCH(int, stored);
    QFETCH(QString, answer);
    QFETCH(bool, fits);
    const auto next = VeltoPollResults::smoothedRssi(qint16(stored), answer);
    QCOMPARE(next.has_value(), fits);
    if (fits) {
        QFETCH(int, smoothed);
        QCOMPARE(int(*next), smoothed);
    }
}

void TestVeltoPollResults::rssiReachesTheScreenOneCycleLater()
{
    // Two cycles from a stored 0, both reading -85.
    qint16 rssi = 0;
    QCOMPARE(VeltoPollResults::rssiMeterValue(rssi), 0.0);
    QCOMPARE(VeltoPollResults::rssiTitle(rssi), QStringLiteral("0 dBm"));
    rssi = *VeltoPollResults::smoothedRssi(rssi, QStringLiteral("-85"));
    QCOMPARE(rssi, qint16(42));
    QCOMPARE(VeltoPollResults::rssiMeterValue(rssi), 100.0);
    QCOMPARE(VeltoPollResults::rssiTitle(rssi), QStringLiteral("-42 dBm"));
}

void TestVeltoPollResults::snr_data()
{
    QTest::addColumn<int>("stored");
    QTest::addColumn<QString>("answer");
    QTest::addColumn<bool>("fits");
    QTest::addColumn<int>("snr");
    QTest::addColumn<double>("meter");
    QTest::newRow("255 is no value") << 24 << "255" << true << 0 << 0.0;
    QTest::newRow("30 and 40 held at 30") << 30 << "40" << true << 30 << 99.99;
    QTest::newRow("stored above 30 held first") << 50 << "20" << true << 25 << 83.325;
    QTest::newRow("stored below 0 held first") << -8 << "9" << true << 4 << 13.332;
    QTest::newRow("halves to even") << 20 << "25" << true << 22 << 73.326;
    QTest::newRow("time-out halves") << 20 << "" << true << 10 << 33.33;
    QTest::newRow("negative reading held at 0") << 2 << "-30" << true << 0 << 0.0;
    QTest::newRow("overflow") << 30 << "70000" << false << 0 << 0.0;
}

void TestVeltoPollResults::snr()
{
    QFETCH(int, stored);
    QFETCH(QString, answer);
    QFETCH(bool, fits);
    const auto next = VeltoPollResults::smoothedSnr(qint16(stored), answer);
    QCOMPARE(next.has_value(), fits);
    if (!fits)
        return;
    QFETCH(int, snr);
    QFETCH(double, meter);
    QCOMPARE(int(*next), snr);
    QVERIFY(qAbs(VeltoPollResults::snrMeterValue(*next) - meter) < 1e-9);
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
    QCOMPARE(VeltoPollResults::apAddressFromRaw(raw), address);
}

void TestVeltoPollResults::linkRate_data()
{
    QTest::addColumn<QString>("answer");
    QTest::addColumn<bool>("fits");
    QTest::addColumn<int>("kbps");
    QTest::newRow("1") << "1" << true << 256;
    QTest::newRow("2") << "2" << true << 512;
    QTest::newRow("empty after a time-out") << "" << true << 256;
    QTest::newRow("not a number") << "fast" << true << 256;
    QTest::newRow("0.5 rounds to 0") << "0.5" << true << 512;
    QTest::newRow("1.4 rounds to 1") << "1.4" << true << 256;
    QTest::newRow("does not fit 16 bits") << "70000" << false << 0;
}

void TestVeltoPollResults::linkRate()
{
    QFETCH(QString, answer);
    QFETCH(bool, fits);
    const auto rate = VeltoPollResults::linkRateKbps(answer);
    QCOMPARE(rate.has_value(), fits);
    if (fits) {
        QFETCH(int, kbps);
        QCOMPARE(int(*rate), kbps);
    }
}

void TestVeltoPollResults::setValue_data()
{
    QTest::addColumn<QVariant>("value");
    QTest::addColumn<bool>("sendable");
    QTest::addColumn<bool>("integer");
    QTest::addColumn<int>("number");
    QTest::addColumn<QByteArray>("octets");
    QTest::newRow("text -90") << QVariant(QStringLiteral("-90")) << true << true << -90
                              << QByteArray();
    QTest::newRow("empty text") << QVariant(QString()) << true << false << 0 << QByteArray();
    QTest::newRow("text 1.5 to even")
        << QVariant(QStringLiteral("1.5")) << true << true << 2 << QByteArray();
    QTest::newRow("text 2.5 to even")
        << QVariant(QStringLiteral("2.5")) << true << true << 2 << QByteArray();
    QTest::newRow("number 1") << QVariant(1) << true << true << 1 << QByteArray();
    QTest::newRow("number -0.5") << QVariant(-0.5) << true << true << 0 << QByteArray();
    QTest::newRow("text on") << QVariant(QStringLiteral("on")) << true << false << 0
                             << QByteArray("on");
    QTest::newRow("Latin-1 text") << QVariant(QStringLiteral("caf\u00e9")) << true << false << 0
                                  << QByteArray("caf\xE9");
    QTest::newRow("number with blanks")
        << QVariant(QStringLiteral(" 12 ")) << true << true << 12 << QByteArray();
    QTest::newRow("too large for 32 bits")
        << QVariant(QStringLiteral("3e9")) << false << false << 0 << QByteArray();
}

void TestVeltoPollResults::setValue()
{
    QFETCH(QVariant, value);
    QFETCH(bool, sendable);
    const auto built = SnmpValueText::setValueFor(value);
    QCOMPARE(built.has_value(), sendable);
    if (!sendable)
        return;
    QFETCH(bool, integer);
    QFETCH(int, number);
    QFETCH(QByteArray, octets);
    QCOMPARE(built->syntax == Syntax::Integer, integer);
    if (integer)
        QCOMPARE(built->integer, number);
    else
        QCOMPARE(built->octets, octets);
}

void TestVeltoPollResults::answerText_data()
{
    QTest::addColumn<int>("type");
    QTest::addColumn<QByteArray>("value");
    QTest::addColumn<QString>("text");

    auto number = [](long v) { return QByteArray(reinterpret_cast<const char *>(&v), sizeof v); };
    const oid answeredOid[] = {1, 3, 6, 1, 4, 1, 4130, 5};
    QTest::newRow("INTEGER -85") << int(ASN_INTEGER) << number(-85) << "-85";
    QTest::newRow("Counter32 below 2^31")
        << int(ASN_COUNTER) << number(2147483647L) << "2147483647";
    QTest::newRow("Counter32 2^31") << int(ASN_COUNTER) << number(2147483648L) << "-2147483648";
    QTest::newRow("Counter32 3000000000")
        << int(ASN_COUNTER) << number(3000000000L) << "-1294967296";
    QTest::newRow("Gauge32 max") << int(ASN_GAUGE) << number(4294967295L) << "-1";
    QTest::newRow("TimeTicks") << int(ASN_TIMETICKS) << number(12345) << "12345";
    QTest::newRow("four octets") << int(ASN_OCTET_STR) << QByteArray("\xC0\xA8\x00\x01", 4)
                                 << QString::fromLatin1("\xC0\xA8\x00\x01", 4);
    QTest::newRow("zero octets kept")
        << int(ASN_OCTET_STR) << QByteArray("a\0b", 3) << QString::fromLatin1("a\0b", 3);
    QTest::newRow("empty octet string") << int(ASN_OCTET_STR) << QByteArray() << QString();
    QTest::newRow("OBJECT IDENTIFIER")
        << int(ASN_OBJECT_ID)
        << QByteArray(reinterpret_cast<const char *>(answeredOid), sizeof answeredOid)
        << "1.3.6.1.4.1.4130.5";
    QTest::newRow("NULL") << int(ASN_NULL) << QByteArray() << "0";
    QTest::newRow("noSuchObject") << int(SNMP_NOSUCHOBJECT) << QByteArray() << "0";
    QTest::newRow("endOfMibView") << int(SNMP_ENDOFMIBVIEW) << QByteArray() << "0";
}

void TestVeltoPollResults::answerText()
{
    QFETCH(int, type);
    QFETCH(QByteArray, value);
    QFETCH(QString, text);
    const oid name[] = {1, 3, 6, 1, 4, 1, 4130, 2, 1};
    netsnmp_variable_list *list = nullptr;
    QVERIFY(snmp_varlist_add_variable(&list, name, OID_LENGTH(name), u_char(type),
                                      value.isEmpty() ? nullptr : value.constData(),
                                      size_t(value.size())));
    QCOMPARE(SnmpValueText::fromBinding(list), text);
    snmp_free_varbind(list);
}

void TestVeltoPollResults::oidText_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("valid");
    QTest::addColumn<QVector<quint32>>("subIds");

    QTest::newRow("catalogue entry")
        << LookupOid(OidCatalogue::ConnectionState) << true
        << QVector<quint32>{1, 3, 6, 1, 4, 1, 4130, 2, 1, 1, 3, 2, 7, 1, 0};
    QTest::newRow("two numbers") << "1.3" << true << QVector<quint32>{1, 3};
    QTest::newRow("largest sub-identifier")
        << "1.4294967295" << true << QVector<quint32>{1, 4294967295u};
    QTest::newRow("sub-identifier past 32 bits") << "1.4294967296" << false << QVector<quint32>{};
    QTest::newRow("long run of digits")
        << "1.99999999999999999999999" << false << QVector<quint32>{};
    QTest::newRow("one number") << "1" << false << QVector<quint32>{};
    QTest::newRow("empty") << "" << false << QVector<quint32>{};
    QTest::newRow("leading dot") << ".1.3" << false << QVector<quint32>{};
    QTest::newRow("trailing dot") << "1.3." << false << QVector<quint32>{};
    QTest::newRow("two dots") << "1..3" << false << QVector<quint32>{};
    QTest::newRow("sign") << "1.-3" << false << QVector<quint32>{};
    QTest::newRow("space") << "1. 3" << false << QVector<quint32>{};
    QTest::newRow("not an OID") << OidCatalogue::kInvalidOid << false << QVector<quint32>{};
    QVector<quint32> longest(MAX_OID_LEN, 7);
    QStringList parts(MAX_OID_LEN, QStringLiteral("7"));
    QTest::newRow("longest") << parts.join(u'.') << true << longest;
    parts << QStringLiteral("7");
    QTest::newRow("one sub-identifier too many") << parts.join(u'.') << false << QVector<quint32>{};
}

void TestVeltoPollResults::oidText()
{
    QFETCH(QString, text);
    QFETCH(bool, valid);
    QFETCH(QVector<quint32>, subIds);
    const std::optional<QVector<quint32>> parsed = SnmpValueText::parseOid(text);
    QCOMPARE(parsed.has_value(), valid);
    if (valid)
        QCOMPARE(*parsed, subIds);
}

QTEST_APPLESS_MAIN(TestVeltoPollResults)
#include "tst_veltopollresults.moc"
