#pragma once

#include <QtGlobal>

// What the aiming tone sounds like for a reading, so an installer on a mast
// can turn the antenna by ear: the pitch rises with the RSSI, and the tone is
// steady while the signal is at or above the radio's alarm threshold, beeping
// below it. A beeping tone reads as a warning, and the moment it turns steady
// tells that the link has become usable without a look at the screen.
namespace AimingTonePlan {

inline constexpr double kLowestDbm = -100;
inline constexpr double kHighestDbm = -40;
inline constexpr double kLowestHz = 300;
inline constexpr double kHighestHz = 1500;
// A beep and the pause after it.
inline constexpr int kBeepMs = 120;

struct Tone
{
    double frequencyHz = kLowestHz;
    bool pulsed = true;
};

// Linear from kLowestHz at kLowestDbm to kHighestHz at kHighestDbm, held
// at both ends.
double pitchFor(double rssiDbm);
// thresholdDbm is the alarm threshold as a (negative) level.
Tone toneFor(double rssiDbm, double thresholdDbm);
// Whether a tone sounds at a moment of its play (a beep or its pause).
bool soundingAt(const Tone &tone, qint64 elapsedMs);

} // namespace AimingTonePlan
