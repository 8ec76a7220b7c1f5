// Display steps shared by the monitoring window's handlers: the state lamp,
// the status colour, the readings, the window's size and the colour scales.
#include "MonitoringWindow.h"
#include "app/TextContrast.h"
#include "display/ColorBar.h"
#include "display/SignalMeter.h"
#include "display/SignalPanel.h"
#include "display/StationIcons.h"
#include "display/Twips.h"
#include "session/StationSession.h"

#include <QAction>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QLayout>

namespace {

constexpr int kWindowWidthTwips = 8250;

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

QColor MonitoringWindow::labelColour(const QLabel *label)
{
    return label->palette().color(QPalette::WindowText);
}

void MonitoringWindow::setLabelColour(QLabel *label, const QColor &colour)
{
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, colour);
    label->setPalette(palette);
}

void MonitoringWindow::setStatusColour(const QColor &designed)
{
    const QColor background = palette().color(QPalette::Window);
    const RgbColour shade =
        TextContrast::readableShade({designed.red(), designed.green(), designed.blue()},
                                    {background.red(), background.green(), background.blue()});
    const QColor readable(shade.red, shade.green, shade.blue);
    if (labelColour(status) != readable)
        setLabelColour(status, readable);
}

void MonitoringWindow::showLamp(int iconId)
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
    light->setPixmap(lamp->pixmap);
    setWindowIcon(lamp->icon);
    describeLamp(iconId);
}

void MonitoringWindow::describeLamp(int iconId)
{
    light->setAccessibleDescription(lampMeaning(iconId));
}

void MonitoringWindow::showRssiReading(double meterValue)
{
    SignalStrengthMeter->setMeterValue(meterValue);
    // The record holds negative dBm for an Ardix radio, the magnitude for a Velto.
    const int rssi = m_session.link.rssi;
    if (rssi == 0)
        SignalStrengthMeter->clearReading();
    else
        SignalStrengthMeter->setReading(rssi < 0 ? rssi : -rssi);
}

void MonitoringWindow::showSnrReading(double meterValue)
{
    SNRMeter->setMeterValue(meterValue);
    SNRMeter->setReading(m_session.link.snr);
}

void MonitoringWindow::setWindowHeightTwips(int twips)
{
    m_heightTwips = twips;
    fitToContents();
}

void MonitoringWindow::fitToContents()
{
    // The designed size at the design font; a larger font or scale needs
    // more, and then the window takes what its contents need.
    // A control shown or hidden a moment ago has not been laid out yet.
    for (QLayout *l : {centralWidget()->layout(), layout()}) {
        l->invalidate();
        l->activate();
    }
    const QSize needed = minimumSizeHint();
    resize(qMax(Twips::toPixels(kWindowWidthTwips), needed.width()),
           qMax(Twips::windowHeight(m_heightTwips), needed.height()));
}

void MonitoringWindow::showDisconnectedDisplay()
{
    runStopMenu->setText(QStringLiteral("&Resume Monitoring"));
    status->setText(QStringLiteral("Disconnected From Radio"));
    setStatusColour(Qt::black);
    status->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    setWindowTitle(QStringLiteral("-- dBm"));
    showLamp(106);
}

void MonitoringWindow::hideSignalWidgets()
{
    for (SignalPanel *panel : {rssiPanel, snrPanel})
        for (QWidget *w : panel->controls())
            w->hide();
    light->hide();
    status->hide();
    ConnectionStatuslbl->hide();
}

void MonitoringWindow::showWaitingDisplay()
{
    collectingDatalbl->show();
    hideSignalWidgets();
}

// ---------------------------------------------------------------------------
// Colour scales

ColorBar *MonitoringWindow::colorBar(int selector)
{
    ColorBar *&bar = selector == ColorBarModel::Rssi ? RssiColorBar : SNRColorBar;
    QFrame *frame = selector == ColorBarModel::Rssi ? RssiColorBarFrame : SNRColorBarFrame;
    if (!bar) {
        bar = new ColorBar(ColorBarModel::Selector(selector), m_session.settings, m_session.link,
                           frame);
        bar->setObjectName(selector == ColorBarModel::Rssi ? QStringLiteral("RssiColorBar")
                                                           : QStringLiteral("SNRColorBar"));
        auto *layout = new QHBoxLayout(frame);
        layout->setContentsMargins(0, 0, 0, 0);
        layout->addWidget(bar);
    }
    return bar;
}

void MonitoringWindow::InitColorBar(int selector)
{
    if (selector != ColorBarModel::Rssi && selector != ColorBarModel::Snr)
        return;
    ColorBar *bar = colorBar(selector);
    QFrame *frame = selector == ColorBarModel::Rssi ? RssiColorBarFrame : SNRColorBarFrame;
    // Shown when values arrive, or when the operator asks for the SNR view.
    frame->hide();
    bar->model().InitColorBar();
    bar->update();
}

void MonitoringWindow::UpdateColorBar(int selector)
{
    if (selector != ColorBarModel::Rssi && selector != ColorBarModel::Snr)
        return;
    ColorBar *bar = colorBar(selector);
    bar->model().UpdateColorBar();
    bar->update();
}
