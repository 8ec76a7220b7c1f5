// The monitoring window of an Ardix run under a flood of datagrams: the
// simulated remote sends 20,000 datagrams a second for ten seconds to the
// window's port on 127.0.0.1. Whatever the machine's speed, the window's
// timers go on firing during the flood, its display follows the datagrams,
// it has taken every datagram that reached its socket once the flood is
// over, and it answers the operator afterwards.
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

// The RX bytes the window shows for that datagram.
QString shownCounter(quint32 value)
{
    return ArdixDatagramDecoder().decode(datagramWithCounters(value), 0).counters[0].value_or("?");
}

} // namespace

class TestDatagramFlood : public QObject
{
    Q_OBJECT
private slots:
    // An Ardix window listening on a free loopback port.
    void init()
    {
        m_store = std::make_unique<TestStore>();
        m_messages = std::make_unique<MessageRecorder>();
        QUdpSocket probe;
        QVERIFY(probe.bind(QHostAddress::LocalHost, 0));
        m_port = probe.localPort();
        probe.close();
        sessionSettings.remoteKind = RemoteKind::Ardix;
        sessionSettings.destPort = m_port;
        m_form = new KavomonitoringForm;
        m_form->Form_Load();
        QCOMPARE(m_form->Winsock1->state(), QAbstractSocket::BoundState);
        m_dropsBefore = socketDrops(m_form->Winsock1->socketDescriptor());
    }

    void cleanup()
    {
        if (m_form)
            m_form->close();
        StationWindows::closeSnifferForm();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        m_messages.reset();
        m_store.reset();
    }

    void windowKeepsUpWithTheFlood()
    {
        TerminationRecorder terminations;
        QProcess simulator;
        simulator.start(KAVO_RADIO_SIM,
                        {"--ardix-port", QString::number(m_port), "--ardix-interval", "1",
                         "--ardix-burst", QString::number(kBurst), "--ardix-count",
                         QString::number(kRatePerSecond * kSeconds), "--duration",
                         QString::number(kDeadlineMs / 1000)});
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
        QVERIFY(m_form);
        QVERIFY(
            QTest::qWaitFor([&] { return !m_form->Winsock1->hasPendingDatagrams(); }, kDeadlineMs));
        const qint64 drops = socketDrops(m_form->Winsock1->socketDescriptor());
        qInfo("flood: %lld datagrams sent in %lld ms, %lld dropped by the kernel; %d ticks of a "
              "%d ms timer, worst lateness %lld ms; %lld distinct counter values shown",
              sent, floodMs, m_dropsBefore >= 0 && drops >= 0 ? drops - m_dropsBefore : -1LL, ticks,
              kProbeMs, worstLatenessMs, static_cast<long long>(countersSeen.size()));

        QVERIFY(sent > 0);
        // The timer went on firing while the datagrams came, and the display
        // moved on between its ticks rather than only after the flood.
        QVERIFY2(ticks >= 2, qPrintable(QString::number(ticks)));
        QVERIFY2(countersSeen.size() >= 2, qPrintable(QString::number(countersSeen.size())));
        // No message, no end of the station, the run still going.
        QCOMPARE(m_messages->titles(), QStringList());
        QCOMPARE(terminations.count, 0);
        QVERIFY(!m_form->isUnloaded());
        QVERIFY(!monitorState.monitoringStopped);
        QVERIFY(linkStatistics.ArdixDataFresh);

        // After the flood, the window shows the next datagram that comes.
        QVERIFY(!countersSeen.contains(shownCounter(4242)));
        send(datagramWithCounters(4242));
        QTRY_COMPARE_WITH_TIMEOUT(linkStatistics.rxBytes, shownCounter(4242), kWaitMs);
        QCOMPARE(m_form->status->text(), "Associated");

        // And it answers the operator: stop and resume run as at any time.
        m_form->runStopMenu_Click();
        QVERIFY(monitorState.monitoringStopped);
        QCOMPARE(m_form->runStopMenu->text(), "Resume Monitoring");
        m_form->runStopMenu_Click();
        QVERIFY(!monitorState.monitoringStopped);
        QCOMPARE(m_form->Winsock1->state(), QAbstractSocket::BoundState);
        QCOMPARE(m_messages->titles(), QStringList());
    }

    // A burst that comes while the window is busy (here: the test holds the
    // event loop) waits in the socket's 4 MiB buffer, and the window takes every
    // datagram of it afterwards.
    void datagramsWaitWhileTheWindowIsBusy()
    {
        constexpr int kBurstCount = 2000;
        QFile rmemMax("/proc/sys/net/core/rmem_max");
        if (!rmemMax.open(QIODevice::ReadOnly) ||
            rmemMax.readAll().trimmed().toLongLong() < 4 * 1024 * 1024)
            QSKIP("this machine caps a socket's receive buffer below 4 MiB (net.core.rmem_max)");
        QVERIFY(m_dropsBefore >= 0);

        for (int i = 1; i <= kBurstCount; ++i)
            send(datagramWithCounters(quint32(i)));
        QTRY_COMPARE_WITH_TIMEOUT(linkStatistics.rxBytes, shownCounter(kBurstCount), kWaitMs);
        QVERIFY(!m_form->Winsock1->hasPendingDatagrams());
        QCOMPARE(socketDrops(m_form->Winsock1->socketDescriptor()) - m_dropsBefore, 0);
        QCOMPARE(m_messages->titles(), QStringList());
    }

private:
    void send(const QByteArray &datagram)
    {
        QCOMPARE(m_sender.writeDatagram(datagram, QHostAddress::LocalHost, m_port),
                 datagram.size());
    }

    std::unique_ptr<TestStore> m_store;
    std::unique_ptr<MessageRecorder> m_messages;
    QPointer<KavomonitoringForm> m_form;
    quint16 m_port = 0;
    qint64 m_dropsBefore = -1;
    QUdpSocket m_sender;
};

QTEST_MAIN(TestDatagramFlood)
#include "tst_datagramflood.moc"
