#include "TestStation.h"
#include "display/SignalMeter.h"
#include "display/TrafficHistory.h"

#include <QAction>
#include <QChartView>
#include <QGroupBox>
#include <QLabel>
#include <QtTest>

using namespace Qt::StringLiterals;

// The traffic history behind the chart and the View menu's window heights.
class TestChartAndView : public QObject
{
    Q_OBJECT
private slots:
    void samples_data();
    void samples();
    void viewToggles();
};

void TestChartAndView::samples_data()
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
    // "|": a resume, so the next tick is a baseline that draws nothing and
    // the one after measures from there, not across the pause.
    QTest::newRow("a baseline after a resume")
        << QStringList{"1000", "38500", "|", "900000", "937500"} << QList<double>{50, 50, 0};
    QStringList steady;
    for (int tick = 0; tick <= 70; ++tick)
        steady << QString::number(tick * 37500);
    QTest::newRow("sixty rows, shifted")
        << steady << QList<double>(TrafficHistory::kChartPoints, 50.0);
}

void TestChartAndView::samples()
{
    QFETCH(QStringList, counters);
    QFETCH(QList<double>, expectedNewestFirst);

    // Transmit only; the receive counter stays put, so its quiet ticks must
    // not touch the transmit samples.
    TrafficHistory h;
    h.clear();
    bool restart = true;
    for (const QString &tx : counters) {
        if (tx == u"|") {
            restart = true;
            continue;
        }
        const bool baseline = restart; // draws nothing
        QCOMPARE(h.update(tx, u"5000"_s, 5000, 120, restart), !baseline);
    }
    QVERIFY(!restart);
    QList<double> newest(h.tx().begin(), h.tx().begin() + expectedNewestFirst.size());
    QCOMPARE(newest, expectedNewestFirst);
    QCOMPARE(*std::max_element(h.rx().begin(), h.rx().end()), 0.0);
}

// Each View entry shows or hides its part whatever the other shows, and the
// window's height follows only what is shown: more shown, taller window.
void TestChartAndView::viewToggles()
{
    TestStation station;
    MonitoringWindow form(station.session, station.windows);
    form.show();
    const QList<QWidget *> snrGroup = {form.SNRMeter,    form.SNRlbl,      form.SNRColorBarFrame,
                                       form.LowSNRLabel, form.MidSNRLabel, form.HighSNRLabel};
    // As the load leaves them.
    station.session.monitor.trafficViewState = 1;
    for (QWidget *w : snrGroup)
        w->hide();
    enum Shown
    {
        Plain = 0,
        Chart = 1,
        Snr = 2,
        Both = 3
    };
    QMap<int, int> heights{{Plain, form.height()}};
    int shown = Plain;
    // Every step between the four views, each way.
    for (QAction *click :
         {form.ViewSNR, form.Traffic_History_Chart, form.ViewSNR, form.Traffic_History_Chart,
          form.Traffic_History_Chart, form.ViewSNR, form.Traffic_History_Chart, form.ViewSNR}) {
        click->trigger();
        shown ^= click == form.ViewSNR ? Snr : Chart;
        const bool chart = shown & Chart;
        const bool snr = shown & Snr;
        QCOMPARE(int(station.session.monitor.trafficViewState), chart ? 2 : 1);
        QCOMPARE(form.Traffic_History_Chart->isChecked(), chart);
        QCOMPARE(form.TrafficChart->isVisible() && form.Frame1->isVisible(), chart);
        QCOMPARE(station.session.monitor.snrBarShown, snr);
        QCOMPARE(form.ViewSNR->isChecked(), snr);
        for (QWidget *w : snrGroup)
            QCOMPARE(w->isVisible(), snr);
        QCOMPARE(heights.value(shown, form.height()), form.height());
        heights[shown] = form.height();
    }
    QVERIFY(heights[Plain] < heights[Snr] && heights[Snr] < heights[Chart]);
    QVERIFY(heights[Chart] < heights[Both]);
}

QTEST_MAIN(TestChartAndView)
#include "tst_chartandview.moc"
