#include "ArdixRun.h"
#include "app/EventWait.h"
#include "stream/MulticastMembership.h"

#include <QEventLoop>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QSet>

using namespace Qt::StringLiterals;

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

// The Ardix stream's monitor: datagrams over a real socket on loopback, the
// watchdog ticks driven directly, the window's part watched on the signals.
class TestArdixMonitor : public QObject
{
    Q_OBJECT
private slots:
    void datagrams_data()
    {
        // What one datagram shows, the RSSI stored before it given: the title,
        // the meter, the state lamp and the association signals; then the eight
        // counters as stored ("k": kept from before). "-": nothing shown.
        QTest::addColumn<QString>("data");
        QTest::addColumn<int>("storedRssi");
        QTest::addColumn<QString>("shown");

        const auto row = [](const char *name, int stored, const char *data, const char *shown) {
            QTest::newRow(name) << data << stored << shown;
        };
        row("smoothed with the stored RSSI, halves to even", -80, "01 FF B5",
            "-78 dBm 55 associated 1 | 0 0 0 0 0 0 0 0");
        row("counters in datagram order", 0,
            "01 FF B5 00000001 00000002 00000003 00000004 00000005 00000006 00000007 00000008",
            "-75 dBm 62.5 associated 1 | 1 2 3 4 5 6 7 8");
        row("exponent form from 10^7, halves to even; 2^31 and more stay unsigned", 0,
            "01 FF B5 00BC614E 0012D687 00BC614B 00989680 00E4E1C0 80000000 00BC6141 FFFFFFFF",
            "-75 dBm 62.5 associated 1 | 1.234568E+07 1234567 1.234568E+07 1E+07 1.5E+07 "
            "2.147484E+09 1.234566E+07 4.294967E+09");
        row("RSSI byte 00 is 0 dBm and fills the meter", 0, "00 FF 00",
            "0 dBm 100 scanning 0 | 0 0 0 0 0 0 0 0");
        row("RSSI byte 80 is -128 dBm and empties it", 0, "01 FF 80",
            "-128 dBm 0 associated 1 | 0 0 0 0 0 0 0 0");
        row("one byte is only the state", -80, "short:01", "- - associated 1 | k k k k k k k k");
        row("two bytes add the marker check", 0, "short:00 FF", "- - scanning 0 | k k k k k k k k");
        row("a counter is taken once its last byte came", 0, "short:01 FF B5 00000001 000000",
            "-75 dBm 62.5 associated 1 | 1 k k k k k k k");
        row("empty datagram", 0, "short:", "- - - 0 | k k k k k k k k");
    }

    void datagrams()
    {

        ArdixRun run;
        QSignalSpy associations(&run.monitor, &ArdixMonitor::associated);
        run.link.rssi = qint16(fetched<int>("storedRssi"));
        LinkStatistics &l = run.link;
        const QList<QString *> fields = {&l.rxBytes,   &l.rxPackets, &l.rxErrors,  &l.txBytes,
                                         &l.txPackets, &l.txErrors,  &l.fragments, &l.retries};
        for (QString *field : fields)
            *field = u"k"_s;
        QVERIFY(run.sendAndTake({fetched<QString>("data")}));

        QStringList got{run.titles.isEmpty() ? u"-"_s : run.lastTitle(),
                        run.meters.isEmpty() ? u"-"_s : run.meters.last()[0].toString(),
                        run.looks.isEmpty()                  ? u"-"_s
                        : run.lastLamp() == Lamp::Associated ? u"associated"_s
                                                             : u"scanning"_s,
                        QString::number(associations.size()), u"|"_s};
        for (QString *field : fields)
            got << *field;
        QTEST(got.join(' '), "shown");
        QCOMPARE(run.messages.titles(), QStringList());
    }

    void badMarker_data()
    {
        QTest::addColumn<QStringList>("sent");
        QTest::addColumn<int>("told");
        QTest::addColumn<QString>("rxBytes");
        QTest::addColumn<QString>("title");
        QTest::addColumn<bool>("closing"); // the window closes while the box shows

        // A bad datagram's RSSI (0x80) would pull the shown one towards -128.
        const auto row = [](const char *name, const QStringList &sent, int told,
                            const char *rxBytes, const char *title, bool closing = false) {
            QTest::newRow(name) << sent << told << QString(rxBytes) << QString(title) << closing;
        };
        row("told once until a good one", {"01 FE 80 00000007", "01 FE 80", "01 FF B5 00000001"}, 1,
            "1", "-75 dBm");
        row("told again after a good one",
            {"01 FE 80", "01 FF B5 00000002", "01 FE 80", "01 FF B5 00000003"}, 2, "3", "-75 dBm");
        row("one byte has no marker", {"short:00", "01 FF B5 00000003"}, 0, "3", "-75 dBm");
        row("a bad one is not the radio's data", {"01 FE B5 00000005"}, 1, "", "");
        // In order after the box: -60, then its mean with -75.
        row("what comes while the box is open waits its turn",
            {"01 FE 80", "01 FF C4 00000002", "01 FF B5 00000003"}, 1, "3", "-68 dBm");
        row("closed while the box shows: nothing more is taken", {"01 FE 80", "01 FF C4 00000002"},
            1, "", "", true);
    }

    void badMarker()
    {
        QFETCH(QString, rxBytes);
        QFETCH(bool, closing);

        ArdixRun run;
        run.messages.onShow = [&run, closing](const OperatorMessage &) {
            // The nested event loop of a modal box, and a direct second call.
            QTest::qWait(20);
            run.monitor.Winsock1_DataArrival();
            if (closing) {
                run.monitor.stop();
                run.monitor.LeaveMulticastGroup();
            }
        };
        for (const QString &name : kArdixTimers)
            run.timer(name)->stop();
        run.link.ArdixDataFresh = false;
        QVERIFY(run.sendAndTake(fetched<QStringList>("sent")));

        QTEST(int(run.messages.messages.size()), "told");
        QCOMPARE(run.link.rxBytes, rxBytes);
        QTEST(run.lastTitle(), "title");
        // Only the radio's data paints a state and feeds the watchdogs.
        const bool radioData = !rxBytes.isEmpty();
        QCOMPARE(run.looks.isEmpty(), !radioData);
        QCOMPARE(run.link.ArdixDataFresh, radioData);
        QCOMPARE(run.activeTimers(), radioData ? kArdixTimers.mid(0, 2) : QStringList());
        QCOMPARE(run.terminations.count, 0);
    }

    void watchdogsAndResume()
    {
        ArdixRun run;
        QVERIFY(run.sendAndTake({u"01 FF B5"_s}));

        // Silence is shown as a disconnected remote, again while it lasts, and
        // checked more often than the first wait after the start.
        QTimer *silence = run.timer("DataArrivalTimer2");
        const int firstWait = silence->interval();
        QSignalSpy notice(&run.monitor, &ArdixMonitor::waitingNoticeShown);
        for (int tick = 0; tick < 2; ++tick) {
            run.monitor.DataArrivalTimer2_Timer();
            QVERIFY(run.lastLamp() == Lamp::Scanning && run.lastTitle() == u"--- dBm"_s);
            QVERIFY(!notice.last()[0].toBool()); // a silent radio is no first wait
            QCOMPARE(run.meters.last()[0].toDouble(), 0.0);
            QVERIFY(!run.link.ArdixDataFresh && silence->isActive());
            QVERIFY(silence->interval() < firstWait);
        }
        QVERIFY(run.sendAndTake({u"01 FF B5"_s}));
        QCOMPARE(run.lastLamp(), Lamp::Associated);

        // Nothing new since the last tick: stale, and checked again, at a
        // slower pace than the first check after the start.
        QTimer *freshness = run.timer("dataArrivalTimer1");
        const int firstCheck = freshness->interval();
        run.monitor.dataArrivalTimer1_Timer();
        QVERIFY(!run.link.ArdixDataFresh);
        QVERIFY(freshness->isActive() && freshness->interval() > firstCheck);

        // Stop closes the stream; a resumed one binds again and takes datagrams.
        run.monitor.stop();
        QCOMPARE(run.monitor.socket()->state(), QAbstractSocket::UnconnectedState);
        QCOMPARE(run.activeTimers(), QStringList());
        run.monitor.start();
        QCOMPARE(run.activeTimers(), kArdixTimers);
        QVERIFY(run.sendAndTake({u"01 FF C4 0000000B"_s}));
        QCOMPARE(run.link.rxBytes, u"11"_s);
        QVERIFY(run.messages.messages.isEmpty() && run.requests.isEmpty());
    }

    void endOfTheRun_data()
    {
        QTest::addColumn<bool>("portUsable");
        QTest::addColumn<bool>("joinable");
        QTest::addColumn<QStringList>("requests");
        QTest::addColumn<int>("terminations");

        const QStringList backToTheDialog{"close", "selection"};
        QTest::newRow("nothing sent to the port") << true << true << backToTheDialog << 0;
        QTest::newRow("a port that cannot be bound") << false << true << backToTheDialog << 0;
        QTest::newRow("the group cannot be joined") << true << false << QStringList{"close"} << 1;
    }

    void endOfTheRun()
    {
        QFETCH(bool, joinable);

        MulticastMembership::InterfaceSource loopbackSource;
        if (!joinable)
            loopbackSource =
                MulticastMembership::setInterfaceSource([] { return QList<int>{999999}; });
        {
            ArdixRun run(fetched<bool>("portUsable") ? freeUdpPort() : 0);
            if (joinable)
                run.monitor.DataArrivalTimer2_Timer(); // the stream's first silence
            QCOMPARE(run.messages.messages.size(), 1);
            QTEST(run.requests, "requests");
            QTEST(run.terminations.count, "terminations");
            QVERIFY(!run.timer("DataArrivalTimer2")->isActive());
        }
        if (!joinable)
            MulticastMembership::setInterfaceSource(loopbackSource);
    }

    // A flood of datagrams on 127.0.0.1: the simulated remote sends 20,000
    // datagrams a second for ten seconds. Whatever the machine's speed, timers go
    // on firing during the flood, the values follow the datagrams, every datagram
    // that reached the socket is taken once the flood is over, and the next
    // datagram is taken. How late the timers come is a figure of
    // bench/ardix/bench_ardix_absorb.
    void streamKeepsUpWithTheFlood()
    {
        ArdixRun run;
        QProcess simulator;
        simulator.start(KAVO_RADIO_SIM, {"--ardix-port", QString::number(run.settings.destPort),
                                         "--ardix-interval", "1", "--ardix-burst", "20",
                                         "--ardix-count", "200000", "--duration", "60"});
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
    void datagramsWaitWhileTheStationIsBusy()
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
    void strayDatagramsAmidTheStream()
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
                run.sender.writeDatagram(d, QHostAddress::LocalHost,
                                         quint16(run.settings.destPort));
            }
            EventWait::serveFor(2);
        }
        QVERIFY(!run.messages.messages.isEmpty());
        QVERIFY(nextDatagramTaken(run));
    }
};

QTEST_MAIN(TestArdixMonitor)
#include "tst_ardixmonitor.moc"
