#pragma once

#include <QStringList>

class QWidget;

// What does not fit in a shown window: each visible label or button whose
// text is wider than its room, and each menu-bar entry pushed into the
// bar's overflow. Empty when everything reads in full. Call it after the
// window is shown and laid out, typically with an enlarged application font.
namespace FitCheck {

QStringList clippedTexts(const QWidget *window);

} // namespace FitCheck
