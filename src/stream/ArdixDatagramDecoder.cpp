#include "ArdixDatagramDecoder.h"

#include "DataProcessingOps.h"

namespace {

constexpr int kStateByte = 0;
constexpr int kMarkerByte = 1;
constexpr int kRssiByte = 2;
constexpr int kFirstCounterByte = 3;
constexpr int kCounterBytes = 4;

// The byte's two upper-case hexadecimal digits ("05", "B5", "FF").
QLatin1StringView byteHex(quint8 byte)
{
    static const std::array<std::array<char, 2>, 256> table = [] {
        constexpr char digits[] = "0123456789ABCDEF";
        std::array<std::array<char, 2>, 256> t{};
        for (int b = 0; b < 256; ++b)
            t[b] = {digits[b >> 4], digits[b & 0xF]};
        return t;
    }();
    return QLatin1StringView(table[byte].data(), 2);
}

} // namespace

ArdixDatagram ArdixDatagramDecoder::decode(const QByteArray &datagram, qint16 previousRssi)
{
    ArdixDatagram result;
    const int byteCount = static_cast<int>(std::min<qsizetype>(datagram.size(), kDatagramSize));
    std::array<char, 2 * kCounterBytes> accumulator{};
    int accumulated = 0;

    for (int i = 0; i < byteCount; ++i) {
        const QLatin1StringView currentByteHex = byteHex(static_cast<quint8>(datagram[i]));
        m_conversion.setHexNum(currentByteHex);

        if (i == kStateByte) {
            result.state = static_cast<int>(m_conversion.DeciNum());
            ++result.fieldsComplete;
        } else if (i == kMarkerByte) {
            if (currentByteHex != QLatin1StringView("FF")) {
                result.marker = ArdixDatagram::Marker::Invalid;
                return result; // nothing after a bad marker is the remote's
            }
            result.marker = ArdixDatagram::Marker::Valid;
            ++result.fieldsComplete;
        } else if (i == kRssiByte) {
            result.rawRssi = DataProcessingOps::DecodeRSSI(m_conversion);
            result.rssi = DataProcessingOps::smoothRssi(*result.rawRssi, previousRssi);
            ++result.fieldsComplete;
        } else {
            accumulator[accumulated++] = currentByteHex[0].toLatin1();
            accumulator[accumulated++] = currentByteHex[1].toLatin1();
            if (accumulated == int(accumulator.size())) {
                m_conversion.setHexNum(QLatin1StringView(accumulator.data(), accumulated));
                const int counter = (i - kFirstCounterByte) / kCounterBytes;
                result.counters[counter] = DataProcessingOps::counterText(m_conversion.DeciNum());
                ++result.fieldsComplete;
                accumulated = 0;
            }
        }
    }
    return result;
}
