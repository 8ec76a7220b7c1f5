#include "FitCheck.h"
#include "TestSupport.h"
#include "app/Records.h"
#include "app/TextContrast.h"
#include "display/FileChooser.h"
#include "display/SignalMeter.h"
#include "gps/GpsReceiver.h"
#include "log/LogFormat.h"
#include "monitor/MonitoringWindow.h"
#include "monitor/StationWindows.h"
#include "session/RemoteSelectionDialog.h"
#include "session/StationSession.h"
#include "snmp/VeltoMonitor.h"
#include "stream/ArdixMonitor.h"
#include "telnet/CongestionManager.h"

#include <QAction>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPointer>
#include <QSerialPort>
#include <QSignalSpy>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTimer>
#include <QUdpSocket>
#include <QtTest>
#include <optional>
#include <pty.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

QPointer<MonitoringWindow> openArdixWindow(StationSession &session, StationWindows &windows)
{
    QUdpSocket probe;
    probe.bind(QHostAddress::LocalHost, 0);
    session.settings.remoteKind = RemoteKind::Ardix;
    session.settings.destPort = probe.localPort() >= 30000 ? probe.localPort() : 45123;
    return windows.openMonitoringForm();
}

} // namespace

class TestMonitoringWindow : public QObject
{
    Q_OBJECT
private slots:
    void init()
    {
        m_session.emplace();
        m_windows.emplace(*m_session);
    }
    void cleanup()
    {
        // Closing a Velto window ends the station; here it only ends the test case.
        TerminationRecorder termination;
        if (MonitoringWindow *monitor = m_windows->monitoringForm())
            monitor->close();
        m_windows->closeSelection();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    void ardixStopAndResume();
    void veltoReadingsAndColours_data();
    void veltoReadingsAndColours();
    void everyMenuEntryHasItsOwnAccelerator();
    void rebootAsksFirst_data();
    void rebootAsksFirst();
    void gpsStatusShowsTheFix();
    void exportLogFromTheFileMenu();
    void closeSequence_data();
    void closeSequence();
    void largeFontFits();

private:
    std::optional<StationSession> m_session;
    std::optional<StationWindows> m_windows;
};

void TestMonitoringWindow::ardixStopAndResume()
{
    TestStore store;
    QUdpSocket probe;
    probe.bind(QHostAddress::LocalHost, 0);
    m_session->settings.remoteKind = RemoteKind::Ardix;
    m_session->settings.destPort = probe.localPort() >= 30000 ? probe.localPort() : 45123;
    probe.close();
    QPointer<MonitoringWindow> form = m_windows->openMonitoringForm();
    QVERIFY(form);
    m_session->link.rssi = -71;
    emit form->ardixMonitor->meterChanged(50);
    QCOMPARE(form->SignalStrengthMeter->reading(), u"-71 dBm"_s);

    form->runStopMenu->trigger();
    QVERIFY(m_session->monitor.monitoringStopped);
    QCOMPARE(form->status->text(), u"Disconnected From Radio"_s);
    QCOMPARE(form->lampIconId(), 106);
    QVERIFY(form->SignalStrengthMeter->reading() != u"-71 dBm"_s);
    QCOMPARE(form->ardixMonitor->socket()->state(), QAbstractSocket::UnconnectedState);
    form->runStopMenu->trigger();
    QVERIFY(!m_session->monitor.monitoringStopped && form->ChartTimer->isActive());
}

void TestMonitoringWindow::veltoReadingsAndColours_data()
{
    QTest::addColumn<QColor>("background");
    QTest::addColumn<QColor>("designed");
    QTest::newRow("green on light grey") << QColor(240, 240, 240) << QColor(0, 255, 0);
    QTest::newRow("red on near black") << QColor(30, 30, 30) << QColor(160, 0, 0);
    QTest::newRow("yellow on near black") << QColor(30, 30, 30) << QColor(255, 255, 0);
}

// The lamp and the meters speak the state; the status text stays readable
// in its designed hue whatever the palette.
void TestMonitoringWindow::veltoReadingsAndColours()
{
    QFETCH(QColor, background);
    QFETCH(QColor, designed);
    TestStore store;
    MonitoringWindow form(*m_session, *m_windows);
    QPalette palette = form.palette();
    palette.setColor(QPalette::Window, background);
    form.setPalette(palette);
    VeltoMonitor *velto = form.veltoMonitor();
    emit velto->stateLookChanged(
        {u"Associated"_s, {designed.red(), designed.green(), designed.blue()}, Lamp::Associated});
    const QColor shown = MonitoringWindow::labelColour(form.status);
    const auto rgb = [](const QColor &c) { return RgbColour{c.red(), c.green(), c.blue()}; };
    QVERIFY(TextContrast::ratio(rgb(shown), rgb(background)) >= 4.5);
    QVERIFY(qAbs(shown.hsvHue() - designed.hsvHue()) <= 2);
    if (TextContrast::ratio(rgb(designed), rgb(background)) >= 4.5)
        QCOMPARE(shown, designed);
    const QString associatedLamp = form.light->accessibleDescription();
    emit velto->stateLookChanged({u"Connecting"_s, {}, Lamp::Connecting});
    QVERIFY(!associatedLamp.isEmpty() && form.light->accessibleDescription() != associatedLamp);

    m_session->link.rssi = 83;
    m_session->link.snr = 24;
    emit velto->rssiMeterChanged(42.5);
    emit velto->snrMeterChanged(80);
    QCOMPARE(form.SignalStrengthMeter->reading(), u"-83 dBm"_s);
    QCOMPARE(form.SNRMeter->accessibleDescription(), u"24 dB"_s);
}

void TestMonitoringWindow::everyMenuEntryHasItsOwnAccelerator()
{
    TestStore store;
    MonitoringWindow form(*m_session, *m_windows);
    QList<QList<QAction *>> groups;
    groups << form.menuBar()->actions();
    for (QMenu *menu : form.findChildren<QMenu *>())
        groups << menu->actions();
    for (const QList<QAction *> &group : groups) {
        QSet<QKeySequence> keys;
        for (QAction *a : group) {
            const QKeySequence key = QKeySequence::mnemonic(a->text());
            QVERIFY2(a->isSeparator() || (!key.isEmpty() && !keys.contains(key)),
                     qPrintable(a->text()));
            keys.insert(key);
        }
    }
}

void TestMonitoringWindow::rebootAsksFirst_data()
{
    QTest::addColumn<bool>("yes");
    QTest::newRow("operator says no") << false;
    QTest::newRow("operator says yes") << true;
}

void TestMonitoringWindow::rebootAsksFirst()
{
    QFETCH(bool, yes);
    TestStore store;
    MessageRecorder messages;
    messages.answerYes = yes;
    m_session->settings.remoteAddress = u"127.0.0.9"_s;
    m_session->monitor.monitoringStopped = true; // nothing to wait for before the request
    MonitoringWindow form(*m_session, *m_windows);
    form.rebootVelto->trigger();
    QCOMPARE(messages.messages.first().buttons, MessageButtons::YesNo);
    QVERIFY(messages.messages.first().text.contains(u"127.0.0.9"_s));
    QCOMPARE(form.veltoMonitor()->RebootTimer->isActive(), yes);
    QCOMPARE(form.statusBar()->currentMessage().contains(u"90 s"_s), yes);
    form.veltoMonitor()->RebootTimer->stop();
    form.rebootCountdown_Timer();
    QVERIFY(form.statusBar()->currentMessage().isEmpty() && !form.rebootCountdown->isActive());
}

void TestMonitoringWindow::gpsStatusShowsTheFix()
{
    TestStore store;
    int controller = -1, device = -1;
    char devicePath[128] = {};
    QVERIFY(openpty(&controller, &device, devicePath, nullptr, nullptr) == 0);
    store.put(u"GPS Options"_s, u"GPS Enabled"_s, u"True"_s);
    store.put(u"GPS Options"_s, u"ComPort"_s, u"1"_s);
    store.put(u"GPS Options"_s, u"Com1Device"_s, QString::fromLocal8Bit(devicePath));
    QPointer<MonitoringWindow> form = openArdixWindow(*m_session, *m_windows);
    QVERIFY(form);
    auto *port = form->findChild<QSerialPort *>();
    QVERIFY(port && port->isOpen());
    // The receiver's fix reaches the status beside the menus.
    const QByteArray fix = "$GPGGA,1,4807.038,N,01131.000,E,2,07,0.9,545.4,M,,M,,*62\r\n";
    QVERIFY(::write(controller, fix.constData(), fix.size()) == fix.size());
    QVERIFY(QSignalSpy(port, &QSerialPort::readyRead).wait(5000));
    form->gpsReceiver->mscomm_timer_Timer();
    const QString gpsStatus = form->GpsStatus->text();
    QVERIFY2(gpsStatus.contains(u"2 - DGPS fix"_s) && gpsStatus.contains(u"07"_s),
             qPrintable(gpsStatus));
    form->close();
    ::close(device);
    ::close(controller);
}

void TestMonitoringWindow::exportLogFromTheFileMenu()
{
    TestStore store;
    MessageRecorder messages;
    QPointer<MonitoringWindow> form = openArdixWindow(*m_session, *m_windows);
    QVERIFY(form);
    QTemporaryDir dir;
    QFile log(dir.filePath(u"ardix.txt"_s));
    GpsPosition gps{};
    gps.gpsLatitude = u"4807.0380 N"_s;
    gps.gpsLongitude = u"01131.0000 E"_s;
    QVERIFY(log.open(QIODevice::WriteOnly));
    log.write(LogFormat::line(LogFormat::ardixHeader()) +
              LogFormat::line(LogFormat::ardixRecord({}, gps, QDateTime::currentDateTime(), {})));
    log.close();
    m_session->link.rssiThreshold = 83; // as set in the run's threshold dialog
    FileChooser::setNextAnswer(log.fileName());
    FileChooser::setNextAnswer(dir.filePath(u"track.kml"_s));
    form->fileMenu->findChild<QAction *>(u"exportLog"_s)->trigger();

    QFile kml(dir.filePath(u"track.kml"_s));
    QVERIFY(kml.open(QIODevice::ReadOnly));
    const QByteArray text = kml.readAll();
    QVERIFY(text.contains("threshold: -83 dBm"));
    QCOMPARE(text.count("<Point>"), 1);
}

void TestMonitoringWindow::closeSequence_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<QString>("deviceMode");
    QTest::addColumn<int>("terminations");
    QTest::newRow("Ardix run closes the window only") << int(RemoteKind::Ardix) << "" << 0;
    QTest::newRow("Velto run ends the application") << int(RemoteKind::Velto) << "1" << 1;
    QTest::newRow("refused access point keeps the application")
        << int(RemoteKind::Velto) << "5" << 0;
}

void TestMonitoringWindow::closeSequence()
{
    TestStore store;
    TerminationRecorder termination;
    QFETCH(int, kind);
    QFETCH(QString, deviceMode);
    QFETCH(int, terminations);
    m_session->settings.remoteKind = static_cast<RemoteKind>(kind);
    m_session->settings.gpsEnabled = true;
    m_session->link.deviceMode = deviceMode;
    QPointer<MonitoringWindow> form = new MonitoringWindow(*m_session, *m_windows);
    form->show();
    form->exit->trigger();
    QCOMPARE(termination.count, terminations);
    QVERIFY(!m_session->settings.gpsEnabled && m_session->monitor.windowClosing);
    QVERIFY(!form->congestionManager->TelnetConnectionTimer->isActive());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(form.isNull());
}

// With twice the font everything still reads in full: the window grows.
void TestMonitoringWindow::largeFontFits()
{
    TestStore store;
    const QFont designFont = QApplication::font();
    QFont large = designFont;
    large.setPointSizeF(designFont.pointSizeF() * 2);
    QApplication::setFont(large);
    {
        MonitoringWindow form(*m_session, *m_windows);
        form.show();
        form.Traffic_History_Chart->trigger();
        form.ViewSNR->trigger();
        emit form.ardixMonitor->signalWidgetsShown(true);
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        QCoreApplication::processEvents();
        QCOMPARE(FitCheck::clippedTexts(&form), QStringList());
    }
    QApplication::setFont(designFont);
}

QTEST_MAIN(TestMonitoringWindow)
#include "tst_monitoringwindow.moc"
