// The alignment view's extra readings against a scripted Velto radio on the
// loopback: a poll that comes while one is out, their rate, and their end.
#include "SnmpAgentFixture.h"
#include "TestSupport.h"
#include "app/CongestionStatus.h"
#include "app/Records.h"
#include "snmp/VeltoMonitor.h"

#include <QSignalSpy>
#include <QtTest>

using namespace OidCatalogue;
using namespace Qt::StringLiterals;

namespace {

const QList<int> kPoll{ConnectionState, Rssi,     Snr,     AccessPointAddress,
                       LinkRate,        TxOctets, RxOctets};

// The extra readings (RSSI requests outside a poll) among the requests;
// -1 when a poll's requests were not its own, in order.
int extraReadings(const QList<int> &seen)
{
    int extra = 0;
    for (qsizetype i = 0; i < seen.size(); ++i) {
        if (seen[i] != ConnectionState)
            extra += seen[i] == Rssi ? 1 : 0;
        else if (seen.mid(i, kPoll.size()) != kPoll.mid(0, seen.size() - i))
            return -1;
        else
            i += kPoll.size() - 1;
    }
    return extra;
}

} // namespace

class TestVeltoFastReading : public QObject
{
    Q_OBJECT
private slots:
    void readsBetweenPolls();
};

void TestVeltoFastReading::readsBetweenPolls()
{
    TestStore store;
    MessageRecorder messages;
    ScriptedAgent agent;
    store.put(u"Preferences"_s, u"SNMPPort"_s, QString::number(agent.port()));
    SessionSettings settings;
    settings.remoteAddress = u"127.0.0.1"_s;
    MonitorState state;
    LinkStatistics link;
    CongestionStatus congestion;
    SimulatedRadio radio;
    radio.values = {{ConnectionState, Ber::integer(4)},
                    {Rssi, Ber::integer(-71)},
                    {Snr, Ber::integer(22)},
                    {AccessPointAddress, Ber::tlv(Ber::OctetString, "\x0A\x00\x00\x01")},
                    {LinkRate, Ber::integer(2)},
                    {TxOctets, Ber::integer(1, Ber::Counter32)},
                    {RxOctets, Ber::integer(2, Ber::Counter32)}};
    radio.serve(agent);
    VeltoMonitor monitor(settings, state, link, congestion);
    QCOMPARE(monitor.StartSnmp(), 1);
    monitor.SNMPTimer->start();
    monitor.SNMPTimer_Timer(); // associated from here on
    const qsizetype firstPoll = agent.requests.size();

    // The radio leaves the first extra RSSI request unanswered; the poll comes
    // while it is out, goes at once and counts no time-out, and the readings
    // go on right after it without waiting for the abandoned one's time-out.
    radio.silent << Rssi;
    int rssiRequests = 0;
    radio.onRequest[Rssi] = [&] {
        if (++rssiRequests == 1)
            QTimer::singleShot(50, &monitor, &VeltoMonitor::SNMPTimer_Timer);
        else
            radio.silent.remove(Rssi);
    };
    QSignalSpy raw(&monitor, &VeltoMonitor::rawSignalRead);
    monitor.setFastReadingEnabled(true);
    QTest::qWait(2600);
    monitor.setFastReadingEnabled(false);
    const QList<int> seen = SimulatedRadio::indexes(agent.requests).mid(firstPoll);
    QCOMPARE(seen.mid(0, 1 + kPoll.size()), QList<int>{Rssi} + kPoll);
    // Four a second (with some leeway for a busy machine), the polls' requests
    // untouched in between.
    const int extra = extraReadings(seen.mid(1 + kPoll.size()));
    QVERIFY2(extra >= 8, qPrintable(QString::number(extra)));
    QCOMPARE(raw.last().at(0).toDouble(), -71.0);
    QCOMPARE(raw.last().at(1).toDouble(), 22.0);
    QCOMPARE(state.snmpTimeoutCount, 0);
    QCOMPARE(int(link.rssi), 71);
    QVERIFY(messages.messages.isEmpty());

    const qsizetype ended = agent.requests.size();
    QTest::qWait(300);
    QCOMPARE(extraReadings(SimulatedRadio::indexes(agent.requests).mid(ended)), 0);
}

QTEST_GUILESS_MAIN(TestVeltoFastReading)
#include "tst_veltofastreading.moc"
