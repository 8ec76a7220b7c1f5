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

constexpr QRect rect(int left, int top, int width, int height)
{
    return QRect(toPixels(left), toPixels(top), toPixels(width), toPixels(height));
}

} // namespace Twips
