// The Velto monitor's start and an associated radio's poll against net-snmp's
// own snmpd, started on a free loopback port with the radio's objects as
// override lines; a relay records the requests on their way to it. (The agent
// going away and coming back is a fault test of its own.)
#include "SnmpAgentFixture.h"
#include "TestSupport.h"
#include "app/CongestionStatus.h"
#include "app/Records.h"
#include "snmp/VeltoMonitor.h"

#include <QSignalSpy>
#include <QtTest>

using namespace OidCatalogue;
using namespace Qt::StringLiterals;

class TestVeltoSnmpd : public QObject
{
    Q_OBJECT
private slots:
    void startThenPoll();
};

void TestVeltoSnmpd::startThenPoll()
{
    TestStore store;
    MessageRecorder messages;
    const QList<std::pair<int, QString>> objects{{DeviceMode, u"integer 2"_s},
                                                 {RssiThreshold, u"integer -85"_s},
                                                 {SnrThreshold, u"integer 5"_s},
                                                 {FirmwareVersion, u"octet_str v4.8.0"_s},
                                                 {FeatureIndicator, u"integer 1"_s},
                                                 {ConnectionState, u"integer 5"_s},
                                                 {Rssi, u"integer -70"_s},
                                                 {Snr, u"integer 28"_s},
                                                 {AccessPointAddress, u"octet_str 0xC0A8010A"_s},
                                                 {LinkRate, u"integer 1"_s},
                                                 {TxOctets, u"counter 3000000000"_s},
                                                 {RxOctets, u"counter 12345"_s}};
    QStringList lines;
    for (const auto &[index, typeAndValue] : objects)
        lines << LookupOid(index) + u' ' + typeAndValue;
    SnmpdAgent agent(lines);
    QVERIFY2(agent.isRunning(), qPrintable(agent.failure()));
    store.put(u"Preferences"_s, u"SNMPPort"_s, QString::number(agent.port()));
    SessionSettings settings;
    settings.remoteAddress = u"127.0.0.1"_s;
    MonitorState state;
    LinkStatistics link;
    CongestionStatus congestion;
    VeltoMonitor monitor(settings, state, link, congestion);

    monitor.StartVeltoMonitoring();
    monitor.SNMPTimer->stop(); // the tick is run by hand
    QVERIFY(messages.messages.isEmpty());
    for (const SeenRequest &r : std::as_const(agent.requests))
        QVERIFY(r.community == "public" && r.requestId == 1234);
    QCOMPARE((QStringList{link.deviceMode, link.rssiThresholdText, link.snrThresholdText,
                          link.firmwareVersion}),
             (QStringList{u"2"_s, u"-85"_s, u"5"_s, u"480"_s}));

    agent.requests.clear();
    link.rssi = 70;
    QSignalSpy looks(&monitor, &VeltoMonitor::stateLookChanged);
    QSignalSpy titles(&monitor, &VeltoMonitor::titleChanged);
    monitor.SNMPTimer_Timer();

    QCOMPARE(
        SimulatedRadio::indexes(agent.requests),
        (QList<int>{ConnectionState, Rssi, Snr, AccessPointAddress, LinkRate, TxOctets, RxOctets}));
    QCOMPARE(looks.last().first().value<StateLook>().text, u"Associated"_s);
    QCOMPARE((QStringList{link.txBytes, link.rxBytes, link.rssiText, link.snrText, link.apAddress,
                          QString::number(link.linkRateKbps), titles.last().first().toString()}),
             (QStringList{u"-1294967296"_s, u"12345"_s, u"-70"_s, u"28"_s, u"192.168.1.10"_s,
                          u"256"_s, u"-70 dBm"_s}));
}

QTEST_GUILESS_MAIN(TestVeltoSnmpd)
#include "tst_veltosnmpd.moc"
