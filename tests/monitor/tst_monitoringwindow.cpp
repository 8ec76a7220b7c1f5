// The monitoring window's wiring: what each controller reports reaches the
// operator, and each menu entry reaches its controller; the threshold dialogs
// against net-snmp's own snmpd.
#include "PseudoTerminal.h"
#include "SnmpAgentFixture.h"
#include "TestStation.h"
#include "app/TextContrast.h"
#include "display/AlignmentWindow.h"
#include "display/ColorBar.h"
#include "display/FileChooser.h"
#include "display/SignalMeter.h"
#include "display/SignalPanel.h"
#include "display/SingleWindow.h"
#include "display/ThresholdDialog.h"
#include "display/TrafficChart.h"
#include "log/LogFormat.h"
#include "session/RemoteSelectionDialog.h"
#include "snmp/VeltoMonitor.h"
#include "stream/ArdixMonitor.h"
#include "telnet/CongestionManager.h"

#include <QAction>
#include <QChartView>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

using namespace Qt::StringLiterals;

namespace {

// The first black cell of a scale marks its threshold.
int markedCell(const ColorBar *bar)
{
    int cell = 0;
    while (cell < ColorBarModel::kCellCount && bar->cellColour(cell) != Qt::black)
        ++cell;
    return cell;
}

} // namespace

class TestMonitoringWindow : public QObject
{
    Q_OBJECT
private slots:
    void init() { m_station.emplace(); }
    void cleanup() { m_station.reset(); }

    // Datagrams reach the meter smoothed and the alignment view raw; the view's
    // keys reset and close it. Stop ends the stream and clears the readings,
    // Resume starts it again.
    void ardixRunOnTheLoopback()
    {
        const LinkStatistics &link = m_station->session.link;
        QPointer<MonitoringWindow> form = m_station->openArdix();
        QVERIFY(form);
        // Until the first datagram the notice stands where the readings will.
        const QLabel *notice = part<QLabel>(form, "collectingDatalbl");
        QVERIFY(notice->isVisible());
        QVERIFY(qAbs(notice->geometry().center().x() - notice->parentWidget()->width() / 2) <= 1);
        const QRect waitingPanel = part<QWidget>(form, "rssiPanel")->geometry();
        auto *menuEntry = form->findChild<QAction *>(u"alignmentView"_s);
        menuEntry->trigger();
        auto *view = form->findChild<AlignmentWindow *>();
        QVERIFY(view && view->isVisible() && menuEntry->isChecked());
        // Two datagrams of an associated remote: -60 dBm, then -80 dBm.
        QUdpSocket sender;
        const auto port = quint16(m_station->session.settings.destPort);
        for (const char *rssi : {"01FFC4", "01FFB0"})
            sender.writeDatagram(QByteArray::fromHex(rssi).leftJustified(35, 0),
                                 QHostAddress::LocalHost, port);
        QTRY_COMPARE(view->rssiStatistics().count(), 2);
        QCOMPARE(part<QWidget>(form, "rssiPanel")->geometry(), waitingPanel); // rows stay put
        QCOMPARE(view->findChild<QLabel *>(u"rssiFigure"_s)->text(), u"-80 dBm"_s);
        const QString smoothed = QString::number(link.rssi) + u" dBm"_s;
        QCOMPARE(part<SignalMeter>(form, "SignalStrengthMeter")->reading(), smoothed);
        QTRY_VERIFY(view->findChild<QLabel *>(u"smoothedFigure"_s)->text().contains(smoothed));
        view->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(view));
        QTest::keyClick(view, Qt::Key_R);
        QCOMPARE(view->rssiStatistics().count(), 0);
        QTest::keyClick(view, Qt::Key_Escape);
        QVERIFY(!view->isVisible() && !menuEntry->isChecked());

        part<QAction>(form, "runStopMenu")->trigger();
        QCOMPARE(part<QLabel>(form, "status")->text(), u"Disconnected From Radio"_s);
        QCOMPARE(form->lampIconId(), int(Lamp::Disconnected));
        QVERIFY(part<SignalMeter>(form, "SignalStrengthMeter")->reading() != smoothed);
        QCOMPARE(form->ardixMonitor->socket()->state(), QAbstractSocket::UnconnectedState);
        part<QAction>(form, "runStopMenu")->trigger();
        QVERIFY(!m_station->session.monitor.monitoringStopped && form->ChartTimer->isActive());
    }

    // The Velto monitor's state reaches the status and the lamp, its readings the
    // meters; a status colour too faint on a dark palette shows in a readable
    // shade of its hue.
    void veltoStateAndReadings()
    {
        MonitoringWindow form(m_station->session, m_station->windows);
        QPalette palette = form.palette();
        palette.setColor(QPalette::Window, QColor(30, 30, 30));
        form.setPalette(palette);
        VeltoMonitor *velto = form.veltoMonitor();
        emit velto->stateLookChanged({u"Associated"_s, {160, 0, 0}, Lamp::Associated});
        QCOMPARE(part<QLabel>(&form, "status")->text(), u"Associated"_s);
        const QColor shown = part<QLabel>(&form, "status")->palette().color(QPalette::WindowText);
        QVERIFY(TextContrast::ratio({shown.red(), shown.green(), shown.blue()}, {30, 30, 30}) >=
                4.5);
        QCOMPARE(shown.hsvHue(), QColor(160, 0, 0).hsvHue());
        const QLabel *lamp = part<QLabel>(&form, "light");
        const QString associatedLamp = lamp->accessibleDescription();
        QVERIFY(!lamp->pixmap().isNull());
        emit velto->stateLookChanged({u"Connecting"_s, {}, Lamp::Connecting});
        QVERIFY(!associatedLamp.isEmpty() && lamp->accessibleDescription() != associatedLamp);

        m_station->session.link.rssi = 83; // a Velto radio reports the magnitude
        m_station->session.link.snr = 24;
        emit velto->rssiMeterChanged(42.5);
        emit velto->snrMeterChanged(80);
        const SignalMeter *meter = part<SignalMeter>(&form, "SignalStrengthMeter");
        QCOMPARE(meter->reading(), u"-83 dBm"_s);
        QCOMPARE(double(meter->value() - meter->minimum()) / (meter->maximum() - meter->minimum()),
                 0.425);
        QCOMPARE(part<SignalMeter>(&form, "SNRMeter")->accessibleDescription(), u"24 dB"_s);

        emit velto->selectionRequested();
        const QWidget *selection = m_station->windows.snifferForm();
        QVERIFY(selection && selection->isVisible());
        // A new run shows the chart that the run before refused.
        m_station->session.monitor.trafficViewState = 1;
        part<QAction>(&form, "Traffic_History_Chart")->trigger();
        emit velto->trafficChartEnabled(false);
        emit velto->runStarting();
        QVERIFY(part<QWidget>(&form, "TrafficChart")->isVisibleTo(&form));
    }

    // Each View entry shows or hides its part whatever the other shows, and the
    // window's height follows only what is shown: more shown, taller window.
    void viewToggles()
    {
        MonitoringWindow form(m_station->session, m_station->windows);
        form.show();
        m_station->session.monitor.trafficViewState = 1; // as the load leaves it
        enum Shown
        {
            Plain = 0,
            Chart = 1,
            Snr = 2,
            Both = 3
        };
        QMap<int, int> heights{{Plain, form.height()}};
        int shown = Plain;
        // Every step between the four views, each way.
        QAction *snr = part<QAction>(&form, "ViewSNR");
        QAction *history = part<QAction>(&form, "Traffic_History_Chart");
        for (QAction *click : {snr, history, snr, history, history, snr, history, snr}) {
            click->trigger();
            shown ^= click == snr ? Snr : Chart;
            const bool chart = shown & Chart;
            QCOMPARE(history->isChecked(), chart);
            QCOMPARE(part<QWidget>(&form, "TrafficChart")->isVisible(), chart); // frame and chart
            QCOMPARE(snr->isChecked(), bool(shown & Snr));
            for (QWidget *w : part<SignalPanel>(&form, "snrPanel")->controls())
                QCOMPARE(w->isVisible(), bool(shown & Snr));
            QCOMPARE(heights.value(shown, form.height()), form.height());
            heights[shown] = form.height();
        }
        QVERIFY(heights[Plain] < heights[Snr] && heights[Snr] < heights[Chart]);
        QVERIFY(heights[Chart] < heights[Both]);
        // An SNR view left on by an earlier Velto run is no part of an Ardix window.
        m_station->session.monitor.snrBarShown = true;
        form.setupForArdix();
        history->trigger();
        QCOMPARE(form.height(), heights[Chart]);
    }

    // The chart timer's ticks reach the chart in percent of the link rate, each
    // direction in the series of its name; the first tick after the chart's
    // start is a baseline.
    void chartShowsTheCounters()
    {
        MonitoringWindow form(m_station->session, m_station->windows);
        LinkStatistics &link = m_station->session.link;
        link.linkRateKbps = 120;
        link.txBytes = link.rxBytes = u"1000"_s;
        form.InitTrafficChart();
        form.ChartTimer_Timer();
        link.txBytes = u"38500"_s; // 60 kbit/s over 5 s
        link.rxBytes = u"16000"_s; // 24 kbit/s
        form.ChartTimer_Timer();
        auto *chart = part<QChartView>(&form, "TrafficChart");
        const QList<QAbstractSeries *> series = chart->chart()->series();
        QVERIFY(series.size() == 2 && series[0]->name() == u"Transmit (kB/s)"_s &&
                series[1]->name() == u"Receive (kB/s)"_s);
        QCOMPARE(TrafficChart::seriesValues(chart, 0).mid(0, 2), (QList<double>{50, 0}));
        QCOMPARE(TrafficChart::seriesValues(chart, 1).mid(0, 2), (QList<double>{20, 0}));
    }

    void rebootAsksFirst_data()
    {
        QTest::addColumn<bool>("yes");
        QTest::newRow("operator says no") << false;
        QTest::newRow("operator says yes") << true;
    }

    // Only a confirmed reboot reaches the radio; the countdown then shows in the
    // status bar until the restart is over.
    void rebootAsksFirst()
    {
        QFETCH(bool, yes);
        MessageRecorder messages;
        messages.answerYes = yes;
        m_station->session.settings.remoteAddress = u"127.0.0.9"_s;
        // Stopped: nothing to wait for before the request.
        m_station->session.monitor.monitoringStopped = true;
        MonitoringWindow form(m_station->session, m_station->windows);
        part<QAction>(&form, "rebootVelto")->trigger();
        QCOMPARE(form.veltoMonitor()->RebootTimer->isActive(), yes);
        // A minute and a half, as the question tells the operator.
        QCOMPARE(form.statusBar()->currentMessage().contains(u"90 s"_s), yes);
        form.veltoMonitor()->RebootTimer->stop();
        form.rebootCountdown_Timer();
        QVERIFY(form.statusBar()->currentMessage().isEmpty() && !form.rebootCountdown->isActive());
    }

    // The receiver on the stored port: its fix reaches the status beside the menus.
    void gpsStatusShowsTheFix()
    {
        PseudoTerminal receiver;
        m_station->store.put(u"GPS Options"_s, u"GPS Enabled"_s, u"True"_s);
        m_station->store.put(u"GPS Options"_s, u"ComPort"_s, u"1"_s);
        m_station->store.put(u"GPS Options"_s, u"Com1Device"_s, receiver.device);
        QPointer<MonitoringWindow> form = m_station->openArdix();
        QVERIFY(form);
        QVERIFY(receiver.send("$GPGGA,1,4807.038,N,01131.000,E,2,07,0.9,545.4,M,,M,,*62\r\n"));
        QTRY_VERIFY(part<QLabel>(form, "GpsStatus")->text().contains(u"2 - DGPS fix"_s));
        QVERIFY(part<QLabel>(form, "GpsStatus")->text().contains(u"07"_s));
        form->close();
    }

    // The File menu's export reads the chosen log and marks the run's threshold.
    void exportLogFromTheFileMenu()
    {
        MessageRecorder messages;
        QPointer<MonitoringWindow> form = m_station->openArdix();
        QVERIFY(form);
        QTemporaryDir dir;
        const QByteArray log =
            LogFormat::line(LogFormat::ardixHeader()) +
            LogFormat::line(LogFormat::ardixRecord({}, {}, QDateTime::currentDateTime(), {}));
        QVERIFY(writeFileContent(dir.filePath(u"ardix.txt"_s), log));
        m_station->session.link.rssiThreshold = 83; // as set in the run's threshold dialog
        FileChooser::setNextAnswer(dir.filePath(u"ardix.txt"_s));
        FileChooser::setNextAnswer(dir.filePath(u"track.kml"_s));
        part<QAction>(form, "exportLog")->trigger();

        const QByteArray kml = fileContent(dir.filePath(u"track.kml"_s));
        QVERIFY(kml.contains("threshold: -83 dBm"));
    }

    void closeSequence_data()
    {
        QTest::addColumn<RemoteKind>("kind");
        QTest::addColumn<QString>("deviceMode");
        QTest::addColumn<int>("terminations");
        QTest::newRow("Ardix run closes the window only") << RemoteKind::Ardix << "" << 0;
        QTest::newRow("Velto run ends the application") << RemoteKind::Velto << "1" << 1;
        QTest::newRow("access point refused: the station stays") << RemoteKind::Velto << "5" << 0;
    }

    // Closing stops GPS and the telnet side, and the window goes.
    void closeSequence()
    {
        QFETCH(QString, deviceMode);
        TerminationRecorder termination;
        StationSession &session = m_station->session;
        session.settings.remoteKind = fetched<RemoteKind>("kind");
        session.settings.gpsEnabled = true;
        session.link.deviceMode = deviceMode;
        QPointer<MonitoringWindow> form = new MonitoringWindow(session, m_station->windows);
        form->show();
        form->congestionManager->TelnetConnectionTimer->start();
        part<QAction>(form, "exit")->trigger();
        QCOMPARE(termination.count, fetched<int>("terminations"));
        QVERIFY(!session.settings.gpsEnabled && session.monitor.windowClosing);
        QVERIFY(!form->congestionManager->TelnetConnectionTimer->isActive());
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(form.isNull());
    }

    void thresholdEntered_data()
    {
        QTest::addColumn<bool>("rssi");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<bool>("stopped");  // monitoring: nothing is sent
        QTest::addColumn<QString>("value"); // the radio's and the copy's afterwards
        QTest::addColumn<int>("threshold"); // as the scale keeps it
        QTest::addColumn<int>("markedCell");

        QTest::newRow("RSSI -85") << true << u"-85"_s << false << u"-85"_s << 85 << 30;
        QTest::newRow("SNR 12.5 is sent as 12")
            << false << u"12.5"_s << false << u"12"_s << 12 << 8;
        QTest::newRow("RSSI while stopped") << true << u"-70"_s << true << u"-90"_s << 90 << 0;
    }

    // snmpd holds the thresholds -90 dBm and 16 dB, and the window the RSSI copy
    // the start would have read. The radio's value changes only when the dialog
    // sends it, and the copies and colour scales follow only what it accepted.
    void thresholdEntered()
    {
        QFETCH(bool, rssi);
        QFETCH(bool, stopped);
        QFETCH(QString, value);
        using namespace OidCatalogue;
        MessageRecorder messages;
        SnmpdAgent agent{{LookupOid(RssiThreshold) + u" integer -90"_s,
                          LookupOid(SnrThreshold) + u" integer 16"_s}};
        QVERIFY2(agent.isRunning(), qPrintable(agent.failure()));
        m_station->store.put(u"Preferences"_s, u"SNMPPort"_s, QString::number(agent.port()));
        StationSession &session = m_station->session;
        session.settings.remoteAddress = u"127.0.0.1"_s;
        session.settings.readCommunity = u"public"_s;
        session.settings.writeCommunity = u"private"_s;
        LinkStatistics &link = session.link;
        link.rssiThresholdText = u"-90"_s;
        link.rssiThreshold = 90;
        MonitoringWindow form(session, m_station->windows);
        form.veltoMonitor()->StartSnmp();
        if (stopped)
            form.ToggleMonitoring();

        part<QAction>(&form, rssi ? "changeRSSIThresh" : "changeSNRThreshold")->trigger();
        QPointer<ThresholdDialog> dialog = findOpenWindow<ThresholdDialog>();
        QVERIFY(dialog);
        dialog->thresholdBox->setText(fetched<QString>("typed"));
        dialog->OK_Click();

        QVERIFY(messages.messages.isEmpty());
        QCOMPARE(rssi ? link.rssiThresholdText : link.snrThresholdText, value);
        QTEST(int(rssi ? link.rssiThreshold : link.snrThreshold), "threshold");
        if (!stopped)
            QTEST(markedCell(part<ColorBar>(&form, rssi ? "RssiColorBar" : "SNRColorBar")),
                  "markedCell");
        session.monitor.monitoringStopped = false;
        QCOMPARE(form.veltoMonitor()->GetViaSNMP(rssi ? RssiThreshold : SnrThreshold), value);
        // Closed once sent.
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(dialog.isNull());
    }

private:
    std::optional<TestStation> m_station;
};

QTEST_MAIN(TestMonitoringWindow)
#include "tst_monitoringwindow.moc"
