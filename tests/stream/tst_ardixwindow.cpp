#include "TestSupport.h"
#include "app/Records.h"
#include "app/StationWindows.h"
#include "display/ColorBar.h"
#include "display/SignalMeter.h"
#include "monitor/KavomonitoringForm.h"
#include "session/SnifferForm.h"
#include "stream/MulticastMembership.h"

#include <QAction>
#include <QFrame>
#include <QLabel>
#include <QNetworkInterface>
#include <QPointer>
#include <QTimer>
#include <QUdpSocket>
#include <QtTest>

namespace {

QByteArray bytes(const char *hex)
{
    return QByteArray::fromHex(QByteArray(hex).replace(' ', ""));
}

QByteArray datagram(const char *head, const char *counters = "")
{
    QByteArray d = bytes(head) + bytes(counters);
    if (d.size() < 35)
        d.append(35 - d.size(), '\0');
    return d;
}

const QString kInvalidData =
    QStringLiteral("Invalid data being received by the remote.\r\nRestart radio and try again.");

// One Ardix run of the monitoring window on a free port of this machine.
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
        if (!probe.bind(QHostAddress::LocalHost, 0))
            return 0;
        return probe.localPort();
    }

    void send(const QByteArray &d)
    {
        sender.writeDatagram(d, QHostAddress(QHostAddress::LocalHost),
                             quint16(sessionSettings.destPort));
    }

    QTimer *timer(const char *name) const { return form->findChild<QTimer *>(name); }
    ColorBar *rssiScale() const { return form->findChild<ColorBar *>("RssiColorBar"); }
};

} // namespace

// The monitoring window watching an Ardix remote: datagrams over a real
// socket on loopback, the watchdog ticks driven directly.
class TestArdixWindow : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanupTestCase();

    void startWaitsForData();
    void datagramIsShown_data();
    void datagramIsShown();
    void disconnectedStateKeepsTheChartEntry_data();
    void disconnectedStateKeepsTheChartEntry();
    void badMarkerIsToldOnceAndTheRunGoesOn();
    void datagramsDuringAMessageWaitTheirTurn();
    void windowClosedDuringAMessage();
    void freshnessWatchdog();
    void silenceShowsDisconnectedUntilDataReturns();
    void noDataReturnsToTheDialog_data();
    void noDataReturnsToTheDialog();
    void stopAndResume();
    void failedJoinEndsTheStation();

private:
    MulticastMembership::InterfaceSource m_previousSource;
};

void TestArdixWindow::initTestCase()
{
    // Memberships on loopback only: no membership report leaves the machine.
    const int loopback = QNetworkInterface::interfaceIndexFromName(QStringLiteral("lo"));
    QVERIFY(loopback > 0);
    m_previousSource =
        MulticastMembership::setInterfaceSource([loopback] { return QList<int>{loopback}; });
}

void TestArdixWindow::cleanupTestCase()
{
    MulticastMembership::setInterfaceSource(m_previousSource);
}

void TestArdixWindow::startWaitsForData()
{
    ArdixRun run;
    QVERIFY(run.form->Winsock1->state() == QAbstractSocket::BoundState);
    QCOMPARE(int(run.form->Winsock1->localPort()), sessionSettings.destPort);
    QVERIFY(linkStatistics.ArdixDataFresh);
    QVERIFY(!linkStatistics.ArdixDataSeen);
    QCOMPARE(int(linkStatistics.linkRateKbps), 120);
    QVERIFY(run.form->collectingDatalbl->isVisible());
    for (QWidget *w :
         {static_cast<QWidget *>(run.form->RssiColorBarFrame),
          static_cast<QWidget *>(run.form->light), static_cast<QWidget *>(run.form->status),
          static_cast<QWidget *>(run.form->SignalStrengthMeter),
          static_cast<QWidget *>(run.form->hundredDBMlbl)})
        QVERIFY2(w->isHidden(), qPrintable(w->objectName()));
    for (const char *name : {"ChartTimer", "dataArrivalTimer1", "DataArrivalTimer2", "idleTimer",
                             "checkToSeeIfDisconnectedTimer"})
        QVERIFY2(run.timer(name)->isActive(), name);
    QVERIFY(run.messages.messages.isEmpty());
}

void TestArdixWindow::datagramIsShown_data()
{
    QTest::addColumn<QByteArray>("data");
    QTest::addColumn<int>("storedRssi");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("state");
    QTest::addColumn<QColor>("stateColour");
    QTest::addColumn<int>("lamp");
    QTest::addColumn<double>("meter");
    QTest::addColumn<QString>("rxBytes");
    QTest::addColumn<QString>("rxPackets");
    QTest::addColumn<QString>("retries");

    const QColor green(0, 128, 0);
    const QColor darkRed(192, 0, 0);
    QTest::newRow("01 FF B5 and zeros, nothing stored")
        << datagram("01 FF B5") << 0 << "-75 dBm"
        << "Associated" << green << 102 << 62.5 << "0"
        << "0"
        << "0";
    QTest::newRow("the same after -80") << datagram("01 FF B5") << -80 << "-78 dBm"
                                        << "Associated" << green << 102 << 55.0 << "0"
                                        << "0"
                                        << "0";
    QTest::newRow("counters 00 BC 61 4E and 00 12 D6 87")
        << datagram("01 FF B5", "00BC614E 0012D687 00000000 00000000 00000000 00000000 "
                                "00000000 80000000")
        << 0 << "-75 dBm"
        << "Associated" << green << 102 << 62.5 << "1.234568E+07"
        << "1234567"
        << "2.147484E+09";
    QTest::newRow("state 00") << datagram("00 FF B5") << 0 << "-75 dBm"
                              << "Disconnected" << darkRed << 103 << 62.5 << "0"
                              << "0"
                              << "0";
    QTest::newRow("RSSI byte 00") << datagram("01 FF 00") << 0 << "0 dBm"
                                  << "Associated" << green << 102 << 100.0 << "0"
                                  << "0"
                                  << "0";
    QTest::newRow("40 bytes") << datagram("01 FF B5") + bytes("0102030405") << 0 << "-75 dBm"
                              << "Associated" << green << 102 << 62.5 << "0"
                              << "0"
                              << "0";
    QTest::newRow("one byte: the state alone") << bytes("01") << -80 << "Kavo Connectivity Window"
                                               << "Associated" << green << 102 << 0.0 << "kept"
                                               << "kept"
                                               << "kept";
}

void TestArdixWindow::datagramIsShown()
{
    QFETCH(QByteArray, data);
    QFETCH(int, storedRssi);
    QFETCH(QString, title);
    QFETCH(QString, state);
    QFETCH(QColor, stateColour);
    QFETCH(int, lamp);
    QFETCH(double, meter);
    QFETCH(QString, rxBytes);
    QFETCH(QString, rxPackets);
    QFETCH(QString, retries);

    ArdixRun run;
    linkStatistics.rssi = qint16(storedRssi);
    linkStatistics.rxBytes = linkStatistics.rxPackets = linkStatistics.retries =
        QStringLiteral("kept");
    run.send(data);
    QTRY_VERIFY(linkStatistics.ArdixDataSeen);

    KavomonitoringForm *f = run.form;
    QCOMPARE(f->windowTitle(), title);
    QCOMPARE(f->status->text(), state);
    QCOMPARE(KavomonitoringForm::labelColour(f->status), stateColour);
    QVERIFY(f->status->alignment().testFlag(Qt::AlignLeft));
    QCOMPARE(f->lampIconId(), lamp);
    QCOMPARE(f->SignalStrengthMeter->meterValue(), meter);
    QCOMPARE(linkStatistics.rxBytes, rxBytes);
    QCOMPARE(linkStatistics.rxPackets, rxPackets);
    QCOMPARE(linkStatistics.retries, retries);
    QVERIFY(linkStatistics.ArdixDataFresh);
    QVERIFY(f->collectingDatalbl->isHidden());
    for (QWidget *w :
         {static_cast<QWidget *>(f->RssiColorBarFrame), static_cast<QWidget *>(f->light),
          static_cast<QWidget *>(f->status), static_cast<QWidget *>(f->SignalStrengthlbl),
          static_cast<QWidget *>(f->ConnectionStatuslbl),
          static_cast<QWidget *>(f->SignalStrengthMeter), static_cast<QWidget *>(f->hundredDBMlbl),
          static_cast<QWidget *>(f->eightyDBMlbl), static_cast<QWidget *>(f->sixtyDBMlbl)})
        QVERIFY2(w->isVisible(), qPrintable(w->objectName()));
    // The Ardix scale: no threshold mark, shading from the second cell.
    QCOMPARE(run.rssiScale()->cellColour(0), QColor(255, 0, 0));
    QCOMPARE(run.rssiScale()->cellColour(15), QColor(255, 255, 0));
    QCOMPARE(run.rssiScale()->cellColour(79), QColor(255, 255, 255));
    QVERIFY(run.timer("dataArrivalTimer1")->isActive());
    QVERIFY(run.timer("DataArrivalTimer2")->isActive());
    QVERIFY(run.messages.messages.isEmpty());
    QCOMPARE(run.terminations.count, 0);
}

void TestArdixWindow::disconnectedStateKeepsTheChartEntry_data()
{
    QTest::addColumn<bool>("enabledBefore");
    QTest::addColumn<QByteArray>("data");
    QTest::addColumn<bool>("enabledAfter");

    QTest::newRow("associated enables") << false << datagram("01 FF B5") << true;
    QTest::newRow("disconnected keeps it disabled") << false << datagram("00 FF B5") << false;
    QTest::newRow("disconnected keeps it enabled") << true << datagram("00 FF B5") << true;
}

void TestArdixWindow::disconnectedStateKeepsTheChartEntry()
{
    QFETCH(bool, enabledBefore);
    QFETCH(QByteArray, data);
    QFETCH(bool, enabledAfter);

    ArdixRun run;
    run.form->Traffic_History_Chart->setEnabled(enabledBefore);
    run.send(data);
    QTRY_VERIFY(linkStatistics.ArdixDataSeen);
    QCOMPARE(run.form->Traffic_History_Chart->isEnabled(), enabledAfter);
}

void TestArdixWindow::badMarkerIsToldOnceAndTheRunGoesOn()
{
    ArdixRun run;
    // Two bad datagrams, then a good one: one message only.
    run.send(datagram("01 FE 80", "00000007"));
    run.send(datagram("01 FE 80"));
    run.send(datagram("01 FF B5", "00000001"));
    QTRY_COMPARE(linkStatistics.rxBytes, QStringLiteral("1"));
    QCOMPARE(run.messages.messages.size(), 1);
    QCOMPARE(run.messages.messages[0].title, QStringLiteral("Error"));
    QCOMPARE(run.messages.messages[0].icon, MessageIcon::Stop);
    QCOMPARE(run.messages.messages[0].text, kInvalidData);
    QCOMPARE(run.form->windowTitle(), QStringLiteral("-75 dBm")); // -128 was never taken
    QCOMPARE(run.terminations.count, 0);
    QVERIFY(!run.form->isUnloaded());
    QVERIFY(run.timer("DataArrivalTimer2")->isActive());

    // After a good datagram a bad one is told again.
    run.send(datagram("01 FE 80"));
    run.send(datagram("01 FF B5", "00000002"));
    QTRY_COMPARE(linkStatistics.rxBytes, QStringLiteral("2"));
    QCOMPARE(run.messages.messages.size(), 2);
    QCOMPARE(run.messages.messages[1].text, kInvalidData);

    // A one-byte datagram never reaches the marker.
    run.send(bytes("00"));
    run.send(datagram("01 FF B5", "00000003"));
    QTRY_COMPARE(linkStatistics.rxBytes, QStringLiteral("3"));
    QCOMPARE(run.messages.messages.size(), 2);
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
    QTRY_COMPARE(linkStatistics.rxPackets, QStringLiteral("3"));

    QCOMPARE(run.messages.messages.size(), 1);
    QCOMPARE(titleWhileOpen, QStringLiteral("Kavo Connectivity Window"));
    QCOMPARE(rxPacketsWhileOpen, QString());
    // Both were taken after the box, in order: -60, then the mean with -75.
    QCOMPARE(run.form->windowTitle(), QStringLiteral("-68 dBm"));
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
        QVERIFY(!run.timer("dataArrivalTimer1")->isActive());
        QVERIFY(!run.timer("DataArrivalTimer2")->isActive());
    }
    // The datagram behind the bad one went with the closed socket.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(!run.form);
    QCOMPARE(linkStatistics.rxBytes, QString());
    QCOMPARE(run.terminations.count, 0);
}

void TestArdixWindow::freshnessWatchdog()
{
    ArdixRun run;
    run.send(datagram("01 FF B5"));
    QTRY_VERIFY(linkStatistics.ArdixDataSeen);
    QTimer *timer1 = run.timer("dataArrivalTimer1");
    QCOMPARE(timer1->interval(), 4000);

    run.form->dataArrivalTimer1_Timer();
    QVERIFY(!linkStatistics.ArdixDataFresh);
    QCOMPARE(timer1->interval(), 6000);
    QVERIFY(timer1->isActive());

    // A datagram makes the data fresh again; the interval stays changed.
    run.send(datagram("01 FF B5", "00000009"));
    QTRY_COMPARE(linkStatistics.rxBytes, QStringLiteral("9"));
    QVERIFY(linkStatistics.ArdixDataFresh);
    QVERIFY(timer1->isActive());
    QCOMPARE(timer1->interval(), 6000);
    QVERIFY(run.messages.messages.isEmpty());
}

void TestArdixWindow::silenceShowsDisconnectedUntilDataReturns()
{
    ArdixRun run;
    run.send(datagram("01 FF B5"));
    QTRY_VERIFY(linkStatistics.ArdixDataSeen);
    QTimer *timer2 = run.timer("DataArrivalTimer2");
    QCOMPARE(timer2->interval(), 7000);

    for (int tick = 0; tick < 2; ++tick) {
        run.form->DataArrivalTimer2_Timer();
        QCOMPARE(run.form->status->text(), QStringLiteral("Disconnected"));
        QCOMPARE(KavomonitoringForm::labelColour(run.form->status), QColor(192, 0, 0));
        QCOMPARE(run.form->lampIconId(), 103);
        QCOMPARE(run.form->windowTitle(), QStringLiteral("--- dBm"));
        QCOMPARE(run.form->SignalStrengthMeter->meterValue(), 0.0);
        QVERIFY(!linkStatistics.ArdixDataFresh);
        QVERIFY(timer2->isActive());
        QCOMPARE(timer2->interval(), 5000);
    }

    run.send(datagram("01 FF B5", "00000005"));
    QTRY_COMPARE(linkStatistics.rxBytes, QStringLiteral("5"));
    QCOMPARE(run.form->status->text(), QStringLiteral("Associated"));
    QCOMPARE(run.form->lampIconId(), 102);
    QCOMPARE(run.form->windowTitle(), QStringLiteral("-75 dBm"));
    QVERIFY(linkStatistics.ArdixDataFresh);
    QCOMPARE(timer2->interval(), 5000);
    QVERIFY(run.messages.messages.isEmpty());
    QVERIFY(!run.form->isUnloaded());
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
    QVERIFY(run.timer("DataArrivalTimer2")->isActive());
    QTimer *timer2 = run.timer("DataArrivalTimer2");

    run.form->DataArrivalTimer2_Timer();

    QCOMPARE(run.messages.messages.size(), 1);
    QCOMPARE(run.messages.messages[0].title, QStringLiteral("Error"));
    QCOMPARE(run.messages.messages[0].icon, MessageIcon::Stop);
    QCOMPARE(run.messages.messages[0].text,
             QStringLiteral("No connection can be established at this time. \r\n"
                            "Possible causes for this failure include a disconnected \r\n"
                            "remote or an invalid destination port. \r\n"
                            "\r\n"
                            "Restart radio and try again."));
    QVERIFY(StationWindows::snifferForm());
    QVERIFY(StationWindows::snifferForm()->isVisible());
    QVERIFY(!run.form || run.form->isUnloaded());
    if (run.form)
        QVERIFY(!timer2->isActive());
    QCOMPARE(run.terminations.count, 0);
}

void TestArdixWindow::stopAndResume()
{
    ArdixRun run;
    run.send(datagram("01 FF B5"));
    QTRY_VERIFY(linkStatistics.ArdixDataSeen);
    run.form->DataArrivalTimer2_Timer(); // the silence interval is now 5000

    const QList<const char *> watch = {"ChartTimer", "dataArrivalTimer1", "DataArrivalTimer2",
                                       "idleTimer", "checkToSeeIfDisconnectedTimer"};
    run.form->ToggleMonitoring();
    QVERIFY(run.form->Winsock1->state() == QAbstractSocket::UnconnectedState);
    for (const char *name : watch)
        QVERIFY2(!run.timer(name)->isActive(), name);

    run.form->ToggleMonitoring();
    QVERIFY(run.form->Winsock1->state() == QAbstractSocket::BoundState);
    QCOMPARE(int(run.form->Winsock1->localPort()), sessionSettings.destPort);
    for (const char *name : watch)
        QVERIFY2(run.timer(name)->isActive(), name);
    QVERIFY(!linkStatistics.ArdixDataSeen);
    QVERIFY(linkStatistics.ArdixDataFresh);
    QCOMPARE(run.timer("DataArrivalTimer2")->interval(), 5000);
    QVERIFY(run.form->collectingDatalbl->isVisible());
    QVERIFY(run.form->RssiColorBarFrame->isHidden());

    run.send(datagram("01 FF C4", "0000000B"));
    QTRY_COMPARE(linkStatistics.rxBytes, QStringLiteral("11"));
    QCOMPARE(run.form->status->text(), QStringLiteral("Associated"));
}

void TestArdixWindow::failedJoinEndsTheStation()
{
    const auto loopbackSource =
        MulticastMembership::setInterfaceSource([] { return QList<int>{999999}; });
    {
        ArdixRun run;
        QCOMPARE(run.messages.messages.size(), 1);
        QCOMPARE(run.messages.messages[0].title, QStringLiteral("Connection Error"));
        QCOMPARE(run.messages.messages[0].icon, MessageIcon::Stop);
        QCOMPARE(run.messages.messages[0].text,
                 QStringLiteral("Failed to join the multi-cast group"));
        QCOMPARE(run.terminations.count, 1);
        QVERIFY(!run.form || run.form->isUnloaded());
        if (run.form)
            QVERIFY(!run.timer("DataArrivalTimer2")->isActive());
    }
    MulticastMembership::setInterfaceSource(loopbackSource);
}

QTEST_MAIN(TestArdixWindow)
#include "tst_ardixwindow.moc"
