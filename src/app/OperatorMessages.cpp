#include "OperatorMessages.h"

#include <cstdio>

namespace OperatorMessages {

namespace {

// Without a window toolkit (tools, early start-up) a message goes to stderr so
// it is never lost silently.
void printToStderr(const OperatorMessage &message)
{
    std::fprintf(
        stderr, "%s: %s\n", qPrintable(message.title),
        qPrintable(QString(message.text).replace(QLatin1String("\r\n"), QLatin1String(" / "))));
}

Presenter &currentPresenter()
{
    static Presenter presenter = printToStderr;
    return presenter;
}

} // namespace

Presenter setPresenter(Presenter presenter)
{
    Presenter previous = std::move(currentPresenter());
    currentPresenter() = presenter ? std::move(presenter) : Presenter(printToStderr);
    return previous;
}

QString joinLines(const QStringList &lines)
{
    return lines.join(QLatin1String("\r\n"));
}

void show(const QString &title, MessageIcon icon, const QStringList &lines)
{
    // Copy the presenter: a recorder may replace itself while it answers.
    const Presenter presenter = currentPresenter();
    presenter(OperatorMessage{title, icon, joinLines(lines)});
}

bool ask(const QString &title, const QStringList &lines)
{
    const Presenter presenter = currentPresenter();
    const OperatorMessage question{title, MessageIcon::Question, joinLines(lines),
                                   MessageButtons::YesNo};
    presenter(question);
    return question.answeredYes;
}

} // namespace OperatorMessages
