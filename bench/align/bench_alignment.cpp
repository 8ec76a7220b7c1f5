// The alignment view's extra readings against the simulated Velto radio on
// the loopback, and what they cost the process: a Velto monitor polls
// kavo-radio-sim for a few seconds with the view closed (the anchor: the
// regular poll alone) and with it open. Reported per run:
//   readings_per_s   RSSI/SNR readings that reached the view's signal
//   cpu_percent      the process's processor time over the time that passed
// Set QT_QPA_PLATFORM=xcb and DISPLAY to measure with a real display; the
// default is the offscreen platform.
#include "app/CongestionStatus.h"
#include "app/Records.h"
#include "app/SettingsStore.h"
#include "display/AlignmentWindow.h"
#include "snmp/VeltoMonitor.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QUdpSocket>
#include <benchmark/benchmark.h>
#include <sys/resource.h>

namespace {

constexpr int kSeconds = 5;

double processCpuSeconds()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    auto seconds = [](const timeval &t) { return double(t.tv_sec) + t.tv_usec / 1e6; };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

quint16 freePort()
{
    QUdpSocket probe;
    return probe.bind(QHostAddress::LocalHost, 0) ? probe.localPort() : 0;
}

void BM_AlignmentView(benchmark::State &state)
{
    const bool viewOpen = state.range(0) != 0;
    QTemporaryDir config;
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(config.path()));
    const quint16 port = freePort();
    SettingsStore::writePreference(QStringLiteral("SNMPPort"), QString::number(port));
    QProcess simulator;
    simulator.start(QStringLiteral(KAVO_RADIO_SIM),
                    {QStringLiteral("--velto-snmp-port"), QString::number(port),
                     QStringLiteral("--velto-rescan-seconds"), QStringLiteral("3600"),
                     QStringLiteral("--duration"), QString::number(kSeconds + 30)});
    if (!simulator.waitForStarted(5000)) {
        state.SkipWithError("kavo-radio-sim did not start");
        return;
    }
    QTest::qWait(300);

    SessionSettings settings;
    settings.remoteAddress = QStringLiteral("127.0.0.1");
    settings.readCommunity = QStringLiteral("public");
    MonitorState monitorState;
    LinkStatistics link;
    CongestionStatus congestion;
    VeltoMonitor monitor(settings, monitorState, link, congestion);
    AlignmentWindow view(settings, link);
    int readings = 0;
    QObject::connect(&monitor, &VeltoMonitor::rawSignalRead, &view, [&](double r, double s) {
        ++readings;
        view.showReading(r, s);
    });
    QObject::connect(&view, &AlignmentWindow::openChanged, &monitor,
                     &VeltoMonitor::setFastReadingEnabled);
    monitor.StartVeltoMonitoring();
    // The simulated radio scans and connects for a few seconds first.
    if (!QTest::qWaitFor([&] { return readings > 0; }, 20000)) {
        state.SkipWithError("the simulated radio did not associate");
        return;
    }
    if (viewOpen)
        view.show();

    for (auto _ : state) {
        readings = 0;
        const double cpuBefore = processCpuSeconds();
        QElapsedTimer clock;
        clock.start();
        QTest::qWait(kSeconds * 1000);
        const double seconds = clock.elapsed() / 1000.0;
        state.counters["readings_per_s"] = readings / seconds;
        state.counters["cpu_percent"] = 100.0 * (processCpuSeconds() - cpuBefore) / seconds;
        state.SetIterationTime(seconds);
    }
    view.close();
    monitor.stopMonitoring();
    simulator.kill();
    simulator.waitForFinished(2000);
}
BENCHMARK(BM_AlignmentView)->Arg(0)->Arg(1)->Iterations(1)->UseManualTime();

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
