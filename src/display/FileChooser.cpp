#include "FileChooser.h"

#include <QFileDialog>

namespace FileChooser {

namespace {
QList<std::optional<QString>> nextAnswers;
SaveRequest last;

// The answer a test gave for this call, if any.
std::optional<QString> givenAnswer(const SaveRequest &request)
{
    last = request;
    if (nextAnswers.isEmpty())
        return std::nullopt;
    return nextAnswers.takeFirst().value_or(QString());
}
} // namespace

QString chooseSaveFile(QWidget *parent, const SaveRequest &request)
{
    if (const std::optional<QString> answer = givenAnswer(request))
        return *answer;
    // The overwrite prompt is the only option; no default suffix is added, so
    // a name typed without ".txt" is used as typed.
    return QFileDialog::getSaveFileName(parent, request.title, request.proposedName,
                                        request.filter);
}

QString chooseOpenFile(QWidget *parent, const OpenRequest &request)
{
    if (const std::optional<QString> answer = givenAnswer(request))
        return *answer;
    return QFileDialog::getOpenFileName(parent, request.title, request.proposedName,
                                        request.filter);
}

void setNextAnswer(std::optional<QString> path)
{
    nextAnswers.append(std::move(path));
}

SaveRequest lastRequest()
{
    return last;
}

} // namespace FileChooser
