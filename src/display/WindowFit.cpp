#include "WindowFit.h"

#include <QAction>
#include <QDialog>
#include <QGuiApplication>
#include <QLayout>
#include <QListWidget>
#include <QMenuBar>
#include <QScreen>

namespace WindowFit {

namespace {

QSize screenRoom(const QWidget *window)
{
    const QScreen *screen = window->screen() ? window->screen() : QGuiApplication::primaryScreen();
    return screen ? screen->availableGeometry().size() : QSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
}

// A menu bar folds the menus it has no room for into an extension button;
// the window keeps room for all of them.
int menuBarWidth(const QLayout *layout)
{
    const auto *bar = qobject_cast<const QMenuBar *>(layout->menuBar());
    return bar ? bar->sizeHint().width() : 0;
}

} // namespace

void fitDesigned(QWidget *window, QSize designed)
{
    // A style sheet's fonts arrive with the polish: measure with them.
    window->ensurePolished();
    QLayout *layout = window->layout();
    layout->activate();
    QSize least = layout->totalMinimumSize();
    least.setWidth(qMax(least.width(), menuBarWidth(layout)));
    QSize size = designed.expandedTo(least).expandedTo(layout->totalSizeHint());
    size = size.boundedTo(screenRoom(window));
    if (layout->hasHeightForWidth())
        size.setHeight(qMax(size.height(), layout->totalHeightForWidth(size.width())));
    window->setMinimumSize(least.boundedTo(screenRoom(window)));
    window->resize(size);
}

void showAllRows(QListWidget *list)
{
    int rows = 0;
    for (int row = 0; row < list->count(); ++row)
        rows += list->sizeHintForRow(row);
    list->setFixedHeight(rows + 2 * list->frameWidth());
}

void addCloseKeys(QWidget *window)
{
    // Ctrl+W whatever the platform's own close key is.
    QList<QKeySequence> keys = QKeySequence::keyBindings(QKeySequence::Close);
    if (!keys.contains(QKeySequence(Qt::CTRL | Qt::Key_W)))
        keys << QKeySequence(Qt::CTRL | Qt::Key_W);
    // A dialog already takes Escape as its own Cancel.
    if (!qobject_cast<QDialog *>(window))
        keys << QKeySequence(Qt::Key_Escape);
    auto *close = new QAction(window);
    close->setShortcuts(keys);
    close->setShortcutContext(Qt::WindowShortcut);
    QObject::connect(close, &QAction::triggered, window, &QWidget::close);
    window->addAction(close);
}

void describe(QWidget *control, const QString &name, const QString &description)
{
    control->setAccessibleName(name);
    if (!description.isEmpty())
        control->setAccessibleDescription(description);
}

} // namespace WindowFit
