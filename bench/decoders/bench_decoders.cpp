// Throughput of the text decoders beside the plainest reading of the same
// input, as their anchors:
//  - GGA: one serial tick of receiver output (GGA among the other sentences)
//    against finding the GGA sentence and splitting it at its commas;
//  - wireless statistics: the answer to "wrlsstat" against splitting it at
//    its spaces and reading each number with QString::toDouble;
//  - SNMP value to text: an INTEGER and an OCTET STRING binding against
//    QString::number and QString::fromLatin1 of the same value.
#include "app/Records.h"
#include "gps/GgaDecoder.h"
#include "snmp/SnmpValueText.h"
#include "telnet/WirelessStats.h"

#include <QStringList>
#include <benchmark/benchmark.h>
#include <net-snmp/net-snmp-config.h>
// The library's headers need its configuration first.
#include <net-snmp/net-snmp-includes.h>

namespace {

const QString kSerialTick =
    QStringLiteral("$GPRMC,123519,A,4807.038,N,01131.000,E,022.4,084.4,230394,003.1,W*6A\r\n"
                   "$GPGSA,A,3,04,05,,09,12,,,24,,,,,2.5,1.3,2.1*39\r\n"
                   "$GPGGA,123519,4807.038,N,01131.000,E,1,08,0.9,545.4,M,46.9,M,,*47\r\n"
                   "$GPGSV,2,1,08,01,40,083,46,02,17,308,41,12,07,344,39,14,22,228,45*75\r\n");

const QString kStatsAnswer =
    QStringLiteral("1234567 2345678 345678901 456789012 12 34 5678 90\r\n");

void BM_GgaDecode(benchmark::State &state)
{
    GpsPosition position;
    for (auto _ : state)
        benchmark::DoNotOptimize(GgaDecoder::decode(kSerialTick, position));
    state.SetItemsProcessed(state.iterations());
    state.SetBytesProcessed(state.iterations() * kSerialTick.size());
}
BENCHMARK(BM_GgaDecode);

void BM_GgaSplitAnchor(benchmark::State &state)
{
    for (auto _ : state) {
        const qsizetype start = kSerialTick.indexOf(QLatin1String("$GPGGA"));
        const qsizetype end = kSerialTick.indexOf(QLatin1Char('*'), start);
        benchmark::DoNotOptimize(kSerialTick.mid(start, end - start).split(QLatin1Char(',')));
    }
    state.SetItemsProcessed(state.iterations());
    state.SetBytesProcessed(state.iterations() * kSerialTick.size());
}
BENCHMARK(BM_GgaSplitAnchor);

void BM_WirelessStatsParse(benchmark::State &state)
{
    for (auto _ : state)
        benchmark::DoNotOptimize(WirelessStats::parseAnswer(kStatsAnswer));
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_WirelessStatsParse);

void BM_WirelessStatsSplitAnchor(benchmark::State &state)
{
    for (auto _ : state) {
        std::array<double, 8> numbers{};
        const QStringList parts = kStatsAnswer.trimmed().split(QLatin1Char(' '));
        for (qsizetype i = 0; i < parts.size() && i < 8; ++i)
            numbers[size_t(i)] = parts[i].toDouble();
        benchmark::DoNotOptimize(numbers);
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_WirelessStatsSplitAnchor);

void BM_SnmpIntegerText(benchmark::State &state)
{
    long value = -63;
    variable_list binding{};
    binding.type = ASN_INTEGER;
    binding.val.integer = &value;
    binding.val_len = sizeof value;
    for (auto _ : state)
        benchmark::DoNotOptimize(SnmpValueText::fromBinding(&binding));
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_SnmpIntegerText);

void BM_SnmpIntegerTextAnchor(benchmark::State &state)
{
    long value = -63;
    benchmark::DoNotOptimize(&value);
    for (auto _ : state)
        benchmark::DoNotOptimize(QString::number(qint32(value)));
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_SnmpIntegerTextAnchor);

u_char kAccessPoint[] = {0x00, 0x1B, 0x2C, 0x3D, 0x4E, 0x5F};

void BM_SnmpOctetText(benchmark::State &state)
{
    variable_list binding{};
    binding.type = ASN_OCTET_STR;
    binding.val.string = kAccessPoint;
    binding.val_len = sizeof kAccessPoint;
    for (auto _ : state)
        benchmark::DoNotOptimize(SnmpValueText::fromBinding(&binding));
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_SnmpOctetText);

void BM_SnmpOctetTextAnchor(benchmark::State &state)
{
    for (auto _ : state)
        benchmark::DoNotOptimize(QString::fromLatin1(reinterpret_cast<const char *>(kAccessPoint),
                                                     qsizetype(sizeof kAccessPoint)));
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_SnmpOctetTextAnchor);

} // namespace

BENCHMARK_MAIN();
