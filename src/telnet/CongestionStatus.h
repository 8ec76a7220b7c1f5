#pragma once

#include <QString>

// What congestion management tells the connection-state display: once a
// congestion rule has fired, a scanning radio is shown as "Scanning due to
// Congestion" with the dull red lamp (104) instead of plain "Scanning" with
// the red one (103). The text is never cleared once set; the lamp goes back
// to 103 at every Velto start.
struct CongestionStatus
{
    QString congestionStatusText;
    int scanningLightIcon = 103;
};

extern CongestionStatus congestionStatus;
