#pragma once

#include <QByteArray>
#include <QString>
#include <array>
#include <optional>

// What one Ardix statistics datagram says. A field is present only when its
// last byte arrived; after a bad marker byte nothing further is decoded.
//
// Datagram (35 bytes, multi-byte fields most significant byte first):
//   0 state (1 = associated)   1 marker 0xFF   2 RSSI (low 8 bits of -dBm)
//   3 RX Bytes  7 RX Packets  11 RX Errors  15 TX Bytes  19 TX Packets
//   23 TX Errors  27 Fragments  31 Retries   (4 bytes each; bytes after 34 ignored)
struct ArdixDatagram
{
    enum class Marker
    {
        NotReached, // fewer than two bytes
        Valid,
        Invalid
    };

    // Counters in datagram order.
    enum Counter
    {
        RxBytes,
        RxPackets,
        RxErrors,
        TxBytes,
        TxPackets,
        TxErrors,
        Fragments,
        Retries,
        CounterCount
    };

    std::optional<int> state;
    Marker marker = Marker::NotReached;
    std::optional<qint16> rawRssi; // as decoded, before smoothing
    std::optional<qint16> rssi;    // smoothed with the previous reading
    std::array<std::optional<QString>, CounterCount> counters;
    int fieldsComplete = 0; // of the eleven fields above (state, marker, RSSI, counters)
};

// Decodes Ardix datagrams straight from their bytes: the RSSI byte is the low
// eight bits of -dBm (0 stays 0 dBm), each counter is held in single precision
// as the station always has, so counters above 2^24 come back rounded. It
// keeps nothing between datagrams (the previous RSSI is the caller's, stored
// in linkStatistics).
class ArdixDatagramDecoder
{
public:
    static constexpr int kDatagramSize = 35;

    static ArdixDatagram decode(const QByteArray &datagram, qint16 previousRssi);
};
