// The Ardix stream of a run under a flood of datagrams on 127.0.0.1: the
// simulated remote sends 20,000 datagrams a second for ten seconds. Whatever
// the machine's speed, timers go on firing during the flood, the values
// follow the datagrams, every datagram that reached the socket is taken once
// the flood is over, and the next datagram is taken. Stray datagrams amid
// the stream, each told to the operator, never stop it.
//
// How late the timers come is a figure of bench/ardix/bench_ardix_absorb.
#include "TestSupport.h"
#include "app/EventWait.h"
#include "app/Records.h"
#include "stream/ArdixDatagramDecoder.h"
#include "stream/ArdixMonitor.h"

#include <QEventLoop>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QSet>
#include <QSignalSpy>
#include <QTimer>
#include <QUdpSocket>
#include <QtTest>

namespace {

constexpr int kWaitMs = 5000;

// An associated remote's datagram with all eight counters at this value.
QByteArray datagramWithCounters(quint32 value)
{
    QByteArray d(35, '\0');
    d[0] = 1;
    d[1] = char(0xFF);
    d[2] = char(quint8(-61));
    for (int at = 3; at < 35; at += 4)
        qToBigEndian(value, d.data() + at);
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
        m_messages.clear();
        m_messages.onShow = nullptr;
        QUdpSocket probe;
        QVERIFY(probe.bind(QHostAddress::LocalHost, 0));
        m_settings.destPort = probe.localPort();
        probe.close();
        m_link = LinkStatistics{};
        m_monitor.emplace(m_settings, m_state, m_link);
        m_monitor->start();
        QCOMPARE(socket()->state(), QAbstractSocket::BoundState);
    }

    void cleanup() { m_monitor.reset(); }

    void streamKeepsUpWithTheFlood()
    {
        TerminationRecorder terminations;
        QProcess simulator;
        simulator.start(KAVO_RADIO_SIM, {"--ardix-port", QString::number(m_settings.destPort),
                                         "--ardix-interval", "1", "--ardix-burst", "20",
                                         "--ardix-count", "200000", "--duration", "60"});
        QVERIFY2(simulator.waitForStarted(kWaitMs), qPrintable(simulator.errorString()));

        // A 20 ms timer beside the stream's own, and the values stored at its ticks.
        QSet<QString> countersSeen;
        int ticks = 0;
        QTimer probe;
        connect(&probe, &QTimer::timeout, this, [&] {
            ++ticks;
            if (!m_link.rxBytes.isEmpty())
                countersSeen.insert(m_link.rxBytes);
        });
        probe.start(20);
        QEventLoop loop; // as the station's own, with no pauses of a test wait
        connect(&simulator, &QProcess::finished, &loop, &QEventLoop::quit);
        QTimer::singleShot(60000, &loop, &QEventLoop::quit);
        if (simulator.state() != QProcess::NotRunning)
            loop.exec();
        probe.stop();
        QCOMPARE(simulator.state(), QProcess::NotRunning);
        const QByteArray report = simulator.readAllStandardOutput();
        QVERIFY2(report.contains("sent ") && !report.contains("sent 0 "), report.constData());

        // What is still queued is taken, the timers running meanwhile.
        QVERIFY(QTest::qWaitFor([&] { return !socket()->hasPendingDatagrams(); }, 60000));
        // The timer went on firing while the datagrams came, and the values
        // moved on between its ticks rather than only after the flood.
        QVERIFY2(ticks >= 2, qPrintable(QString::number(ticks)));
        QVERIFY2(countersSeen.size() >= 2, qPrintable(QString::number(countersSeen.size())));
        QCOMPARE(m_messages.titles(), QStringList());
        QCOMPARE(terminations.count, 0);
        QVERIFY(m_link.ArdixDataFresh);
        expectNextDatagramTaken();
    }

    // A burst that comes while the event loop is held (here by the test) waits
    // in the socket's 4 MiB buffer, and every datagram of it is taken afterwards:
    // with a smaller buffer the last ones would be dropped.
    void datagramsWaitWhileTheStationIsBusy()
    {
        QFile rmemMax("/proc/sys/net/core/rmem_max");
        if (!rmemMax.open(QIODevice::ReadOnly) ||
            rmemMax.readAll().trimmed().toLongLong() < 4 * 1024 * 1024)
            QSKIP("this machine caps a socket's receive buffer below 4 MiB (net.core.rmem_max)");
        for (quint32 i = 1; i <= 2000; ++i)
            send(datagramWithCounters(i));
        QTRY_COMPARE_WITH_TIMEOUT(m_link.rxBytes, shownCounter(2000), kWaitMs);
        QVERIFY(!socket()->hasPendingDatagrams());
        QCOMPARE(m_messages.titles(), QStringList());
    }

    // Datagrams of 1 to 36 bytes, half of them with a bad marker, in bursts,
    // while the operator closes each "Invalid data" box soon after it
    // appears: the stream is taken to its end and the next good datagram is
    // stored.
    void strayDatagramsAmidTheStream()
    {
        m_messages.onShow = [](const OperatorMessage &) { EventWait::serveFor(3); };
        QRandomGenerator random(20261207);
        for (int burst = 0; burst < 20; ++burst) {
            for (quint32 i = 0; i < 100; ++i) {
                const int size = 1 + int(random.bounded(36));
                QByteArray d = datagramWithCounters(i).leftJustified(size, '\0', true);
                if (size > 1 && random.bounded(2))
                    d[1] = char(0xFE);
                send(d);
            }
            EventWait::serveFor(2);
        }
        QVERIFY(!m_messages.messages.isEmpty());
        QVERIFY(QTest::qWaitFor([&] { return !socket()->hasPendingDatagrams(); }, kWaitMs));
        expectNextDatagramTaken();
    }

private:
    QUdpSocket *socket() const { return m_monitor->socket(); }

    void send(const QByteArray &datagram)
    {
        QCOMPARE(m_sender.writeDatagram(datagram, QHostAddress::LocalHost, m_settings.destPort),
                 datagram.size());
    }

    void expectNextDatagramTaken()
    {
        QSignalSpy looks(&*m_monitor, &ArdixMonitor::stateLookChanged);
        QVERIFY(m_link.rxBytes != shownCounter(4242));
        send(datagramWithCounters(4242));
        QTRY_COMPARE_WITH_TIMEOUT(m_link.rxBytes, shownCounter(4242), kWaitMs);
        QCOMPARE(looks.last().first().value<StateLook>().lamp, Lamp::Associated);
    }

    MessageRecorder m_messages;
    SessionSettings m_settings;
    MonitorState m_state;
    LinkStatistics m_link;
    std::optional<ArdixMonitor> m_monitor;
    QUdpSocket m_sender;
};

QTEST_MAIN(TestDatagramFlood)
#include "tst_datagramflood.moc"
