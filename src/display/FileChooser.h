#pragma once

#include <QString>
#include <optional>

class QWidget;

// The file dialogs: the save-file dialog behind "Save File As" and those of
// the log export. Tests give the answers in advance (a path, or nullopt for
// Cancel) instead of driving a modal dialog.
namespace FileChooser {

struct SaveRequest
{
    QString title;
    QString proposedName;
    QString filter;
};

// The chosen path, or an empty text when the operator cancelled.
QString chooseSaveFile(QWidget *parent, const SaveRequest &request);

// An existing file to open; the chosen path, or an empty text on cancel.
using OpenRequest = SaveRequest;
QString chooseOpenFile(QWidget *parent, const OpenRequest &request);

// Answers the next call not answered yet without showing a dialog; answers
// given for several calls are taken in order.
void setNextAnswer(std::optional<QString> path);

// The request of the most recent call, for tests.
SaveRequest lastRequest();

} // namespace FileChooser
