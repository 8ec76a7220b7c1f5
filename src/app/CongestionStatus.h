#pragma once

#include "StateLook.h"

#include <QString>

// What congestion management tells the connection-state display: once a
// congestion rule has fired, a scanning radio is shown as "Scanning due to
// Congestion" with the dull red lamp instead of plain "Scanning" with the red
// one. The text is never cleared once set; the lamp goes back to the red one
// at every Velto start.
struct CongestionStatus
{
    QString congestionStatusText;
    Lamp scanningLightIcon = Lamp::Scanning;
};
