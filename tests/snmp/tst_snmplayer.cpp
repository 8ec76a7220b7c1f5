// The SNMP access layer against a scripted radio on the loopback: the bytes
// of each request, the decoding of each kind of answer, and how a wait ends
// (answer, time-out, stop, newer request); and the Velto monitor against
// net-snmp's own snmpd that dies between polls and comes back.
#include "SnmpAgentFixture.h"
#include "TestSupport.h"
#include "session/StationSession.h"
#include "snmp/SnmpClient.h"
#include "snmp/VeltoMonitor.h"

#include <QtTest>
#include <optional>

using namespace OidCatalogue;
using namespace Qt::StringLiterals;

// A layer with a time-out of its own (the window's is 5000 ms) asking a
// scripted radio.
struct Layer
{
    Layer()
    {
        store.put(u"Preferences"_s, u"SNMPPort"_s, QString::number(radio.port()));
        session.settings.remoteAddress = u"127.0.0.1"_s;
        session.settings.readCommunity = u"kavo-read"_s;
        session.settings.writeCommunity = u"kavo-write"_s;
        timeout.setInterval(400);
        QObject::connect(&timeout, &QTimer::timeout, &client, [this] {
            timeout.stop();
            client.endRequestByTimeout();
        });
        client.StartSnmp();
    }
    QString get(int index) { return client.GetViaSNMP(index); }

    TestStore store;
    StationSession session;
    MonitorState &state = session.monitor;
    ScriptedRadio radio;
    QTimer timeout;
    SnmpClient client{session.settings, session.monitor, &timeout};
};

class TestSnmpLayer : public QObject
{
    Q_OBJECT
    std::optional<Layer> t;

private slots:
    void init() { t.emplace(); }
    void cleanup() { t.reset(); }

    void request_data()
    {
        QTest::addColumn<bool>("set");
        QTest::addColumn<QVariant>("value");
        QTest::addColumn<QByteArray>("sent"); // the value TLV; empty: nothing is sent
        QTest::newRow("GET") << false << QVariant() << Ber::tlv(Ber::Null, {});
        QTest::newRow("text -90: INTEGER") << true << QVariant(u"-90"_s) << Ber::integer(-90);
        QTest::newRow("empty: zero-length OCTET STRING")
            << true << QVariant(QString()) << Ber::octets({});
        QTest::newRow("text 1.5: INTEGER 2") << true << QVariant(u"1.5"_s) << Ber::integer(2);
        QTest::newRow("text 2.5: INTEGER 2") << true << QVariant(u"2.5"_s) << Ber::integer(2);
        QTest::newRow("number -0.5: INTEGER 0") << true << QVariant(-0.5) << Ber::integer(0);
        QTest::newRow("2^31 - 1") << true << QVariant(u"2147483647"_s) << Ber::integer(2147483647);
        QTest::newRow("text on: two octets") << true << QVariant(u"on"_s) << Ber::octets("on");
        QTest::newRow("Latin-1 text") << true << QVariant(u"caf\u00e9"_s) << Ber::octets("caf\xE9");
        QTest::newRow("3e9 does not fit 32 bits") << true << QVariant(u"3e9"_s) << QByteArray();
    }

    void request()
    {
        QFETCH(bool, set);
        QFETCH(QVariant, value);
        QFETCH(QByteArray, sent);
        const int index = set ? RssiThreshold : ConnectionState;
        const QString answer = set ? t->client.SetViaSNMP(index, value) : t->get(index);
        QCOMPARE(answer == "ERROR"_L1, sent.isEmpty());
        QCOMPARE(t->radio.requests.size(), sent.isEmpty() ? 0 : 1);
        if (sent.isEmpty())
            return;
        // Every request carries the identifier 1234.
        const SeenRequest &r = t->radio.requests.first();
        QCOMPARE(r.community, QByteArray(set ? "kavo-write" : "kavo-read"));
        QCOMPARE(r.pduType, set ? Ber::SetRequest : Ber::GetRequest);
        QCOMPARE(r.requestId, 1234);
        QCOMPARE(r.index, index);
        QCOMPARE(r.value, sent);
    }

    void answers_data()
    {
        QTest::addColumn<QByteArray>("value"); // empty: the radio has no such object
        QTest::addColumn<QString>("text");
        QTest::newRow("INTEGER -85") << Ber::integer(-85) << "-85";
        QTest::newRow("Counter32 2^31")
            << Ber::integer(2147483648, Ber::Counter32) << "-2147483648";
        QTest::newRow("four octets 192 168 0 1") << Ber::octets(QByteArray("\xC0\xA8\x00\x01", 4))
                                                 << QString::fromLatin1("\xC0\xA8\x00\x01", 4);
        QTest::newRow("zero octet kept")
            << Ber::octets(QByteArray("a\0b", 3)) << QString::fromLatin1("a\0b", 3);
        QTest::newRow("empty octet string") << Ber::octets({}) << "";
        QTest::newRow("OBJECT IDENTIFIER")
            << Ber::objectId(u"1.3.6.1.4.1.4130.77.300000"_s) << "1.3.6.1.4.1.4130.77.300000";
        QTest::newRow("noSuchName") << QByteArray() << "0";
        QTest::newRow("noSuchObject") << Ber::tlv(0x80, {}) << "0";
    }

    void answers()
    {
        QFETCH(QByteArray, value);
        if (!value.isEmpty())
            t->radio.values[FirmwareVersion] = value;
        bool busyWhileAnswering = false;
        t->radio.onRequest[FirmwareVersion] = [&] {
            busyWhileAnswering = t->state.snmpBusy && t->timeout.isActive();
        };
        t->state.snmpTimeoutCount = 2;
        QTEST(t->get(FirmwareVersion), "text");
        // Answered at once, and the count of time-outs starts over.
        QVERIFY(busyWhileAnswering);
        QCOMPARE(t->client.lastWaitEnd(), SnmpClient::WaitEnd::Answered);
        QVERIFY(!t->state.snmpTimedOut && !t->state.snmpBusy && !t->timeout.isActive());
        QCOMPARE(t->state.snmpTimeoutCount, 0);
        QCOMPARE(t->radio.requests.size(), 1);
    }

    void hostNameIsNotLookedUp()
    {
        // A name would block the window while it is looked up.
        t->session.settings.remoteAddress = u"localhost"_s;
        QCOMPARE(t->get(DeviceMode), u"ERROR"_s);
        QCOMPARE(t->client.SetViaSNMP(DeviceMode, u"1"_s), u"ERROR"_s);
        QCoreApplication::processEvents();
        QVERIFY(t->radio.requests.isEmpty() && !t->state.snmpBusy);
    }

    // A radio that does not answer.
    void silence()
    {
        t->radio.silent << Rssi;
        // Longer than the library's own 1 s time-out: its resend does not end the wait.
        t->timeout.setInterval(1500);
        t->state.snmpTimeoutCount = 2;
        QCOMPARE(t->get(Rssi), QString());
        QCOMPARE(t->client.lastWaitEnd(), SnmpClient::WaitEnd::TimedOut);
        QVERIFY(t->state.snmpTimedOut && !t->state.snmpBusy && !t->timeout.isActive());
        // Counting the time-outs is the time-out tick's; the layer does not reset it.
        QCOMPARE(t->state.snmpTimeoutCount, 2);
        QVERIFY(t->radio.requests.size() >= 2);
        // A late answer is not taken for the next request's.
        t->radio.answerLast(Ber::integer(-70));
        t->radio.values[Snr] = Ber::integer(25);
        QCOMPARE(t->get(Snr), u"25"_s);
    }

    // An answer to a request sent once leaves the session, and its port, for
    // the next request. After a resend the radio may answer twice: the
    // second answer is not taken for the next request's.
    void sessionAfterAnAnswer_data()
    {
        QTest::addColumn<bool>("resent");
        QTest::newRow("sent once") << false;
        QTest::newRow("resent") << true;
    }

    void sessionAfterAnAnswer()
    {
        QFETCH(bool, resent);
        t->timeout.setInterval(3000);
        t->radio.values[Rssi] = Ber::integer(-70);
        if (resent) {
            t->radio.silent << Rssi;
            t->radio.onRequest[Rssi] = [this] {
                if (t->radio.requests.size() == 2) // the library's resend
                    t->radio.answerLast(Ber::integer(-70));
            };
        }
        QCOMPARE(t->get(Rssi), u"-70"_s);
        if (resent)
            t->radio.answerLast(Ber::integer(-71));
        t->radio.values[Snr] = Ber::integer(25);
        QCOMPARE(t->get(Snr), u"25"_s);
        const auto &seen = t->radio.requests;
        QCOMPARE(seen.last().senderPort == seen.first().senderPort, !resent);
    }

    void stop_data()
    {
        QTest::addColumn<bool>("set");
        QTest::addColumn<bool>("stoppedBefore");
        QTest::addColumn<QString>("result");
        QTest::newRow("GET, stop during the wait: empty") << false << false << "";
        QTest::newRow("SET, stop during the wait: ERROR") << true << false << "ERROR";
        QTest::newRow("GET while stopped does not wait") << false << true << "";
        QTest::newRow("SET while stopped is answered") << true << true << "-70";
    }

    void stop()
    {
        QFETCH(bool, set);
        QFETCH(bool, stoppedBefore);
        t->timeout.setInterval(60000);
        t->state.monitoringStopped = stoppedBefore;
        const int index = set ? RssiThreshold : DeviceMode;
        t->radio.values[DeviceMode] = Ber::integer(2);
        if (!stoppedBefore) {
            // The operator stops while it waits.
            t->radio.silent << index;
            t->radio.onRequest[index] = [this] { t->state.monitoringStopped = true; };
        }
        QTEST(set ? t->client.SetViaSNMP(index, u"-70"_s) : t->get(index), "result");
        QCOMPARE(t->client.lastWaitEnd(), set && stoppedBefore ? SnmpClient::WaitEnd::Answered
                                                               : SnmpClient::WaitEnd::Stopped);
        QVERIFY(!t->state.snmpBusy && !t->timeout.isActive());
        QCOMPARE(t->client.hasSession(), set && stoppedBefore); // only an answer leaves it
    }

    void newerRequestTakesOver()
    {
        // A request started from inside another's wait takes the session over;
        // the first ends without an answer.
        QString inner;
        t->radio.silent << DeviceMode;
        t->radio.values[LinkRate] = Ber::integer(2);
        t->radio.onRequest[DeviceMode] = [&] {
            QTimer::singleShot(0, this, [&] { inner = t->get(LinkRate); });
        };
        QCOMPARE(t->get(DeviceMode), QString());
        QCOMPARE(inner, u"2"_s);
        QVERIFY(!t->state.snmpBusy);
    }

    void agentDiesAndComesBack()
    {
        // net-snmp's snmpd dies (SIGKILL) between polls, and the system answers the
        // requests with "port unreachable": the radio is given up once, with the
        // operator's message, and Resume Monitoring polls it as before.
        SnmpdAgent agent{{LookupOid(DeviceMode) + " integer 2",
                          LookupOid(FirmwareVersion) + " octet_str v4.8.0",
                          LookupOid(RxOctets) + " counter 12345"}};
        QVERIFY2(agent.isRunning(), qPrintable(agent.failure()));
        t->store.put(u"Preferences"_s, u"SNMPPort"_s, QString::number(agent.port()));
        MessageRecorder messages;
        StationSession &s = t->session;
        VeltoMonitor monitor{s.settings, s.monitor, s.link, s.congestion};
        QObject::connect(&monitor, &VeltoMonitor::stopRequested, &monitor,
                         &VeltoMonitor::stopMonitoring);
        monitor.StartSnmp();
        monitor.StartVeltoMonitoring();
        QTRY_COMPARE_WITH_TIMEOUT(s.link.rxBytes, u"12345"_s, 30000);

        // No poll runs while the operator reads the message.
        agent.kill();
        std::optional<bool> pollingDuringMessage;
        messages.onShow = [&](const OperatorMessage &) {
            pollingDuringMessage = monitor.SNMPTimer->isActive();
        };
        QTRY_COMPARE_WITH_TIMEOUT(messages.messages.size(), 1, 30000);
        QCOMPARE(pollingDuringMessage, std::optional<bool>(false));
        QCOMPARE(messages.titles(), QStringList{u"Connection Error"_s});
        QVERIFY(s.monitor.monitoringStopped && !monitor.SNMPTimer->isActive());

        QVERIFY2(agent.restart(), qPrintable(agent.failure()));
        s.link = LinkStatistics{};
        monitor.resumeMonitoring();
        QTRY_COMPARE_WITH_TIMEOUT(s.link.rxBytes, u"12345"_s, 30000);
        QCOMPARE(messages.messages.size(), 1); // nothing more to tell
    }
};

QTEST_GUILESS_MAIN(TestSnmpLayer)
#include "tst_snmplayer.moc"
