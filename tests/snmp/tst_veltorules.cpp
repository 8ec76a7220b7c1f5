// The rules that read the Velto radio's answers: at the start (thresholds,
// firmware) and in each poll (display values), and the parsing of object
// identifiers.
#include "TestSupport.h"
#include "snmp/SnmpValueText.h"
#include "snmp/VeltoPollResults.h"
#include "snmp/VeltoStartRules.h"

#include <QtTest>
#include <net-snmp/net-snmp-config.h>
#include <net-snmp/net-snmp-includes.h>

using namespace VeltoPollResults;
using namespace VeltoStartRules;

class TestVeltoRules : public QObject
{
    Q_OBJECT
private slots:
    void thresholds_data()
    {
        // One answer read as the RSSI threshold and as the SNR threshold.
        QTest::addColumn<QString>("answer");
        QTest::addColumn<int>("rssi");
        QTest::addColumn<int>("snr");
        QTest::addColumn<int>("snrBar");
        QTest::newRow("-85") << "-85" << 85 << 30 << 79;
        QTest::newRow("-60: RSSI raised to 61") << "-60" << 61 << 30 << 79;
        QTest::newRow("-110: RSSI cut to 100") << "-110" << 100 << 30 << 79;
        QTest::newRow("without minus") << "90" << 90 << 30 << 79;
        QTest::newRow("half rounds to even") << "-85.5" << 86 << 30 << 79;
        QTest::newRow("0") << "0" << 0 << 10 << 0;
        QTest::newRow("-1: RSSI raised to 61") << "-1" << 61 << 10 << 0;
        QTest::newRow("5: SNR raised to 10") << "5" << 61 << 10 << 0;
        QTest::newRow("20: bar 39.5 rounds to 40") << "20" << 61 << 20 << 40;
    }

    void thresholds()
    {
        QFETCH(QString, answer);
        QFETCH(int, snr);
        QTEST(int(rssiThresholdFromText(answer)), "rssi");
        QCOMPARE(int(snrThresholdFromText(answer)), snr);
        QTEST(int(snrThresholdBar(qint16(snr))), "snrBar");
    }

    void firmware_data()
    {
        QTest::addColumn<QString>("answer");
        QTest::addColumn<bool>("passes");
        QTest::addColumn<QString>("entry14"); // the extended-feature answer
        QTest::addColumn<bool>("newLogin");
        QTest::addColumn<QString>("version");
        QTest::newRow("4.7.2 passes") << "4.7.2" << true << "0" << false << "472";
        QTest::newRow("4.7.1 with entry 14 at 0") << "4.7.1" << false << "0" << false << "471";
        QTest::newRow("4.7.1 with entry 14 failing")
            << "4.7.1" << false << "ERROR" << false << "471";
        QTest::newRow("4.7.1, entry 14 timed out") << "4.7.1" << true << "" << true << "471";
        QTest::newRow("5.7.0") << "5.7.0" << true << "0" << false << "570";
        QTest::newRow("5.7.1") << "5.7.1" << true << "0" << true << "571";
        QTest::newRow("v4.8.0") << "v4.8.0" << true << "0" << false << "480";
        QTest::newRow("no dot keeps the answer") << "480" << true << "0" << false << "480";
        QTest::newRow("dot first keeps the answer")
            << ".4.8.0" << false << "0" << false << ".4.8.0";
        QTest::newRow("too short keeps the answer") << "4.8" << false << "0" << false << "4.8";
    }

    void firmware()
    {
        QFETCH(QString, version);
        QCOMPARE(compressFirmwareVersion(fetched<QString>("answer")), version);
        const bool extended = isExtendedFirmwareAnswer(fetched<QString>("entry14"));
        QTEST(passesFirmwareGate(firmwareNumber(version), extended), "passes");
        QTEST(usesNewFirmwareLogin(firmwareNumber(version), extended), "newLogin");
    }

    void stateRow_data()
    {
        QTest::addColumn<QString>("code");
        QTest::addColumn<bool>("newFirmware");
        QTest::addColumn<bool>("congestion");
        QTest::addColumn<StateLook>("look"); // no text: no row, the display is kept
        QTest::addColumn<bool>("noSignalTitle");
        QTest::addColumn<bool>("scanning");
        const auto row = [](const char *code, bool newer, bool congestion, const char *text,
                            RgbColour colour, Lamp lamp, bool noSignal = false,
                            bool scanning = false) {
            QTest::addRow("%s %d%d %s", code, newer, congestion, text)
                << QString::fromLatin1(code) << newer << congestion
                << StateLook{QString::fromLatin1(text), colour, lamp} << noSignal << scanning;
        };
        const RgbColour green{0, 128, 0}, yellow{192, 192, 0};
        row("4", true, false, "Connected", green, Lamp::Associated);
        row("4", false, false, "Associated", green, Lamp::Associated);
        row("5", true, false, "Associated", green, Lamp::Associated);
        row("1", true, false, "Scanning", RgbColour{255, 0, 0}, Lamp::Scanning, true, true);
        row("1", true, true, "Scanning due to Congestion", {192, 0, 0}, Lamp::Congestion, false,
            true);
        row("2", true, false, "Connecting", yellow, Lamp::Connecting);
        row("3", false, false, "Connecting", yellow, Lamp::Connecting);
        for (const char *unknown : {"", "0", "6", "05", "5"})
            row(unknown, false, false, "", {}, Lamp::Scanning);
    }

    void stateRow()
    {
        QFETCH(bool, congestion);
        QFETCH(StateLook, look);
        // The congestion lamp comes from congestion management, not from the rule.
        const std::optional<ConnectionStateRow> row = connectionStateRow(
            fetched<QString>("code"), fetched<bool>("newFirmware"),
            congestion ? QStringLiteral("Scanning due to Congestion") : QString(),
            congestion ? Lamp::Congestion : Lamp::Scanning);
        QCOMPARE(row.has_value(), !look.text.isEmpty());
        if (!row)
            return;
        QCOMPARE(row->look, look);
        QTEST(row->noSignalTitle, "noSignalTitle");
        QTEST(row->radioScanning, "scanning");
    }

    void rssi_data()
    {
        // Meter and title show the stored magnitude; the reading moves it half-way.
        QTest::addColumn<int>("stored");
        QTest::addColumn<double>("meter");
        QTest::addColumn<QString>("answer");
        QTest::addColumn<int>("next"); // -1: does not fit 16 bits
        QTest::newRow("nothing stored: the reading as it is") << 0 << 0.0 << "-85" << 85;
        QTest::newRow("42, -85: 63.5 to even") << 42 << 100.0 << "-85" << 64;
        QTest::newRow("85, -86: 85.5 to even") << 85 << 37.5 << "-86" << 86;
        QTest::newRow("120") << 120 << 0.0 << "-120" << 120;
        QTest::newRow("no minus sign") << 80 << 50.0 << "70" << 75;
        QTest::newRow("overflow") << 32000 << 0.0 << "-40000" << -1;
    }

    void rssi()
    {
        QFETCH(int, stored);
        QTEST(rssiMeterValue(qint16(stored)), "meter");
        QCOMPARE(rssiTitle(qint16(stored)),
                 stored ? QStringLiteral("-%1 dBm").arg(stored) : "0 dBm");
        QTEST(int(smoothedRssi(qint16(stored), fetched<QString>("answer")).value_or(-1)), "next");
    }

    void snr_data()
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
        QTest::newRow("negative reading held at 0") << 2 << "-30" << 0 << 0.0;
        QTest::newRow("overflow") << 30 << "70000" << -1 << 0.0;
    }

    void snr()
    {
        const qint16 next =
            smoothedSnr(qint16(fetched<int>("stored")), fetched<QString>("answer")).value_or(-1);
        QCOMPARE(int(next), fetched<int>("snr"));
        if (next >= 0)
            QVERIFY(qAbs(snrMeterValue(next) - fetched<double>("meter")) < 1e-9);
    }

    void apAddress()
    {
        QCOMPARE(apAddressFromRaw(QString::fromLatin1("\xC0\xA8\x01\x0A")), "192.168.1.10");
        QCOMPARE(apAddressFromRaw(QString::fromLatin1("\xFF")), "255");
        QCOMPARE(apAddressFromRaw(QString()), QString());
    }

    void linkRate_data()
    {
        QTest::addColumn<QString>("answer");
        QTest::addColumn<int>("kbps"); // -1: does not fit 16 bits
        QTest::newRow("1") << "1" << 256;
        QTest::newRow("2") << "2" << 512;
        QTest::newRow("after a time-out") << "" << 256;
        QTest::newRow("0.5 rounds to 0") << "0.5" << 512;
        QTest::newRow("70000") << "70000" << -1;
    }

    void linkRate() { QTEST(int(linkRateKbps(fetched<QString>("answer")).value_or(-1)), "kbps"); }

    void oidText_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QVector<quint32>>("subIds"); // empty: refused
        const auto row = [](const char *name, const QString &text,
                            const QVector<quint32> &ids = {}) {
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

    void oidText()
    {
        QTEST(SnmpValueText::parseOid(fetched<QString>("text")).value_or(QVector<quint32>{}),
              "subIds");
    }
};

QTEST_APPLESS_MAIN(TestVeltoRules)
#include "tst_veltorules.moc"
