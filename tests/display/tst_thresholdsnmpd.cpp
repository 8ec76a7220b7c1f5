// The threshold dialogs, opened from the monitoring window's menu, against
// net-snmp's own snmpd: the radio's value changes only when the dialog sends
// it, and the copies and colour scales follow only what the radio accepted.
#include "SnmpAgentFixture.h"
#include "TestSupport.h"
#include "display/ColorBar.h"
#include "display/ThresholdDialog.h"
#include "monitor/MonitoringWindow.h"
#include "monitor/StationWindows.h"
#include "session/StationSession.h"
#include "snmp/VeltoMonitor.h"

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QtTest>
#include <optional>

using namespace OidCatalogue;
using namespace Qt::StringLiterals;

namespace {

ThresholdDialog *showDialog(MonitoringWindow *window, bool rssi)
{
    (rssi ? window->changeRSSIThresh : window->changeSNRThreshold)->trigger();
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

} // namespace

class TestThresholdSnmpd : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void entered_data();
    void entered();

private:
    std::optional<StationSession> m_session;
    std::optional<StationWindows> m_windows;
    std::unique_ptr<TestStore> m_store;
    std::unique_ptr<MessageRecorder> m_messages;
    std::unique_ptr<SnmpdAgent> m_agent;
    QPointer<MonitoringWindow> m_window;
};

void TestThresholdSnmpd::init()
{
    m_store = std::make_unique<TestStore>();
    m_session.emplace();
    m_windows.emplace(*m_session);
    m_messages = std::make_unique<MessageRecorder>();
    m_agent = std::make_unique<SnmpdAgent>(QStringList{LookupOid(RssiThreshold) + u" integer -90"_s,
                                                       LookupOid(SnrThreshold) + u" integer 16"_s});
    QVERIFY2(m_agent->isRunning(), qPrintable(m_agent->failure()));
    m_store->put(u"Preferences"_s, u"SNMPPort"_s, QString::number(m_agent->port()));
    m_session->settings.remoteKind = RemoteKind::Velto;
    m_session->settings.remoteAddress = u"127.0.0.1"_s;
    m_session->settings.readCommunity = u"public"_s;
    m_session->settings.writeCommunity = u"private"_s;
    m_session->link.rssiThresholdText = u"-90"_s;
    m_session->link.rssiThreshold = 90;
    m_session->link.snrThresholdText = u"16"_s;
    m_session->link.snrThreshold = 16;
    m_session->link.snrThresholdBar = 24;
    m_window = new MonitoringWindow(*m_session, *m_windows);
    QCOMPARE(m_window->veltoMonitor()->StartSnmp(), 1);
}

void TestThresholdSnmpd::cleanup()
{
    if (m_window) {
        m_window->hide();
        delete m_window.data();
    }
    m_agent.reset();
    m_messages.reset();
    m_store.reset();
}

void TestThresholdSnmpd::entered_data()
{
    QTest::addColumn<bool>("rssi");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<bool>("stopped");  // monitoring: nothing is sent
    QTest::addColumn<QString>("value"); // the radio's and the copy's afterwards
    QTest::addColumn<int>("threshold"); // as the scale keeps it
    QTest::addColumn<int>("markedCell");

    QTest::newRow("RSSI -85") << true << u"-85"_s << false << u"-85"_s << 85 << 30;
    QTest::newRow("RSSI -45, scale held at 61")
        << true << u"-45"_s << false << u"-45"_s << 61 << 78;
    QTest::newRow("SNR 12.5 is sent as 12") << false << u"12.5"_s << false << u"12"_s << 12 << 8;
    QTest::newRow("SNR 5, 10 on the scale") << false << u"5"_s << false << u"5"_s << 10 << 0;
    QTest::newRow("RSSI while stopped") << true << u"-70"_s << true << u"-90"_s << 90 << 0;
    QTest::newRow("SNR while stopped") << false << u"25"_s << true << u"16"_s << 16 << 0;
}

void TestThresholdSnmpd::entered()
{
    QFETCH(bool, rssi);
    QFETCH(QString, typed);
    QFETCH(bool, stopped);
    QFETCH(QString, value);
    if (stopped)
        m_window->ToggleMonitoring();

    QPointer<ThresholdDialog> dialog = showDialog(m_window, rssi);
    QVERIFY(dialog);
    dialog->thresholdBox->setText(typed);
    dialog->OK_Click();

    QVERIFY(m_messages->messages.isEmpty());
    QCOMPARE(m_agent->relay->requests.isEmpty(), stopped);
    QCOMPARE(rssi ? m_session->link.rssiThresholdText : m_session->link.snrThresholdText, value);
    QTEST(int(rssi ? m_session->link.rssiThreshold : m_session->link.snrThreshold), "threshold");
    if (!stopped) {
        const auto *bar =
            m_window->findChild<ColorBar *>(rssi ? u"RssiColorBar"_s : u"SNRColorBar"_s);
        QVERIFY(bar);
        QTEST(::markedCell(*bar), "markedCell");
    }
    m_session->monitor.monitoringStopped = false;
    QCOMPARE(m_window->veltoMonitor()->GetViaSNMP(rssi ? RssiThreshold : SnrThreshold), value);

    // Closed once sent; the next opening shows the value.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(dialog.isNull());
    dialog = showDialog(m_window, rssi);
    QCOMPARE(dialog->currentValueLabel->text(), value + (rssi ? u" dBm"_s : u" dB"_s));
    dialog->close();
}

QTEST_MAIN(TestThresholdSnmpd)
#include "tst_thresholdsnmpd.moc"
