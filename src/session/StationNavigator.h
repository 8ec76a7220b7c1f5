#pragma once

#include "app/Records.h"

// How the station's two main windows ask for each other: the remote-selection
// dialog opens the monitoring window, whose load closes the dialog, and the
// monitoring window can bring the dialog back. The station ends once neither
// window is left. The windows hold this interface, not each other.
class StationNavigator
{
public:
    // Opens the monitoring window for the chosen family and sets it up.
    virtual void openMonitoring(RemoteKind kind) = 0;
    virtual void closeMonitoring() = 0;
    // Loads the remote-selection dialog afresh from the store when it is not
    // open, and shows it.
    virtual void showSelection() = 0;
    virtual void closeSelection() = 0;
    // Ends the event loop once no station window is left; checked after the
    // current handler has returned, so a window that closes while another
    // opens does not end the run.
    virtual void quitWhenNoWindowLeft() = 0;

protected:
    ~StationNavigator() = default;
};
