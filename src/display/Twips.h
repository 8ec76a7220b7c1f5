#pragma once

#include <QRect>

// Window geometry is designed in twips (1/1440 inch). At the usual 96 dots per
// inch a pixel is 15 twips.
namespace Twips {

constexpr int kTwipsPerPixel = 15;

constexpr int toPixels(int twips)
{
    return (twips + (twips >= 0 ? kTwipsPerPixel / 2 : -kTwipsPerPixel / 2)) / kTwipsPerPixel;
}

// Window heights are designed as outer heights, title bar included; the
// toolkit's window height leaves the title bar to the window manager.
constexpr int kTitleBarTwips = 420;

constexpr int windowHeight(int outerTwips)
{
    return toPixels(outerTwips - kTitleBarTwips);
}

constexpr QRect rect(int left, int top, int width, int height)
{
    return QRect(toPixels(left), toPixels(top), toPixels(width), toPixels(height));
}

} // namespace Twips
