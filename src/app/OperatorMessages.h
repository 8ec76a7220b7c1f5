#pragma once

#include <QString>
#include <QStringList>
#include <functional>

// The one way the station speaks to the operator: a modal message with a
// title, an icon and one to four lines. The application presents it as a real
// QMessageBox (installed by main); tests install a recorder that answers at
// once. Showing a modal box runs a nested event loop, so timers and sockets
// keep being served while it is open: a caller that must not be re-entered
// guards itself, and re-checks afterwards that what it touches still exists.
enum class MessageIcon
{
    Stop,
    Exclamation
};

struct OperatorMessage
{
    QString title;
    MessageIcon icon = MessageIcon::Exclamation;
    QString text; // the lines joined by CR LF, as the system words them
};

namespace OperatorMessages {

using Presenter = std::function<void(const OperatorMessage &)>;

// Replaces the presenter; returns the previous one so a test can restore it.
Presenter setPresenter(Presenter presenter);

// Shows the message and returns when the operator has confirmed it.
void show(const QString &title, MessageIcon icon, const QStringList &lines);

// Lines joined the way the message texts store them.
QString joinLines(const QStringList &lines);

} // namespace OperatorMessages
