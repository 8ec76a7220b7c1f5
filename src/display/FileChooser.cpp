#include "FileChooser.h"

#include <QFileDialog>

namespace FileChooser {

namespace {
std::optional<std::optional<QString>> nextAnswer;
SaveRequest last;
} // namespace

QString chooseSaveFile(QWidget *parent, const SaveRequest &request)
{
    last = request;
    if (nextAnswer) {
        const std::optional<QString> answer = *nextAnswer;
        nextAnswer.reset();
        return answer.value_or(QString());
    }
    // The overwrite prompt is the only option; no default suffix is added, so
    // a name typed without ".txt" is used as typed.
    return QFileDialog::getSaveFileName(parent, request.title, request.proposedName,
                                        request.filter);
}

void setNextAnswer(std::optional<QString> path)
{
    nextAnswer = std::move(path);
}

SaveRequest lastRequest()
{
    return last;
}

} // namespace FileChooser
