// An Ardix datagram as it comes off the socket: the first two bytes of the
// input are the previous RSSI reading, the rest is the datagram.
#include "FuzzCheck.h"
#include "app/Numeric.h"
#include "stream/ArdixDatagramDecoder.h"

#include <cmath>
#include <cstdint>
#include <cstdio>

namespace {

quint32 counterAt(const QByteArray &datagram, int first)
{
    quint32 value = 0;
    for (int i = first; i < first + 4; ++i)
        value = value << 8 | quint8(datagram[i]);
    return value;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 2)
        return 0;
    const qint16 previous = qint16(quint16(data[0] << 8 | data[1]));
    const QByteArray datagram(reinterpret_cast<const char *>(data + 2), qsizetype(size - 2));
    const ArdixDatagram result = ArdixDatagramDecoder::decode(datagram, previous);

    const int bytes =
        int(std::min<qsizetype>(datagram.size(), ArdixDatagramDecoder::kDatagramSize));
    if (bytes == 0) {
        FUZZ_CHECK(result.fieldsComplete == 0 && !result.state);
        FUZZ_CHECK(result.marker == ArdixDatagram::Marker::NotReached);
        return 0;
    }
    FUZZ_CHECK(result.state == int(quint8(datagram[0])));
    if (bytes == 1) {
        FUZZ_CHECK(result.fieldsComplete == 1);
        FUZZ_CHECK(result.marker == ArdixDatagram::Marker::NotReached);
        return 0;
    }
    if (quint8(datagram[1]) != 0xFF) {
        FUZZ_CHECK(result.marker == ArdixDatagram::Marker::Invalid);
        FUZZ_CHECK(result.fieldsComplete == 1 && !result.rawRssi);
        return 0;
    }
    FUZZ_CHECK(result.marker == ArdixDatagram::Marker::Valid);
    if (bytes >= 3) {
        const int byte = quint8(datagram[2]);
        FUZZ_CHECK(result.rawRssi == qint16(byte == 0 ? 0 : byte - 256));
        const qint16 expected =
            previous == 0
                ? *result.rawRssi
                : qint16(Numeric::roundHalfEven((double(*result.rawRssi) + previous) / 2));
        FUZZ_CHECK(result.rssi == expected);
    } else {
        FUZZ_CHECK(!result.rawRssi && !result.rssi);
    }
    const int counters = bytes >= 3 ? (bytes - 3) / 4 : 0;
    FUZZ_CHECK(result.fieldsComplete == 2 + (bytes >= 3) + counters);
    for (int k = 0; k < ArdixDatagram::CounterCount; ++k) {
        FUZZ_CHECK(result.counters[k].has_value() == (k < counters));
        if (k >= counters)
            continue;
        // Seven significant digits of the counter's value held in single
        // precision, plain up to 9999999 and in exponent form from there on.
        const double value = counterAt(datagram, 3 + 4 * k);
        const QString &text = *result.counters[k];
        char expected[32];
        std::snprintf(expected, sizeof expected, "%.7G", double(float(value)));
        FUZZ_CHECK(text == QLatin1StringView(expected));
        bool ok = false;
        const double shown = text.toDouble(&ok);
        FUZZ_CHECK(ok);
        FUZZ_CHECK(std::fabs(shown - value) <= std::max(0.5, value * 6e-7));
    }
    return 0;
}
