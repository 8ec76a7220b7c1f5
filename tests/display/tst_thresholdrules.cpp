#include "display/ThresholdRules.h"

#include <QtTest>

using namespace ThresholdRules;

class TestThresholdRules : public QObject
{
    Q_OBJECT
private slots:
    void rssiEntry_data();
    void rssiEntry();
    void rssiAnswer_data();
    void rssiAnswer();
    void snrEntry_data();
    void snrEntry();
};

void TestThresholdRules::rssiEntry_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<bool>("valid");
    QTest::addColumn<int>("magnitude");

    QTest::newRow("-85") << "-85" << true << 85;
    QTest::newRow("-45 keeps 61 on the scale") << "-45" << true << 61;
    QTest::newRow("-120") << "-120" << true << 100;
    QTest::newRow("0") << "0" << true << 61;
    QTest::newRow("-85.5 rounds to even") << "-85.5" << true << 86;
    QTest::newRow("-130 is too low") << "-130" << false << 0;
    QTest::newRow("5 is above 0") << "5" << false << 0;
    QTest::newRow("letters") << "abc" << false << 0;
    QTest::newRow("empty") << "" << false << 0;
    QTest::newRow("number with letters") << "-85dBm" << false << 0;
}

void TestThresholdRules::rssiEntry()
{
    QFETCH(QString, typed);
    QFETCH(bool, valid);
    QFETCH(int, magnitude);
    QCOMPARE(isValidRssiEntry(typed), valid);
    if (valid)
        QCOMPARE(int(rssiThresholdFromEntry(typed)), magnitude);
}

void TestThresholdRules::rssiAnswer_data()
{
    QTest::addColumn<QString>("answer");
    QTest::addColumn<bool>("accepted");
    QTest::newRow("echoed value") << "-85" << true;
    QTest::newRow("zero") << "0" << true;
    QTest::newRow("error") << "ERROR" << false;
    QTest::newRow("no minus") << "85" << false;
    QTest::newRow("empty") << "" << false;
}

void TestThresholdRules::rssiAnswer()
{
    QFETCH(QString, answer);
    QFETCH(bool, accepted);
    QCOMPARE(radioAcceptedRssi(answer), accepted);
}

void TestThresholdRules::snrEntry_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<int>("sent"); // -1: refused

    QTest::newRow("12.5 is sent as 12") << "12.5" << 12;
    QTest::newRow("13.5 is sent as 14") << "13.5" << 14;
    QTest::newRow("5") << "5" << 5;
    QTest::newRow("20") << "20" << 20;
    QTest::newRow("0") << "0" << 0;
    QTest::newRow("40") << "40" << 40;
    QTest::newRow("41 is refused") << "41" << -1;
    QTest::newRow("-1 is refused") << "-1" << -1;
    QTest::newRow("letters count as 60") << "high" << -1;
    QTest::newRow("beyond 16 bits") << "99999" << -1;
}

void TestThresholdRules::snrEntry()
{
    QFETCH(QString, typed);
    QFETCH(int, sent);
    const std::optional<qint16> value = snrEntryValue(typed);
    QCOMPARE(value.has_value(), sent >= 0);
    if (value)
        QCOMPARE(int(*value), sent);
}

QTEST_APPLESS_MAIN(TestThresholdRules)
#include "tst_thresholdrules.moc"
