#pragma once

#include <QApplication>
#include <QWidget>

// Modeless windows the station shows at most once at a time (help, about,
// options, thresholds, the lock): opening one again raises the window already
// open. The application keeps the list of its windows, so the station keeps
// no pointer of its own that could outlive or miss one.

// The open window of this type that `matches` accepts, or nullptr.
template <typename Window, typename Match> Window *findOpenWindow(Match matches)
{
    for (QWidget *widget : QApplication::topLevelWidgets()) {
        auto *window = qobject_cast<Window *>(widget);
        if (window && matches(*window))
            return window;
    }
    return nullptr;
}

template <typename Window> Window *findOpenWindow()
{
    return findOpenWindow<Window>([](const Window &) { return true; });
}

template <typename Window, typename Create, typename Match>
Window *showSingleWindow(Create create, Match matches)
{
    Window *window = findOpenWindow<Window>(matches);
    if (!window)
        window = create();
    window->show();
    window->raise();
    window->activateWindow();
    return window;
}

template <typename Window, typename Create> Window *showSingleWindow(Create create)
{
    return showSingleWindow<Window>(create, [](const Window &) { return true; });
}
