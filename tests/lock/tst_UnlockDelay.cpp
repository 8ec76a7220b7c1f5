#include "lock/UnlockDelay.h"

#include <QtTest>
#include <climits>

class tst_UnlockDelay : public QObject
{
    Q_OBJECT

private slots:
    void noWaitWithoutFailure_data()
    {
        QTest::addColumn<int>("failures");
        QTest::newRow("none") << 0;
        QTest::newRow("negative") << -1;
        QTest::newRow("most negative") << INT_MIN;
    }

    void noWaitWithoutFailure()
    {
        QFETCH(int, failures);
        QCOMPARE(UnlockDelay::afterFailures(failures), 0);
    }

    void firstWaitIsOneSecond() { QCOMPARE(UnlockDelay::afterFailures(1), 1000); }

    // Each further wrong password doubles the wait until the cap is reached;
    // from then on the wait stays at the cap.
    void doublesUpToTheCap()
    {
        int previous = UnlockDelay::afterFailures(1);
        bool capped = false;
        for (int failures = 2; failures <= 40; ++failures) {
            const int delay = UnlockDelay::afterFailures(failures);
            if (capped) {
                QCOMPARE(delay, UnlockDelay::kLongestMs);
            } else if (delay == UnlockDelay::kLongestMs) {
                QVERIFY(previous * 2 >= UnlockDelay::kLongestMs);
                capped = true;
            } else {
                QCOMPARE(delay, previous * 2);
            }
            previous = delay;
        }
        QVERIFY2(capped, "the wait reaches its cap");
    }

    void hugeCountsStayAtTheCap_data()
    {
        QTest::addColumn<int>("failures");
        QTest::newRow("32") << 32;
        QTest::newRow("33") << 33;
        QTest::newRow("64") << 64;
        QTest::newRow("a million") << 1000000;
        QTest::newRow("largest int") << INT_MAX;
    }

    void hugeCountsStayAtTheCap()
    {
        QFETCH(int, failures);
        QCOMPARE(UnlockDelay::afterFailures(failures), UnlockDelay::kLongestMs);
    }
};

QTEST_GUILESS_MAIN(tst_UnlockDelay)
#include "tst_UnlockDelay.moc"
