// The alignment view in a monitoring run: opened from the View menu, it shows
// each Ardix datagram's reading as it came, beside the smoothed value.
#include "TestSupport.h"
#include "app/Records.h"
#include "display/AlignmentWindow.h"
#include "monitor/MonitoringWindow.h"
#include "monitor/StationWindows.h"
#include "session/StationSession.h"

#include <QAction>
#include <QLabel>
#include <QPointer>
#include <QUdpSocket>
#include <QtTest>

using namespace Qt::StringLiterals;

class TestAlignmentView : public QObject
{
    Q_OBJECT
private slots:
    void ardixReadingsReachTheView();
};

void TestAlignmentView::ardixReadingsReachTheView()
{
    TestStore store;
    TerminationRecorder termination;
    StationSession session;
    StationWindows windows(session);
    QUdpSocket sender;
    QUdpSocket probe; // a free port of the stream's range
    probe.bind(QHostAddress::LocalHost, 0);
    const bool inRange = probe.localPort() >= 30000 && probe.localPort() <= 60000;
    session.settings.remoteKind = RemoteKind::Ardix;
    session.settings.destPort = inRange ? probe.localPort() : 45127;
    probe.close();
    QPointer<MonitoringWindow> form = windows.openMonitoringForm();
    QVERIFY(form);

    auto *menuEntry = form->findChild<QAction *>(u"alignmentView"_s);
    menuEntry->trigger();
    auto *view = form->findChild<AlignmentWindow *>(u"AlignmentWindow"_s);
    QVERIFY(view && view->isVisible() && menuEntry->isChecked());
    // Two datagrams of an associated remote: -60 dBm, then -80 dBm.
    for (const char *rssi : {"C4", "B0"}) {
        const QByteArray d = QByteArray::fromHex(QByteArray("01FF") + rssi).leftJustified(35, 0);
        sender.writeDatagram(d, QHostAddress::LocalHost, quint16(session.settings.destPort));
    }
    QTRY_COMPARE(view->rssiStatistics().count(), 2);
    QCOMPARE(view->findChild<QLabel *>(u"rssiFigure"_s)->text(), u"-80 dBm"_s);
    QCOMPARE(view->rssiStatistics().minimum(), -80.0);
    QCOMPARE(view->rssiStatistics().maximum(), -60.0);
    // The monitoring window's value is smoothed; the view shows it too.
    QVERIFY(session.link.rssi > -80);
    QTRY_VERIFY(view->findChild<QLabel *>(u"smoothedFigure"_s)
                    ->text()
                    .contains(QString::number(session.link.rssi)));

    view->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(view));
    QTest::keyClick(view, Qt::Key_R);
    QCOMPARE(view->rssiStatistics().count(), 0);
    QTest::keyClick(view, Qt::Key_Escape);
    QVERIFY(!view->isVisible());
    QVERIFY(!menuEntry->isChecked());
    form->close();
}

QTEST_MAIN(TestAlignmentView)
#include "tst_alignmentview.moc"
