// The alignment view's extra readings against a scripted Velto radio on the
// loopback: their rate, and a poll that comes while one is out.
#include "SimulatedRadio.h"
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
        if (seen[i] != ConnectionState) {
            extra += seen[i] == Rssi ? 1 : 0;
        } else if (seen.mid(i, kPoll.size()) != kPoll.mid(0, seen.size() - i)) {
            return -1;
        } else {
            i += kPoll.size() - 1;
        }
    }
    return extra;
}

} // namespace

class TestVeltoFastReading : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void readsBetweenPolls();
    void pollAbandonsAnOutstandingReading();

private:
    QList<int> seen() const { return SimulatedRadio::indexes(m_agent->requests); }

    std::unique_ptr<TestStore> m_store;
    std::unique_ptr<MessageRecorder> m_messages;
    std::unique_ptr<ScriptedAgent> m_agent;
    SimulatedRadio m_radio;
    SessionSettings m_settings;
    MonitorState m_state;
    LinkStatistics m_link;
    CongestionStatus m_congestion;
    std::unique_ptr<VeltoMonitor> m_monitor;
};

void TestVeltoFastReading::init()
{
    m_store = std::make_unique<TestStore>();
    m_messages = std::make_unique<MessageRecorder>();
    m_agent = std::make_unique<ScriptedAgent>();
    m_store->put(u"Preferences"_s, u"SNMPPort"_s, QString::number(m_agent->port()));
    m_settings.remoteAddress = u"127.0.0.1"_s;
    m_radio.values = {{ConnectionState, Ber::integer(4)},
                      {Rssi, Ber::integer(-71)},
                      {Snr, Ber::integer(22)},
                      {AccessPointAddress, Ber::tlv(Ber::OctetString, "\x0A\x00\x00\x01")},
                      {LinkRate, Ber::integer(2)},
                      {TxOctets, Ber::integer(1, Ber::Counter32)},
                      {RxOctets, Ber::integer(2, Ber::Counter32)}};
    m_radio.serve(*m_agent);
    m_monitor = std::make_unique<VeltoMonitor>(m_settings, m_state, m_link, m_congestion);
    QCOMPARE(m_monitor->StartSnmp(), 1);
    m_monitor->SNMPTimer->start();
    m_monitor->SNMPTimer_Timer(); // associated from here on
}

void TestVeltoFastReading::cleanup()
{
    m_monitor.reset();
    m_agent.reset();
    m_messages.reset();
    m_store.reset();
}

void TestVeltoFastReading::readsBetweenPolls()
{
    QSignalSpy raw(m_monitor.get(), &VeltoMonitor::rawSignalRead);
    m_monitor->setFastReadingEnabled(true);
    QTest::qWait(2100);
    m_monitor->setFastReadingEnabled(false);
    const int extra = extraReadings(seen());
    // Four a second at least, and the polls' requests untouched in between.
    QVERIFY2(extra >= 8, qPrintable(QString::number(extra)));
    QCOMPARE(raw.last().at(0).toDouble(), -71.0);
    QCOMPARE(raw.last().at(1).toDouble(), 22.0);
    const qsizetype before = m_agent->requests.size();
    QTest::qWait(300);
    QCOMPARE(extraReadings(seen().mid(before)), 0);
    QCOMPARE(m_state.snmpTimeoutCount, 0);
}

void TestVeltoFastReading::pollAbandonsAnOutstandingReading()
{
    // The radio leaves the first extra RSSI request unanswered; the poll comes
    // while it is out, goes at once and counts no time-out, and the readings
    // go on right after it without waiting for the abandoned one's time-out.
    m_monitor->SNMPTimeoutTimer->setInterval(600);
    int rssiRequests = 0;
    m_radio.silent << Rssi;
    m_radio.onRequest[Rssi] = [&] {
        if (++rssiRequests > 1)
            m_radio.silent.remove(Rssi);
        else
            QTimer::singleShot(50, m_monitor.get(), &VeltoMonitor::SNMPTimer_Timer);
    };
    const qsizetype before = m_agent->requests.size();
    m_monitor->setFastReadingEnabled(true);
    QTest::qWait(500);
    const QList<int> after = seen().mid(before);
    QCOMPARE(after.mid(0, 1 + kPoll.size()), QList<int>{Rssi} + kPoll);
    QVERIFY(extraReadings(after.mid(1 + kPoll.size())) >= 1);
    QCOMPARE(m_state.snmpTimeoutCount, 0);
    QCOMPARE(int(m_link.rssi), 71);
    QVERIFY(m_messages->messages.isEmpty());
}

QTEST_GUILESS_MAIN(TestVeltoFastReading)
#include "tst_veltofastreading.moc"
