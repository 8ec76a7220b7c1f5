// How fast an Ardix datagram is decoded, and what the RSSI scale's repaint
// per datagram adds. Anchor: reading the same fields straight from the bytes
// (qFromBigEndian) into the same results, counters as decimal text.
#include "app/ColorBarModel.h"
#include "app/Records.h"
#include "stream/ArdixDatagramDecoder.h"

#include <QtEndian>
#include <benchmark/benchmark.h>

namespace {

QByteArray sampleDatagram()
{
    return QByteArray::fromHex("01FFB5"
                               "00BC614E0012D68700000003009896801234567800000000"
                               "0000002A80000000");
}

void BM_DecodeDatagram(benchmark::State &state)
{
    const QByteArray datagram = sampleDatagram();
    qint16 previous = -80;
    for (auto _ : state) {
        const ArdixDatagram d = ArdixDatagramDecoder::decode(datagram, previous);
        previous = *d.rssi;
        benchmark::DoNotOptimize(d);
    }
    state.SetItemsProcessed(state.iterations());
    state.SetBytesProcessed(state.iterations() * datagram.size());
}
BENCHMARK(BM_DecodeDatagram);

void BM_DecodeDatagramAnchor(benchmark::State &state)
{
    const QByteArray datagram = sampleDatagram();
    const auto *bytes = reinterpret_cast<const uchar *>(datagram.constData());
    for (auto _ : state) {
        ArdixDatagram d;
        d.state = bytes[0];
        d.marker = bytes[1] == 0xFF ? ArdixDatagram::Marker::Valid : ArdixDatagram::Marker::Invalid;
        d.rawRssi = qint16(-bytes[2]);
        for (int c = 0; c < ArdixDatagram::CounterCount; ++c)
            d.counters[size_t(c)] = QString::number(qFromBigEndian<quint32>(bytes + 3 + 4 * c));
        benchmark::DoNotOptimize(d);
    }
    state.SetItemsProcessed(state.iterations());
    state.SetBytesProcessed(state.iterations() * datagram.size());
}
BENCHMARK(BM_DecodeDatagramAnchor);

void BM_DecodeBadMarker(benchmark::State &state)
{
    QByteArray datagram = sampleDatagram();
    datagram[1] = char(0xFE);
    for (auto _ : state)
        benchmark::DoNotOptimize(ArdixDatagramDecoder::decode(datagram, -80));
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_DecodeBadMarker);

void BM_RssiScaleUpdate(benchmark::State &state)
{
    SessionSettings settings;
    settings.remoteKind = RemoteKind::Ardix;
    LinkStatistics link;
    ColorBarModel scale(ColorBarModel::Rssi, settings, link);
    scale.InitColorBar();
    for (auto _ : state) {
        scale.UpdateColorBar();
        benchmark::DoNotOptimize(scale.cells());
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_RssiScaleUpdate);

} // namespace

BENCHMARK_MAIN();
