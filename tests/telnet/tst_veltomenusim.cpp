// The simulated radio's telnet menu, driven by the station's own client,
// script and statistics rules, as the station meets it.
#include "RadioFixture.h"
#include "app/CongestionStatus.h"
#include "app/Records.h"
#include "telnet/CongestionScript.h"
#include "telnet/TelnetClient.h"
#include "telnet/WirelessStats.h"

#include <QSignalSpy>
#include <QtTest>
#include <algorithm>

class TestVeltoMenuSim : public QObject
{
    Q_OBJECT
private slots:
    void congestedRadioIsToldToScan();
};

void TestVeltoMenuSim::congestedRadioIsToldToScan()
{
    RadioSimProcess sim({"--velto-telnet-congestion"});
    QVERIFY(sim.port != 0);
    TelnetClient client;
    qint16 state = CongestionScript::kLogin;
    QList<QByteArray> chunks{{}};
    QObject::connect(&client, &TelnetClient::connected,
                     [&] { client.setWaitFor(CongestionScript::loginPrompt()); });
    QObject::connect(&client, &TelnetClient::dataArrival,
                     [&](int count) { chunks << client.receive(count); });
    QObject::connect(&client, &TelnetClient::waitForMatched, [&] {
        const CongestionScript::Step step =
            CongestionScript::advance(state, client.isConnected(), false);
        for (const QByteArray &data : step.sends)
            client.send(data);
        if (step.waitFor)
            client.setWaitFor(*step.waitFor);
        state = step.nextState;
    });
    client.setHost(QStringLiteral("127.0.0.1"));
    client.setPort(sim.port);
    client.connectToRemote();
    QVERIFY(QTest::qWaitFor([&] { return state == CongestionScript::kReading; }, kRadioWaitMs));
    QVERIFY(sim.logged("login accepted"));

    // Each tick reads the last answer and asks for the next one; the menu
    // answers in order, so one wait per request keeps the answers apart.
    const auto isAnswer = [](const QByteArray &chunk) {
        return !chunk.contains("wrlsstat") &&
               WirelessStats::parseAnswer(QString::fromLatin1(chunk)).has_value();
    };
    const auto answered = [&](qsizetype before) {
        return QTest::qWaitFor(
            [&] { return std::any_of(chunks.begin() + before, chunks.end(), isAnswer); },
            kRadioWaitMs);
    };
    WirelessStats stats;
    LinkStatistics link;
    CongestionStatus status;
    stats.balanceCycles = 1; // past the run's first tick
    QVERIFY(answered(0));
    for (int tick = 0; tick < 8 && status.scanningLightIcon != Lamp::Congestion; ++tick) {
        const qsizetype before = chunks.size();
        stats.balancingTick(true, QString::fromLatin1(chunks.last()), link, status,
                            [&](const QByteArray &data) { client.send(data); });
        QVERIFY(answered(before));
    }
    QCOMPARE(status.scanningLightIcon, Lamp::Congestion);
    QVERIFY(sim.logged("blacklist 1: scanning"));

    QSignalSpy closed(&client, &TelnetClient::closed);
    client.send(CongestionScript::exitCommand());
    QVERIFY(sim.logged("exit"));
    client.send(CongestionScript::quitKey());
    QVERIFY(closed.wait(kRadioWaitMs));
    QVERIFY(sim.logged("quit"));
}

QTEST_GUILESS_MAIN(TestVeltoMenuSim)
#include "tst_veltomenusim.moc"
