#include "MessageBoxPresenter.h"

#include "MousePointer.h"

#include <QApplication>
#include <QMessageBox>

namespace MessageBoxPresenter {

void present(const OperatorMessage &message)
{
    const QMessageBox::Icon icon = message.icon == MessageIcon::Stop       ? QMessageBox::Critical
                                   : message.icon == MessageIcon::Question ? QMessageBox::Question
                                                                           : QMessageBox::Warning;
    const bool question = message.buttons == MessageButtons::YesNo;
    QString text = message.text;
    text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    QMessageBox box(icon, message.title, text,
                    question ? QMessageBox::Yes | QMessageBox::No : QMessageBox::Ok,
                    QApplication::activeWindow());
    box.setObjectName(QStringLiteral("operatorMessage"));
    if (question)
        box.setDefaultButton(QMessageBox::No); // Return alone never confirms
    // The operator must be able to click OK even while a handler shows the
    // busy pointer.
    const bool wasBusy = MousePointer::isBusy();
    MousePointer::setNormal();
    message.answeredYes = box.exec() == QMessageBox::Yes;
    if (wasBusy)
        MousePointer::setBusy();
}

void install()
{
    OperatorMessages::setPresenter(present);
}

} // namespace MessageBoxPresenter
