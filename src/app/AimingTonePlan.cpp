#include "AimingTonePlan.h"

#include <algorithm>
#include <cmath>

namespace AimingTonePlan {

double pitchFor(double rssiDbm)
{
    if (!std::isfinite(rssiDbm))
        return kLowestHz;
    const double held = std::clamp(rssiDbm, kLowestDbm, kHighestDbm);
    const double share = (held - kLowestDbm) / (kHighestDbm - kLowestDbm);
    return kLowestHz + share * (kHighestHz - kLowestHz);
}

Tone toneFor(double rssiDbm, double thresholdDbm)
{
    return {pitchFor(rssiDbm), !(rssiDbm >= thresholdDbm)};
}

bool soundingAt(const Tone &tone, qint64 elapsedMs)
{
    return !tone.pulsed || (elapsedMs / kBeepMs) % 2 == 0;
}

} // namespace AimingTonePlan
