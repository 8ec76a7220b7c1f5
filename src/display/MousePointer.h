#pragma once

// The application-wide mouse pointer: normal or busy (hourglass). Setting the
// same shape twice changes nothing, so the windows can follow the designed
// sequences ("busy pointer", "normal pointer") without keeping count.
namespace MousePointer {

void setBusy();
void setNormal();
bool isBusy();

} // namespace MousePointer
