// How many datagrams per second the monitoring window takes from the
// simulated Ardix remote while its event loop stays responsive.
//
// Each run opens the real monitoring window on a free port, starts
// kavo-radio-sim sending to it on 127.0.0.1 at the offered rate for a few
// seconds, and meanwhile probes the event loop every 20 ms. Datagrams the
// window did not take in time overflow the socket's receive buffer; the
// kernel counts them (/proc/net/udp, "drops"). Reported per offered rate:
//   offered_per_s   datagrams the simulator sent per second
//   absorbed_per_s  of those, taken by the window
//   dropped         lost to a full receive buffer
//   worst_delay_ms  longest a 20 ms probe tick came late (the interface's
//                   response time under the load)
//   responsive      1 when worst_delay_ms stayed within the 100 ms the
//                   interface must answer in under a flood, else 0
// Set QT_QPA_PLATFORM=xcb and DISPLAY to measure with a real display; the
// default is the offscreen platform.
#include "monitor/MonitoringWindow.h"
#include "session/StationSession.h"
#include "session/StationWindows.h"
#include "stream/ArdixMonitor.h"
#include "stream/MulticastMembership.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QNetworkInterface>
#include <QPointer>
#include <QProcess>
#include <QSettings>
#include <QTemporaryDir>
#include <QTimer>
#include <QUdpSocket>
#include <benchmark/benchmark.h>
#include <sys/stat.h>

namespace {

constexpr int kSeconds = 2;
constexpr int kProbeMs = 20;
constexpr int kDeadlineMs = 30000;
constexpr qint64 kResponseTargetMs = 100;

// Datagrams the kernel dropped for the socket with this inode.
qint64 socketDrops(quint64 inode)
{
    QFile table(QStringLiteral("/proc/net/udp"));
    if (!table.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : table.readAll().split('\n')) {
        const QList<QByteArray> fields = line.simplified().split(' ');
        if (fields.size() >= 13 && fields[9].toULongLong() == inode)
            return fields[12].toLongLong();
    }
    return -1;
}

quint64 socketInode(qintptr descriptor)
{
    struct stat info
    {};
    return ::fstat(int(descriptor), &info) == 0 ? quint64(info.st_ino) : 0;
}

qint32 freePort()
{
    QUdpSocket probe;
    return probe.bind(QHostAddress::LocalHost, 0) ? probe.localPort() : 0;
}

// The simulator sends in bursts every millisecond.
void startSimulator(QProcess &simulator, int port, int offered)
{
    const int burst = std::max(1, offered / 1000);
    const int interval = std::max(1, 1000 * burst / offered);
    simulator.start(QStringLiteral(KAVO_RADIO_SIM),
                    {QStringLiteral("--ardix-port"), QString::number(port),
                     QStringLiteral("--ardix-interval"), QString::number(interval),
                     QStringLiteral("--ardix-burst"), QString::number(burst),
                     QStringLiteral("--ardix-count"), QString::number(offered * kSeconds),
                     QStringLiteral("--duration"), QString::number(kDeadlineMs / 1000)});
}

// The datagrams the simulator reports as sent ("sent N ...").
qint64 sentCount(QProcess &simulator)
{
    const QByteArray report = simulator.readAllStandardOutput();
    const qsizetype at = report.indexOf("sent ");
    return at >= 0 ? report.mid(at + 5).split(' ').first().toLongLong() : 0;
}

void BM_StationAbsorbsSimulator(benchmark::State &state)
{
    const int offered = int(state.range(0));
    for (auto _ : state) {
        StationSession session;
        StationWindows windows(session, &MonitoringWindow::make);
        session.settings.remoteKind = RemoteKind::Ardix;
        session.settings.destPort = freePort();
        QPointer<MonitoringWindow> form = new MonitoringWindow(session, windows);
        form->Form_Load();
        const quint64 inode = socketInode(form->ardixMonitor->socket()->socketDescriptor());
        const qint64 dropsBefore = socketDrops(inode);

        QProcess simulator;
        startSimulator(simulator, session.settings.destPort, offered);
        QElapsedTimer clock;
        clock.start();

        qint64 worstDelay = 0;
        qint64 nextProbe = kProbeMs;
        QTimer probe;
        probe.setTimerType(Qt::PreciseTimer);
        QObject::connect(&probe, &QTimer::timeout, [&] {
            worstDelay = std::max(worstDelay, clock.elapsed() - nextProbe);
            nextProbe = clock.elapsed() + kProbeMs;
        });
        probe.start(kProbeMs);

        // The window's own event loop runs until the simulator has finished,
        // then until the window has taken what is still queued.
        QEventLoop loop;
        QObject::connect(&simulator, &QProcess::finished, &loop, &QEventLoop::quit);
        QTimer::singleShot(kDeadlineMs, &loop, &QEventLoop::quit);
        if (simulator.state() != QProcess::NotRunning)
            loop.exec();
        const double sendingSeconds = clock.elapsed() / 1000.0;
        QTimer drained;
        QObject::connect(&drained, &QTimer::timeout, &loop, [&] {
            if (!form || !form->ardixMonitor->socket()->hasPendingDatagrams() ||
                clock.elapsed() > kDeadlineMs)
                loop.quit();
        });
        drained.start(10);
        loop.exec();
        drained.stop();
        probe.stop();

        const qint64 sent = sentCount(simulator);
        const qint64 dropped = socketDrops(inode) - dropsBefore;

        state.counters["offered_per_s"] = sent / sendingSeconds;
        state.counters["absorbed_per_s"] = (sent - dropped) / sendingSeconds;
        state.counters["dropped"] = double(dropped);
        state.counters["worst_delay_ms"] = double(worstDelay);
        state.counters["responsive"] = worstDelay <= kResponseTargetMs ? 1 : 0;
        state.SetIterationTime(sendingSeconds);

        if (form)
            form->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
}
BENCHMARK(BM_StationAbsorbsSimulator)
    ->Arg(500)
    ->Arg(2000)
    ->Arg(8000)
    ->Arg(20000)
    ->Arg(50000)
    ->Iterations(1)
    ->UseManualTime()
    ->Unit(benchmark::kSecond);

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    // A settings store of its own, and memberships on loopback only, so the
    // measurement changes nothing of the operator's and sends nothing out.
    QTemporaryDir store;
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, store.path());
    const int loopback = QNetworkInterface::interfaceIndexFromName(QStringLiteral("lo"));
    MulticastMembership::setInterfaceSource([loopback] { return QList<int>{loopback}; });

    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
