#include "VeltoThresholdLink.h"

#include "snmp/VeltoMonitor.h"

#include <QPointer>

ThresholdLink veltoThresholdLink(VeltoMonitor *monitor, OidCatalogue::Entry entry,
                                 const QString &currentValue)
{
    QPointer<VeltoMonitor> target(monitor);
    return {[target, entry](const QString &value) -> std::optional<QString> {
                if (!target)
                    return std::nullopt;
                return target->writeThreshold(entry, value);
            },
            [target, entry](const QString &value) {
                if (target)
                    target->takeThreshold(entry, value);
            },
            currentValue};
}
