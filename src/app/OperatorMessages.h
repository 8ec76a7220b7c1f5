#pragma once

#include <QString>
#include <QStringList>
#include <functional>

// The one way the station speaks to the operator: a modal message with a
// title, an icon and one to four lines, or a question answered Yes or No. The application presents
// it as a real QMessageBox (installed by main); tests install a recorder that answers at once.
// Showing a modal box runs a nested event loop, so timers and sockets keep being served while it is
// open: a caller that must not be re-entered guards itself, and re-checks afterwards that what it
// touches still exists.
enum class MessageIcon
{
    Stop,
    Exclamation,
    Question
};

enum class MessageButtons
{
    Ok,
    YesNo
};

struct OperatorMessage
{
    QString title;
    MessageIcon icon = MessageIcon::Exclamation;
    QString text; // the lines joined by CR LF, as the system words them
    MessageButtons buttons = MessageButtons::Ok;
    // A presenter sets it when the operator answers a question Yes; a
    // presenter that cannot ask leaves it, and the answer is No.
    mutable bool answeredYes = false;
};

namespace OperatorMessages {

using Presenter = std::function<void(const OperatorMessage &)>;

// Replaces the presenter; returns the previous one so a test can restore it.
Presenter setPresenter(Presenter presenter);

// Shows the message and returns when the operator has confirmed it.
void show(const QString &title, MessageIcon icon, const QStringList &lines);

// Asks a Yes/No question; true when the operator answered Yes.
bool ask(const QString &title, const QStringList &lines);

// Lines joined the way the message texts store them.
QString joinLines(const QStringList &lines);

} // namespace OperatorMessages
