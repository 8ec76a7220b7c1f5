// The monitoring window's controls and their layout. Sizes are designed in
// twips at the design font; the layouts let a control grow when a larger
// font, scale or resolution needs more room, and the meters, scales and
// chart stretch with the window.
#include "MonitoringWindow.h"
#include "display/SignalMeter.h"
#include "display/SignalPanel.h"
#include "display/Twips.h"

#include <QChartView>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>

namespace {

constexpr int kMarginTwips = 120;
constexpr int kLampTwips = 480;
constexpr int kChartMinimumHeightTwips = 2400;

QLabel *makeLabel(QWidget *parent, const char *name, const QString &text)
{
    auto *label = new QLabel(text, parent);
    label->setObjectName(QLatin1String(name));
    // The readings hide while the waiting notice shows; the rows stay put.
    QSizePolicy policy = label->sizePolicy();
    policy.setRetainSizeWhenHidden(true);
    label->setSizePolicy(policy);
    return label;
}

void makeBold(QWidget *widget, qreal scale)
{
    QFont font = widget->font();
    font.setPointSizeF(font.pointSizeF() * scale);
    font.setBold(true);
    widget->setFont(font);
}

} // namespace

void MonitoringWindow::buildControls()
{
    auto *area = new QWidget(this);
    area->setObjectName(QStringLiteral("monitoringArea"));
    setCentralWidget(area);
    rssiPanel = new SignalPanel(SignalPanel::rssi(), area);
    snrPanel = new SignalPanel(SignalPanel::snr(), area);
    snrPanel->hide(); // shown by the View menu
    SignalPanel::alignColumns({rssiPanel, snrPanel});
    SignalStrengthlbl = rssiPanel->caption();
    SignalStrengthMeter = rssiPanel->meter();
    RssiColorBarFrame = rssiPanel->scaleFrame();
    hundredDBMlbl = rssiPanel->level(0);
    eightyDBMlbl = rssiPanel->level(1);
    sixtyDBMlbl = rssiPanel->level(2);
    SNRlbl = snrPanel->caption();
    SNRMeter = snrPanel->meter();
    SNRColorBarFrame = snrPanel->scaleFrame();
    LowSNRLabel = snrPanel->level(0);
    MidSNRLabel = snrPanel->level(1);
    HighSNRLabel = snrPanel->level(2);
    buildNotice(area);
    buildChartFrame(area);

    auto *grid = new QGridLayout(area);
    const int margin = Twips::toPixels(kMarginTwips);
    grid->setContentsMargins(margin, Twips::toPixels(60), margin, margin / 2);
    grid->setVerticalSpacing(Twips::toPixels(90));
    grid->addLayout(buildStateRow(area), 0, 0);
    grid->addWidget(rssiPanel, 1, 0);
    // The notice takes the place of the readings while there are none.
    grid->addWidget(collectingDatalbl, 1, 0, Qt::AlignHCenter | Qt::AlignTop);
    grid->addWidget(snrPanel, 2, 0);
    grid->addWidget(Frame1, 3, 0);
    grid->setRowStretch(3, 1);
    grid->addItem(new QSpacerItem(0, 0, QSizePolicy::Minimum, QSizePolicy::Expanding), 4, 0);

    buildArdixMonitor();
    describeControls();
}

QLayout *MonitoringWindow::buildStateRow(QWidget *area)
{
    ConnectionStatuslbl =
        makeLabel(area, "ConnectionStatuslbl", QStringLiteral("Connection Status"));
    light = makeLabel(area, "light", QString());
    light->setFixedSize(Twips::toPixels(kLampTwips), Twips::toPixels(kLampTwips));
    status = makeLabel(area, "status", QStringLiteral("Scanning Due to Congestion"));
    makeBold(status, 1.0);
    screen_lock = new QPushButton(QStringLiteral("&Lock Up the Screen!"), area);
    screen_lock->setObjectName(QStringLiteral("screen_lock"));
    connect(screen_lock, &QPushButton::clicked, this, &MonitoringWindow::screen_lock_Click);

    auto *row = new QHBoxLayout;
    row->setSpacing(Twips::toPixels(60));
    row->addWidget(ConnectionStatuslbl);
    row->addWidget(light);
    row->addWidget(status, 1);
    row->addWidget(screen_lock);
    return row;
}

void MonitoringWindow::buildNotice(QWidget *area)
{
    collectingDatalbl =
        makeLabel(area, "collectingDatalbl", QStringLiteral("Collecting Data Please Wait..."));
    collectingDatalbl->setAlignment(Qt::AlignCenter);
    makeBold(collectingDatalbl, 1.3);
}

void MonitoringWindow::buildChartFrame(QWidget *area)
{
    Frame1 = new QGroupBox(QStringLiteral("Traffic History Chart"), area);
    Frame1->setObjectName(QStringLiteral("Frame1"));
    // The chart's vertical axis title runs along its height: room for it,
    // and for the axis labels, whatever the font.
    QFont titleFont = Frame1->font();
    titleFont.setBold(true);
    const QFontMetrics metrics(titleFont);
    Frame1->setMinimumHeight(
        qMax(Twips::toPixels(kChartMinimumHeightTwips),
             metrics.horizontalAdvance(QStringLiteral("% of link rate")) + 7 * metrics.height()));
    Frame1->hide(); // shown by the View menu
    TrafficChart = new QChartView(Frame1);
    TrafficChart->setObjectName(QStringLiteral("TrafficChart"));
    TrafficChart->setRenderHint(QPainter::Antialiasing);
    auto *chartLayout = new QVBoxLayout(Frame1);
    chartLayout->setContentsMargins(4, 4, 4, 4);
    chartLayout->addWidget(TrafficChart);
    TrafficChart->hide();
}

void MonitoringWindow::describeControls()
{
    ConnectionStatuslbl->setAccessibleDescription(QStringLiteral("Caption of the state lamp"));
    light->setAccessibleName(QStringLiteral("Connection state lamp"));
    status->setAccessibleName(QStringLiteral("Connection state"));
    status->setAccessibleDescription(QStringLiteral("The remote's link state as last reported"));
    screen_lock->setAccessibleDescription(
        QStringLiteral("Covers the screen until your password is typed; monitoring goes on"));
    collectingDatalbl->setAccessibleDescription(
        QStringLiteral("Shown while the window waits for the remote"));
    Frame1->setAccessibleDescription(QStringLiteral("Frame of the traffic history chart"));
    TrafficChart->setAccessibleName(QStringLiteral("Traffic History Chart"));
    TrafficChart->setAccessibleDescription(QStringLiteral(
        "Transmit and receive traffic of the last minutes, in percent of the link rate"));
}
