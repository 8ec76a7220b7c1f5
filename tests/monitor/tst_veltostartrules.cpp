#include "monitor/VeltoStartRules.h"

#include <QtTest>

using namespace VeltoStartRules;

class TestVeltoStartRules : public QObject
{
    Q_OBJECT
private slots:
    void rssiThreshold_data();
    void rssiThreshold();
    void snrThreshold_data();
    void snrThreshold();
    void firmware_data();
    void firmware();
};

void TestVeltoStartRules::rssiThreshold_data()
{
    QTest::addColumn<QString>("answer");
    QTest::addColumn<int>("magnitude");

    QTest::newRow("-85") << "-85" << 85;
    QTest::newRow("-45 is raised to 61") << "-45" << 61;
    QTest::newRow("-60 is raised to 61") << "-60" << 61;
    QTest::newRow("-61 stays") << "-61" << 61;
    QTest::newRow("-110 is cut to 100") << "-110" << 100;
    QTest::newRow("without minus") << "90" << 90;
    QTest::newRow("half rounds to even") << "-85.5" << 86;
    QTest::newRow("zero stays") << "0" << 0;
    QTest::newRow("empty answer reads 0") << "" << 0;
    QTest::newRow("huge is cut, no overflow") << "-99999999" << 100;
}

void TestVeltoStartRules::rssiThreshold()
{
    QFETCH(QString, answer);
    QFETCH(int, magnitude);
    QCOMPARE(int(rssiThresholdFromText(answer)), magnitude);
}

void TestVeltoStartRules::snrThreshold_data()
{
    QTest::addColumn<QString>("answer");
    QTest::addColumn<int>("threshold");
    QTest::addColumn<int>("bar");

    QTest::newRow("5 is raised to 10") << "5" << 10 << 0;
    QTest::newRow("20, bar 39.5 rounds to 40") << "20" << 20 << 40;
    QTest::newRow("41 is cut to 30") << "41" << 30 << 79;
    QTest::newRow("16") << "16" << 16 << 24;
    QTest::newRow("empty reads as 0, raised to 10") << "" << 10 << 0;
}

void TestVeltoStartRules::snrThreshold()
{
    QFETCH(QString, answer);
    QFETCH(int, threshold);
    QFETCH(int, bar);
    const qint16 t = snrThresholdFromText(answer);
    QCOMPARE(int(t), threshold);
    QCOMPARE(int(snrThresholdBar(t)), bar);
}

void TestVeltoStartRules::firmware_data()
{
    QTest::addColumn<QString>("answer");
    QTest::addColumn<QString>("entry14");
    QTest::addColumn<QString>("version");
    QTest::addColumn<bool>("passes");
    QTest::addColumn<bool>("newLogin");

    QTest::newRow("4.7.2 passes") << "4.7.2"
                                  << "0"
                                  << "472" << true << false;
    QTest::newRow("4.7.1 with entry 14 at 0") << "4.7.1"
                                              << "0"
                                              << "471" << false << false;
    QTest::newRow("4.7.1 with entry 14 failing") << "4.7.1"
                                                 << "ERROR"
                                                 << "471" << false << false;
    QTest::newRow("4.7.1 with entry 14 timed out counts extended") << "4.7.1"
                                                                   << ""
                                                                   << "471" << true << true;
    QTest::newRow("4.7.1 with entry 14 answered") << "4.7.1"
                                                  << "1"
                                                  << "471" << true << true;
    QTest::newRow("5.7.0") << "5.7.0"
                           << "0"
                           << "570" << true << false;
    QTest::newRow("5.7.0 extended") << "5.7.0"
                                    << "3"
                                    << "570" << true << true;
    QTest::newRow("5.7.1") << "5.7.1"
                           << "0"
                           << "571" << true << true;
    QTest::newRow("v4.8.0") << "v4.8.0"
                            << "0"
                            << "480" << true << false;
    QTest::newRow("no dot keeps the answer") << "480"
                                             << "0"
                                             << "480" << true << false;
    QTest::newRow("dot first keeps the answer") << ".4.8"
                                                << "0"
                                                << ".4.8" << false << false;
    QTest::newRow("too short keeps the answer") << "4.8"
                                                << "0"
                                                << "4.8" << false << false;
}

void TestVeltoStartRules::firmware()
{
    QFETCH(QString, answer);
    QFETCH(QString, entry14);
    QFETCH(QString, version);
    QFETCH(bool, passes);
    QFETCH(bool, newLogin);

    const QString compressed = compressFirmwareVersion(answer);
    QCOMPARE(compressed, version);
    const bool extended = isExtendedFirmwareAnswer(entry14);
    const int number = firmwareNumber(compressed);
    QCOMPARE(passesFirmwareGate(number, extended), passes);
    QCOMPARE(usesNewFirmwareLogin(number, extended), newLogin);
}

QTEST_APPLESS_MAIN(TestVeltoStartRules)
#include "tst_veltostartrules.moc"
