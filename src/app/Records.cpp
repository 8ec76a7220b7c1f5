#include "Records.h"

SessionSettings sessionSettings;
MonitorState monitorState;
LinkStatistics linkStatistics;
GpsPosition gpsPosition;
