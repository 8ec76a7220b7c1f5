#include "TrafficChart.h"

#include <QCategoryAxis>
#include <QChart>
#include <QChartView>
#include <QLineSeries>
#include <QPalette>
#include <QValueAxis>

namespace TrafficChart {

namespace {

constexpr int kRowsPerMinute = 12; // one sample every 5 s

QList<QLineSeries *> lineSeries(QChartView *view)
{
    QList<QLineSeries *> result;
    if (!view || !view->chart())
        return result;
    for (QAbstractSeries *s : view->chart()->series()) {
        if (auto *line = qobject_cast<QLineSeries *>(s))
            result << line;
    }
    return result;
}

void draw(QChartView *view, const TrafficHistory &h)
{
    const QList<QLineSeries *> series = lineSeries(view);
    if (series.size() != 2)
        return;
    for (int s = 0; s < 2; ++s) {
        const TrafficHistory::Samples &samples = s == 0 ? h.tx() : h.rx();
        QList<QPointF> points;
        points.reserve(TrafficHistory::kChartPoints);
        for (int row = 1; row <= TrafficHistory::kChartPoints; ++row)
            points << QPointF(row - 1, samples[row - 1]);
        series[s]->replace(points);
    }
}

// The chart takes the window's palette, so it reads on a dark desktop as on
// a light one: its own themes know nothing of the desktop's colours.
void followPalette(QChart *chart, const QPalette &palette)
{
    const bool dark = palette.color(QPalette::Base).lightness() < 128;
    chart->setTheme(dark ? QChart::ChartThemeDark : QChart::ChartThemeLight);
    chart->setBackgroundBrush(palette.brush(QPalette::Base));
    chart->setBackgroundPen(palette.color(QPalette::Mid));
    chart->legend()->setLabelColor(palette.color(QPalette::Text));
    for (QAbstractAxis *axis : chart->axes()) {
        axis->setLabelsColor(palette.color(QPalette::Text));
        axis->setTitleBrush(palette.brush(QPalette::Text));
        axis->setGridLineColor(palette.color(QPalette::Mid));
    }
}

} // namespace

void InitTrafficChart(QChartView *view, const TrafficHistory &history, MonitorState &state)
{
    state.chartRestart = true;

    auto *chart = new QChart;
    chart->setObjectName(QStringLiteral("trafficChart"));
    chart->legend()->setAlignment(Qt::AlignRight);
    chart->setMargins(QMargins(4, 4, 4, 4));

    auto *transmit = new QLineSeries;
    transmit->setName(QStringLiteral("Transmit (kB/s)"));
    auto *receive = new QLineSeries;
    receive->setName(QStringLiteral("Receive (kB/s)"));
    chart->addSeries(transmit);
    chart->addSeries(receive);

    auto *minutes = new QCategoryAxis;
    minutes->setTitleText(QStringLiteral("Minutes"));
    minutes->setLabelsPosition(QCategoryAxis::AxisLabelsPositionOnValue);
    minutes->setRange(0, TrafficHistory::kChartPoints - 1);
    for (int row = 0; row < TrafficHistory::kChartPoints; row += kRowsPerMinute)
        minutes->append(QString::number(row / kRowsPerMinute), row);
    auto *percent = new QValueAxis;
    percent->setTitleText(QStringLiteral("% of link rate"));
    percent->setRange(0, 100);
    percent->setLabelFormat(QStringLiteral("%d"));
    chart->addAxis(minutes, Qt::AlignBottom);
    chart->addAxis(percent, Qt::AlignLeft);
    for (QLineSeries *s : {transmit, receive}) {
        s->attachAxis(minutes);
        s->attachAxis(percent);
    }

    followPalette(chart, view->palette());
    QChart *old = view->chart();
    view->setChart(chart);
    delete old;
    draw(view, history);
}

void UpdateTrafficChart(QChartView *view, int intervalMs, TrafficHistory &history,
                        const LinkStatistics &link, MonitorState &state)
{
    if (history.update(link.txBytes, link.rxBytes, intervalMs, link.linkRateKbps,
                       state.chartRestart))
        draw(view, history);
}

QList<double> seriesValues(QChartView *view, int series)
{
    QList<double> values;
    const QList<QLineSeries *> all = lineSeries(view);
    if (series < 0 || series >= all.size())
        return values;
    for (const QPointF &p : all[series]->points())
        values << p.y();
    return values;
}

} // namespace TrafficChart
