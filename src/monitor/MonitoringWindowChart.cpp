// Traffic chart and View menu handlers of the monitoring window.
#include "MonitoringWindow.h"
#include "display/SignalPanel.h"
#include "display/TrafficChart.h"
#include "session/StationSession.h"

#include <QAction>
#include <QChartView>
#include <QGroupBox>
#include <QLabel>
#include <QTimer>

namespace {

// Window heights in twips by what the View menu shows.
constexpr int kHeightPlain = 2900;
constexpr int kHeightWithSnr = 3500;
constexpr int kHeightWithChart = 6435;
constexpr int kHeightWithChartAndSnr = 7000;

} // namespace

void MonitoringWindow::InitTrafficChart()
{
    m_session.traffic.clear();
    TrafficChart::InitTrafficChart(TrafficChart, m_session.traffic, m_session.monitor);
}

void MonitoringWindow::ChartTimer_Timer()
{
    TrafficChart::UpdateTrafficChart(TrafficChart, ChartTimer->interval(), m_session.traffic,
                                     m_session.link, m_session.monitor);
}

void MonitoringWindow::Traffic_History_Chart_Click()
{
    const bool snrShown = m_session.monitor.snrBarShown;
    if (m_session.monitor.trafficViewState == 1) {
        m_session.monitor.trafficViewState = 2;
        Traffic_History_Chart->setChecked(true);
        TrafficChart->show();
        Frame1->show();
        setWindowHeightTwips(snrShown ? kHeightWithChartAndSnr : kHeightWithChart);
    } else {
        m_session.monitor.trafficViewState = 1;
        Traffic_History_Chart->setChecked(false);
        TrafficChart->hide();
        Frame1->hide();
        setWindowHeightTwips(snrShown ? kHeightWithSnr : kHeightPlain);
    }
}

void MonitoringWindow::ViewSNR_Click()
{
    const bool chartShown = Traffic_History_Chart->isChecked();
    const QList<QWidget *> snrGroup = snrPanel->controls();
    if (m_session.monitor.snrBarShown) {
        for (QWidget *w : snrGroup)
            w->hide();
        ViewSNR->setChecked(false);
        m_session.monitor.snrBarShown = false;
        snrPanel->hide();
        setWindowHeightTwips(chartShown ? kHeightWithChart : kHeightPlain);
    } else {
        snrPanel->show();
        for (QWidget *w : snrGroup)
            w->show();
        ViewSNR->setChecked(true);
        m_session.monitor.snrBarShown = true;
        setWindowHeightTwips(chartShown ? kHeightWithChartAndSnr : kHeightWithSnr);
    }
}
