#include "MonitoringView.h"

#include "ColorBar.h"
#include "SignalMeter.h"
#include "SignalPanel.h"
#include "StationIcons.h"
#include "Twips.h"
#include "WindowFit.h"
#include "app/TextContrast.h"

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
// Window heights in twips by what the View menu shows.
constexpr int kHeightPlain = 2900;
constexpr int kHeightWithSnr = 3500;
constexpr int kHeightWithChart = 6435;
constexpr int kHeightWithChartAndSnr = 7000;

QLabel *makeLabel(QWidget *parent, const char *name, const QString &text)
{
    auto *label = WindowFit::named(new QLabel(text, parent), name);
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

QColor labelColour(const QLabel *label)
{
    return label->palette().color(QPalette::WindowText);
}

void setLabelColour(QLabel *label, const QColor &colour)
{
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, colour);
    label->setPalette(palette);
}

QString lampMeaning(int iconId)
{
    switch (Lamp(iconId)) {
    case Lamp::Associated:
        return QStringLiteral("Green: associated");
    case Lamp::Scanning:
        return QStringLiteral("Red: scanning or disconnected");
    case Lamp::Congestion:
        return QStringLiteral("Dull red: scanning because of congestion");
    case Lamp::Connecting:
        return QStringLiteral("Yellow: connecting");
    case Lamp::Disconnected:
        return QStringLiteral("Monitoring stopped");
    }
    return QString();
}

} // namespace

MonitoringView::MonitoringView(const SessionSettings &settings, LinkStatistics &link,
                               QWidget *parent)
    : QWidget(parent), m_settings(settings), m_link(link)
{
    setObjectName(QStringLiteral("monitoringArea"));
    m_rssiPanel = new SignalPanel(SignalPanel::rssi(), this);
    m_snrPanel = new SignalPanel(SignalPanel::snr(), this);
    m_snrPanel->hide(); // shown by the View menu
    SignalPanel::alignColumns({m_rssiPanel, m_snrPanel});
    buildNotice();
    buildChartFrame();

    auto *grid = new QGridLayout(this);
    const int margin = Twips::toPixels(kMarginTwips);
    grid->setContentsMargins(margin, Twips::toPixels(60), margin, margin / 2);
    grid->setVerticalSpacing(Twips::toPixels(90));
    grid->addLayout(buildStateRow(), 0, 0);
    grid->addWidget(m_rssiPanel, 1, 0);
    // The notice takes the place of the readings while there are none.
    grid->addWidget(m_notice, 1, 0, Qt::AlignHCenter | Qt::AlignTop);
    grid->addWidget(m_snrPanel, 2, 0);
    grid->addWidget(m_chartFrame, 3, 0);
    grid->setRowStretch(3, 1);
    grid->addItem(new QSpacerItem(0, 0, QSizePolicy::Minimum, QSizePolicy::Expanding), 4, 0);
    describeControls();
}

QLayout *MonitoringView::buildStateRow()
{
    m_caption = makeLabel(this, "ConnectionStatuslbl", QStringLiteral("Connection Status"));
    m_lamp = makeLabel(this, "light", QString());
    m_lamp->setFixedSize(Twips::toPixels(kLampTwips), Twips::toPixels(kLampTwips));
    m_status = makeLabel(this, "status", QStringLiteral("Scanning Due to Congestion"));
    makeBold(m_status, 1.0);
    m_lockButton = new QPushButton(QStringLiteral("&Lock Up the Screen!"), this);
    m_lockButton->setObjectName(QStringLiteral("screen_lock"));
    connect(m_lockButton, &QPushButton::clicked, this, &MonitoringView::lockRequested);

    auto *row = new QHBoxLayout;
    row->setSpacing(Twips::toPixels(60));
    row->addWidget(m_caption);
    row->addWidget(m_lamp);
    row->addWidget(m_status, 1);
    row->addWidget(m_lockButton);
    return row;
}

void MonitoringView::buildNotice()
{
    m_notice =
        makeLabel(this, "collectingDatalbl", QStringLiteral("Collecting Data Please Wait..."));
    m_notice->setAlignment(Qt::AlignCenter);
    makeBold(m_notice, 1.3);
}

void MonitoringView::buildChartFrame()
{
    m_chartFrame = new QGroupBox(QStringLiteral("Traffic History Chart"), this);
    m_chartFrame->setObjectName(QStringLiteral("Frame1"));
    // The chart's vertical axis title runs along its height: room for it,
    // and for the axis labels, whatever the font.
    QFont titleFont = m_chartFrame->font();
    titleFont.setBold(true);
    const QFontMetrics metrics(titleFont);
    m_chartFrame->setMinimumHeight(
        qMax(Twips::toPixels(kChartMinimumHeightTwips),
             metrics.horizontalAdvance(QStringLiteral("% of link rate")) + 7 * metrics.height()));
    m_chartFrame->hide(); // shown by the View menu
    m_chart = new QChartView(m_chartFrame);
    m_chart->setObjectName(QStringLiteral("TrafficChart"));
    m_chart->setRenderHint(QPainter::Antialiasing);
    auto *chartLayout = new QVBoxLayout(m_chartFrame);
    chartLayout->setContentsMargins(4, 4, 4, 4);
    chartLayout->addWidget(m_chart);
    m_chart->hide();
}

void MonitoringView::describeControls()
{
    m_caption->setAccessibleDescription(QStringLiteral("Caption of the state lamp"));
    m_lamp->setAccessibleName(QStringLiteral("Connection state lamp"));
    m_status->setAccessibleName(QStringLiteral("Connection state"));
    m_status->setAccessibleDescription(QStringLiteral("The remote's link state as last reported"));
    m_lockButton->setAccessibleDescription(
        QStringLiteral("Covers the screen until your password is typed; monitoring goes on"));
    m_notice->setAccessibleDescription(
        QStringLiteral("Shown while the window waits for the remote"));
    m_chartFrame->setAccessibleDescription(QStringLiteral("Frame of the traffic history chart"));
    m_chart->setAccessibleName(QStringLiteral("Traffic History Chart"));
    m_chart->setAccessibleDescription(QStringLiteral(
        "Transmit and receive traffic of the last minutes, in percent of the link rate"));
}

// ---------------------------------------------------------------------------
// State row

QString MonitoringView::statusText() const
{
    return m_status->text();
}

void MonitoringView::setStatusColour(const QColor &designed)
{
    const QColor background = palette().color(QPalette::Window);
    const RgbColour shade =
        TextContrast::readableShade({designed.red(), designed.green(), designed.blue()},
                                    {background.red(), background.green(), background.blue()});
    const QColor readable(shade.red, shade.green, shade.blue);
    if (labelColour(m_status) != readable)
        setLabelColour(m_status, readable);
}

void MonitoringView::showStateLook(const StateLook &look)
{
    m_status->setText(look.text);
    m_status->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    setStatusColour(QColor(look.colour.red, look.colour.green, look.colour.blue));
    showLamp(int(look.lamp));
}

void MonitoringView::showLamp(int iconId)
{
    // The poll shows the state every second; a lamp already shown stays as
    // it is. A new icon is drawn afresh into the application's pixmap cache,
    // so drawing it on every poll filled that cache with copies.
    if (iconId == m_lampIconId)
        return;
    m_lampIconId = iconId;
    auto lamp = m_lamps.find(iconId);
    if (lamp == m_lamps.end())
        lamp =
            m_lamps.insert(iconId, {StationIcons::lamp(iconId), StationIcons::lampPixmap(iconId)});
    m_lamp->setPixmap(lamp->pixmap);
    emit iconChanged(lamp->icon);
    m_lamp->setAccessibleDescription(lampMeaning(iconId));
}

void MonitoringView::centreStatus()
{
    m_status->setAlignment(Qt::AlignHCenter | Qt::AlignVCenter);
}

void MonitoringView::showDisconnected()
{
    m_status->setText(QStringLiteral("Disconnected From Radio"));
    setStatusColour(Qt::black);
    m_status->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    showLamp(int(Lamp::Disconnected));
}

// ---------------------------------------------------------------------------
// Readings and the notice in their place

void MonitoringView::setNoticeShown(bool shown)
{
    m_notice->setVisible(shown);
}

void MonitoringView::setNoticeText(const QString &text)
{
    m_notice->setText(text);
}

void MonitoringView::setReadingsShown(bool shown, bool withSnr)
{
    for (QWidget *w : m_rssiPanel->controls())
        w->setVisible(shown);
    for (QWidget *w : {m_lamp, m_status, m_caption})
        w->setVisible(shown);
    if (withSnr)
        for (QWidget *w : m_snrPanel->controls())
            w->setVisible(shown);
}

void MonitoringView::showRssiReading(double meterValue)
{
    SignalMeter *meter = m_rssiPanel->meter();
    meter->setMeterValue(meterValue);
    // The record holds negative dBm for an Ardix radio, the magnitude for a Velto.
    const int rssi = m_link.rssi;
    if (rssi == 0)
        meter->clearReading();
    else
        meter->setReading(rssi < 0 ? rssi : -rssi);
}

void MonitoringView::showSnrReading(double meterValue)
{
    m_snrPanel->meter()->setMeterValue(meterValue);
    m_snrPanel->meter()->setReading(m_link.snr);
}

void MonitoringView::clearRssiReading()
{
    m_rssiPanel->meter()->setMeterValue(0);
    m_rssiPanel->meter()->clearReading();
}

void MonitoringView::clearReadings()
{
    for (SignalPanel *panel : {m_rssiPanel, m_snrPanel}) {
        panel->meter()->setMeterValue(0);
        panel->meter()->clearReading();
    }
}

void MonitoringView::setSnrPanelShown(bool shown)
{
    if (shown)
        m_snrPanel->show();
    for (QWidget *w : m_snrPanel->controls())
        w->setVisible(shown);
    if (!shown)
        m_snrPanel->hide();
}

void MonitoringView::setChartFrameShown(bool shown)
{
    m_chart->setVisible(shown);
    m_chartFrame->setVisible(shown);
}

void MonitoringView::setChartShown(bool shown)
{
    m_chart->setVisible(shown);
}

int MonitoringView::windowHeightTwips(bool snrShown, bool chartShown)
{
    if (chartShown)
        return snrShown ? kHeightWithChartAndSnr : kHeightWithChart;
    return snrShown ? kHeightWithSnr : kHeightPlain;
}

// ---------------------------------------------------------------------------
// Colour scales

ColorBar *MonitoringView::colorBar(int selector)
{
    const bool rssi = selector == ColorBarModel::Rssi;
    ColorBar *&bar = rssi ? m_rssiBar : m_snrBar;
    if (!bar) {
        QFrame *frame = (rssi ? m_rssiPanel : m_snrPanel)->scaleFrame();
        bar = new ColorBar(ColorBarModel::Selector(selector), m_settings, m_link, frame);
        bar->setObjectName(rssi ? QStringLiteral("RssiColorBar") : QStringLiteral("SNRColorBar"));
        auto *layout = new QHBoxLayout(frame);
        layout->setContentsMargins(0, 0, 0, 0);
        layout->addWidget(bar);
    }
    return bar;
}

void MonitoringView::InitColorBar(int selector)
{
    if (selector != ColorBarModel::Rssi && selector != ColorBarModel::Snr)
        return;
    ColorBar *bar = colorBar(selector);
    // Shown when values arrive, or when the operator asks for the SNR view.
    bar->parentWidget()->hide();
    bar->model().InitColorBar();
    bar->update();
}

void MonitoringView::UpdateColorBar(int selector)
{
    if (selector != ColorBarModel::Rssi && selector != ColorBarModel::Snr)
        return;
    ColorBar *bar = colorBar(selector);
    // An Ardix radio asks for the scale with every reading, but the scale only
    // follows the threshold: a scale that came out the same is not drawn again.
    const auto before = bar->model().cells();
    bar->model().UpdateColorBar();
    if (bar->model().cells() != before)
        bar->update();
}

void MonitoringView::updateScales()
{
    UpdateColorBar(ColorBarModel::Rssi);
    UpdateColorBar(ColorBarModel::Snr);
}

#include "moc_MonitoringView.cpp"
