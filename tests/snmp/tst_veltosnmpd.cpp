// The Velto start and poll against net-snmp's own snmpd, started on a free
// loopback port with the radio's objects as override lines. A relay of the
// test's own records the requests on their way to the agent.
#include "SimulatedRadio.h"
#include "TestSupport.h"
#include "app/Records.h"
#include "monitor/KavomonitoringForm.h"

#include <QLabel>
#include <QTimer>
#include <QtTest>

using namespace OidCatalogue;

namespace {

QString line(int index, const QString &typeAndValue)
{
    return LookupOid(index) + QLatin1Char(' ') + typeAndValue;
}

QStringList radioObjects(int stateCode)
{
    return {line(DeviceMode, QStringLiteral("integer 2")),
            line(RssiThreshold, QStringLiteral("integer -85")),
            line(SnrThreshold, QStringLiteral("integer 5")),
            line(FirmwareVersion, QStringLiteral("octet_str v4.8.0")),
            line(FeatureIndicator, QStringLiteral("integer 1")),
            line(ConnectionState, QStringLiteral("integer %1").arg(stateCode)),
            line(Rssi, QStringLiteral("integer -70")),
            line(Snr, QStringLiteral("integer 28")),
            line(AccessPointAddress, QStringLiteral("octet_str 0xC0A8010A")),
            line(LinkRate, QStringLiteral("integer 1")),
            line(TxOctets, QStringLiteral("counter 3000000000")),
            line(RxOctets, QStringLiteral("counter 12345"))};
}

} // namespace

class TestVeltoSnmpd : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void startReadsTheRadio();
    void pollOrder_data();
    void pollOrder();
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
    sessionSettings.remoteAddress = QStringLiteral("127.0.0.1");
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
    m_agent = std::make_unique<SnmpdAgent>(radioObjects(stateCode));
    if (!m_agent->isRunning())
        return false;
    m_store->put(QStringLiteral("Preferences"), QStringLiteral("SNMPPort"),
                 QString::number(m_agent->port()));
    m_window = new KavomonitoringForm;
    return true;
}

void TestVeltoSnmpd::startReadsTheRadio()
{
    QVERIFY2(startAgent(5), qPrintable(m_agent->failure()));
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
    QCOMPARE(linkStatistics.deviceMode, QStringLiteral("2"));
    QCOMPARE(linkStatistics.rssiThresholdText, QStringLiteral("-85"));
    QCOMPARE(linkStatistics.rssiThreshold, qint16(85));
    QCOMPARE(linkStatistics.snrThresholdText, QStringLiteral("5"));
    QCOMPARE(linkStatistics.snrThreshold, qint16(10));
    QCOMPARE(linkStatistics.snrThresholdBar, qint16(0));
    QCOMPARE(linkStatistics.firmwareVersion, QStringLiteral("480"));
    QVERIFY(linkStatistics.extendedFirmware);
    QVERIFY(linkStatistics.newFirmwareLogin);
    QVERIFY(!monitorState.monitoringStopped);
    QCOMPARE(monitorState.snmpTimeoutCount, 0);
}

void TestVeltoSnmpd::pollOrder_data()
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

void TestVeltoSnmpd::pollOrder()
{
    QFETCH(int, stateCode);
    QFETCH(QList<int>, order);
    QFETCH(QString, status);
    QVERIFY2(startAgent(stateCode), qPrintable(m_agent->failure()));
    m_window->StartVeltoMonitoring();
    m_window->SNMPTimer->stop();
    m_agent->requests.clear();
    linkStatistics.rssi = 70;

    m_window->SNMPTimer_Timer();

    QCOMPARE(SimulatedRadio::indexes(m_agent->requests), order);
    QCOMPARE(m_window->status->text(), status);
    QCOMPARE(linkStatistics.connectionStateCode, QString::number(stateCode));
    QCOMPARE(linkStatistics.txBytes, QStringLiteral("-1294967296"));
    QCOMPARE(linkStatistics.rxBytes, QStringLiteral("12345"));
    if (status == QLatin1String("Associated")) {
        QCOMPARE(linkStatistics.rssiText, QStringLiteral("-70"));
        QCOMPARE(m_window->windowTitle(), QStringLiteral("-70 dBm"));
        QCOMPARE(linkStatistics.snrText, QStringLiteral("28"));
        QCOMPARE(linkStatistics.apAddress, QStringLiteral("192.168.1.10"));
        QCOMPARE(linkStatistics.linkRateKbps, qint16(256));
    } else {
        QVERIFY(linkStatistics.rssiText.isEmpty());
        QVERIFY(linkStatistics.apAddress.isEmpty());
    }
}

void TestVeltoSnmpd::thresholdSetSticks_data()
{
    QTest::addColumn<int>("index");
    QTest::addColumn<QVariant>("value");
    QTest::addColumn<QString>("answer");
    QTest::newRow("RSSI threshold -70")
        << int(RssiThreshold) << QVariant(QStringLiteral("-70")) << "-70";
    QTest::newRow("SNR threshold 15.5 to even")
        << int(SnrThreshold) << QVariant(QStringLiteral("15.5")) << "16";
}

void TestVeltoSnmpd::thresholdSetSticks()
{
    QFETCH(int, index);
    QFETCH(QVariant, value);
    QFETCH(QString, answer);
    QVERIFY2(startAgent(5), qPrintable(m_agent->failure()));
    QCOMPARE(m_window->StartSnmp(), 1);
    sessionSettings.writeCommunity = QStringLiteral("private");
    sessionSettings.readCommunity = QStringLiteral("public");

    QCOMPARE(m_window->SetViaSNMP(index, value), answer);
    QCOMPARE(m_agent->requests.last().community, QByteArray("private"));
    QCOMPARE(m_window->GetViaSNMP(index), answer);
    QCOMPARE(m_agent->requests.last().community, QByteArray("public"));
}

QTEST_MAIN(TestVeltoSnmpd)
#include "tst_veltosnmpd.moc"
