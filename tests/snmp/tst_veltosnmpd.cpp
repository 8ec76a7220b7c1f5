// The Velto monitor's start and poll against net-snmp's own snmpd, started on a free
// loopback port with the radio's objects as override lines; a relay records
// the requests on their way to it.
#include "SnmpAgentFixture.h"
#include "TestSupport.h"
#include "app/CongestionStatus.h"
#include "app/Records.h"
#include "snmp/VeltoMonitor.h"

#include <QSignalSpy>
#include <QTimer>
#include <QtTest>

using namespace OidCatalogue;
using namespace Qt::StringLiterals;

class TestVeltoSnmpd : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void startThenPoll_data();
    void startThenPoll();

private:
    bool startAgent(int stateCode);

    std::unique_ptr<TestStore> m_store;
    std::unique_ptr<MessageRecorder> m_messages;
    std::unique_ptr<SnmpdAgent> m_agent;
    SessionSettings m_settings;
    MonitorState m_state;
    LinkStatistics m_link;
    CongestionStatus m_congestion;
    std::unique_ptr<VeltoMonitor> m_monitor;
};

void TestVeltoSnmpd::init()
{
    m_store = std::make_unique<TestStore>();
    m_messages = std::make_unique<MessageRecorder>();
    m_settings = SessionSettings{};
    m_settings.remoteAddress = u"127.0.0.1"_s;
    m_state = MonitorState{};
    m_link = LinkStatistics{};
}

void TestVeltoSnmpd::cleanup()
{
    m_monitor.reset();
    m_agent.reset();
    m_messages.reset();
    m_store.reset();
}

bool TestVeltoSnmpd::startAgent(int stateCode)
{
    const QList<std::pair<int, QString>> objects{{DeviceMode, u"integer 2"_s},
                                                 {RssiThreshold, u"integer -85"_s},
                                                 {SnrThreshold, u"integer 5"_s},
                                                 {FirmwareVersion, u"octet_str v4.8.0"_s},
                                                 {FeatureIndicator, u"integer 1"_s},
                                                 {ConnectionState, u"integer %1"_s.arg(stateCode)},
                                                 {Rssi, u"integer -70"_s},
                                                 {Snr, u"integer 28"_s},
                                                 {AccessPointAddress, u"octet_str 0xC0A8010A"_s},
                                                 {LinkRate, u"integer 1"_s},
                                                 {TxOctets, u"counter 3000000000"_s},
                                                 {RxOctets, u"counter 12345"_s}};
    QStringList lines;
    for (const auto &[index, typeAndValue] : objects)
        lines << LookupOid(index) + u' ' + typeAndValue;
    m_agent = std::make_unique<SnmpdAgent>(lines);
    if (!m_agent->isRunning())
        return false;
    m_store->put(u"Preferences"_s, u"SNMPPort"_s, QString::number(m_agent->port()));
    m_monitor = std::make_unique<VeltoMonitor>(m_settings, m_state, m_link, m_congestion);
    return true;
}

void TestVeltoSnmpd::startThenPoll_data()
{
    QTest::addColumn<int>("stateCode");
    QTest::addColumn<QList<int>>("order");
    QTest::addColumn<QString>("status");
    QTest::newRow("associated")
        << 5
        << QList<int>{ConnectionState, Rssi, Snr, AccessPointAddress, LinkRate, TxOctets, RxOctets}
        << "Associated";
    QTest::newRow("connected") << 4 << QList<int>{ConnectionState, TxOctets, RxOctets}
                               << "Connected";
    QTest::newRow("scanning") << 1 << QList<int>{ConnectionState, TxOctets, RxOctets} << "Scanning";
}

void TestVeltoSnmpd::startThenPoll()
{
    QFETCH(int, stateCode);
    QFETCH(QList<int>, order);
    QFETCH(QString, status);
    QVERIFY2(startAgent(stateCode), qPrintable(m_agent->failure()));
    m_monitor->StartVeltoMonitoring();
    m_monitor->SNMPTimer->stop(); // the ticks are run by hand

    QVERIFY(m_messages->messages.isEmpty());
    QCOMPARE(
        SimulatedRadio::indexes(m_agent->requests),
        (QList<int>{DeviceMode, RssiThreshold, SnrThreshold, FirmwareVersion, FeatureIndicator}));
    for (const SeenRequest &r : std::as_const(m_agent->requests)) {
        QCOMPARE(r.community, QByteArray("public"));
        QCOMPARE(r.requestId, 1234);
    }
    QCOMPARE(m_link.deviceMode, u"2"_s);
    QCOMPARE(m_link.rssiThresholdText, u"-85"_s);
    QCOMPARE(m_link.snrThresholdText, u"5"_s);
    QCOMPARE(m_link.firmwareVersion, u"480"_s);

    m_agent->requests.clear();
    m_link.rssi = 70;
    QSignalSpy looks(m_monitor.get(), &VeltoMonitor::stateLookChanged);
    QSignalSpy titles(m_monitor.get(), &VeltoMonitor::titleChanged);
    m_monitor->SNMPTimer_Timer();

    QCOMPARE(SimulatedRadio::indexes(m_agent->requests), order);
    QCOMPARE(looks.size(), 1);
    QCOMPARE(looks.first().first().value<StateLook>().text, status);
    QCOMPARE(m_link.txBytes, u"-1294967296"_s);
    QCOMPARE(m_link.rxBytes, u"12345"_s);
    const bool associated = status == "Associated"_L1;
    QCOMPARE(m_link.rssiText, associated ? u"-70"_s : QString());
    QCOMPARE(m_link.snrText, associated ? u"28"_s : QString());
    QCOMPARE(m_link.apAddress, associated ? u"192.168.1.10"_s : QString());
    QCOMPARE(int(m_link.linkRateKbps), associated ? 256 : 0);
    if (associated)
        QCOMPARE(titles.last().first().toString(), u"-70 dBm"_s);
}

QTEST_GUILESS_MAIN(TestVeltoSnmpd)
#include "tst_veltosnmpd.moc"
