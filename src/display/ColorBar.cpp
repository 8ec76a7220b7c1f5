#include "ColorBar.h"

#include "display/Twips.h"

#include <QPainter>
#include <cmath>

namespace {

constexpr int kCellStepTwips = 42;
constexpr int kCellWidthTwips = 51;
// The frame is as wide as the left edge of the last cell plus 10 twips, so it
// cuts the last cell short.
constexpr int kRowWidthTwips = (ColorBarModel::kCellCount - 1) * kCellStepTwips + 10;
constexpr int kRowHeightTwips = 250;

} // namespace

ColorBar::ColorBar(ColorBarModel::Selector selector, const SessionSettings &settings,
                   LinkStatistics &link, QWidget *parent)
    : QWidget(parent), m_model(selector, settings, link)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
}

QSize ColorBar::sizeHint() const
{
    return {Twips::toPixels(kRowWidthTwips), Twips::toPixels(kRowHeightTwips)};
}

QColor ColorBar::cellColour(int index) const
{
    const CellColour &c = m_model.cells().at(index);
    return QColor(c.red, c.green, c.blue);
}

int ColorBar::toPixels(int twips) const
{
    return static_cast<int>(std::lround(double(twips) * width() / kRowWidthTwips));
}

int ColorBar::cellLeft(int index) const
{
    return toPixels(index * kCellStepTwips);
}

int ColorBar::cellRight(int index) const
{
    return std::min(toPixels(index * kCellStepTwips + kCellWidthTwips), width());
}

void ColorBar::paintEvent(QPaintEvent *)
{
    // The cells cover the whole row (the frame cuts the last one), so
    // nothing else is painted.
    QPainter painter(this);
    for (int i = 0; i < ColorBarModel::kCellCount; ++i)
        painter.fillRect(QRect(cellLeft(i), 0, cellRight(i) - cellLeft(i), height()),
                         cellColour(i));
}

#include "moc_ColorBar.cpp"
