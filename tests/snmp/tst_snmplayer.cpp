// The SNMP access layer against a scripted agent on the loopback: the bytes
// of each request, the decoding of each kind of answer, and how a wait ends
// (answer, time-out, stop, newer request).
#include "SnmpAgentFixture.h"
#include "TestSupport.h"
#include "session/StationSession.h"
#include "snmp/OidCatalogue.h"
#include "snmp/SnmpClient.h"

#include <QtTest>
#include <optional>

using namespace Qt::StringLiterals;

namespace {

QByteArray octets(const QByteArray &content)
{
    return Ber::tlv(Ber::OctetString, content);
}

QByteArray echo(const SeenRequest &r)
{
    return Ber::tlv(r.valueType, r.valueContent);
}

} // namespace

class TestSnmpLayer : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void request_data();
    void request();
    void answers_data();
    void answers();
    void refused_data();
    void refused();
    void silence_data();
    void silence();
    void lateAnswerIsNotTakenForTheNextRequest();
    void stop_data();
    void stop();
    void newerRequestTakesOver();

private:
    QString get(int index) { return m_layer->GetViaSNMP(index); }

    std::optional<StationSession> m_session;
    std::unique_ptr<TestStore> m_store;
    std::unique_ptr<ScriptedAgent> m_agent;
    std::unique_ptr<QTimer> m_timeout;
    std::unique_ptr<SnmpClient> m_layer;
};

void TestSnmpLayer::init()
{
    m_store = std::make_unique<TestStore>();
    m_session.emplace();
    m_agent = std::make_unique<ScriptedAgent>();
    m_store->put(QStringLiteral("Preferences"), QStringLiteral("SNMPPort"),
                 QString::number(m_agent->port()));
    m_session->settings.remoteAddress = QStringLiteral("127.0.0.1");
    m_session->settings.readCommunity = QStringLiteral("kavo-read");
    m_session->settings.writeCommunity = QStringLiteral("kavo-write");
    m_timeout = std::make_unique<QTimer>();
    m_timeout->setInterval(400); // the window's is 5000 ms
    m_layer =
        std::make_unique<SnmpClient>(m_session->settings, m_session->monitor, m_timeout.get());
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

void TestSnmpLayer::request_data()
{
    QTest::addColumn<bool>("set");
    QTest::addColumn<QVariant>("value");
    QTest::addColumn<QByteArray>("sent"); // the value TLV; empty: nothing is sent
    const QByteArray null = Ber::tlv(Ber::Null, {});
    QTest::newRow("GET") << false << QVariant() << null;
    QTest::newRow("text -90: INTEGER") << true << QVariant(u"-90"_s) << Ber::integer(-90);
    QTest::newRow("empty: zero-length OCTET STRING") << true << QVariant(QString()) << octets({});
    QTest::newRow("text 1.5: INTEGER 2") << true << QVariant(u"1.5"_s) << Ber::integer(2);
    QTest::newRow("text 2.5: INTEGER 2") << true << QVariant(u"2.5"_s) << Ber::integer(2);
    QTest::newRow("number -0.5: INTEGER 0") << true << QVariant(-0.5) << Ber::integer(0);
    QTest::newRow("number with blanks") << true << QVariant(u" 12 "_s) << Ber::integer(12);
    QTest::newRow("2^31 - 1") << true << QVariant(u"2147483647"_s) << Ber::integer(2147483647);
    QTest::newRow("text on: two octets") << true << QVariant(u"on"_s) << octets("on");
    QTest::newRow("Latin-1 text") << true << QVariant(u"caf\u00e9"_s) << octets("caf\xE9");
    QTest::newRow("3e9 does not fit 32 bits") << true << QVariant(u"3e9"_s) << QByteArray();
}

void TestSnmpLayer::request()
{
    QFETCH(bool, set);
    QFETCH(QVariant, value);
    QFETCH(QByteArray, sent);
    m_agent->answer = [](const SeenRequest &r) { return ScriptedAnswer{echo(r)}; };
    const int index = set ? OidCatalogue::RssiThreshold : OidCatalogue::ConnectionState;
    const QString answer = set ? m_layer->SetViaSNMP(index, value) : get(index);
    QCOMPARE(answer == QLatin1String("ERROR"), sent.isEmpty());
    QCOMPARE(m_agent->requests.size(), sent.isEmpty() ? 0 : 1);
    if (sent.isEmpty())
        return;
    const SeenRequest &r = m_agent->requests.first();
    QCOMPARE(r.community, QByteArray(set ? "kavo-write" : "kavo-read"));
    QCOMPARE(r.pduType, set ? Ber::SetRequest : Ber::GetRequest);
    QCOMPARE(r.requestId, 1234);
    QCOMPARE(r.bindingCount, 1);
    QCOMPARE(r.oid, LookupOid(index));
    QCOMPARE(echo(r), sent);
    // SEQUENCE, version 1 (0), the community, the PDU, whose first fields are
    // the request identifier 1234 and error status and index 0.
    const QByteArray head = QByteArray("\x02\x01\x00\x04", 4) + char(r.community.size()) +
                            r.community + char(r.pduType);
    QCOMPARE(r.datagram.mid(2, head.size()), head);
    QCOMPARE(r.datagram.mid(2 + head.size() + 1, 10),
             QByteArray("\x02\x02\x04\xD2\x02\x01\x00\x02\x01\x00", 10));
}

void TestSnmpLayer::answers_data()
{
    QTest::addColumn<QByteArray>("value");
    QTest::addColumn<int>("errorStatus");
    QTest::addColumn<QString>("text");
    const QByteArray null = Ber::tlv(Ber::Null, {});
    QTest::newRow("INTEGER -85") << Ber::integer(-85) << 0 << "-85";
    QTest::newRow("Counter32 2^31")
        << Ber::integer(2147483648, Ber::Counter32) << 0 << "-2147483648";
    QTest::newRow("Counter32 2^32 - 1") << Ber::integer(4294967295, Ber::Counter32) << 0 << "-1";
    QTest::newRow("Gauge32") << Ber::integer(512, Ber::Gauge32) << 0 << "512";
    QTest::newRow("TimeTicks") << Ber::integer(360000, Ber::TimeTicks) << 0 << "360000";
    QTest::newRow("four octets 192 168 0 1") << octets(QByteArray("\xC0\xA8\x00\x01", 4)) << 0
                                             << QString::fromLatin1("\xC0\xA8\x00\x01", 4);
    QTest::newRow("zero octet kept")
        << octets(QByteArray("a\0b", 3)) << 0 << QString::fromLatin1("a\0b", 3);
    QTest::newRow("empty octet string") << octets({}) << 0 << "";
    QTest::newRow("OBJECT IDENTIFIER")
        << Ber::objectId(u"1.3.6.1.4.1.4130.77.300000"_s) << 0 << "1.3.6.1.4.1.4130.77.300000";
    QTest::newRow("noSuchName") << null << 2 << "0";
    QTest::newRow("noSuchObject") << Ber::tlv(0x80, {}) << 0 << "0";
}

void TestSnmpLayer::answers()
{
    QFETCH(QByteArray, value);
    QFETCH(int, errorStatus);
    QFETCH(QString, text);
    bool busyWhileAnswering = false;
    m_agent->answer = [&](const SeenRequest &) {
        busyWhileAnswering = m_session->monitor.snmpBusy && m_timeout->isActive();
        return ScriptedAnswer{value, errorStatus};
    };
    m_session->monitor.snmpTimeoutCount = 2;
    QCOMPARE(get(OidCatalogue::FirmwareVersion), text);
    // Answered at once, and the count of time-outs starts over.
    QVERIFY(busyWhileAnswering);
    QCOMPARE(m_layer->lastWaitEnd(), SnmpClient::WaitEnd::Answered);
    QVERIFY(!m_session->monitor.snmpTimedOut && !m_session->monitor.snmpBusy);
    QVERIFY(!m_timeout->isActive());
    QCOMPARE(m_session->monitor.snmpTimeoutCount, 0);
    QCOMPARE(m_agent->requests.size(), 1);
    QVERIFY(!m_layer->hasSession());
    QCOMPARE(m_layer->SetViaSNMP(OidCatalogue::SnrThreshold, u"20"_s), text);
}

void TestSnmpLayer::refused_data()
{
    QTest::addColumn<int>("index");
    QTest::addColumn<QString>("address");
    QTest::addColumn<QString>("getResult");
    QTest::addColumn<QString>("setResult");
    const auto row = [](const char *name, int index, const char *address, const char *get,
                        const char *set) {
        QTest::newRow(name) << index << QString(address) << QString(get) << QString(set);
    };
    row("index 0", 0, "127.0.0.1", "", "Invalid OID");
    row("index 15", 15, "127.0.0.1", "", "Invalid OID");
    row("host name", OidCatalogue::DeviceMode, "radio.invalid", "ERROR", "ERROR");
}

void TestSnmpLayer::refused()
{
    QFETCH(int, index);
    QFETCH(QString, address);
    QFETCH(QString, getResult);
    QFETCH(QString, setResult);
    m_agent->answer = [](const SeenRequest &) { return ScriptedAnswer{Ber::integer(1)}; };
    m_session->settings.remoteAddress = address;
    QCOMPARE(get(index), getResult);
    QCOMPARE(m_layer->LastApiResult() != 1, getResult == QLatin1String("ERROR"));
    QCOMPARE(m_layer->SetViaSNMP(index, u"1"_s), setResult);
    QCoreApplication::processEvents();
    QVERIFY(m_agent->requests.isEmpty());
    QVERIFY(!m_session->monitor.snmpBusy);
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
        QUdpSocket gone;
        QVERIFY(gone.bind(QHostAddress::LocalHost, 0));
        m_store->put(u"Preferences"_s, u"SNMPPort"_s, QString::number(gone.localPort()));
        gone.close();
        m_layer->StartSnmp();
    }
    // Longer than the library's own 1 s time-out: its resend does not end the wait.
    m_timeout->setInterval(1500);
    m_session->monitor.snmpTimeoutCount = 2;
    QCOMPARE(get(OidCatalogue::Rssi), QString());
    QCOMPARE(m_layer->lastWaitEnd(), SnmpClient::WaitEnd::TimedOut);
    QVERIFY(m_session->monitor.snmpTimedOut && !m_session->monitor.snmpBusy);
    QVERIFY(!m_timeout->isActive());
    // Counting the time-outs is the time-out tick's; the layer does not reset it.
    QCOMPARE(m_session->monitor.snmpTimeoutCount, 2);
    QCOMPARE(m_agent->requests.size() >= 2, !closedPort);
    for (const SeenRequest &r : std::as_const(m_agent->requests)) {
        QCOMPARE(r.requestId, 1234);
        QCOMPARE(r.oid, LookupOid(OidCatalogue::Rssi));
    }
}

void TestSnmpLayer::lateAnswerIsNotTakenForTheNextRequest()
{
    QCOMPARE(get(OidCatalogue::Rssi), QString());
    m_agent->answerLast(ScriptedAnswer{Ber::integer(-70)});
    m_agent->answer = [](const SeenRequest &) { return ScriptedAnswer{Ber::integer(25)}; };
    QCOMPARE(get(OidCatalogue::Snr), QStringLiteral("25"));
}

void TestSnmpLayer::stop_data()
{
    QTest::addColumn<bool>("set");
    QTest::addColumn<bool>("stoppedBefore");
    QTest::addColumn<QString>("result");
    QTest::newRow("GET, stop during the wait: empty") << false << false << "";
    QTest::newRow("SET, stop during the wait: ERROR") << true << false << "ERROR";
    QTest::newRow("GET while stopped does not wait") << false << true << "";
    QTest::newRow("SET while stopped is answered") << true << true << "-70";
}

void TestSnmpLayer::stop()
{
    QFETCH(bool, set);
    QFETCH(bool, stoppedBefore);
    QFETCH(QString, result);
    m_timeout->setInterval(60000);
    m_session->monitor.monitoringStopped = stoppedBefore;
    m_agent->answer = [&](const SeenRequest &r) -> std::optional<ScriptedAnswer> {
        if (stoppedBefore)
            return ScriptedAnswer{echo(r)};
        m_session->monitor.monitoringStopped = true; // the operator stops while it waits
        return std::nullopt;
    };
    const QString answer = set ? m_layer->SetViaSNMP(OidCatalogue::RssiThreshold, u"-70"_s)
                               : get(OidCatalogue::DeviceMode);
    QCOMPARE(answer, result);
    QCOMPARE(m_layer->lastWaitEnd(),
             set && stoppedBefore ? SnmpClient::WaitEnd::Answered : SnmpClient::WaitEnd::Stopped);
    QVERIFY(!m_session->monitor.snmpBusy && !m_timeout->isActive() && !m_layer->hasSession());
}

void TestSnmpLayer::newerRequestTakesOver()
{
    // A request started from inside another's wait takes the session over;
    // the first ends without an answer.
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
    QVERIFY(!m_session->monitor.snmpBusy && !m_layer->hasSession());
}

QTEST_GUILESS_MAIN(TestSnmpLayer)
#include "tst_snmplayer.moc"
