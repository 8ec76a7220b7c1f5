#include "app/AimingToneGenerator.h"
#include "app/AlignmentStatistics.h"
#include "app/FastReadingPacer.h"
#include "app/PeakHold.h"

#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>
#include <cmath>

class TestAlignmentRules : public QObject
{
    Q_OBJECT
private slots:
    void statistics_data()
    {
        QTest::addColumn<QList<double>>("readings"); // NaN stands for a reset
        QTest::addColumn<QList<double>>("currentMinMaxAverage");
        QTest::newRow("rising then falling")
            << QList<double>{-90, -60, -75} << QList<double>{-75, -90, -60, -75};
        QTest::newRow("reset forgets the extremes")
            << QList<double>{-40, -99, std::nan(""), -80, -70} << QList<double>{-70, -80, -70, -75};
        QTest::newRow("positive SNR") << QList<double>{12, 30, 0} << QList<double>{0, 0, 30, 14};
    }

    void statistics()
    {
        QFETCH(QList<double>, readings);
        QFETCH(QList<double>, currentMinMaxAverage);
        AlignmentStatistics stats;
        for (double r : readings)
            std::isnan(r) ? stats.reset() : stats.add(r);
        stats.add(std::nan("")); // a missing value changes nothing
        QCOMPARE(
            QList<double>({stats.current(), stats.minimum(), stats.maximum(), stats.average()}),
            currentMinMaxAverage);
    }

    void peakHold_data()
    {
        // Hold 2000 ms, then 5 units a second.
        QTest::addColumn<QList<QPointF>>("readingsAt"); // x: ms, y: value
        QTest::addColumn<int>("askedAtMs");
        QTest::addColumn<double>("mark");
        const QList<QPointF> peakThenDrop{{0, -60}, {100, -80}};
        QTest::newRow("held within the hold time") << peakThenDrop << 1900 << -60.0;
        QTest::newRow("sinking after the hold time") << peakThenDrop << 3000 << -65.0;
        QTest::newRow("never below the newest reading") << peakThenDrop << 60000 << -80.0;
        QTest::newRow("a reading at the sunk mark restarts the hold")
            << QList<QPointF>{{0, -60}, {100, -80}, {3000, -65}, {3100, -90}} << 4900 << -65.0;
    }

    void peakHold()
    {
        QFETCH(QList<QPointF>, readingsAt);
        QFETCH(int, askedAtMs);
        QFETCH(double, mark);
        PeakHold hold(2000, 5);
        for (const QPointF &r : readingsAt)
            hold.add(r.y(), qint64(r.x()));
        QCOMPARE(hold.mark(askedAtMs).value_or(0), mark);
        hold.reset();
        QVERIFY(!hold.mark(askedAtMs));
    }

    void tone_data()
    {
        QTest::addColumn<double>("rssiDbm");
        QTest::addColumn<double>("thresholdDbm");
        QTest::addColumn<double>("pitchHz");
        QTest::addColumn<bool>("pulsed");
        QTest::newRow("below the scale is held") << -120.0 << -95.0 << 300.0 << true;
        QTest::newRow("weak") << -90.0 << -95.0 << 500.0 << false;
        QTest::newRow("strong") << -50.0 << -95.0 << 1300.0 << false;
        QTest::newRow("above the scale is held") << -10.0 << -95.0 << 1500.0 << false;
        QTest::newRow("at the threshold is steady") << -85.0 << -85.0 << 600.0 << false;
        QTest::newRow("just under the threshold beeps") << -85.5 << -85.0 << 590.0 << true;
    }

    void tone()
    {
        QFETCH(double, rssiDbm);
        QFETCH(double, thresholdDbm);
        QFETCH(double, pitchHz);
        QFETCH(bool, pulsed);
        const AimingTonePlan::Tone tone = AimingTonePlan::toneFor(rssiDbm, thresholdDbm);
        QCOMPARE(tone.frequencyHz, pitchHz);
        QCOMPARE(tone.pulsed, pulsed);
        // Two seconds of the tone, measured by sox: a steady one at the pitch,
        // a beeping one silent about half the time.
        QTemporaryDir dir;
        const QString wav = dir.filePath("tone.wav");
        AimingToneGenerator generator;
        generator.setTone(tone);
        QVERIFY(generator.writeWav(wav, 2));
        QProcess sox;
        sox.start("sox", {wav, "-n", "stat"});
        QVERIFY2(sox.waitForFinished(10000) && sox.exitCode() == 0, "sox must be installed");
        const QString report = QString::fromLatin1(sox.readAllStandardError());
        auto figure = [&report](const char *name) {
            const QRegularExpression pattern(QLatin1String(name) +
                                             QStringLiteral(":\\s+([0-9.]+)"));
            return pattern.match(report).captured(1).toDouble();
        };
        if (!pulsed)
            QVERIFY(qAbs(figure("Rough\\s+frequency") - pitchHz) < pitchHz * 0.03);
        // A sine's RMS is 0.707 of its peak; half of the time silent gives 0.5.
        const double rmsShare = figure("RMS\\s+amplitude") / figure("Maximum\\s+amplitude");
        QVERIFY2(qAbs(rmsShare - (pulsed ? 0.5 : 0.707)) < 0.05, qPrintable(report));
    }

    void pacer_data()
    {
        // Events: "s@ms" sent, "a" answered, "t@ms" timed out, "x" abandoned.
        // Interval 250 ms, cap 1000 ms.
        QTest::addColumn<QStringList>("events");
        QTest::addColumn<int>("askedAtMs");
        QTest::addColumn<bool>("maySend");
        QTest::addColumn<int>("waitMs");
        QTest::newRow("never two out") << QStringList{"s@0"} << 5000 << false << 0;
        QTest::newRow("four a second")
            << QStringList{"s@0", "a", "s@250", "a"} << 400 << false << 100;
        QTest::newRow("slow answer: next at once") << QStringList{"s@0", "a"} << 400 << true << 0;
        QTest::newRow("time-out doubles") << QStringList{"s@0", "t@300"} << 700 << false << 100;
        QTest::newRow("time-outs stop at the cap")
            << QStringList{"s@0", "t@0", "s@500", "t@500", "s@1500", "t@1500", "s@2500", "t@2500"}
            << 3400 << false << 100;
        QTest::newRow("an answer ends the back-off")
            << QStringList{"s@0", "t@0", "s@500", "t@500", "s@1500", "a", "s@1600", "a"} << 1700
            << false << 150;
        QTest::newRow("abandoned is no time-out") << QStringList{"s@0", "x"} << 250 << true << 0;
    }

    void pacer()
    {
        QFETCH(QStringList, events);
        QFETCH(int, askedAtMs);
        QFETCH(bool, maySend);
        QFETCH(int, waitMs);
        FastReadingPacer pacer(250, 1000);
        for (const QString &e : events) {
            const qint64 at = e.section(QLatin1Char('@'), 1).toLongLong();
            if (e.startsWith(QLatin1Char('s')))
                pacer.sent(at);
            else if (e.startsWith(QLatin1Char('t')))
                pacer.timedOut(at);
            else
                e == QLatin1String("a") ? pacer.answered() : pacer.abandoned();
        }
        QCOMPARE(pacer.maySend(askedAtMs), maySend);
        if (!pacer.outstanding())
            QCOMPARE(pacer.msUntilNext(askedAtMs), waitMs);
    }
};

QTEST_GUILESS_MAIN(TestAlignmentRules)
#include "tst_alignmentrules.moc"
