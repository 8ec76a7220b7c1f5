#include "StationIcons.h"

#include <QString>

namespace StationIcons {

bool isLamp(int resourceId)
{
    return resourceId >= 102 && resourceId <= 106;
}

QIcon lamp(int resourceId)
{
    if (!isLamp(resourceId))
        return {};
    return QIcon(QStringLiteral(":/icons/lamp-%1.svg").arg(resourceId));
}

QPixmap lampPixmap(int resourceId)
{
    return lamp(resourceId).pixmap(32, 32);
}

QIcon product()
{
    return QIcon(QStringLiteral(":/icons/kavo-station.svg"));
}

} // namespace StationIcons
