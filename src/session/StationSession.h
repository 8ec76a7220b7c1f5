#pragma once

#include "app/CongestionStatus.h"
#include "app/Records.h"
#include "display/TrafficHistory.h"
#include "log/LogFile.h"
#include "telnet/WirelessStats.h"

// Everything one run of the station shares between its windows and
// controllers. main creates the single instance and hands it on by
// reference; the fields stay plain records, read and written directly on the
// user-interface thread.
struct StationSession
{
    SessionSettings settings;
    MonitorState monitor;
    LinkStatistics link;
    GpsPosition gps;
    CongestionStatus congestion;
    WirelessStats wireless;
    ExistingLogData existingLog;
    TrafficHistory traffic;
};
