#pragma once

#include "app/ColorBarModel.h"

#include <QColor>
#include <QWidget>

// Paints a ColorBarModel as the designed row of 80 rectangles: cell i is 51
// twips wide with its left edge at i x 42 twips, so neighbours overlap by 9
// twips and each later cell lies over the one before. The widget stretches
// that row over its own width.
class ColorBar : public QWidget
{
    Q_OBJECT
public:
    ColorBar(ColorBarModel::Selector selector, const SessionSettings &settings,
             LinkStatistics &link, QWidget *parent = nullptr);

    ColorBarModel &model() { return m_model; }
    const ColorBarModel &model() const { return m_model; }

    QColor cellColour(int index) const;
    // Pixel span of cell i as painted (before later cells cover its right part).
    int cellLeft(int index) const;
    int cellRight(int index) const; // exclusive

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    int toPixels(int twips) const;

    ColorBarModel m_model;
};
