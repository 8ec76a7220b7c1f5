#pragma once

#include "StateLook.h"

// Text colours that stay readable on whatever background the desktop's
// palette gives the window: a designed colour is kept when it stands out
// enough, else it is replaced by a darker or lighter shade of the same hue.
namespace TextContrast {

// The contrast normal-size text needs to be read comfortably.
constexpr double kReadableRatio = 4.5;

// Relative luminance of an sRGB colour, 0 (black) to 1 (white).
double luminance(RgbColour colour);
// Contrast ratio of two colours, 1 (none) to 21 (black on white).
double ratio(RgbColour a, RgbColour b);
// `text` when it reaches the readable ratio against `background`; otherwise
// the shade of it nearest to it that does (darker on a light background,
// lighter on a dark one).
RgbColour readableShade(RgbColour text, RgbColour background);

} // namespace TextContrast
