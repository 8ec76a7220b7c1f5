// The SNMP access layer against a scripted radio on the loopback: the bytes
// of each request, the decoding of each kind of answer, and how a wait ends
// (answer, time-out, stop, newer request).
#include "SnmpAgentFixture.h"
#include "TestSupport.h"
#include "session/StationSession.h"
#include "snmp/SnmpClient.h"

#include <QtTest>
#include <optional>

using namespace OidCatalogue;
using namespace Qt::StringLiterals;

namespace {

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
    void request_data();
    void request();
    void answers_data();
    void answers();
    void refused_data();
    void refused();
    void silence_data();
    void silence();
    void stop_data();
    void stop();
    void newerRequestTakesOver();

private:
    QString get(int index) { return m_layer->GetViaSNMP(index); }
    MonitorState &state() { return m_session->monitor; }

    std::optional<StationSession> m_session;
    std::unique_ptr<TestStore> m_store;
    std::unique_ptr<ScriptedRadio> m_radio;
    std::unique_ptr<QTimer> m_timeout;
    std::unique_ptr<SnmpClient> m_layer;
};

void TestSnmpLayer::init()
{
    m_store = std::make_unique<TestStore>();
    m_session.emplace();
    m_radio = std::make_unique<ScriptedRadio>();
    m_store->put(u"Preferences"_s, u"SNMPPort"_s, QString::number(m_radio->port()));
    m_session->settings.remoteAddress = u"127.0.0.1"_s;
    m_session->settings.readCommunity = u"kavo-read"_s;
    m_session->settings.writeCommunity = u"kavo-write"_s;
    m_timeout = std::make_unique<QTimer>();
    m_timeout->setInterval(400); // the window's is 5000 ms
    m_layer = std::make_unique<SnmpClient>(m_session->settings, state(), m_timeout.get());
    connect(m_timeout.get(), &QTimer::timeout, m_layer.get(), [this] {
        m_timeout->stop();
        m_layer->endRequestByTimeout();
    });
    QCOMPARE(m_layer->StartSnmp(), 1);
}

void TestSnmpLayer::cleanup()
{
    m_layer.reset();
    m_timeout.reset();
    m_radio.reset();
    m_store.reset();
}

void TestSnmpLayer::request_data()
{
    QTest::addColumn<bool>("set");
    QTest::addColumn<QVariant>("value");
    QTest::addColumn<QByteArray>("sent"); // the value TLV; empty: nothing is sent
    QTest::newRow("GET") << false << QVariant() << Ber::tlv(Ber::Null, {});
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
    const int index = set ? RssiThreshold : ConnectionState;
    const QString answer = set ? m_layer->SetViaSNMP(index, value) : get(index);
    QCOMPARE(answer == "ERROR"_L1, sent.isEmpty());
    QCOMPARE(m_radio->requests.size(), sent.isEmpty() ? 0 : 1);
    if (sent.isEmpty())
        return;
    // Every request carries the identifier 1234.
    const SeenRequest &r = m_radio->requests.first();
    QCOMPARE(r.community, QByteArray(set ? "kavo-write" : "kavo-read"));
    QCOMPARE(r.pduType, set ? Ber::SetRequest : Ber::GetRequest);
    QCOMPARE(r.requestId, 1234);
    QCOMPARE(r.oid, LookupOid(index));
    QCOMPARE(r.value, sent);
}

void TestSnmpLayer::answers_data()
{
    QTest::addColumn<QByteArray>("value"); // empty: the radio has no such object
    QTest::addColumn<QString>("text");
    QTest::newRow("INTEGER -85") << Ber::integer(-85) << "-85";
    QTest::newRow("Counter32 2^31") << Ber::integer(2147483648, Ber::Counter32) << "-2147483648";
    QTest::newRow("Counter32 2^32 - 1") << Ber::integer(4294967295, Ber::Counter32) << "-1";
    QTest::newRow("Gauge32") << Ber::integer(512, Ber::Gauge32) << "512";
    QTest::newRow("TimeTicks") << Ber::integer(360000, Ber::TimeTicks) << "360000";
    QTest::newRow("four octets 192 168 0 1")
        << octets(QByteArray("\xC0\xA8\x00\x01", 4)) << QString::fromLatin1("\xC0\xA8\x00\x01", 4);
    QTest::newRow("zero octet kept")
        << octets(QByteArray("a\0b", 3)) << QString::fromLatin1("a\0b", 3);
    QTest::newRow("empty octet string") << octets({}) << "";
    QTest::newRow("OBJECT IDENTIFIER")
        << Ber::objectId(u"1.3.6.1.4.1.4130.77.300000"_s) << "1.3.6.1.4.1.4130.77.300000";
    QTest::newRow("noSuchName") << QByteArray() << "0";
    QTest::newRow("noSuchObject") << Ber::tlv(0x80, {}) << "0";
}

void TestSnmpLayer::answers()
{
    QFETCH(QByteArray, value);
    if (!value.isEmpty())
        m_radio->values[FirmwareVersion] = value;
    bool busyWhileAnswering = false;
    m_radio->onRequest[FirmwareVersion] = [&] {
        busyWhileAnswering = state().snmpBusy && m_timeout->isActive();
    };
    state().snmpTimeoutCount = 2;
    QTEST(get(FirmwareVersion), "text");
    // Answered at once, and the count of time-outs starts over.
    QVERIFY(busyWhileAnswering);
    QCOMPARE(m_layer->lastWaitEnd(), SnmpClient::WaitEnd::Answered);
    QVERIFY(!state().snmpTimedOut && !state().snmpBusy && !m_timeout->isActive());
    QCOMPARE(state().snmpTimeoutCount, 0);
    QCOMPARE(m_radio->requests.size(), 1);
    QVERIFY(!m_layer->hasSession());
}

void TestSnmpLayer::refused_data()
{
    QTest::addColumn<int>("index");
    QTest::addColumn<QString>("address");
    QTest::addColumn<QString>("getResult");
    QTest::addColumn<QString>("setResult");
    QTest::newRow("index 0") << 0 << "127.0.0.1"
                             << ""
                             << "Invalid OID";
    QTest::newRow("index 15") << 15 << "127.0.0.1"
                              << ""
                              << "Invalid OID";
    QTest::newRow("host name") << int(DeviceMode) << "radio.invalid"
                               << "ERROR"
                               << "ERROR";
}

void TestSnmpLayer::refused()
{
    QFETCH(int, index);
    QFETCH(QString, address);
    QFETCH(QString, getResult);
    m_session->settings.remoteAddress = address;
    QCOMPARE(get(index), getResult);
    QCOMPARE(m_layer->LastApiResult() != 1, getResult == "ERROR"_L1);
    QTEST(m_layer->SetViaSNMP(index, u"1"_s), "setResult");
    QCoreApplication::processEvents();
    QVERIFY(m_radio->requests.isEmpty());
    QVERIFY(!state().snmpBusy);
}

void TestSnmpLayer::silence_data()
{
    QTest::addColumn<bool>("closedPort");
    QTest::newRow("radio that does not answer") << false;
    QTest::newRow("closed port") << true;
}

void TestSnmpLayer::silence()
{
    QFETCH(bool, closedPort);
    m_radio->silent << Rssi;
    if (closedPort) {
        QUdpSocket gone;
        QVERIFY(gone.bind(QHostAddress::LocalHost, 0));
        m_store->put(u"Preferences"_s, u"SNMPPort"_s, QString::number(gone.localPort()));
        gone.close();
        m_layer->StartSnmp();
    }
    // Longer than the library's own 1 s time-out: its resend does not end the wait.
    m_timeout->setInterval(1500);
    state().snmpTimeoutCount = 2;
    QCOMPARE(get(Rssi), QString());
    QCOMPARE(m_layer->lastWaitEnd(), SnmpClient::WaitEnd::TimedOut);
    QVERIFY(state().snmpTimedOut && !state().snmpBusy && !m_timeout->isActive());
    // Counting the time-outs is the time-out tick's; the layer does not reset it.
    QCOMPARE(state().snmpTimeoutCount, 2);
    QCOMPARE(m_radio->requests.size() >= 2, !closedPort);
    if (closedPort)
        return;
    // A late answer is not taken for the next request's.
    m_radio->answerLast(Ber::integer(-70));
    m_radio->values[Snr] = Ber::integer(25);
    QCOMPARE(get(Snr), u"25"_s);
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
    m_timeout->setInterval(60000);
    state().monitoringStopped = stoppedBefore;
    const int index = set ? RssiThreshold : DeviceMode;
    m_radio->values[DeviceMode] = Ber::integer(2);
    if (!stoppedBefore) {
        // The operator stops while it waits.
        m_radio->silent << index;
        m_radio->onRequest[index] = [this] { state().monitoringStopped = true; };
    }
    QTEST(set ? m_layer->SetViaSNMP(index, u"-70"_s) : get(index), "result");
    QCOMPARE(m_layer->lastWaitEnd(),
             set && stoppedBefore ? SnmpClient::WaitEnd::Answered : SnmpClient::WaitEnd::Stopped);
    QVERIFY(!state().snmpBusy && !m_timeout->isActive() && !m_layer->hasSession());
}

void TestSnmpLayer::newerRequestTakesOver()
{
    // A request started from inside another's wait takes the session over;
    // the first ends without an answer.
    QString inner;
    m_radio->silent << DeviceMode;
    m_radio->values[LinkRate] = Ber::integer(2);
    m_radio->onRequest[DeviceMode] = [&] {
        QTimer::singleShot(0, this, [&] { inner = get(LinkRate); });
    };
    QCOMPARE(get(DeviceMode), QString());
    QCOMPARE(inner, u"2"_s);
    QVERIFY(!state().snmpBusy && !m_layer->hasSession());
}

QTEST_GUILESS_MAIN(TestSnmpLayer)
#include "tst_snmplayer.moc"
