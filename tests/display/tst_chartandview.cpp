#include "TestSupport.h"
#include "app/Records.h"
#include "app/Twips.h"
#include "display/Charting.h"
#include "display/SignalMeter.h"
#include "monitor/KavomonitoringForm.h"

#include <QAction>
#include <QCategoryAxis>
#include <QChart>
#include <QChartView>
#include <QGroupBox>
#include <QLabel>
#include <QLineSeries>
#include <QTimer>
#include <QtTest>

class TestChartAndView : public QObject
{
    Q_OBJECT
private slots:
    void trafficViewHeights_data();
    void trafficViewHeights();
    void snrViewToggle_data();
    void snrViewToggle();
    void chartIsBuiltAsDesigned();
    void chartTicksDrawSamples();
};

void TestChartAndView::trafficViewHeights_data()
{
    QTest::addColumn<int>("stateBefore");
    QTest::addColumn<bool>("snrShown");
    QTest::addColumn<int>("height");
    QTest::addColumn<int>("stateAfter");
    QTest::addColumn<bool>("chartShown");

    QTest::newRow("chart on, SNR hidden") << 1 << false << 6435 << 2 << true;
    QTest::newRow("chart on, SNR shown") << 1 << true << 7000 << 2 << true;
    QTest::newRow("chart off, SNR hidden") << 2 << false << 2900 << 1 << false;
    QTest::newRow("chart off, SNR shown") << 2 << true << 3500 << 1 << false;
}

void TestChartAndView::trafficViewHeights()
{
    TestStore store;
    QFETCH(int, stateBefore);
    QFETCH(bool, snrShown);
    QFETCH(int, height);
    QFETCH(int, stateAfter);
    QFETCH(bool, chartShown);

    KavomonitoringForm form;
    form.show();
    monitorState.trafficViewState = qint16(stateBefore);
    monitorState.snrBarShown = snrShown;
    form.Traffic_History_Chart->trigger();

    QCOMPARE(form.windowHeightTwips(), height);
    QCOMPARE(form.height(), Twips::windowHeight(height));
    QCOMPARE(int(monitorState.trafficViewState), stateAfter);
    QCOMPARE(form.Traffic_History_Chart->isChecked(), chartShown);
    QCOMPARE(form.TrafficChart->isVisible(), chartShown);
}

void TestChartAndView::snrViewToggle_data()
{
    QTest::addColumn<bool>("snrShownBefore");
    QTest::addColumn<bool>("chartChecked");
    QTest::addColumn<int>("height");
    QTest::addColumn<int>("frameTop");

    QTest::newRow("show SNR without chart") << false << false << 3500 << 3000;
    QTest::newRow("show SNR with chart") << false << true << 7000 << 3000;
    QTest::newRow("hide SNR without chart") << true << false << 2900 << 2400;
    QTest::newRow("hide SNR with chart") << true << true << 6435 << 2400;
}

void TestChartAndView::snrViewToggle()
{
    TestStore store;
    QFETCH(bool, snrShownBefore);
    QFETCH(bool, chartChecked);
    QFETCH(int, height);
    QFETCH(int, frameTop);

    KavomonitoringForm form;
    form.show();
    monitorState.snrBarShown = snrShownBefore;
    form.Traffic_History_Chart->setChecked(chartChecked);
    form.ViewSNR->trigger();

    QCOMPARE(monitorState.snrBarShown, !snrShownBefore);
    QCOMPARE(form.ViewSNR->isChecked(), !snrShownBefore);
    QCOMPARE(form.windowHeightTwips(), height);
    QCOMPARE(form.Frame1->y(), qRound(frameTop / 15.0));
    for (QWidget *w :
         {static_cast<QWidget *>(form.SNRMeter), static_cast<QWidget *>(form.SNRlbl),
          static_cast<QWidget *>(form.SNRColorBarFrame), static_cast<QWidget *>(form.LowSNRLabel),
          static_cast<QWidget *>(form.MidSNRLabel), static_cast<QWidget *>(form.HighSNRLabel)})
        QCOMPARE(w->isVisible(), !snrShownBefore);
}

void TestChartAndView::chartIsBuiltAsDesigned()
{
    TestStore store;
    KavomonitoringForm form;
    form.InitTrafficChart();
    QChart *chart = form.TrafficChart->chart();
    QCOMPARE(chart->series().size(), 2);
    QCOMPARE(chart->series().at(0)->name(), QStringLiteral("Transmit (kB/s)"));
    QCOMPARE(chart->series().at(1)->name(), QStringLiteral("Receive (kB/s)"));
    QCOMPARE(Charting::seriesValues(form.TrafficChart, 0).size(), 60);
    auto *minutes = qobject_cast<QCategoryAxis *>(chart->axes(Qt::Horizontal).value(0));
    QVERIFY(minutes);
    QCOMPARE(minutes->titleText(), QStringLiteral("Minutes"));
    QCOMPARE(minutes->categoriesLabels(), (QStringList{"0", "1", "2", "3", "4"}));
    QCOMPARE(minutes->endValue(QStringLiteral("4")), 48.0);
    QVERIFY(monitorState.chartRestart);
}

void TestChartAndView::chartTicksDrawSamples()
{
    TestStore store;
    KavomonitoringForm form;
    form.InitTrafficChart();
    linkStatistics.linkRateKbps = 120;
    linkStatistics.txBytes = QStringLiteral("1000");
    linkStatistics.rxBytes = QStringLiteral("2000");

    form.ChartTimer_Timer(); // baseline after the start: nothing drawn
    QVERIFY(!monitorState.chartRestart);
    QCOMPARE(Charting::seriesValues(form.TrafficChart, 0).value(0), 0.0);

    linkStatistics.txBytes = QStringLiteral("38500");
    linkStatistics.rxBytes = QStringLiteral("17000");
    form.ChartTimer_Timer();
    QCOMPARE(Charting::seriesValues(form.TrafficChart, 0).value(0), 50.0);
    QCOMPARE(Charting::seriesValues(form.TrafficChart, 1).value(0), 20.0);

    // A resume makes the next tick a baseline again.
    monitorState.chartRestart = true;
    linkStatistics.txBytes = QStringLiteral("9000000");
    form.ChartTimer_Timer();
    QCOMPARE(Charting::seriesValues(form.TrafficChart, 0).value(0), 50.0);
}

QTEST_MAIN(TestChartAndView)
#include "tst_chartandview.moc"
