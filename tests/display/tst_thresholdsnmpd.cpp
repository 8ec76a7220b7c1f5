// The threshold dialogs against net-snmp's own snmpd: the radio's value
// changes only when the dialog sends it, and the window's copies and colour
// scales follow only what the radio accepted.
#include "SnmpTestAgents.h"
#include "TestSupport.h"
#include "app/Records.h"
#include "app/StationWindows.h"
#include "display/ColorBar.h"
#include "display/RSSIThresholdChanges.h"
#include "display/SNRThresholdChanges.h"
#include "monitor/KavomonitoringForm.h"
#include "snmp/OidCatalogue.h"

#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QtTest>

namespace {

QStringList radioObjects()
{
    return {LookupOid(OidCatalogue::RssiThreshold) + QStringLiteral(" integer -90"),
            LookupOid(OidCatalogue::SnrThreshold) + QStringLiteral(" integer 16")};
}

// The first black cell of a scale: where its threshold is marked.
int blackCell(const ColorBar *bar)
{
    for (int i = 0; i < 80; ++i) {
        if (bar->cellColour(i) == QColor(0, 0, 0))
            return i;
    }
    return -1;
}

} // namespace

class TestThresholdSnmpd : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void rssi_data();
    void rssi();
    void snr_data();
    void snr();
    void nothingIsSentWhileStopped();

private:
    QString radioValue(int index);

    std::unique_ptr<TestStore> m_store;
    std::unique_ptr<MessageRecorder> m_messages;
    std::unique_ptr<SnmpdAgent> m_agent;
    QPointer<KavomonitoringForm> m_window;
};

void TestThresholdSnmpd::init()
{
    m_store = std::make_unique<TestStore>();
    m_messages = std::make_unique<MessageRecorder>();
    m_agent = std::make_unique<SnmpdAgent>(radioObjects());
    QVERIFY2(m_agent->isRunning(), qPrintable(m_agent->failure()));
    m_store->put(QStringLiteral("Preferences"), QStringLiteral("SNMPPort"),
                 QString::number(m_agent->port()));
    sessionSettings.remoteKind = RemoteKind::Velto;
    sessionSettings.remoteAddress = QStringLiteral("127.0.0.1");
    sessionSettings.readCommunity = QStringLiteral("public");
    sessionSettings.writeCommunity = QStringLiteral("private");
    linkStatistics.rssiThresholdText = QStringLiteral("-90");
    linkStatistics.rssiThreshold = 90;
    linkStatistics.snrThresholdText = QStringLiteral("16");
    linkStatistics.snrThreshold = 16;
    linkStatistics.snrThresholdBar = 24;
    m_window = StationWindows::openMonitoringForm();
    QVERIFY(m_window);
    m_window->SNMPTimer->stop(); // no poll in between: the test reads the radio itself
    m_window->CongestionManagementTimer->stop();
    m_messages->clear(); // the start's own messages: this radio has no firmware object
    monitorState.monitoringStopped = false;
    QCOMPARE(m_window->StartSnmp(), 1);
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

QString TestThresholdSnmpd::radioValue(int index)
{
    return m_window->GetViaSNMP(index);
}

void TestThresholdSnmpd::rssi_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<int>("magnitude");
    QTest::addColumn<int>("markedCell");

    QTest::newRow("-85 accepted") << "-85" << 85 << 30;
    QTest::newRow("-45 accepted, scale held at 61") << "-45" << 61 << 78;
}

void TestThresholdSnmpd::rssi()
{
    QFETCH(QString, typed);
    QFETCH(int, magnitude);
    QFETCH(int, markedCell);

    QPointer<RSSIThresholdChanges> dialog = RSSIThresholdChanges::showModeless();
    dialog->thresholdBox->setText(typed);
    dialog->OK_Click();

    QVERIFY(m_messages->messages.isEmpty());
    QCOMPARE(radioValue(OidCatalogue::RssiThreshold), typed);
    QCOMPARE(linkStatistics.rssiThresholdText, typed);
    QCOMPARE(int(linkStatistics.rssiThreshold), magnitude);
    auto *bar = m_window->findChild<ColorBar *>(QStringLiteral("RssiColorBar"));
    QVERIFY(bar);
    QCOMPARE(blackCell(bar), markedCell);

    // The next opening shows the accepted value.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(dialog.isNull());
    RSSIThresholdChanges again;
    QCOMPARE(again.currentValueLabel->text(), typed + QStringLiteral(" dBm"));
}

void TestThresholdSnmpd::snr_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("sent");
    QTest::addColumn<int>("threshold");
    QTest::addColumn<int>("bar");

    QTest::newRow("12.5 is sent as 12") << "12.5"
                                        << "12" << 12 << 8;
    QTest::newRow("5 is kept at 10 on the scale") << "5"
                                                  << "5" << 10 << 0;
    QTest::newRow("20") << "20"
                        << "20" << 20 << 40;
}

void TestThresholdSnmpd::snr()
{
    QFETCH(QString, typed);
    QFETCH(QString, sent);
    QFETCH(int, threshold);
    QFETCH(int, bar);

    QPointer<SNRThresholdChanges> dialog = SNRThresholdChanges::showModeless();
    dialog->thresholdBox->setText(typed);
    dialog->OK_Click();

    QVERIFY(m_messages->messages.isEmpty());
    QCOMPARE(radioValue(OidCatalogue::SnrThreshold), sent);
    QCOMPARE(linkStatistics.snrThresholdText, sent);
    QCOMPARE(int(linkStatistics.snrThreshold), threshold);
    QCOMPARE(int(linkStatistics.snrThresholdBar), bar);
    auto *scale = m_window->findChild<ColorBar *>(QStringLiteral("SNRColorBar"));
    QVERIFY(scale);
    QCOMPARE(blackCell(scale), bar);
}

void TestThresholdSnmpd::nothingIsSentWhileStopped()
{
    m_window->ToggleMonitoring();
    QVERIFY(monitorState.monitoringStopped);
    m_agent->requests.clear();

    RSSIThresholdChanges::showModeless()->thresholdBox->setText(QStringLiteral("-70"));
    RSSIThresholdChanges::showModeless()->OK_Click();
    SNRThresholdChanges::showModeless()->thresholdBox->setText(QStringLiteral("25"));
    SNRThresholdChanges::showModeless()->OK_Click();

    QVERIFY(m_agent->requests.isEmpty());
    QCOMPARE(linkStatistics.rssiThresholdText, QStringLiteral("-90"));
    QCOMPARE(linkStatistics.snrThresholdText, QStringLiteral("16"));
    // The radio kept its values.
    monitorState.monitoringStopped = false;
    QCOMPARE(radioValue(OidCatalogue::RssiThreshold), QStringLiteral("-90"));
    QCOMPARE(radioValue(OidCatalogue::SnrThreshold), QStringLiteral("16"));
}

QTEST_MAIN(TestThresholdSnmpd)
#include "tst_thresholdsnmpd.moc"
