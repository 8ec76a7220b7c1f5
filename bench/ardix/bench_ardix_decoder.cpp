// How fast an Ardix datagram is decoded, and what the RSSI scale's repaint
// per datagram adds.
#include "app/Records.h"
#include "display/ColorBarModel.h"
#include "stream/ArdixDatagramDecoder.h"

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
    ArdixDatagramDecoder decoder;
    qint16 previous = -80;
    for (auto _ : state) {
        const ArdixDatagram d = decoder.decode(datagram, previous);
        previous = *d.rssi;
        benchmark::DoNotOptimize(d);
    }
    state.SetItemsProcessed(state.iterations());
    state.SetBytesProcessed(state.iterations() * datagram.size());
}
BENCHMARK(BM_DecodeDatagram);

void BM_DecodeBadMarker(benchmark::State &state)
{
    QByteArray datagram = sampleDatagram();
    datagram[1] = char(0xFE);
    ArdixDatagramDecoder decoder;
    for (auto _ : state)
        benchmark::DoNotOptimize(decoder.decode(datagram, -80));
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_DecodeBadMarker);

void BM_RssiScaleUpdate(benchmark::State &state)
{
    sessionSettings.remoteKind = RemoteKind::Ardix;
    ColorBarModel scale(ColorBarModel::Rssi);
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
