#pragma once

// The Velto radio's SNMP objects, as the simulated agent registers them.
#include <net-snmp/net-snmp-config.h>
#include <net-snmp/net-snmp-includes.h>
#include <vector>

namespace VeltoAgentObjects {

// The objects by the station's catalogue index.
enum Object : int
{
    TxOctets = 1,
    RxOctets,
    FirmwareVersion,
    RebootRequest,
    RebootValue,
    DeviceMode,
    RssiThreshold,
    SnrThreshold,
    Rssi,
    Snr,
    LinkRate,
    ConnectionState,
    AccessPointAddress,
    FeatureIndicator
};

struct ObjectOid
{
    Object object;
    std::vector<oid> name;
};

inline const std::vector<ObjectOid> &objects()
{
    static const std::vector<ObjectOid> list = {
        {TxOctets, {1, 3, 6, 1, 2, 1, 2, 2, 1, 16, 3}},
        {RxOctets, {1, 3, 6, 1, 2, 1, 2, 2, 1, 10, 3}},
        {FirmwareVersion, {1, 3, 6, 1, 4, 1, 4130, 5, 2, 4, 0}},
        {RebootRequest, {1, 3, 6, 1, 4, 1, 4130, 5, 4, 1, 8, 0}},
        {RebootValue, {1, 3, 6, 1, 4, 1, 4130, 5, 4, 1, 11, 0}},
        {DeviceMode, {1, 3, 6, 1, 4, 1, 4130, 2, 1, 1, 2, 1, 1, 0}},
        {RssiThreshold, {1, 3, 6, 1, 4, 1, 4130, 2, 1, 1, 2, 2, 4, 0}},
        {SnrThreshold, {1, 3, 6, 1, 4, 1, 4130, 2, 1, 1, 2, 2, 5, 0}},
        {Rssi, {1, 3, 6, 1, 4, 1, 4130, 2, 1, 1, 3, 2, 4, 0}},
        {Snr, {1, 3, 6, 1, 4, 1, 4130, 2, 1, 1, 3, 2, 5, 0}},
        {LinkRate, {1, 3, 6, 1, 4, 1, 4130, 2, 1, 1, 3, 2, 6, 0}},
        {ConnectionState, {1, 3, 6, 1, 4, 1, 4130, 2, 1, 1, 3, 2, 7, 1, 0}},
        {AccessPointAddress, {1, 3, 6, 1, 4, 1, 4130, 2, 1, 1, 3, 2, 7, 3, 0}},
        {FeatureIndicator, {1, 3, 6, 1, 4, 1, 4130, 2, 1, 1, 8, 5, 1, 0}},
    };
    return list;
}

} // namespace VeltoAgentObjects
