#include "lock/UnlockDelay.h"

#include <QtTest>
#include <climits>

class tst_UnlockDelay : public QObject
{
    Q_OBJECT

private slots:
    // One second after the first wrong password, doubling with each further
    // one, never more than half a minute.
    void afterFailures_data()
    {
        QTest::addColumn<int>("failures");
        QTest::addColumn<int>("delayMs");
        const auto row = [](int failures, int delayMs) {
            QTest::addRow("%d", failures) << failures << delayMs;
        };
        for (int none : {INT_MIN, -1, 0})
            row(none, 0);
        row(1, 1000);
        row(2, 2000);
        row(3, 4000);
        row(4, 8000);
        row(5, 16000);
        for (int capped : {6, 7, 32, 33, 64, 1000000, INT_MAX})
            row(capped, 30000);
    }

    void afterFailures()
    {
        QFETCH(int, failures);
        QFETCH(int, delayMs);
        QCOMPARE(UnlockDelay::afterFailures(failures), delayMs);
    }
};

QTEST_GUILESS_MAIN(tst_UnlockDelay)
#include "tst_UnlockDelay.moc"
