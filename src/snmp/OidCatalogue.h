#pragma once

#include <QString>
#include <QtGlobal>

// Every object the station reads from or writes to a Velto remote, by its
// catalogue index 1..14. Callers pass the index, never OID text.
namespace OidCatalogue {

inline constexpr int kFirstIndex = 1;
inline constexpr int kLastIndex = 14;

// Indexes by what the station does with them.
enum Entry : int
{
    TxOctets = 1,        // ifOutOctets of interface 3
    RxOctets = 2,        // ifInOctets of interface 3
    FirmwareVersion = 3, // text such as "4.8.0"
    RebootRequest = 4,
    RebootValue = 5,
    DeviceMode = 6, // 5 = access point
    RssiThreshold = 7,
    SnrThreshold = 8,
    Rssi = 9,      // negative dBm
    Snr = 10,      // dB, 255 = no value
    LinkRate = 11, // 1 = 256 kb/s, other = 512 kb/s
    ConnectionState = 12,
    AccessPointAddress = 13, // one octet per address byte
    FeatureIndicator = 14
};

// The text looked up for an index outside the catalogue.
inline constexpr char kInvalidOid[] = "Invalid OID";

} // namespace OidCatalogue

// Dotted OID text of a catalogue index, or "Invalid OID".
QString LookupOid(qint32 index);
