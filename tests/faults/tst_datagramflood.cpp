// The Ardix stream of a run under a flood of datagrams on 127.0.0.1: the
// simulated remote sends 20,000 datagrams a second for ten seconds. Whatever
// the machine's speed, timers go on firing during the flood, the values
// follow the datagrams, every datagram that reached the socket is taken once
// the flood is over, and the next datagram is taken. Stray datagrams amid
// the stream, each told to the operator, never stop it.
//
// The lateness of a 20 ms timer and the datagrams the kernel dropped are
// measured and printed; the 100 ms bound on the lateness is a figure of
// bench/ardix/bench_ardix_absorb, not asserted here.
#include "TestSupport.h"
#include "app/EventWait.h"
#include "app/Records.h"
#include "stream/ArdixDatagramDecoder.h"
#include "stream/ArdixMonitor.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QSet>
#include <QSignalSpy>
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

// Datagrams the kernel dropped for the socket with this descriptor, from
// /proc/net/udp; -1 when it cannot be told.
qint64 socketDrops(qintptr descriptor)
{
    struct stat info
    {};
    QFile table("/proc/net/udp");
    if (::fstat(int(descriptor), &info) != 0 || !table.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : table.readAll().split('\n')) {
        const QList<QByteArray> fields = line.simplified().split(' ');
        if (fields.size() >= 13 && fields[9].toULongLong() == quint64(info.st_ino))
            return fields[12].toLongLong();
    }
    return -1;
}

// An associated remote's datagram with all eight counters at this value.
QByteArray datagramWithCounters(quint32 value)
{
    QByteArray d(35, '\0');
    d[0] = char(1);
    d[1] = char(0xFF);
    d[2] = char(quint8(-61));
    for (int c = 0; c < 8; ++c) {
        for (int b = 0; b < 4; ++b)
            d[3 + 4 * c + b] = char(quint8(value >> (24 - 8 * b)));
    }
    return d;
}

// The RX bytes stored for that datagram.
QString shownCounter(quint32 value)
{
    return ArdixDatagramDecoder().decode(datagramWithCounters(value), 0).counters[0].value_or("?");
}

} // namespace

class TestDatagramFlood : public QObject
{
    Q_OBJECT
private slots:
    // A stream listening on a free loopback port.
    void init()
    {
        m_messages = std::make_unique<MessageRecorder>();
        QUdpSocket probe;
        QVERIFY(probe.bind(QHostAddress::LocalHost, 0));
        m_port = probe.localPort();
        probe.close();
        m_settings.destPort = m_port;
        m_link = LinkStatistics{};
        m_monitor = std::make_unique<ArdixMonitor>(m_settings, m_state, m_link);
        m_monitor->start();
        QCOMPARE(socket()->state(), QAbstractSocket::BoundState);
        m_dropsBefore = socketDrops(socket()->socketDescriptor());
    }

    void cleanup()
    {
        m_monitor.reset();
        m_messages.reset();
    }

    void streamKeepsUpWithTheFlood()
    {
        TerminationRecorder terminations;
        QProcess simulator;
        simulator.start(KAVO_RADIO_SIM,
                        {"--ardix-port", QString::number(m_port), "--ardix-interval", "1",
                         "--ardix-burst", QString::number(kBurst), "--ardix-count",
                         QString::number(kRatePerSecond * kSeconds), "--duration",
                         QString::number(kDeadlineMs / 1000)});
        QVERIFY2(simulator.waitForStarted(kWaitMs), qPrintable(simulator.errorString()));

        // A 20 ms timer beside the stream's own: how late each tick comes, and
        // which values are stored at that moment.
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
            if (!m_link.rxBytes.isEmpty())
                countersSeen.insert(m_link.rxBytes);
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

        // What is still queued is taken, the timers running meanwhile.
        QVERIFY(QTest::qWaitFor([&] { return !socket()->hasPendingDatagrams(); }, kDeadlineMs));
        const qint64 drops = socketDrops(socket()->socketDescriptor());
        qInfo("flood: %lld datagrams sent in %lld ms, %lld dropped by the kernel; %d ticks of a "
              "%d ms timer, worst lateness %lld ms; %lld distinct counter values stored",
              sent, floodMs, m_dropsBefore >= 0 && drops >= 0 ? drops - m_dropsBefore : -1LL, ticks,
              kProbeMs, worstLatenessMs, static_cast<long long>(countersSeen.size()));

        QVERIFY(sent > 0);
        // The timer went on firing while the datagrams came, and the values
        // moved on between its ticks rather than only after the flood.
        QVERIFY2(ticks >= 2, qPrintable(QString::number(ticks)));
        QVERIFY2(countersSeen.size() >= 2, qPrintable(QString::number(countersSeen.size())));
        QCOMPARE(m_messages->titles(), QStringList());
        QCOMPARE(terminations.count, 0);
        QVERIFY(m_link.ArdixDataFresh);
        expectNextDatagramTaken();
    }

    // A burst that comes while the event loop is held (here by the test) waits
    // in the socket's 4 MiB buffer, and every datagram of it is taken afterwards.
    void datagramsWaitWhileTheStationIsBusy()
    {
        constexpr int kBurstCount = 2000;
        QFile rmemMax("/proc/sys/net/core/rmem_max");
        if (!rmemMax.open(QIODevice::ReadOnly) ||
            rmemMax.readAll().trimmed().toLongLong() < 4 * 1024 * 1024)
            QSKIP("this machine caps a socket's receive buffer below 4 MiB (net.core.rmem_max)");
        QVERIFY(m_dropsBefore >= 0);

        for (int i = 1; i <= kBurstCount; ++i)
            send(datagramWithCounters(quint32(i)));
        QTRY_COMPARE_WITH_TIMEOUT(m_link.rxBytes, shownCounter(kBurstCount), kWaitMs);
        QVERIFY(!socket()->hasPendingDatagrams());
        QCOMPARE(socketDrops(socket()->socketDescriptor()) - m_dropsBefore, 0);
        QCOMPARE(m_messages->titles(), QStringList());
    }

    // Datagrams of 1 to 36 bytes, half of them with a bad marker, in bursts,
    // while the operator closes each "Invalid data" box soon after it
    // appears: the stream is taken to its end and the next good datagram is
    // stored.
    void strayDatagramsAmidTheStream()
    {
        constexpr int kBursts = 20;
        constexpr int kPerBurst = 100;
        m_messages->onShow = [](const OperatorMessage &) { EventWait::serveFor(3); };
        QRandomGenerator random(20261207);
        for (int burst = 0; burst < kBursts; ++burst) {
            for (int i = 0; i < kPerBurst; ++i) {
                const int size = 1 + int(random.bounded(36));
                QByteArray d = datagramWithCounters(quint32(i)).leftJustified(size, '\0', true);
                if (size > 1 && random.bounded(2))
                    d[1] = char(0xFE);
                send(d);
            }
            EventWait::serveFor(2);
        }
        QVERIFY(!m_messages->messages.isEmpty());
        QVERIFY(QTest::qWaitFor([&] { return !socket()->hasPendingDatagrams(); }, kWaitMs));
        expectNextDatagramTaken();
    }

private:
    QUdpSocket *socket() const { return m_monitor->socket(); }

    void send(const QByteArray &datagram)
    {
        QCOMPARE(m_sender.writeDatagram(datagram, QHostAddress::LocalHost, m_port),
                 datagram.size());
    }

    void expectNextDatagramTaken()
    {
        QSignalSpy looks(m_monitor.get(), &ArdixMonitor::stateLookChanged);
        QVERIFY(m_link.rxBytes != shownCounter(4242));
        send(datagramWithCounters(4242));
        QTRY_COMPARE_WITH_TIMEOUT(m_link.rxBytes, shownCounter(4242), kWaitMs);
        QCOMPARE(looks.last().first().value<StateLook>().lamp, Lamp::Associated);
    }

    std::unique_ptr<MessageRecorder> m_messages;
    SessionSettings m_settings;
    MonitorState m_state;
    LinkStatistics m_link;
    std::unique_ptr<ArdixMonitor> m_monitor;
    quint16 m_port = 0;
    qint64 m_dropsBefore = -1;
    QUdpSocket m_sender;
};

QTEST_MAIN(TestDatagramFlood)
#include "tst_datagramflood.moc"
