#pragma once

#include <QRect>
#include <QWidget>

// Puts a control on its window as designed: under its design name, by which
// tests and tools find it, and at its designed place (Twips::rect).
template <typename Control>
Control *placeControl(QWidget *window, Control *control, const char *name, QRect rect)
{
    control->setParent(window);
    control->setObjectName(QLatin1String(name));
    control->setGeometry(rect);
    return control;
}
