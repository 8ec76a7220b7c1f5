#include "MessageBoxPresenter.h"

#include "MousePointer.h"

#include <QApplication>
#include <QMessageBox>

namespace MessageBoxPresenter {

void present(const OperatorMessage &message)
{
    const QMessageBox::Icon icon =
        message.icon == MessageIcon::Stop ? QMessageBox::Critical : QMessageBox::Warning;
    QString text = message.text;
    text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    QMessageBox box(icon, message.title, text, QMessageBox::Ok, QApplication::activeWindow());
    box.setObjectName(QStringLiteral("operatorMessage"));
    // The operator must be able to click OK even while a handler shows the
    // busy pointer.
    const bool wasBusy = MousePointer::isBusy();
    MousePointer::setNormal();
    box.exec();
    if (wasBusy)
        MousePointer::setBusy();
}

void install()
{
    OperatorMessages::setPresenter(present);
}

} // namespace MessageBoxPresenter
