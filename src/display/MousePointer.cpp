#include "MousePointer.h"

#include <QApplication>
#include <QCursor>

namespace MousePointer {

namespace {
bool busy = false;
}

void setBusy()
{
    if (busy)
        return;
    busy = true;
    QApplication::setOverrideCursor(QCursor(Qt::WaitCursor));
}

void setNormal()
{
    if (!busy)
        return;
    busy = false;
    QApplication::restoreOverrideCursor();
}

bool isBusy()
{
    return busy;
}

} // namespace MousePointer
