// The Ardix stream of a run under a flood of datagrams on 127.0.0.1: the
// simulated remote sends 20,000 datagrams a second for ten seconds. Whatever
// the machine's speed, timers go on firing during the flood, the values
// follow the datagrams, every datagram that reached the socket is taken once
// the flood is over, and the next datagram is taken.
//
// How late the timers come is a figure of bench/ardix/bench_ardix_absorb.
#include "ArdixRun.h"
#include "app/EventWait.h"

#include <QEventLoop>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QSet>

namespace {

// An associated remote's datagram with all eight counters at this value.
QString withCounters(quint32 value)
{
    return QStringLiteral("01 FF C3") +
           QStringLiteral(" %1").arg(value, 8, 16, QLatin1Char('0')).repeated(8);
}

// The next datagram after the flood is stored and shown.
bool nextDatagramTaken(ArdixRun &run)
{
    run.looks.clear();
    return run.link.rxBytes != QStringLiteral("4242") && run.sendAndTake({withCounters(4242)}) &&
           run.link.rxBytes == QStringLiteral("4242") && run.lastLamp() == Lamp::Associated;
}

} // namespace

class TestDatagramFlood : public QObject
{
    Q_OBJECT
private slots:
    void streamKeepsUpWithTheFlood();
    void datagramsWaitWhileTheStationIsBusy();
    void strayDatagramsAmidTheStream();
};

void TestDatagramFlood::streamKeepsUpWithTheFlood()
{
    ArdixRun run;
    QProcess simulator;
    simulator.start(KAVO_RADIO_SIM,
                    {"--ardix-port", QString::number(run.settings.destPort), "--ardix-interval",
                     "1", "--ardix-burst", "20", "--ardix-count", "200000", "--duration", "60"});
    QVERIFY2(simulator.waitForStarted(5000), qPrintable(simulator.errorString()));

    // A 20 ms timer beside the stream's own, and the values stored at its ticks.
    QSet<QString> countersSeen;
    int ticks = 0;
    QTimer probe;
    connect(&probe, &QTimer::timeout, this, [&] {
        ++ticks;
        if (!run.link.rxBytes.isEmpty())
            countersSeen.insert(run.link.rxBytes);
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

    // What is still queued is taken, the timers running meanwhile. The timer
    // went on firing while the datagrams came, and the values moved on
    // between its ticks rather than only after the flood.
    QVERIFY(run.sendAndTake({}, 60000));
    QVERIFY2(ticks >= 2, qPrintable(QString::number(ticks)));
    QVERIFY2(countersSeen.size() >= 2, qPrintable(QString::number(countersSeen.size())));
    QCOMPARE(run.messages.titles(), QStringList());
    QVERIFY(run.link.ArdixDataFresh);
    QVERIFY(nextDatagramTaken(run));
}

// A burst that comes while the event loop is held (here by the test) waits
// in the socket's 4 MiB buffer, and every datagram of it is taken afterwards:
// with a smaller buffer the last ones would be dropped.
void TestDatagramFlood::datagramsWaitWhileTheStationIsBusy()
{
    QFile rmemMax("/proc/sys/net/core/rmem_max");
    if (!rmemMax.open(QIODevice::ReadOnly) ||
        rmemMax.readAll().trimmed().toLongLong() < 4 * 1024 * 1024)
        QSKIP("this machine caps a socket's receive buffer below 4 MiB (net.core.rmem_max)");
    ArdixRun run;
    for (quint32 i = 1; i <= 2000; ++i)
        run.send(withCounters(i));
    QTRY_COMPARE(run.link.rxBytes, QStringLiteral("2000"));
    QCOMPARE(run.messages.titles(), QStringList());
}

// Datagrams of every length, half with a wrong marker, while each message the
// stray ones raise is answered a little later: the stream must not go deaf.
void TestDatagramFlood::strayDatagramsAmidTheStream()
{
    ArdixRun run;
    run.messages.onShow = [](const OperatorMessage &) { EventWait::serveFor(3); };
    QRandomGenerator random(20261207);
    for (int burst = 0; burst < 20; ++burst) {
        for (quint32 i = 0; i < 100; ++i) {
            const int size = 1 + int(random.bounded(36));
            QByteArray d = ardixDatagram(withCounters(i)).leftJustified(size, '\0', true);
            if (size > 1 && random.bounded(2))
                d[1] = char(0xFE);
            run.sender.writeDatagram(d, QHostAddress::LocalHost, quint16(run.settings.destPort));
        }
        EventWait::serveFor(2);
    }
    QVERIFY(!run.messages.messages.isEmpty());
    QVERIFY(nextDatagramTaken(run));
}

QTEST_MAIN(TestDatagramFlood)
#include "tst_datagramflood.moc"
