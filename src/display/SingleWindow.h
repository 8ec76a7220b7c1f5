#pragma once

#include <QPointer>
#include <QWidget>

// Modeless windows the station shows at most once at a time (help, about,
// options, thresholds): opening one again raises the window already open.
template <typename Window, typename Create>
Window *showSingleWindow(QPointer<Window> &slot, Create create)
{
    if (!slot)
        slot = create();
    slot->show();
    slot->raise();
    slot->activateWindow();
    return slot;
}
