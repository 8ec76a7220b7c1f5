#include "snmp/VeltoStartRules.h"

#include <QtTest>

using namespace VeltoStartRules;

class TestVeltoStartRules : public QObject
{
    Q_OBJECT
private slots:
    void thresholds_data();
    void thresholds();
    void firmware_data();
    void firmware();
};

void TestVeltoStartRules::thresholds_data()
{
    // One answer read as the RSSI threshold and as the SNR threshold.
    QTest::addColumn<QString>("answer");
    QTest::addColumn<int>("rssi");
    QTest::addColumn<int>("snr");
    QTest::addColumn<int>("snrBar");
    QTest::newRow("-85") << "-85" << 85 << 30 << 79;
    QTest::newRow("-45: RSSI raised to 61") << "-45" << 61 << 30 << 79;
    QTest::newRow("-60: RSSI raised to 61") << "-60" << 61 << 30 << 79;
    QTest::newRow("-61") << "-61" << 61 << 30 << 79;
    QTest::newRow("-110: RSSI cut to 100") << "-110" << 100 << 30 << 79;
    QTest::newRow("without minus") << "90" << 90 << 30 << 79;
    QTest::newRow("half rounds to even") << "-85.5" << 86 << 30 << 79;
    QTest::newRow("huge is cut, no overflow") << "-99999999" << 100 << 30 << 79;
    QTest::newRow("0") << "0" << 0 << 10 << 0;
    QTest::newRow("empty reads 0") << "" << 0 << 10 << 0;
    QTest::newRow("5: SNR raised to 10") << "5" << 61 << 10 << 0;
    QTest::newRow("16") << "16" << 61 << 16 << 24;
    QTest::newRow("20: bar 39.5 rounds to 40") << "20" << 61 << 20 << 40;
    QTest::newRow("41: SNR cut to 30") << "41" << 61 << 30 << 79;
}

void TestVeltoStartRules::thresholds()
{
    QFETCH(QString, answer);
    QFETCH(int, rssi);
    QFETCH(int, snr);
    QFETCH(int, snrBar);
    QCOMPARE(int(rssiThresholdFromText(answer)), rssi);
    QCOMPARE(int(snrThresholdFromText(answer)), snr);
    QCOMPARE(int(snrThresholdBar(qint16(snr))), snrBar);
}

void TestVeltoStartRules::firmware_data()
{
    QTest::addColumn<QString>("answer");
    QTest::addColumn<bool>("passes");
    QTest::addColumn<QString>("entry14"); // the extended-feature answer
    QTest::addColumn<bool>("newLogin");
    QTest::addColumn<QString>("version");
    QTest::newRow("4.7.2 passes") << "4.7.2" << true << "0" << false << "472";
    QTest::newRow("4.7.1 with entry 14 at 0") << "4.7.1" << false << "0" << false << "471";
    QTest::newRow("4.7.1 with entry 14 failing") << "4.7.1" << false << "ERROR" << false << "471";
    QTest::newRow("4.7.1, entry 14 timed out") << "4.7.1" << true << "" << true << "471";
    QTest::newRow("4.7.1 with entry 14 at 1") << "4.7.1" << true << "1" << true << "471";
    QTest::newRow("5.7.0") << "5.7.0" << true << "0" << false << "570";
    QTest::newRow("5.7.0 extended") << "5.7.0" << true << "3" << true << "570";
    QTest::newRow("5.7.1") << "5.7.1" << true << "0" << true << "571";
    QTest::newRow("v4.8.0") << "v4.8.0" << true << "0" << false << "480";
    QTest::newRow("no dot keeps the answer") << "480" << true << "0" << false << "480";
    QTest::newRow("dot first keeps the answer") << ".4.8.0" << false << "0" << false << ".4.8.0";
    QTest::newRow("too short keeps the answer") << "4.8" << false << "0" << false << "4.8";
}

void TestVeltoStartRules::firmware()
{
    QFETCH(QString, answer);
    QFETCH(bool, passes);
    QFETCH(QString, entry14);
    QFETCH(bool, newLogin);
    QFETCH(QString, version);
    QCOMPARE(compressFirmwareVersion(answer), version);
    const bool extended = isExtendedFirmwareAnswer(entry14);
    QCOMPARE(passesFirmwareGate(firmwareNumber(version), extended), passes);
    QCOMPARE(usesNewFirmwareLogin(firmwareNumber(version), extended), newLogin);
}

QTEST_APPLESS_MAIN(TestVeltoStartRules)
#include "tst_veltostartrules.moc"
