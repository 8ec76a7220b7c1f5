#pragma once

#include <QSize>
#include <QString>

class QLabel;
class QListWidget;
class QWidget;

// Windows are laid out by the toolkit; their designed sizes hold at the
// design font. With a larger font, scale or DPI a window grows until every
// text is whole and its menu bar shows every menu, but never beyond the
// screen it opens on.
namespace WindowFit {

// Sizes a window that has a layout: the designed size grown to what the
// layout and the menu bar need, and kept as the least size the operator can
// shrink the window to.
void fitDesigned(QWidget *window, QSize designed);

// A list whose few rows are all shown without a scroll bar.
void showAllRows(QListWidget *list);

// Closes the window on Ctrl+W and, for a plain window, Escape too.
void addCloseKeys(QWidget *window);

// Gives a control laid out by its window's layout its design name, by which
// tests and tools find it.
template <typename Control> Control *named(Control *control, const char *name)
{
    control->setObjectName(QLatin1String(name));
    return control;
}

// Names a control for assistive technology.
void describe(QWidget *control, const QString &name, const QString &description = QString());

} // namespace WindowFit
