#include "ColorBarModel.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr int kLastCell = ColorBarModel::kCellCount - 1;
constexpr int kCellsPerRssiDb = 2;
constexpr qint16 kArdixRssiThreshold = 100;
constexpr qint16 kVeltoRssiThreshold = 95;

int cutToScale(int index)
{
    return std::min(index, kLastCell);
}

} // namespace

int ColorBarModel::rssiCell(int magnitude)
{
    return kCellsPerRssiDb * (100 - magnitude);
}

int ColorBarModel::thresholdCell() const
{
    if (m_selector == Rssi)
        return rssiCell(m_link.rssiThreshold);
    return m_link.snrThresholdBar;
}

// The RSSI threshold cell is left to the threshold mark, so the RSSI shading
// starts one cell later than the SNR shading does.
int ColorBarModel::FirstGradientStart() const
{
    return cutToScale(thresholdCell() + (m_selector == Rssi ? 1 : 0));
}

int ColorBarModel::FirstGradientEnd() const
{
    return cutToScale(thresholdCell() + m_gradientWidth);
}

int ColorBarModel::SecondGradientStart() const
{
    return cutToScale(thresholdCell() + (m_selector == Rssi ? 1 : 0) + m_greenOffset);
}

int ColorBarModel::SecondGradientEnd() const
{
    return cutToScale(thresholdCell() + m_gradientWidth + m_greenOffset);
}

void ColorBarModel::chooseGradient()
{
    // A weaker RSSI threshold, or a lower SNR threshold, gives wider shading.
    int band = 0; // 0 widest .. 3 narrowest
    if (m_selector == Rssi) {
        const int t = m_link.rssiThreshold;
        band = t >= 90 ? 0 : t >= 85 ? 1 : t >= 80 ? 2 : 3;
    } else {
        const int s = m_link.snrThreshold;
        band = s < 16 ? 0 : s <= 17 ? 1 : s <= 20 ? 2 : 3;
    }
    static constexpr int kWidths[] = {15, 12, 10, 5};
    static constexpr int kOffsets[] = {25, 20, 15, 10};
    m_gradientWidth = kWidths[band];
    m_greenOffset = kOffsets[band];
}

void ColorBarModel::fill(int first, int last, CellColour colour)
{
    for (int i = std::max(first, 0); i <= std::min(last, kLastCell); ++i)
        m_cells[i] = colour;
}

void ColorBarModel::InitColorBar()
{
    m_cells.fill(ScaleColours::brightRed);
    if (m_settings.remoteKind == RemoteKind::Ardix)
        m_link.rssiThreshold = kArdixRssiThreshold;
    else if (m_settings.remoteKind == RemoteKind::Velto)
        m_link.rssiThreshold = kVeltoRssiThreshold;
    PaintColorBar();
}

void ColorBarModel::UpdateColorBar()
{
    if (m_selector == Rssi) {
        if (m_link.rssiThreshold == 0) {
            // No threshold read yet.
            m_cells.fill(ScaleColours::brightRed);
            m_link.rssiThreshold = kArdixRssiThreshold;
        } else {
            const int b = thresholdCell();
            fill(0, b - 1, ScaleColours::darkRed);
            // An Ardix remote has no alarm threshold to mark.
            if (m_settings.remoteKind == RemoteKind::Velto)
                fill(b, b, ScaleColours::black);
        }
    } else if (m_settings.remoteKind == RemoteKind::Velto) {
        const int b = m_link.snrThresholdBar;
        if (b != 0) {
            fill(0, b, ScaleColours::darkRed);
            fill(b, b, ScaleColours::black);
        } else {
            m_cells.fill(ScaleColours::brightRed);
        }
    }
    PaintColorBar();
}

void ColorBarModel::PaintColorBar()
{
    chooseGradient();
    const int p1 = FirstGradientStart();
    const int p2 = FirstGradientEnd();
    const int p3 = SecondGradientStart();
    const int p4 = SecondGradientEnd();
    const double g = m_gradientWidth;

    for (int i = std::max(p1, 0); i <= p2; ++i)
        m_cells[i] = {255, 255 - static_cast<int>(std::floor((p2 - i) * 255 / g)), 0};
    fill(p2 + 1, p3 - 1, ScaleColours::yellow);
    for (int i = std::max(p3, 0); i <= p4; ++i)
        m_cells[i] = {static_cast<int>(std::floor((p4 - i) * 255 / g)), 255, 0};
    fill(p4 + 1, kLastCell, ScaleColours::green);
    m_cells[kLastCell] = ScaleColours::white;
    if (m_selector == Snr)
        fill(m_link.snrThresholdBar, m_link.snrThresholdBar, ScaleColours::black);
}
