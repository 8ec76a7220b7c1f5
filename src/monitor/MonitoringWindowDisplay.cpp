// Colour-scale handlers of the monitoring window.
#include "MonitoringWindow.h"
#include "display/ColorBar.h"
#include "display/Twips.h"
#include "session/StationSession.h"

#include <QFrame>
#include <QHBoxLayout>

namespace {

// Frame of a scale: as wide as the left edge of its last cell plus 10 twips.
constexpr int kScaleWidthTwips = 79 * 42 + 10;
constexpr int kScaleHeightTwips = 250;
constexpr int kRssiScaleTopTwips = 825;
constexpr int kSnrScaleTopTwips = 1900;

} // namespace

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
    frame->setGeometry(
        frame->x(),
        Twips::toPixels(selector == ColorBarModel::Rssi ? kRssiScaleTopTwips : kSnrScaleTopTwips),
        Twips::toPixels(kScaleWidthTwips), Twips::toPixels(kScaleHeightTwips));
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
