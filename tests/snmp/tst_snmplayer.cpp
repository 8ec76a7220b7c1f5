// The SNMP access layer against a scripted agent on the loopback: the bytes
// of each request on the wire, the decoding of each kind of answer, and how
// a wait ends (answer, time-out, stop, newer request).
#include "SnmpTestAgents.h"
#include "TestSupport.h"
#include "app/Records.h"
#include "snmp/OidCatalogue.h"
#include "snmp/SNMP_Functions.h"

#include <QtTest>

namespace {

// The time-out timer of these tests; the window's is 5000 ms.
constexpr int kTestTimeoutMs = 400;

QByteArray octets(const QByteArray &content)
{
    return Ber::tlv(Ber::OctetString, content);
}

} // namespace

class TestSnmpLayer : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void getOnTheWire();
    void setOnTheWire_data();
    void setOnTheWire();
    void answers_data();
    void answers();
    void indexOutsideTheCatalogue();
    void addressThatIsNoIpv4Address();
    void silence_data();
    void silence();
    void resendsKeepTheRequestIdentifier();
    void lateAnswerIsNotTakenForTheNextRequest();
    void stopEndsTheWait_data();
    void stopEndsTheWait();
    void setWhileStoppedIsAnswered();
    void newerRequestTakesOver();
    void busyWhileWaiting();

private:
    QString get(int index) { return m_layer->GetViaSNMP(index); }

    std::unique_ptr<TestStore> m_store;
    std::unique_ptr<ScriptedAgent> m_agent;
    std::unique_ptr<QTimer> m_timeout;
    std::unique_ptr<SNMP_Functions> m_layer;
};

void TestSnmpLayer::init()
{
    m_store = std::make_unique<TestStore>();
    m_agent = std::make_unique<ScriptedAgent>();
    m_store->put(QStringLiteral("Preferences"), QStringLiteral("SNMPPort"),
                 QString::number(m_agent->port()));
    sessionSettings.remoteAddress = QStringLiteral("127.0.0.1");
    sessionSettings.readCommunity = QStringLiteral("kavo-read");
    sessionSettings.writeCommunity = QStringLiteral("kavo-write");
    m_timeout = std::make_unique<QTimer>();
    m_timeout->setInterval(kTestTimeoutMs);
    m_layer = std::make_unique<SNMP_Functions>(m_timeout.get());
    connect(m_timeout.get(), &QTimer::timeout, m_layer.get(), [this] {
        m_timeout->stop();
        m_layer->endRequestByTimeout();
    });
    QCOMPARE(m_layer->StartSnmp(), 1);
    QCOMPARE(m_layer->remotePort(), m_agent->port());
}

void TestSnmpLayer::cleanup()
{
    m_layer.reset();
    m_timeout.reset();
    m_agent.reset();
    m_store.reset();
}

void TestSnmpLayer::getOnTheWire()
{
    m_agent->answer = [](const SeenRequest &) { return ScriptedAnswer{Ber::integer(3)}; };
    QCOMPARE(get(OidCatalogue::ConnectionState), QStringLiteral("3"));
    QCOMPARE(m_agent->requests.size(), 1);
    const SeenRequest &r = m_agent->requests.first();
    QCOMPARE(r.version, 0); // SNMP version 1
    QCOMPARE(r.community, QByteArray("kavo-read"));
    QCOMPARE(r.pduType, Ber::GetRequest);
    QCOMPARE(r.requestId, 1234);
    QCOMPARE(r.errorStatus, 0);
    QCOMPARE(r.errorIndex, 0);
    QCOMPARE(r.bindingCount, 1);
    QCOMPARE(r.oid, LookupOid(OidCatalogue::ConnectionState));
    QCOMPARE(r.valueType, Ber::Null);
    // The bytes: SEQUENCE, version 0, the community, then the GET PDU whose
    // first field is the request identifier 1234, then error status and index 0.
    const QByteArray head = QByteArray("\x02\x01\x00\x04", 4) + char(r.community.size()) +
                            r.community + QByteArray("\xA0", 1);
    QCOMPARE(r.datagram.mid(2, head.size()), head);
    QCOMPARE(r.datagram.mid(2 + head.size() + 1, 10),
             QByteArray("\x02\x02\x04\xD2\x02\x01\x00\x02\x01\x00", 10));
}

void TestSnmpLayer::setOnTheWire_data()
{
    QTest::addColumn<QVariant>("value");
    QTest::addColumn<QByteArray>("valueTlv");
    QTest::newRow("text -90: INTEGER") << QVariant(QStringLiteral("-90")) << Ber::integer(-90);
    QTest::newRow("empty: zero-length OCTET STRING") << QVariant(QString()) << octets({});
    QTest::newRow("text 1.5: INTEGER 2") << QVariant(QStringLiteral("1.5")) << Ber::integer(2);
    QTest::newRow("text on: two octets") << QVariant(QStringLiteral("on")) << octets("on");
    QTest::newRow("number 1: INTEGER") << QVariant(1) << Ber::integer(1);
    QTest::newRow("large INTEGER")
        << QVariant(QStringLiteral("2147483647")) << Ber::integer(2147483647);
}

void TestSnmpLayer::setOnTheWire()
{
    QFETCH(QVariant, value);
    QFETCH(QByteArray, valueTlv);
    m_agent->answer = [](const SeenRequest &r) {
        return ScriptedAnswer{Ber::tlv(r.valueType, r.valueContent)};
    };
    const QString answer = m_layer->SetViaSNMP(OidCatalogue::RssiThreshold, value);
    QCOMPARE(m_agent->requests.size(), 1);
    const SeenRequest &r = m_agent->requests.first();
    QCOMPARE(r.community, QByteArray("kavo-write"));
    QCOMPARE(r.pduType, Ber::SetRequest);
    QCOMPARE(r.requestId, 1234);
    QCOMPARE(r.bindingCount, 1);
    QCOMPARE(r.oid, LookupOid(OidCatalogue::RssiThreshold));
    QCOMPARE(Ber::tlv(r.valueType, r.valueContent), valueTlv);
    // The agent echoed the value: the answer is its text.
    QCOMPARE(answer.isEmpty(), r.valueType == Ber::OctetString && r.valueContent.isEmpty());
}

void TestSnmpLayer::answers_data()
{
    QTest::addColumn<QByteArray>("value");
    QTest::addColumn<int>("errorStatus");
    QTest::addColumn<QString>("text");
    QTest::newRow("INTEGER -85") << Ber::integer(-85) << 0 << "-85";
    QTest::newRow("Counter32 2^31 - 1")
        << Ber::unsignedValue(2147483647u, Ber::Counter32) << 0 << "2147483647";
    QTest::newRow("Counter32 2^31")
        << Ber::unsignedValue(2147483648u, Ber::Counter32) << 0 << "-2147483648";
    QTest::newRow("Counter32 2^32 - 1")
        << Ber::unsignedValue(4294967295u, Ber::Counter32) << 0 << "-1";
    QTest::newRow("Gauge32") << Ber::unsignedValue(512, Ber::Gauge32) << 0 << "512";
    QTest::newRow("TimeTicks") << Ber::unsignedValue(360000, Ber::TimeTicks) << 0 << "360000";
    QTest::newRow("four octets 192 168 0 1") << octets(QByteArray("\xC0\xA8\x00\x01", 4)) << 0
                                             << QString::fromLatin1("\xC0\xA8\x00\x01", 4);
    QTest::newRow("firmware text") << octets("v4.8.0") << 0 << "v4.8.0";
    QTest::newRow("empty octet string") << octets({}) << 0 << "";
    QTest::newRow("OBJECT IDENTIFIER")
        << Ber::objectId(QStringLiteral("1.3.6.1.4.1.4130.77.300000")) << 0
        << "1.3.6.1.4.1.4130.77.300000";
    QTest::newRow("noSuchName") << Ber::tlv(Ber::Null, {}) << 2 << "0";
    QTest::newRow("NULL") << Ber::tlv(Ber::Null, {}) << 0 << "0";
    QTest::newRow("noSuchObject") << Ber::tlv(0x80, {}) << 0 << "0";
}

void TestSnmpLayer::answers()
{
    QFETCH(QByteArray, value);
    QFETCH(int, errorStatus);
    QFETCH(QString, text);
    m_agent->answer = [&](const SeenRequest &) {
        return ScriptedAnswer{value, errorStatus, errorStatus ? 1 : 0};
    };
    monitorState.snmpTimeoutCount = 2;
    QCOMPARE(get(OidCatalogue::FirmwareVersion), text);
    // Answered: at once (no time-out), and the count of time-outs starts over.
    QCOMPARE(m_layer->lastWaitEnd(), SNMP_Functions::WaitEnd::Answered);
    QVERIFY(!monitorState.snmpTimedOut);
    QVERIFY(!monitorState.snmpBusy);
    QCOMPARE(monitorState.snmpTimeoutCount, 0);
    QCOMPARE(m_agent->requests.size(), 1);
    QVERIFY(!m_layer->hasSession());
    QCOMPARE(m_layer->SetViaSNMP(OidCatalogue::SnrThreshold, QStringLiteral("20")), text);
}

void TestSnmpLayer::indexOutsideTheCatalogue()
{
    m_agent->answer = [](const SeenRequest &) { return ScriptedAnswer{Ber::integer(1)}; };
    QCOMPARE(get(0), QString());
    QCOMPARE(get(15), QString());
    QCOMPARE(m_layer->SetViaSNMP(15, QStringLiteral("1")), QStringLiteral("Invalid OID"));
    QCOMPARE(m_layer->SetViaSNMP(0, QStringLiteral("1")), QStringLiteral("Invalid OID"));
    QCoreApplication::processEvents();
    QVERIFY(m_agent->requests.isEmpty());
}

void TestSnmpLayer::addressThatIsNoIpv4Address()
{
    sessionSettings.remoteAddress = QStringLiteral("radio.invalid");
    QCOMPARE(get(OidCatalogue::DeviceMode), QStringLiteral("ERROR"));
    QVERIFY(m_layer->LastApiResult() != 1);
    QCOMPARE(m_layer->SetViaSNMP(OidCatalogue::RssiThreshold, -90), QStringLiteral("ERROR"));
    QVERIFY(!monitorState.snmpBusy);
}

void TestSnmpLayer::silence_data()
{
    QTest::addColumn<bool>("closedPort");
    QTest::newRow("agent that does not answer") << false;
    QTest::newRow("closed port") << true;
}

void TestSnmpLayer::silence()
{
    QFETCH(bool, closedPort);
    if (closedPort) {
        quint16 port = 0;
        {
            QUdpSocket gone;
            QVERIFY(gone.bind(QHostAddress::LocalHost, 0));
            port = gone.localPort();
        }
        m_store->put(QStringLiteral("Preferences"), QStringLiteral("SNMPPort"),
                     QString::number(port));
        m_layer->StartSnmp();
    }
    monitorState.snmpTimeoutCount = 2;
    QCOMPARE(get(OidCatalogue::DeviceMode), QString());
    QCOMPARE(m_layer->lastWaitEnd(), SNMP_Functions::WaitEnd::TimedOut);
    QVERIFY(monitorState.snmpTimedOut);
    QVERIFY(!monitorState.snmpBusy);
    // Counting the time-outs is the time-out tick's; the layer does not reset it.
    QCOMPARE(monitorState.snmpTimeoutCount, 2);
    QCOMPARE(m_layer->SetViaSNMP(OidCatalogue::RssiThreshold, -90), QStringLiteral("ERROR"));
    QVERIFY(!m_timeout->isActive());
}

void TestSnmpLayer::resendsKeepTheRequestIdentifier()
{
    // The library resends after 1 s; the wait still ends only by its timer.
    m_timeout->setInterval(2500);
    QCOMPARE(get(OidCatalogue::Rssi), QString());
    QVERIFY2(m_agent->requests.size() >= 2, "the library resends the request");
    for (const SeenRequest &r : std::as_const(m_agent->requests)) {
        QCOMPARE(r.requestId, 1234);
        QCOMPARE(r.oid, LookupOid(OidCatalogue::Rssi));
    }
}

void TestSnmpLayer::lateAnswerIsNotTakenForTheNextRequest()
{
    QCOMPARE(get(OidCatalogue::Rssi), QString());
    // The answer to the timed-out request arrives now, then the next request
    // is answered with its own value.
    m_agent->answerLast(ScriptedAnswer{Ber::integer(-70)});
    m_agent->answer = [](const SeenRequest &) { return ScriptedAnswer{Ber::integer(25)}; };
    QCOMPARE(get(OidCatalogue::Snr), QStringLiteral("25"));
}

void TestSnmpLayer::stopEndsTheWait_data()
{
    QTest::addColumn<bool>("set");
    QTest::addColumn<QString>("result");
    QTest::newRow("GET: empty") << false << "";
    QTest::newRow("SET: ERROR") << true << "ERROR";
}

void TestSnmpLayer::stopEndsTheWait()
{
    QFETCH(bool, set);
    QFETCH(QString, result);
    m_timeout->setInterval(60000);
    // The operator stops monitoring once the request is on its way.
    m_agent->answer = [](const SeenRequest &) {
        monitorState.monitoringStopped = true;
        return std::nullopt;
    };
    const QString answer =
        set ? m_layer->SetViaSNMP(OidCatalogue::RebootRequest, 1) : get(OidCatalogue::DeviceMode);
    QCOMPARE(answer, result);
    QCOMPARE(m_layer->lastWaitEnd(), SNMP_Functions::WaitEnd::Stopped);
    QVERIFY(!monitorState.snmpBusy);
    QVERIFY(!m_timeout->isActive());
    QVERIFY(!m_layer->hasSession());
}

void TestSnmpLayer::setWhileStoppedIsAnswered()
{
    // A GET made while stopped does not wait; a SET (the reboot, a threshold)
    // still gets its answer.
    monitorState.monitoringStopped = true;
    m_agent->answer = [](const SeenRequest &r) {
        return ScriptedAnswer{Ber::tlv(r.valueType, r.valueContent)};
    };
    QCOMPARE(m_layer->SetViaSNMP(OidCatalogue::RssiThreshold, QStringLiteral("-70")),
             QStringLiteral("-70"));
    QCOMPARE(m_layer->lastWaitEnd(), SNMP_Functions::WaitEnd::Answered);
    QCOMPARE(get(OidCatalogue::Rssi), QString());
    QCOMPARE(m_layer->lastWaitEnd(), SNMP_Functions::WaitEnd::Stopped);
}

void TestSnmpLayer::newerRequestTakesOver()
{
    // A request started from inside another's wait (without waiting for it)
    // takes the session over; the first ends without an answer.
    QString inner;
    m_agent->answer = [&](const SeenRequest &r) -> std::optional<ScriptedAnswer> {
        if (r.oid == LookupOid(OidCatalogue::DeviceMode)) {
            QTimer::singleShot(0, this, [&] { inner = get(OidCatalogue::LinkRate); });
            return std::nullopt;
        }
        return ScriptedAnswer{Ber::integer(2)};
    };
    QCOMPARE(get(OidCatalogue::DeviceMode), QString());
    QCOMPARE(inner, QStringLiteral("2"));
    QVERIFY(!monitorState.snmpBusy);
    QVERIFY(!m_layer->hasSession());
}

void TestSnmpLayer::busyWhileWaiting()
{
    bool busyWhileAnswering = false;
    m_agent->answer = [&](const SeenRequest &) {
        busyWhileAnswering = monitorState.snmpBusy && m_timeout->isActive();
        return ScriptedAnswer{Ber::integer(5)};
    };
    QCOMPARE(get(OidCatalogue::DeviceMode), QStringLiteral("5"));
    QVERIFY(busyWhileAnswering);
    QVERIFY(!monitorState.snmpBusy);
    QVERIFY(!m_timeout->isActive());
}

QTEST_GUILESS_MAIN(TestSnmpLayer)
#include "tst_snmplayer.moc"
