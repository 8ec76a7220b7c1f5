#include "FitCheck.h"

#include <QAbstractButton>
#include <QAction>
#include <QLabel>
#include <QMenuBar>
#include <QToolButton>

namespace {

QString visibleText(QString text)
{
    // The accelerator's & is not drawn.
    return text.replace(QLatin1String("&&"), QLatin1String("\x01"))
        .remove(QLatin1Char('&'))
        .replace(QLatin1Char('\x01'), QLatin1Char('&'));
}

void checkLabels(const QWidget *window, QStringList &clipped)
{
    for (const QLabel *label : window->findChildren<QLabel *>()) {
        if (!label->isVisibleTo(window) || label->text().isEmpty() || label->wordWrap() ||
            Qt::mightBeRichText(label->text()))
            continue;
        const QString text = visibleText(label->text());
        const QRect room = label->contentsRect();
        const QFontMetrics metrics = label->fontMetrics();
        if (metrics.horizontalAdvance(text) > room.width() || metrics.height() > room.height())
            clipped << label->objectName() + QLatin1String(": ") + text;
    }
}

void checkButtons(const QWidget *window, QStringList &clipped)
{
    for (const QAbstractButton *button : window->findChildren<QAbstractButton *>()) {
        if (!button->isVisibleTo(window) || button->text().isEmpty())
            continue;
        // The button's own hint holds its text, bevel and indicator.
        const QSize needed = button->sizeHint();
        if (needed.width() > button->width() || needed.height() > button->height())
            clipped << button->objectName() + QLatin1String(": ") + visibleText(button->text());
    }
}

void checkMenuBars(const QWidget *window, QStringList &clipped)
{
    for (const QMenuBar *bar : window->findChildren<QMenuBar *>()) {
        for (QAction *action : bar->actions()) {
            if (!action->isVisible() || action->isSeparator())
                continue;
            const QRect place = bar->actionGeometry(action);
            if (place.isEmpty() || place.right() >= bar->width())
                clipped << QLatin1String("menu bar: ") + visibleText(action->text());
        }
        const auto *overflow =
            bar->findChild<QToolButton *>(QStringLiteral("qt_menubar_ext_button"));
        if (overflow && overflow->isVisible())
            clipped << QStringLiteral("menu bar: entries in the overflow");
    }
}

} // namespace

namespace FitCheck {

QStringList clippedTexts(const QWidget *window)
{
    QStringList clipped;
    checkLabels(window, clipped);
    checkButtons(window, clipped);
    checkMenuBars(window, clipped);
    return clipped;
}

} // namespace FitCheck
