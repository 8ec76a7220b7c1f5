// The monitoring window of an Ardix run under a flood of datagrams: the
// simulated remote sends 20,000 datagrams a second for ten seconds to the
// window's port on 127.0.0.1. Whatever the machine's speed, the window's
// timers go on firing during the flood, its display follows the datagrams,
// it has taken every datagram that reached its socket once the flood is
// over, and it answers the operator afterwards. A burst that comes while
// the window is busy waits in its socket until the window takes it.
//
// The lateness of a 20 ms timer and the datagrams the kernel dropped are
// measured and printed; the 100 ms bound on the lateness is a figure of
// bench/ardix/bench_ardix_absorb, not asserted here.
#include "TestSupport.h"
#include "app/Records.h"
#include "app/StationWindows.h"
#include "monitor/KavomonitoringForm.h"
#include "stream/ArdixDatagramDecoder.h"

#include <QAction>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QLabel>
#include <QPointer>
#include <QProcess>
#include <QSet>
#include <QTimer>
#include <QUdpSocket>
#include <QtTest>
#include <sys/stat.h>

namespace {

constexpr int kRatePerSecond = 20000;
constexpr int kSeconds = 10;
constexpr int kBurst = 20; // datagrams per millisecond tick of the simulator
constexpr int kProbeMs = 20;
constexpr int kDeadlineMs = 60000;
constexpr int kWaitMs = 5000;

qint32 freePort()
{
    QUdpSocket probe;
    return probe.bind(QHostAddress::LocalHost, 0) ? probe.localPort() : 0;
}

// Datagrams the kernel dropped for the socket with this descriptor, from
// /proc/net/udp; -1 when it cannot be told.
qint64 socketDrops(qintptr descriptor)
{
    struct stat info
    {};
    if (::fstat(int(descriptor), &info) != 0)
        return -1;
    QFile table(QStringLiteral("/proc/net/udp"));
    if (!table.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : table.readAll().split('\n')) {
        const QList<QByteArray> fields = line.simplified().split(' ');
        if (fields.size() >= 13 && fields[9].toULongLong() == quint64(info.st_ino))
            return fields[12].toLongLong();
    }
    return -1;
}

// An associated remote's datagram with all eight counters at this value.
QByteArray datagramWithCounters(quint32 value, qint8 rssiDbm)
{
    QByteArray d(35, '\0');
    d[0] = char(1);
    d[1] = char(0xFF);
    d[2] = char(quint8(rssiDbm));
    for (int c = 0; c < 8; ++c) {
        for (int b = 0; b < 4; ++b)
            d[3 + 4 * c + b] = char(quint8(value >> (24 - 8 * b)));
    }
    return d;
}

} // namespace

class TestDatagramFlood : public QObject
{
    Q_OBJECT
private slots:
    void windowKeepsUpWithTheFlood();
    void datagramsWaitWhileTheWindowIsBusy();
};

void TestDatagramFlood::windowKeepsUpWithTheFlood()
{
    TestStore store;
    MessageRecorder messages;
    TerminationRecorder terminations;
    sessionSettings.remoteKind = RemoteKind::Ardix;
    sessionSettings.destPort = freePort();
    QVERIFY(sessionSettings.destPort > 0);
    QPointer<KavomonitoringForm> form = new KavomonitoringForm;
    form->Form_Load();
    QCOMPARE(form->Winsock1->state(), QAbstractSocket::BoundState);
    const qint64 dropsBefore = socketDrops(form->Winsock1->socketDescriptor());

    QProcess simulator;
    simulator.start(QStringLiteral(KAVO_RADIO_SIM),
                    {QStringLiteral("--ardix-port"), QString::number(sessionSettings.destPort),
                     QStringLiteral("--ardix-interval"), QStringLiteral("1"),
                     QStringLiteral("--ardix-burst"), QString::number(kBurst),
                     QStringLiteral("--ardix-count"), QString::number(kRatePerSecond * kSeconds),
                     QStringLiteral("--duration"), QString::number(kDeadlineMs / 1000)});
    QVERIFY2(simulator.waitForStarted(kWaitMs), qPrintable(simulator.errorString()));

    // A 20 ms timer beside the window's own: how late each tick comes, and
    // what the window shows at that moment.
    QElapsedTimer clock;
    clock.start();
    qint64 worstLatenessMs = 0;
    qint64 nextTickAt = kProbeMs;
    int ticks = 0;
    QSet<QString> countersSeen;
    QTimer probe;
    probe.setTimerType(Qt::PreciseTimer);
    connect(&probe, &QTimer::timeout, this, [&] {
        worstLatenessMs = std::max(worstLatenessMs, clock.elapsed() - nextTickAt);
        nextTickAt = clock.elapsed() + kProbeMs;
        ++ticks;
        if (!linkStatistics.rxBytes.isEmpty())
            countersSeen.insert(linkStatistics.rxBytes);
    });
    probe.start(kProbeMs);

    QEventLoop loop;
    connect(&simulator, &QProcess::finished, &loop, &QEventLoop::quit);
    QTimer::singleShot(kDeadlineMs, &loop, &QEventLoop::quit);
    if (simulator.state() != QProcess::NotRunning)
        loop.exec();
    const qint64 floodMs = clock.elapsed();
    probe.stop();
    QCOMPARE(simulator.state(), QProcess::NotRunning);
    const QByteArray report = simulator.readAllStandardOutput();
    const qsizetype at = report.indexOf("sent ");
    QVERIFY2(at >= 0, report.constData());
    const qint64 sent = report.mid(at + 5).split(' ').first().toLongLong();

    // The window takes what is still queued, its timers running meanwhile.
    QVERIFY(form);
    QVERIFY(QTest::qWaitFor([&] { return !form->Winsock1->hasPendingDatagrams(); }, kDeadlineMs));
    const qint64 drops = socketDrops(form->Winsock1->socketDescriptor());
    const qint64 dropped = dropsBefore >= 0 && drops >= 0 ? drops - dropsBefore : -1;

    qInfo("flood: %lld datagrams sent in %lld ms (%.0f/s), %lld dropped by the kernel, "
          "%lld taken by the window",
          static_cast<long long>(sent), static_cast<long long>(floodMs),
          sent * 1000.0 / std::max<qint64>(1, floodMs), static_cast<long long>(dropped),
          static_cast<long long>(dropped >= 0 ? sent - dropped : -1));
    qInfo("flood: %d ticks of a %d ms timer, worst lateness %lld ms; %lld distinct counter "
          "values shown",
          ticks, kProbeMs, static_cast<long long>(worstLatenessMs),
          static_cast<long long>(countersSeen.size()));

    QVERIFY(sent > 0);
    // The timer went on firing while the datagrams came, and the display
    // moved on between its ticks rather than only after the flood.
    QVERIFY2(ticks >= 2, qPrintable(QString::number(ticks)));
    QVERIFY2(countersSeen.size() >= 2, qPrintable(QString::number(countersSeen.size())));
    // No message, no end of the station, the run still going.
    QCOMPARE(messages.titles(), QStringList());
    QCOMPARE(terminations.count, 0);
    QVERIFY(!form->isUnloaded());
    QVERIFY(!monitorState.monitoringStopped);
    QVERIFY(linkStatistics.ArdixDataFresh);

    // After the flood, the window shows the next datagram that comes.
    const QByteArray last = datagramWithCounters(4242, -61);
    const std::optional<QString> expected =
        ArdixDatagramDecoder().decode(last, linkStatistics.rssi).counters[0];
    QVERIFY(expected);
    QVERIFY(!countersSeen.contains(*expected));
    QUdpSocket sender;
    sender.writeDatagram(last, QHostAddress(QHostAddress::LocalHost),
                         quint16(sessionSettings.destPort));
    QTRY_COMPARE_WITH_TIMEOUT(linkStatistics.rxBytes, *expected, kWaitMs);
    QCOMPARE(form->status->text(), QStringLiteral("Associated"));

    // And it answers the operator: stop and resume run as at any time.
    form->runStopMenu_Click();
    QVERIFY(monitorState.monitoringStopped);
    QCOMPARE(form->runStopMenu->text(), QStringLiteral("Resume Monitoring"));
    form->runStopMenu_Click();
    QVERIFY(!monitorState.monitoringStopped);
    QCOMPARE(form->Winsock1->state(), QAbstractSocket::BoundState);
    QCOMPARE(messages.titles(), QStringList());

    form->close();
    StationWindows::closeSnifferForm();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

void TestDatagramFlood::datagramsWaitWhileTheWindowIsBusy()
{
    // A burst comes while the window is busy with something else (here: the
    // test holds the event loop): the datagrams wait in the socket, and the
    // window takes every one of them afterwards.
    constexpr int kBurstCount = 2000;
    constexpr qint64 kBufferBytes = 4 * 1024 * 1024;
    QFile rmemMax(QStringLiteral("/proc/sys/net/core/rmem_max"));
    if (!rmemMax.open(QIODevice::ReadOnly) ||
        rmemMax.readAll().trimmed().toLongLong() < kBufferBytes)
        QSKIP("this machine caps a socket's receive buffer below 4 MiB (net.core.rmem_max)");

    TestStore store;
    MessageRecorder messages;
    sessionSettings.remoteKind = RemoteKind::Ardix;
    sessionSettings.destPort = freePort();
    QPointer<KavomonitoringForm> form = new KavomonitoringForm;
    form->Form_Load();
    QCOMPARE(form->Winsock1->state(), QAbstractSocket::BoundState);
    const qint64 dropsBefore = socketDrops(form->Winsock1->socketDescriptor());
    QVERIFY(dropsBefore >= 0);

    QUdpSocket sender;
    int written = 0;
    for (int i = 1; i <= kBurstCount; ++i) {
        const QByteArray d = datagramWithCounters(quint32(i), -61);
        if (sender.writeDatagram(d, QHostAddress(QHostAddress::LocalHost),
                                 quint16(sessionSettings.destPort)) == d.size())
            ++written;
    }
    QCOMPARE(written, kBurstCount);

    const std::optional<QString> expected =
        ArdixDatagramDecoder()
            .decode(datagramWithCounters(quint32(kBurstCount), -61), linkStatistics.rssi)
            .counters[0];
    QVERIFY(expected);
    QTRY_COMPARE_WITH_TIMEOUT(linkStatistics.rxBytes, *expected, kWaitMs);
    QVERIFY(!form->Winsock1->hasPendingDatagrams());
    QCOMPARE(socketDrops(form->Winsock1->socketDescriptor()) - dropsBefore, 0);
    QCOMPARE(messages.titles(), QStringList());

    form->close();
    StationWindows::closeSnifferForm();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

QTEST_MAIN(TestDatagramFlood)
#include "tst_datagramflood.moc"
