#include "TestSupport.h"
#include "app/Records.h"
#include "app/StationWindows.h"
#include "display/SignalMeter.h"
#include "monitor/KavomonitoringForm.h"
#include "session/SnifferForm.h"
#include "stream/MulticastMembership.h"

#include <QAction>
#include <QFrame>
#include <QLabel>
#include <QPointer>
#include <QTimer>
#include <QUdpSocket>
#include <QtTest>

using namespace Qt::StringLiterals;

namespace {

QByteArray bytes(const char *hex)
{
    return QByteArray::fromHex(QByteArray(hex).replace(' ', ""));
}

QByteArray datagram(const char *head, const char *counters = "")
{
    QByteArray d = bytes(head) + bytes(counters);
    return d.leftJustified(35, '\0');
}

const QString kInvalidData =
    u"Invalid data being received by the remote.\r\nRestart radio and try again."_s;
const QString kZeros = u"0 0 0 0 0 0 0 0"_s;
const QStringList kAllTimers = {"ChartTimer", "dataArrivalTimer1", "DataArrivalTimer2", "idleTimer",
                                "checkToSeeIfDisconnectedTimer"};

// The counters in datagram order.
QList<QString *> counterFields()
{
    LinkStatistics &s = linkStatistics;
    return {&s.rxBytes,   &s.rxPackets, &s.rxErrors,  &s.txBytes,
            &s.txPackets, &s.txErrors,  &s.fragments, &s.retries};
}

void expectStopMessage(const OperatorMessage &m, const QString &title, const QString &text)
{
    QCOMPARE(m.title, title);
    QCOMPARE(m.icon, MessageIcon::Stop);
    QCOMPARE(m.text, text);
}

// One Ardix run of the monitoring window on a free port of this machine; its
// multicast membership stays on loopback (TestSupport).
struct ArdixRun
{
    TestStore store;
    MessageRecorder messages;
    TerminationRecorder terminations;
    QPointer<KavomonitoringForm> form;
    QUdpSocket sender;

    explicit ArdixRun(qint32 port = freePort())
    {
        sessionSettings.remoteKind = RemoteKind::Ardix;
        sessionSettings.destPort = port;
        form = new KavomonitoringForm;
        form->Form_Load();
    }

    ~ArdixRun()
    {
        if (form && !form->isUnloaded())
            form->close();
        StationWindows::closeSnifferForm();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    static qint32 freePort()
    {
        QUdpSocket probe;
        return probe.bind(QHostAddress::LocalHost, 0) ? probe.localPort() : 0;
    }

    void send(const QByteArray &d)
    {
        sender.writeDatagram(d, QHostAddress(QHostAddress::LocalHost),
                             quint16(sessionSettings.destPort));
    }

    QTimer *timer(const QString &name) const { return form->findChild<QTimer *>(name); }

    QStringList activeTimers() const
    {
        QStringList active;
        for (const QString &name : kAllTimers) {
            if (timer(name)->isActive())
                active << name;
        }
        return active;
    }

    QList<QWidget *> signalWidgets() const
    {
        QList<QWidget *> widgets;
        for (const char *name :
             {"RssiColorBarFrame", "light", "status", "SignalStrengthlbl", "ConnectionStatuslbl",
              "SignalStrengthMeter", "hundredDBMlbl", "eightyDBMlbl", "sixtyDBMlbl"})
            widgets << form->findChild<QWidget *>(name);
        return widgets;
    }
};

} // namespace

// The monitoring window watching an Ardix remote: datagrams over a real
// socket on loopback, the watchdog ticks driven directly.
class TestArdixWindow : public QObject
{
    Q_OBJECT
private slots:
    void startStopAndResume();
    void datagramIsShown_data();
    void datagramIsShown();
    void badMarkerIsToldOnceAndTheRunGoesOn();
    void datagramsDuringAMessageWaitTheirTurn();
    void windowClosedDuringAMessage();
    void watchdogs();
    void noDataReturnsToTheDialog_data();
    void noDataReturnsToTheDialog();
    void failedJoinEndsTheStation();
};

void TestArdixWindow::startStopAndResume()
{
    ArdixRun run;
    KavomonitoringForm *f = run.form;
    const auto expectWaitingForData = [&] {
        QCOMPARE(f->Winsock1->state(), QAbstractSocket::BoundState);
        QCOMPARE(int(f->Winsock1->localPort()), sessionSettings.destPort);
        QVERIFY(linkStatistics.ArdixDataFresh);
        QVERIFY(!linkStatistics.ArdixDataSeen);
        QVERIFY(f->collectingDatalbl->isVisible());
        for (QWidget *w : run.signalWidgets())
            QVERIFY2(w->isHidden(), qPrintable(w->objectName()));
        QCOMPARE(run.activeTimers(), kAllTimers);
    };
    expectWaitingForData();
    QCOMPARE(int(linkStatistics.linkRateKbps), 120);

    run.send(datagram("01 FF B5"));
    QTRY_VERIFY(linkStatistics.ArdixDataSeen);
    f->DataArrivalTimer2_Timer(); // the silence interval is now 5000
    f->ToggleMonitoring();
    QCOMPARE(f->Winsock1->state(), QAbstractSocket::UnconnectedState);
    QCOMPARE(run.activeTimers(), QStringList());

    f->ToggleMonitoring();
    expectWaitingForData();
    QCOMPARE(run.timer("DataArrivalTimer2")->interval(), 5000);
    run.send(datagram("01 FF C4", "0000000B"));
    QTRY_COMPARE(linkStatistics.rxBytes, u"11"_s);
    QCOMPARE(f->status->text(), u"Associated"_s);
    QVERIFY(run.messages.messages.isEmpty());
}

void TestArdixWindow::datagramIsShown_data()
{
    QTest::addColumn<QByteArray>("data");
    QTest::addColumn<int>("storedRssi");
    QTest::addColumn<QString>("title");
    QTest::addColumn<int>("lamp"); // 102 associated, 103 disconnected
    QTest::addColumn<double>("meter");
    QTest::addColumn<QString>("counters");

    QTest::newRow("01 FF B5 and zeros, nothing stored")
        << datagram("01 FF B5") << 0 << u"-75 dBm"_s << 102 << 62.5 << kZeros;
    QTest::newRow("the same after -80")
        << datagram("01 FF B5") << -80 << u"-78 dBm"_s << 102 << 55.0 << kZeros;
    QTest::newRow("counters 00 BC 61 4E and 00 12 D6 87")
        << datagram("01 FF B5", "00BC614E 0012D687 00000003 00000004 00000005 00000006 "
                                "00000007 80000000")
        << 0 << u"-75 dBm"_s << 102 << 62.5 << u"1.234568E+07 1234567 3 4 5 6 7 2.147484E+09"_s;
    QTest::newRow("state 00") << datagram("00 FF B5") << 0 << u"-75 dBm"_s << 103 << 62.5 << kZeros;
    QTest::newRow("RSSI byte 00") << datagram("01 FF 00") << 0 << u"0 dBm"_s << 102 << 100.0
                                  << kZeros;
    QTest::newRow("40 bytes") << datagram("01 FF B5") + bytes("0102030405") << 0 << u"-75 dBm"_s
                              << 102 << 62.5 << kZeros;
    QTest::newRow("one byte: the state alone")
        << bytes("01") << -80 << u"Kavo Connectivity Window"_s << 102 << 0.0
        << u"kept kept kept kept kept kept kept kept"_s;
}

void TestArdixWindow::datagramIsShown()
{
    QFETCH(QByteArray, data);
    QFETCH(int, storedRssi);
    QFETCH(QString, title);
    QFETCH(int, lamp);
    QFETCH(double, meter);
    QFETCH(QString, counters);

    ArdixRun run;
    KavomonitoringForm *f = run.form;
    linkStatistics.rssi = qint16(storedRssi);
    for (QString *c : counterFields())
        *c = u"kept"_s;
    f->Traffic_History_Chart->setEnabled(false);
    run.send(data);
    QTRY_VERIFY(linkStatistics.ArdixDataSeen);

    const bool associated = lamp == 102;
    QCOMPARE(f->windowTitle(), title);
    QCOMPARE(f->status->text(), associated ? u"Associated"_s : u"Disconnected"_s);
    QCOMPARE(KavomonitoringForm::labelColour(f->status),
             associated ? QColor(0, 128, 0) : QColor(192, 0, 0));
    QVERIFY(f->status->alignment().testFlag(Qt::AlignLeft));
    QCOMPARE(f->lampIconId(), lamp);
    QCOMPARE(f->SignalStrengthMeter->meterValue(), meter);
    QStringList shown;
    for (QString *c : counterFields())
        shown << *c;
    QCOMPARE(shown.join(' '), counters);
    QCOMPARE(f->Traffic_History_Chart->isEnabled(), associated);
    QVERIFY(linkStatistics.ArdixDataFresh);
    QVERIFY(f->collectingDatalbl->isHidden());
    for (QWidget *w : run.signalWidgets())
        QVERIFY2(w->isVisible(), qPrintable(w->objectName()));
    QCOMPARE(run.activeTimers(), kAllTimers);
    QVERIFY(run.messages.messages.isEmpty());
    QCOMPARE(run.terminations.count, 0);
}

void TestArdixWindow::badMarkerIsToldOnceAndTheRunGoesOn()
{
    ArdixRun run;
    // Two bad datagrams, then a good one: one message only.
    run.send(datagram("01 FE 80", "00000007"));
    run.send(datagram("01 FE 80"));
    run.send(datagram("01 FF B5", "00000001"));
    QTRY_COMPARE(linkStatistics.rxBytes, u"1"_s);
    QCOMPARE(run.messages.messages.size(), 1);
    expectStopMessage(run.messages.messages[0], u"Error"_s, kInvalidData);
    QCOMPARE(run.form->windowTitle(), u"-75 dBm"_s); // -128 was never taken
    QCOMPARE(run.terminations.count, 0);
    QVERIFY(!run.form->isUnloaded());
    QVERIFY(run.timer("DataArrivalTimer2")->isActive());

    // After a good datagram a bad one is told again.
    run.send(datagram("01 FE 80"));
    run.send(datagram("01 FF B5", "00000002"));
    QTRY_COMPARE(linkStatistics.rxBytes, u"2"_s);
    QCOMPARE(run.messages.messages.size(), 2);
    QCOMPARE(run.messages.messages[1].text, kInvalidData);

    // A one-byte datagram never reaches the marker.
    run.send(bytes("00"));
    run.send(datagram("01 FF B5", "00000003"));
    QTRY_COMPARE(linkStatistics.rxBytes, u"3"_s);
    QCOMPARE(run.messages.messages.size(), 2);

    // A bad datagram is not the radio's data: no state, no freshness, and the
    // watchdogs keep counting from the last good one.
    run.send(datagram("00 FF B5", "00000004"));
    QTRY_COMPARE(linkStatistics.rxBytes, u"4"_s);
    QCOMPARE(run.form->status->text(), u"Disconnected"_s);
    linkStatistics.ArdixDataFresh = false;
    run.timer("dataArrivalTimer1")->stop();
    run.timer("DataArrivalTimer2")->stop();
    run.send(datagram("01 FE B5", "00000005"));
    QTRY_COMPARE(run.messages.messages.size(), 3);
    QCOMPARE(run.form->status->text(), u"Disconnected"_s);
    QVERIFY(!linkStatistics.ArdixDataFresh);
    QVERIFY(!run.timer("dataArrivalTimer1")->isActive());
    QVERIFY(!run.timer("DataArrivalTimer2")->isActive());
}

void TestArdixWindow::datagramsDuringAMessageWaitTheirTurn()
{
    ArdixRun run;
    QString titleWhileOpen;
    QString rxPacketsWhileOpen;
    run.messages.onShow = [&](const OperatorMessage &) {
        // The nested event loop of a modal box, and a direct second call.
        for (int i = 0; i < 20; ++i)
            QCoreApplication::processEvents();
        run.form->Winsock1_DataArrival();
        titleWhileOpen = run.form->windowTitle();
        rxPacketsWhileOpen = linkStatistics.rxPackets;
    };
    run.send(datagram("01 FE 80"));
    run.send(datagram("01 FF C4", "00000000 00000002"));
    run.send(datagram("01 FF B5", "00000000 00000003"));
    QTRY_COMPARE(linkStatistics.rxPackets, u"3"_s);

    QCOMPARE(run.messages.messages.size(), 1);
    QCOMPARE(titleWhileOpen, u"Kavo Connectivity Window"_s);
    QCOMPARE(rxPacketsWhileOpen, QString());
    // Both were taken after the box, in order: -60, then the mean with -75.
    QCOMPARE(run.form->windowTitle(), u"-68 dBm"_s);
}

void TestArdixWindow::windowClosedDuringAMessage()
{
    ArdixRun run;
    run.messages.onShow = [&](const OperatorMessage &) { run.form->close(); };
    run.send(datagram("01 FE 80"));
    run.send(datagram("01 FF B5", "00000004"));
    QTRY_COMPARE(run.messages.messages.size(), 1);
    if (run.form) {
        QVERIFY(run.form->isUnloaded());
        QCOMPARE(run.activeTimers(), QStringList());
    }
    // The datagram behind the bad one went with the closed socket.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(!run.form);
    QCOMPARE(linkStatistics.rxBytes, QString());
    QCOMPARE(run.terminations.count, 0);
}

void TestArdixWindow::watchdogs()
{
    ArdixRun run;
    KavomonitoringForm *f = run.form;
    QTimer *freshness = run.timer("dataArrivalTimer1");
    QTimer *silence = run.timer("DataArrivalTimer2");
    run.send(datagram("01 FF B5"));
    QTRY_VERIFY(linkStatistics.ArdixDataSeen);
    QCOMPARE(freshness->interval(), 4000);
    QCOMPARE(silence->interval(), 7000);

    // Silence is shown as a disconnected remote, again every 5 s while it lasts.
    for (int tick = 0; tick < 2; ++tick) {
        f->DataArrivalTimer2_Timer();
        QCOMPARE(f->status->text(), u"Disconnected"_s);
        QCOMPARE(KavomonitoringForm::labelColour(f->status), QColor(192, 0, 0));
        QCOMPARE(f->lampIconId(), 103);
        QCOMPARE(f->windowTitle(), u"--- dBm"_s);
        QCOMPARE(f->SignalStrengthMeter->meterValue(), 0.0);
        QVERIFY(!linkStatistics.ArdixDataFresh);
        QVERIFY(silence->isActive());
        QCOMPARE(silence->interval(), 5000);
    }
    QVERIFY(f->Traffic_History_Chart->isEnabled()); // a disconnected state leaves it

    run.send(datagram("01 FF B5", "00000005"));
    QTRY_COMPARE(linkStatistics.rxBytes, u"5"_s);
    QCOMPARE(f->status->text(), u"Associated"_s);
    QCOMPARE(f->lampIconId(), 102);
    QCOMPARE(f->windowTitle(), u"-75 dBm"_s);
    QVERIFY(linkStatistics.ArdixDataFresh);

    // Nothing new since the last tick: stale, and checked again every 6 s.
    f->dataArrivalTimer1_Timer();
    QVERIFY(!linkStatistics.ArdixDataFresh);
    QVERIFY(freshness->isActive());
    QCOMPARE(freshness->interval(), 6000);

    // A datagram makes the data fresh again; the changed intervals stay.
    run.send(datagram("01 FF B5", "00000009"));
    QTRY_COMPARE(linkStatistics.rxBytes, u"9"_s);
    QVERIFY(linkStatistics.ArdixDataFresh);
    QCOMPARE(run.activeTimers(), kAllTimers);
    QCOMPARE(freshness->interval(), 6000);
    QCOMPARE(silence->interval(), 5000);
    QVERIFY(run.messages.messages.isEmpty());
    QVERIFY(!f->isUnloaded());
}

void TestArdixWindow::noDataReturnsToTheDialog_data()
{
    QTest::addColumn<bool>("portUsable");
    QTest::newRow("nothing sent to the port") << true;
    QTest::newRow("a port that cannot be bound") << false;
}

void TestArdixWindow::noDataReturnsToTheDialog()
{
    QFETCH(bool, portUsable);

    ArdixRun run(portUsable ? ArdixRun::freePort() : 0);
    QCOMPARE(run.form->Winsock1->state() == QAbstractSocket::BoundState, portUsable);
    QTimer *silence = run.timer("DataArrivalTimer2");
    QVERIFY(silence->isActive());

    run.form->DataArrivalTimer2_Timer();

    QCOMPARE(run.messages.messages.size(), 1);
    expectStopMessage(run.messages.messages[0], u"Error"_s,
                      u"No connection can be established at this time. \r\n"
                      "Possible causes for this failure include a disconnected \r\n"
                      "remote or an invalid destination port. \r\n"
                      "\r\n"
                      "Restart radio and try again."_s);
    QVERIFY(StationWindows::snifferForm());
    QVERIFY(StationWindows::snifferForm()->isVisible());
    QVERIFY(!run.form || run.form->isUnloaded());
    if (run.form)
        QVERIFY(!silence->isActive());
    QCOMPARE(run.terminations.count, 0);
}

void TestArdixWindow::failedJoinEndsTheStation()
{
    const auto loopbackSource =
        MulticastMembership::setInterfaceSource([] { return QList<int>{999999}; });
    {
        ArdixRun run;
        QCOMPARE(run.messages.messages.size(), 1);
        expectStopMessage(run.messages.messages[0], u"Connection Error"_s,
                          u"Failed to join the multi-cast group"_s);
        QCOMPARE(run.terminations.count, 1);
        QVERIFY(!run.form || run.form->isUnloaded());
        if (run.form)
            QVERIFY(!run.timer("DataArrivalTimer2")->isActive());
    }
    MulticastMembership::setInterfaceSource(loopbackSource);
}

QTEST_MAIN(TestArdixWindow)
#include "tst_ardixwindow.moc"
