#include "MousePointer.h"

#include <QApplication>
#include <QCursor>

namespace MousePointer {

// The station sets no other override cursor, so the application's own stack
// says whether the busy pointer is up; setting it twice would need two restores.
bool isBusy()
{
    const QCursor *shown = QApplication::overrideCursor();
    return shown && shown->shape() == Qt::WaitCursor;
}

void setBusy()
{
    if (!isBusy())
        QApplication::setOverrideCursor(QCursor(Qt::WaitCursor));
}

void setNormal()
{
    if (isBusy())
        QApplication::restoreOverrideCursor();
}

} // namespace MousePointer
