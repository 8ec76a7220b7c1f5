#pragma once

#include "monitor/StationWindows.h"

// The station's windows of a test process, made once as main makes them.
inline StationWindows &station()
{
    static StationWindows windows;
    return windows;
}
