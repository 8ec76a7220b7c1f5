#pragma once

#include "app/Records.h"

#include <array>

// The colour scale under a signal meter: 80 cells, left to right, coloured
// relative to the radio's alarm threshold: dark red below it, a black mark at
// it (Velto), then red shading to yellow, a yellow band, yellow shading to
// green, green, and a white end cell. The RSSI scale covers -100..-60 dBm (two
// cells per dB), the SNR scale 10..30 dB (about four cells per dB).
//
// The scale does not follow the reading, only the threshold: it reads
// remoteKind, rssiThreshold, snrThreshold and snrThresholdBar from the
// session's records, and the first paint of a run sets rssiThreshold (100 for Ardix, 95
// for Velto). A cell keeps its colour until a paint step covers it.
struct CellColour
{
    int red = 0;
    int green = 0;
    int blue = 0;
    friend bool operator==(const CellColour &, const CellColour &) = default;
};

namespace ScaleColours {
inline constexpr CellColour darkRed{127, 0, 0};
inline constexpr CellColour brightRed{255, 0, 0};
inline constexpr CellColour yellow{255, 255, 0};
inline constexpr CellColour green{0, 255, 0};
inline constexpr CellColour black{0, 0, 0};
inline constexpr CellColour white{255, 255, 255};
} // namespace ScaleColours

class ColorBarModel
{
public:
    static constexpr int kCellCount = 80;

    // Which scale: the selector the window's handlers take.
    enum Selector
    {
        Rssi = 0,
        Snr = 1
    };

    ColorBarModel(Selector selector, const SessionSettings &settings, LinkStatistics &link)
        : m_selector(selector), m_settings(settings), m_link(link)
    {}

    Selector selector() const { return m_selector; }
    const std::array<CellColour, kCellCount> &cells() const { return m_cells; }

    // Every cell bright red, the run's starting RSSI threshold, then the paint.
    void InitColorBar();
    // The part below the threshold for the current threshold, then the paint.
    void UpdateColorBar();
    // The part above the threshold: the two gradients, yellow, green, white.
    void PaintColorBar();

    // The RSSI scale's cell for a magnitude in dB below 1 mW (85: -85 dBm),
    // before it is cut to the scale's ends.
    static int rssiCell(int magnitude);

    // Cell indexes of the gradients for the current threshold (at most 79).
    int FirstGradientStart() const;
    int FirstGradientEnd() const;
    int SecondGradientStart() const;
    int SecondGradientEnd() const;
    // Chosen from the threshold at each paint.
    int gradientWidth() const { return m_gradientWidth; }
    int greenOffset() const { return m_greenOffset; }

private:
    int thresholdCell() const;
    void chooseGradient();
    // Colours cells first..last; indexes outside the scale are skipped, so a
    // threshold beyond the scale's ends cannot reach past it.
    void fill(int first, int last, CellColour colour);

    Selector m_selector;
    const SessionSettings &m_settings;
    LinkStatistics &m_link;
    std::array<CellColour, kCellCount> m_cells{};
    int m_gradientWidth = 0;
    int m_greenOffset = 0;
};
