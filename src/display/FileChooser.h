#pragma once

#include <QString>
#include <optional>

class QWidget;

// The save-file dialog behind "Save File As". Tests give the next answer in
// advance (a path, or nullopt for Cancel) instead of driving a modal dialog.
namespace FileChooser {

struct SaveRequest
{
    QString title;
    QString proposedName;
    QString filter;
};

// The chosen path, or an empty text when the operator cancelled.
QString chooseSaveFile(QWidget *parent, const SaveRequest &request);

// Answers the next call without showing a dialog.
void setNextAnswer(std::optional<QString> path);

// The request of the most recent call, for tests.
SaveRequest lastRequest();

} // namespace FileChooser
