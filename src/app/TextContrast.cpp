#include "TextContrast.h"

#include <algorithm>
#include <cmath>

namespace TextContrast {

namespace {

double linear(int channel)
{
    const double c = channel / 255.0;
    return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
}

int mix(int from, int to, double amount)
{
    return static_cast<int>(std::lround(from + (to - from) * amount));
}

// `amount` 0 leaves the colour, 1 makes it `target` (black or white).
RgbColour towards(RgbColour colour, int target, double amount)
{
    return {mix(colour.red, target, amount), mix(colour.green, target, amount),
            mix(colour.blue, target, amount)};
}

} // namespace

double luminance(RgbColour colour)
{
    return 0.2126 * linear(colour.red) + 0.7152 * linear(colour.green) +
           0.0722 * linear(colour.blue);
}

double ratio(RgbColour a, RgbColour b)
{
    const double la = luminance(a);
    const double lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

RgbColour readableShade(RgbColour text, RgbColour background)
{
    if (ratio(text, background) >= kReadableRatio)
        return text;
    // Black or white reaches the ratio against any background that is not
    // mid-grey; the least step towards it that does is found by halving.
    const int target = luminance(background) > 0.18 ? 0 : 255;
    double low = 0.0;
    double high = 1.0;
    for (int step = 0; step < 16; ++step) {
        const double middle = (low + high) / 2;
        if (ratio(towards(text, target, middle), background) >= kReadableRatio)
            high = middle;
        else
            low = middle;
    }
    return towards(text, target, high);
}

} // namespace TextContrast
