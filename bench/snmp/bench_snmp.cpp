// Round trip of one GetViaSNMP (session opened per request, answer through
// the socket notifier and the nested event loop) against the library's plain
// synchronous GET on the same local snmpd: with a session of its own per
// request, as the layer has, and on one session kept open, which shows what
// opening and closing a session costs. Also the processor time used while a
// request waits for a silent agent.
#include "SnmpAgentFixture.h"
#include "session/StationSession.h"
#include "snmp/OidCatalogue.h"
#include "snmp/SnmpClient.h"

#include <QCoreApplication>
#include <QSettings>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <chrono>
#include <ctime>
#include <net-snmp/net-snmp-config.h>
// The library's headers need its configuration first.
#include <net-snmp/net-snmp-includes.h>

namespace {

const QString kStateOid = LookupOid(OidCatalogue::ConnectionState);

struct Bench
{
    QTemporaryDir settingsDir;
    std::unique_ptr<SnmpdAgent> agent;
    QTimer timeout;
    StationSession session;
    std::unique_ptr<SnmpClient> layer;
    void *plainSession = nullptr;
};

Bench *bench = nullptr;

void *openPlainSession();

bool setUp()
{
    bench = new Bench;
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, bench->settingsDir.path());
    bench->agent =
        std::make_unique<SnmpdAgent>(QStringList{kStateOid + QStringLiteral(" integer 5")});
    if (!bench->agent->isRunning()) {
        std::fprintf(stderr, "snmpd: %s\n", qPrintable(bench->agent->failure()));
        return false;
    }
    QSettings(QSettings::IniFormat, QSettings::UserScope,
              QStringLiteral("Kavo Connectivity Window"),
              QStringLiteral("Kavo Connectivity Window"))
        .setValue(QStringLiteral("Preferences/SNMPPort"), QString::number(bench->agent->port()));
    bench->session.settings.remoteAddress = QStringLiteral("127.0.0.1");
    bench->session.settings.readCommunity = QStringLiteral("public");
    bench->timeout.setInterval(5000);
    bench->layer = std::make_unique<SnmpClient>(bench->session.settings, bench->session.monitor,
                                                &bench->timeout);
    QObject::connect(&bench->timeout, &QTimer::timeout, [] {
        bench->timeout.stop();
        bench->layer->endRequestByTimeout();
    });
    bench->layer->StartSnmp();

    bench->plainSession = openPlainSession();
    return bench->plainSession != nullptr;
}

void *openPlainSession()
{
    netsnmp_session settings;
    snmp_sess_init(&settings);
    settings.version = SNMP_VERSION_1;
    QByteArray peer = "udp:127.0.0.1:" + QByteArray::number(bench->agent->port());
    settings.peername = peer.data();
    static char community[] = "public";
    settings.community = reinterpret_cast<u_char *>(community);
    settings.community_len = sizeof community - 1;
    return snmp_sess_open(&settings);
}

QString plainGet(void *session)
{
    netsnmp_pdu *pdu = snmp_pdu_create(SNMP_MSG_GET);
    oid name[] = {1, 3, 6, 1, 4, 1, 4130, 2, 1, 1, 3, 2, 7, 1, 0};
    snmp_add_null_var(pdu, name, OID_LENGTH(name));
    netsnmp_pdu *response = nullptr;
    QString text;
    if (snmp_sess_synch_response(session, pdu, &response) == STAT_SUCCESS && response &&
        response->variables && response->variables->val.integer)
        text = QString::number(*response->variables->val.integer);
    if (response)
        snmp_free_pdu(response);
    return text;
}

void BM_GetViaSNMP(benchmark::State &state)
{
    for (auto _ : state) {
        const QString answer = bench->layer->GetViaSNMP(OidCatalogue::ConnectionState);
        if (answer != QLatin1String("5"))
            state.SkipWithError("no answer");
        benchmark::DoNotOptimize(answer);
    }
}
BENCHMARK(BM_GetViaSNMP)->UseRealTime()->Unit(benchmark::kMicrosecond);

void BM_PlainSynchronousGet(benchmark::State &state)
{
    for (auto _ : state) {
        const QString answer = plainGet(bench->plainSession);
        if (answer != QLatin1String("5"))
            state.SkipWithError("no answer");
        benchmark::DoNotOptimize(answer);
    }
}
BENCHMARK(BM_PlainSynchronousGet)->UseRealTime()->Unit(benchmark::kMicrosecond);

// The same with a session of its own for each request, as the layer does.
void BM_PlainSynchronousGetOwnSession(benchmark::State &state)
{
    for (auto _ : state) {
        void *session = openPlainSession();
        const QString answer = plainGet(session);
        snmp_sess_close(session);
        if (answer != QLatin1String("5"))
            state.SkipWithError("no answer");
        benchmark::DoNotOptimize(answer);
    }
}
BENCHMARK(BM_PlainSynchronousGetOwnSession)->UseRealTime()->Unit(benchmark::kMicrosecond);

// The three in turn within one run: the layer's mean round trip over each
// plain one.
void BM_GetViaSNMPOverPlainGet(benchmark::State &state)
{
    using Clock = std::chrono::steady_clock;
    Clock::duration layer{}, kept{}, own{};
    for (auto _ : state) {
        const auto t0 = Clock::now();
        benchmark::DoNotOptimize(bench->layer->GetViaSNMP(OidCatalogue::ConnectionState));
        const auto t1 = Clock::now();
        benchmark::DoNotOptimize(plainGet(bench->plainSession));
        const auto t2 = Clock::now();
        void *session = openPlainSession();
        benchmark::DoNotOptimize(plainGet(session));
        snmp_sess_close(session);
        const auto t3 = Clock::now();
        layer += t1 - t0;
        kept += t2 - t1;
        own += t3 - t2;
    }
    const double l = double(layer.count());
    state.counters["over_kept_session"] = l / double(std::max<qint64>(1, kept.count()));
    state.counters["over_own_session"] = l / double(std::max<qint64>(1, own.count()));
}
BENCHMARK(BM_GetViaSNMPOverPlainGet)->UseRealTime()->Unit(benchmark::kMicrosecond);

// A request to a port nobody answers on: the wait lasts the whole time-out
// (200 ms here); the processor time it costs is reported per second waited.
void BM_PendingWaitCpu(benchmark::State &state)
{
    QUdpSocket silent;
    silent.bind(QHostAddress::LocalHost, 0);
    QSettings(QSettings::IniFormat, QSettings::UserScope,
              QStringLiteral("Kavo Connectivity Window"),
              QStringLiteral("Kavo Connectivity Window"))
        .setValue(QStringLiteral("Preferences/SNMPPort"), QString::number(silent.localPort()));
    bench->layer->StartSnmp();
    bench->timeout.setInterval(200);
    double cpu = 0, wall = 0;
    for (auto _ : state) {
        timespec c0{}, c1{};
        clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &c0);
        const auto w0 = std::chrono::steady_clock::now();
        benchmark::DoNotOptimize(bench->layer->GetViaSNMP(OidCatalogue::ConnectionState));
        const auto w1 = std::chrono::steady_clock::now();
        clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &c1);
        cpu += double(c1.tv_sec - c0.tv_sec) + double(c1.tv_nsec - c0.tv_nsec) / 1e9;
        wall += std::chrono::duration<double>(w1 - w0).count();
    }
    state.counters["cpu_share"] = cpu / std::max(wall, 1e-9);
}
BENCHMARK(BM_PendingWaitCpu)->UseRealTime()->Iterations(5)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (!setUp())
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    snmp_sess_close(bench->plainSession);
    bench->layer.reset();
    delete bench;
    return 0;
}
