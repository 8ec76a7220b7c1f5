// The threshold dialogs, opened from the monitoring window's menu, against
// net-snmp's own snmpd: the radio's value changes only when the dialog sends
// it, and the copies and colour scales follow only what the radio accepted.
#include "SnmpAgentFixture.h"
#include "TestStation.h"
#include "display/ColorBar.h"
#include "display/ThresholdDialog.h"
#include "snmp/VeltoMonitor.h"

#include <QAction>
#include <QApplication>
#include <QLineEdit>
#include <QPointer>
#include <QtTest>
#include <optional>

using namespace OidCatalogue;
using namespace Qt::StringLiterals;

namespace {

ThresholdDialog *showDialog(MonitoringWindow *window, bool rssi)
{
    window->findChild<QAction *>(rssi ? u"changeRSSIThresh"_s : u"changeSNRThreshold"_s)->trigger();
    const QString name = rssi ? u"RSSIThresholdChanges"_s : u"SNRThresholdChanges"_s;
    for (QWidget *w : QApplication::topLevelWidgets()) {
        if (w->objectName() == name && w->isVisible())
            return qobject_cast<ThresholdDialog *>(w);
    }
    return nullptr;
}

// The first black cell of a scale marks its threshold.
int markedCell(const ColorBar &bar)
{
    int cell = 0;
    while (cell < ColorBarModel::kCellCount && bar.cellColour(cell) != Qt::black)
        ++cell;
    return cell;
}

// A Velto monitoring window on snmpd, which holds the thresholds -90 dBm and
// 16 dB, with the copies the start would have read.
struct Station : TestStation
{
    Station()
    {
        store.put(u"Preferences"_s, u"SNMPPort"_s, QString::number(agent.port()));
        session.settings.remoteKind = RemoteKind::Velto;
        session.settings.remoteAddress = u"127.0.0.1"_s;
        session.settings.readCommunity = u"public"_s;
        session.settings.writeCommunity = u"private"_s;
        session.link.rssiThresholdText = u"-90"_s;
        session.link.rssiThreshold = 90;
        session.link.snrThresholdText = u"16"_s;
        session.link.snrThreshold = 16;
        session.link.snrThresholdBar = 24;
        window = new MonitoringWindow(session, windows);
        window->veltoMonitor()->StartSnmp();
    }
    ~Station() { delete window.data(); }

    MessageRecorder messages;
    SnmpdAgent agent{
        {LookupOid(RssiThreshold) + u" integer -90"_s, LookupOid(SnrThreshold) + u" integer 16"_s}};
    QPointer<MonitoringWindow> window;
};

} // namespace

class TestThresholdSnmpd : public QObject
{
    Q_OBJECT
    std::optional<Station> t;

private slots:
    void init()
    {
        t.emplace();
        QVERIFY2(t->agent.isRunning(), qPrintable(t->agent.failure()));
    }
    void cleanup() { t.reset(); }

    void entered_data()
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

    void entered()
    {
        QFETCH(bool, rssi);
        QFETCH(QString, typed);
        QFETCH(bool, stopped);
        QFETCH(QString, value);
        if (stopped)
            t->window->ToggleMonitoring();

        QPointer<ThresholdDialog> dialog = showDialog(t->window, rssi);
        QVERIFY(dialog);
        dialog->thresholdBox->setText(typed);
        dialog->OK_Click();

        QVERIFY(t->messages.messages.isEmpty());
        QCOMPARE(rssi ? t->session.link.rssiThresholdText : t->session.link.snrThresholdText,
                 value);
        QTEST(int(rssi ? t->session.link.rssiThreshold : t->session.link.snrThreshold),
              "threshold");
        if (!stopped) {
            const auto *bar =
                t->window->findChild<ColorBar *>(rssi ? u"RssiColorBar"_s : u"SNRColorBar"_s);
            QVERIFY(bar);
            QTEST(::markedCell(*bar), "markedCell");
        }
        t->session.monitor.monitoringStopped = false;
        QCOMPARE(t->window->veltoMonitor()->GetViaSNMP(rssi ? RssiThreshold : SnrThreshold), value);

        // Closed once sent.
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(dialog.isNull());
    }
};

QTEST_MAIN(TestThresholdSnmpd)
#include "tst_thresholdsnmpd.moc"
