#include "display/TrafficHistory.h"

#include <QtTest>

namespace {

constexpr int kInterval = 5000;
constexpr int kArdixRate = 120;

// Feeds transmit counters tick by tick (receive stays empty), the first one
// as the baseline after a start, and returns the newest transmit samples.
QList<double> runTicks(TrafficHistory &h, const QStringList &txCounters, int newest)
{
    bool restart = true;
    h.clear();
    for (const QString &tx : txCounters)
        h.update(tx, QString(), kInterval, kArdixRate, restart);
    QList<double> result;
    for (int i = 0; i < newest; ++i)
        result << h.tx()[i];
    return result;
}

} // namespace

class TestTrafficHistory : public QObject
{
    Q_OBJECT
private slots:
    void samples_data();
    void samples();
    void baselineTickChangesNothing();
    void historyShiftsAndKeepsSixtyRows();
    void directionsAreIndependent();
};

void TestTrafficHistory::samples_data()
{
    QTest::addColumn<QStringList>("counters");
    QTest::addColumn<QList<double>>("expectedNewestFirst");

    // 37,500 bytes in 5 s are 60 kbit/s, half of the Ardix link rate.
    QTest::newRow("rate in percent") << QStringList{"1000", "38500"} << QList<double>{50, 0, 0};
    QTest::newRow("above the link rate repeats the previous sample")
        << QStringList{"1000", "38500", "138500"} << QList<double>{50, 50, 0};
    QTest::newRow("one quiet tick repeats, the second is 0")
        << QStringList{"1000", "38500", "38500", "38500"} << QList<double>{0, 50, 50, 0};
    QTest::newRow("a rise after one quiet tick repeats and re-bases")
        << QStringList{"1000", "38500", "38500", "76000", "113500"}
        << QList<double>{50, 50, 50, 50, 0};
    // 30,000 / 67,500 / 30,000 bytes a tick are 40 %, 90 %, 40 %.
    QTest::newRow("40, 90, 40 becomes 40, 40, 40")
        << QStringList{"1000", "31000", "98500", "128500"} << QList<double>{40, 40, 40, 0};
    QTest::newRow("empty counters repeat (0 at start)")
        << QStringList{"", "", ""} << QList<double>{0, 0, 0};
    QTest::newRow("a counter that went back holds until it passes again")
        << QStringList{"100000", "137500", "5000", "60000", "175000"}
        << QList<double>{50, 50, 50, 50, 0};
    QTest::newRow("exponent text from the datagram decoder")
        << QStringList{"1.2E+07", "1.20375E+07"} << QList<double>{50, 0};
}

void TestTrafficHistory::samples()
{
    QFETCH(QStringList, counters);
    QFETCH(QList<double>, expectedNewestFirst);
    TrafficHistory h;
    QCOMPARE(runTicks(h, counters, expectedNewestFirst.size()), expectedNewestFirst);
}

void TestTrafficHistory::baselineTickChangesNothing()
{
    TrafficHistory h;
    h.clear();
    bool restart = false;
    h.update(QStringLiteral("1000"), QStringLiteral("1000"), kInterval, kArdixRate, restart);
    h.update(QStringLiteral("38500"), QStringLiteral("38500"), kInterval, kArdixRate, restart);
    const TrafficHistory::Samples before = h.tx();

    restart = true;
    QVERIFY(!h.update(QStringLiteral("900000"), QStringLiteral("900000"), kInterval, kArdixRate,
                      restart));
    QVERIFY(!restart);
    QCOMPARE(h.tx(), before);
    // The next tick measures from the new starting point, not across the pause.
    QVERIFY(h.update(QStringLiteral("937500"), QStringLiteral("900000"), kInterval, kArdixRate,
                     restart));
    QCOMPARE(h.tx()[0], 50.0);
}

void TestTrafficHistory::historyShiftsAndKeepsSixtyRows()
{
    TrafficHistory h;
    h.clear();
    bool restart = true;
    double counter = 0;
    h.update(QString::number(counter), QString(), kInterval, kArdixRate, restart);
    for (int tick = 0; tick < 70; ++tick) {
        counter += 37500;
        h.update(QString::number(counter, 'f', 0), QString(), kInterval, kArdixRate, restart);
    }
    for (int i = 0; i < TrafficHistory::kChartPoints; ++i)
        QCOMPARE(h.tx()[i], 50.0);
}

void TestTrafficHistory::directionsAreIndependent()
{
    TrafficHistory h;
    h.clear();
    bool restart = true;
    h.update(QStringLiteral("1000"), QStringLiteral("5000"), kInterval, 256, restart);
    h.update(QStringLiteral("1000"), QStringLiteral("85000"), kInterval, 256, restart);
    QCOMPARE(h.tx()[0], 0.0);  // quiet once: repeats the 0 before it
    QCOMPARE(h.rx()[0], 50.0); // 80,000 bytes in 5 s = 128 kbit/s of 256
}

QTEST_APPLESS_MAIN(TestTrafficHistory)
#include "tst_traffichistory.moc"
