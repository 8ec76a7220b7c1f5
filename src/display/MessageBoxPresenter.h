#pragma once

#include "app/OperatorMessages.h"

// Presents operator messages as real modal QMessageBox windows.
namespace MessageBoxPresenter {

void present(const OperatorMessage &message);
void install();

} // namespace MessageBoxPresenter
