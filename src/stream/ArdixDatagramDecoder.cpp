#include "ArdixDatagramDecoder.h"

#include "ArdixReadings.h"

#include <QtEndian>

namespace {

constexpr int kStateByte = 0;
constexpr int kMarkerByte = 1;
constexpr int kRssiByte = 2;
constexpr int kFirstCounterByte = 3;
constexpr int kCounterBytes = 4;
constexpr quint8 kValidMarker = 0xFF;

} // namespace

ArdixDatagram ArdixDatagramDecoder::decode(const QByteArray &datagram, qint16 previousRssi)
{
    ArdixDatagram result;
    const qsizetype byteCount = std::min<qsizetype>(datagram.size(), kDatagramSize);
    const auto *bytes = reinterpret_cast<const uchar *>(datagram.constData());
    if (byteCount <= kStateByte)
        return result;
    result.state = bytes[kStateByte];
    ++result.fieldsComplete;
    if (byteCount <= kMarkerByte)
        return result;
    if (bytes[kMarkerByte] != kValidMarker) {
        result.marker = ArdixDatagram::Marker::Invalid;
        return result; // nothing after a bad marker is the remote's
    }
    result.marker = ArdixDatagram::Marker::Valid;
    ++result.fieldsComplete;
    if (byteCount <= kRssiByte)
        return result;
    result.rawRssi = ArdixReadings::rssiOfByte(bytes[kRssiByte]);
    result.rssi = ArdixReadings::smoothRssi(*result.rawRssi, previousRssi);
    ++result.fieldsComplete;
    for (int counter = 0; counter < ArdixDatagram::CounterCount; ++counter) {
        const int first = kFirstCounterByte + counter * kCounterBytes;
        if (first + kCounterBytes > byteCount)
            break; // a counter counts only once its last byte came
        result.counters[size_t(counter)] =
            ArdixReadings::counterText(qFromBigEndian<quint32>(bytes + first));
        ++result.fieldsComplete;
    }
    return result;
}
