// The Velto start and poll against net-snmp's own snmpd, started on a free
// loopback port with the radio's objects as override lines; a relay records
// the requests on their way to it.
#include "SimulatedRadio.h"
#include "TestSupport.h"
#include "app/Records.h"
#include "monitor/KavomonitoringForm.h"

#include <QLabel>
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
    void thresholdSetSticks_data();
    void thresholdSetSticks();

private:
    bool startAgent(int stateCode);

    std::unique_ptr<TestStore> m_store;
    std::unique_ptr<MessageRecorder> m_messages;
    std::unique_ptr<SnmpdAgent> m_agent;
    QPointer<KavomonitoringForm> m_window;
};

void TestVeltoSnmpd::init()
{
    m_store = std::make_unique<TestStore>();
    m_messages = std::make_unique<MessageRecorder>();
    sessionSettings.remoteKind = RemoteKind::Velto;
    sessionSettings.remoteAddress = u"127.0.0.1"_s;
}

void TestVeltoSnmpd::cleanup()
{
    delete m_window.data();
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
    m_window = new KavomonitoringForm;
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
    m_window->StartVeltoMonitoring();
    m_window->SNMPTimer->stop(); // the ticks are run by hand

    QVERIFY(m_messages->messages.isEmpty());
    QCOMPARE(
        SimulatedRadio::indexes(m_agent->requests),
        (QList<int>{DeviceMode, RssiThreshold, SnrThreshold, FirmwareVersion, FeatureIndicator}));
    for (const SeenRequest &r : std::as_const(m_agent->requests)) {
        QCOMPARE(r.community, QByteArray("public"));
        QCOMPARE(r.requestId, 1234);
    }
    QCOMPARE(linkStatistics.deviceMode, u"2"_s);
    QCOMPARE(linkStatistics.rssiThresholdText, u"-85"_s);
    QCOMPARE(linkStatistics.rssiThreshold, qint16(85));
    QCOMPARE(linkStatistics.snrThresholdText, u"5"_s);
    QCOMPARE(linkStatistics.snrThreshold, qint16(10));
    QCOMPARE(linkStatistics.snrThresholdBar, qint16(0));
    QCOMPARE(linkStatistics.firmwareVersion, u"480"_s);
    QVERIFY(linkStatistics.extendedFirmware);
    QVERIFY(linkStatistics.newFirmwareLogin);
    QVERIFY(!monitorState.monitoringStopped);
    QCOMPARE(monitorState.snmpTimeoutCount, 0);

    m_agent->requests.clear();
    linkStatistics.rssi = 70;
    m_window->SNMPTimer_Timer();

    QCOMPARE(SimulatedRadio::indexes(m_agent->requests), order);
    QCOMPARE(m_window->status->text(), status);
    QCOMPARE(linkStatistics.txBytes, u"-1294967296"_s);
    QCOMPARE(linkStatistics.rxBytes, u"12345"_s);
    const bool associated = status == "Associated"_L1;
    QCOMPARE(linkStatistics.rssiText, associated ? u"-70"_s : QString());
    QCOMPARE(linkStatistics.snrText, associated ? u"28"_s : QString());
    QCOMPARE(linkStatistics.apAddress, associated ? u"192.168.1.10"_s : QString());
    QCOMPARE(int(linkStatistics.linkRateKbps), associated ? 256 : 0);
    if (associated)
        QCOMPARE(m_window->windowTitle(), u"-70 dBm"_s);
}

void TestVeltoSnmpd::thresholdSetSticks_data()
{
    QTest::addColumn<int>("index");
    QTest::addColumn<QVariant>("value");
    QTest::addColumn<QString>("answer");
    QTest::newRow("RSSI threshold -70") << int(RssiThreshold) << QVariant(u"-70"_s) << "-70";
    QTest::newRow("SNR threshold 15.5 to even") << int(SnrThreshold) << QVariant(u"15.5"_s) << "16";
}

void TestVeltoSnmpd::thresholdSetSticks()
{
    QFETCH(int, index);
    QFETCH(QVariant, value);
    QFETCH(QString, answer);
    QVERIFY2(startAgent(5), qPrintable(m_agent->failure()));
    QCOMPARE(m_window->StartSnmp(), 1);
    sessionSettings.writeCommunity = u"private"_s;
    sessionSettings.readCommunity = u"public"_s;

    QCOMPARE(m_window->SetViaSNMP(index, value), answer);
    QCOMPARE(m_agent->requests.last().community, QByteArray("private"));
    QCOMPARE(m_window->GetViaSNMP(index), answer);
    QCOMPARE(m_agent->requests.last().community, QByteArray("public"));
}

QTEST_MAIN(TestVeltoSnmpd)
#include "tst_veltosnmpd.moc"
