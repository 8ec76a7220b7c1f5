#include "ArdixRun.h"
#include "stream/MulticastMembership.h"

using namespace Qt::StringLiterals;

// The Ardix stream's monitor: datagrams over a real socket on loopback, the
// watchdog ticks driven directly, the window's part watched on the signals.
class TestArdixMonitor : public QObject
{
    Q_OBJECT
private slots:
    void datagrams_data();
    void datagrams();
    void badMarker_data();
    void badMarker();
    void closedWhileMessageOpen();
    void watchdogsAndResume();
    void endOfTheRun_data();
    void endOfTheRun();
};

void TestArdixMonitor::datagrams_data()
{
    // What one datagram shows, the RSSI stored before it given: the title,
    // the meter, the state lamp and the association signals; then the eight
    // counters as stored ("k": kept from before). "-": nothing shown.
    QTest::addColumn<QString>("data");
    QTest::addColumn<int>("storedRssi");
    QTest::addColumn<QString>("shown");

    const auto row = [](const char *name, const QString &data, int stored, const char *shown) {
        QTest::newRow(name) << data << stored << QString::fromLatin1(shown);
    };
    row("smoothed with the stored RSSI, halves to even", u"01 FF B5"_s, -80,
        "-78 dBm 55 associated 1 | 0 0 0 0 0 0 0 0");
    row("counters in datagram order",
        u"01 FF B5 00000001 00000002 00000003 00000004 00000005 00000006 00000007 00000008"_s, 0,
        "-75 dBm 62.5 associated 1 | 1 2 3 4 5 6 7 8");
    row("exponent form from 10^7, halves to even; 2^31 and more stay unsigned",
        u"01 FF B5 00BC614E 0012D687 00BC614B 00989680 00E4E1C0 80000000 00BC6141 FFFFFFFF"_s, 0,
        "-75 dBm 62.5 associated 1 | 1.234568E+07 1234567 1.234568E+07 1E+07 1.5E+07 2.147484E+09 "
        "1.234566E+07 4.294967E+09");
    row("RSSI byte 00 is 0 dBm and fills the meter", u"00 FF 00"_s, 0,
        "0 dBm 100 scanning 0 | 0 0 0 0 0 0 0 0");
    row("RSSI byte 80 is -128 dBm and empties it", u"01 FF 80"_s, 0,
        "-128 dBm 0 associated 1 | 0 0 0 0 0 0 0 0");
    row("one byte is only the state", u"short:01"_s, -80, "- - associated 1 | k k k k k k k k");
    row("two bytes add the marker check", u"short:00 FF"_s, 0, "- - scanning 0 | k k k k k k k k");
    row("a counter is taken once its last byte came", u"short:01 FF B5 00000001 000000"_s, 0,
        "-75 dBm 62.5 associated 1 | 1 k k k k k k k");
    row("empty datagram", u"short:"_s, 0, "- - - 0 | k k k k k k k k");
}

void TestArdixMonitor::datagrams()
{
    QFETCH(QString, data);
    QFETCH(int, storedRssi);
    QFETCH(QString, shown);

    ArdixRun run;
    QSignalSpy associations(&run.monitor, &ArdixMonitor::associated);
    run.link.rssi = qint16(storedRssi);
    LinkStatistics &l = run.link;
    const QList<QString *> fields = {&l.rxBytes,   &l.rxPackets, &l.rxErrors,  &l.txBytes,
                                     &l.txPackets, &l.txErrors,  &l.fragments, &l.retries};
    for (QString *field : fields)
        *field = u"k"_s;
    QVERIFY(run.sendAndTake({data}));

    QStringList got{run.titles.isEmpty() ? u"-"_s : run.lastTitle(),
                    run.meters.isEmpty() ? u"-"_s : run.meters.last()[0].toString(),
                    run.looks.isEmpty()                  ? u"-"_s
                    : run.lastLamp() == Lamp::Associated ? u"associated"_s
                                                         : u"scanning"_s,
                    QString::number(associations.size()), u"|"_s};
    for (QString *field : fields)
        got << *field;
    QCOMPARE(got.join(' '), shown);
    QCOMPARE(run.messages.titles(), QStringList());
}

void TestArdixMonitor::badMarker_data()
{
    QTest::addColumn<QStringList>("sent");
    QTest::addColumn<int>("told");
    QTest::addColumn<QString>("rxBytes");
    QTest::addColumn<QString>("title");

    // A bad datagram's RSSI (0x80) would pull the shown one towards -128.
    const auto row = [](const char *name, const QStringList &sent, int told, const char *rxBytes,
                        const char *title) {
        QTest::newRow(name) << sent << told << QString(rxBytes) << QString(title);
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
}

void TestArdixMonitor::badMarker()
{
    QFETCH(QStringList, sent);
    QFETCH(int, told);
    QFETCH(QString, rxBytes);
    QFETCH(QString, title);

    ArdixRun run;
    run.messages.onShow = [&run](const OperatorMessage &) {
        // The nested event loop of a modal box, and a direct second call.
        QTest::qWait(20);
        run.monitor.Winsock1_DataArrival();
    };
    for (const QString &name : kArdixTimers)
        run.timer(name)->stop();
    run.link.ArdixDataFresh = false;
    QVERIFY(run.sendAndTake(sent));

    QCOMPARE(run.messages.messages.size(), told);
    QCOMPARE(run.link.rxBytes, rxBytes);
    QCOMPARE(run.lastTitle(), title);
    // Only the radio's data paints a state and feeds the watchdogs.
    const bool radioData = !rxBytes.isEmpty();
    QCOMPARE(run.looks.isEmpty(), !radioData);
    QCOMPARE(run.link.ArdixDataFresh, radioData);
    QCOMPARE(run.activeTimers(), radioData ? kArdixTimers.mid(0, 2) : QStringList());
    QCOMPARE(run.terminations.count, 0);
}

// The window closes while the box for a bad datagram is open: nothing that
// came meanwhile is taken, and the stream's timers stay off.
void TestArdixMonitor::closedWhileMessageOpen()
{
    ArdixRun run;
    QString rxBytesWhileOpen = u"unset"_s;
    run.messages.onShow = [&](const OperatorMessage &) {
        QTest::qWait(20);
        run.monitor.Winsock1_DataArrival();
        rxBytesWhileOpen = run.link.rxBytes;
        run.monitor.stop();
        run.monitor.LeaveMulticastGroup();
    };
    run.send(u"01 FE 80"_s);
    run.send(u"01 FF C4 00000002"_s);
    QTRY_COMPARE(run.messages.messages.size(), 1);
    QCOMPARE(rxBytesWhileOpen, QString());
    QCOMPARE(run.link.rxBytes, QString());
    QCOMPARE(run.lastTitle(), QString());
    QCOMPARE(run.activeTimers(), QStringList());
}

void TestArdixMonitor::watchdogsAndResume()
{
    ArdixRun run;
    QVERIFY(run.sendAndTake({u"01 FF B5"_s}));

    // Silence is shown as a disconnected remote, again while it lasts, and
    // checked more often than the first wait after the start.
    QTimer *silence = run.timer("DataArrivalTimer2");
    const int firstWait = silence->interval();
    for (int tick = 0; tick < 2; ++tick) {
        run.monitor.DataArrivalTimer2_Timer();
        QVERIFY(run.lastLamp() == Lamp::Scanning && run.lastTitle() == u"--- dBm"_s);
        QCOMPARE(run.meters.last()[0].toDouble(), 0.0);
        QVERIFY(!run.link.ArdixDataFresh && silence->isActive());
        QVERIFY(silence->interval() < firstWait);
    }
    QVERIFY(run.sendAndTake({u"01 FF B5"_s}));
    QCOMPARE(run.lastLamp(), Lamp::Associated);
    QVERIFY(run.link.ArdixDataFresh);

    // Nothing new since the last tick: stale, and checked again, at a
    // slower pace than the first check after the start.
    QTimer *freshness = run.timer("dataArrivalTimer1");
    const int firstCheck = freshness->interval();
    run.monitor.dataArrivalTimer1_Timer();
    QVERIFY(!run.link.ArdixDataFresh);
    QVERIFY(freshness->isActive() && freshness->interval() > firstCheck);
    QVERIFY(run.sendAndTake({u"01 FF B5"_s}));
    QVERIFY(run.link.ArdixDataFresh);

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

void TestArdixMonitor::endOfTheRun_data()
{
    QTest::addColumn<bool>("portUsable");
    QTest::addColumn<bool>("joinable");
    QTest::addColumn<QString>("told");
    QTest::addColumn<QStringList>("requests");
    QTest::addColumn<int>("terminations");

    const QStringList backToTheDialog{"close", "selection"};
    QTest::newRow("nothing sent to the port")
        << true << true << "No connection" << backToTheDialog << 0;
    QTest::newRow("a port that cannot be bound")
        << false << true << "No connection" << backToTheDialog << 0;
    QTest::newRow("the group cannot be joined")
        << true << false << "Failed to join" << QStringList{"close"} << 1;
}

void TestArdixMonitor::endOfTheRun()
{
    QFETCH(bool, portUsable);
    QFETCH(bool, joinable);
    QFETCH(QString, told);
    QFETCH(QStringList, requests);
    QFETCH(int, terminations);

    MulticastMembership::InterfaceSource loopbackSource;
    if (!joinable)
        loopbackSource = MulticastMembership::setInterfaceSource([] { return QList<int>{999999}; });
    {
        ArdixRun run(portUsable ? freeUdpPort() : 0);
        if (joinable)
            run.monitor.DataArrivalTimer2_Timer(); // the stream's first silence
        QCOMPARE(run.messages.messages.size(), 1);
        QVERIFY(run.messages.messages[0].text.startsWith(told));
        QCOMPARE(run.requests, requests);
        QCOMPARE(run.terminations.count, terminations);
        QVERIFY(!run.timer("DataArrivalTimer2")->isActive());
    }
    if (!joinable)
        MulticastMembership::setInterfaceSource(loopbackSource);
}

QTEST_MAIN(TestArdixMonitor)
#include "tst_ardixmonitor.moc"
