#include "GpsStatus.h"

QString GpsStatus::text() const
{
    if (!enabled)
        return QStringLiteral("No GPS");
    if (!receiving)
        return QStringLiteral("GPS: no receiver");
    if (ageSeconds < 0)
        return QStringLiteral("GPS: waiting for a position");
    return QStringLiteral("GPS: %1, %2 satellites, %3 s ago")
        .arg(fixQuality, satellites)
        .arg(ageSeconds);
}
