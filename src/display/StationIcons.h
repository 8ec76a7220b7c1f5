#pragma once

#include <QIcon>
#include <QPixmap>

// The station's icon resources by number: the state lamps 102 green
// (associated), 103 red (scanning or disconnected), 104 dull red (scanning
// because of congestion), 105 yellow (connecting), 106 the disconnected lamp;
// and the product icon.
namespace StationIcons {

QIcon lamp(int resourceId);
QPixmap lampPixmap(int resourceId); // 32 by 32
QIcon product();
bool isLamp(int resourceId);

} // namespace StationIcons
