#pragma once

#include <QString>

// What the operator is shown of the receiver: whether GPS is on, whether its
// source delivers (the serial line open, the daemon reached), and the fix of
// the latest sentence with its age.
struct GpsStatus
{
    bool enabled = false;
    bool receiving = false;
    QString fixQuality; // as decoded; empty before the first sentence
    QString satellites;
    qint64 ageSeconds = -1; // of the latest sentence; -1 before the first

    // One line for the status bar, e.g. "GPS: 1 - GPS fix, 08 satellites, 1 s".
    QString text() const;
};
