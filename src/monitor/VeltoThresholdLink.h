#pragma once

#include "display/ThresholdDialog.h"
#include "snmp/OidCatalogue.h"

class VeltoMonitor;

// What a threshold dialog opened from the monitoring window sends through:
// the run's Velto monitor sets the threshold on the radio and keeps what it
// accepted. A dialog left open after the monitor has gone sends nothing.
ThresholdLink veltoThresholdLink(VeltoMonitor *monitor, OidCatalogue::Entry entry,
                                 const QString &currentValue);
