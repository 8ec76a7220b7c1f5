// The simulated radio's telnet menu, driven by the station's own client and
// script, as the station meets it.
#include "RadioFixture.h"
#include "telnet/CongestionScript.h"
#include "telnet/TelnetClient.h"
#include "telnet/WirelessStats.h"

#include <QSignalSpy>
#include <QtTest>
#include <algorithm>
#include <memory>

namespace {

// The station's side: the client and the login script.
class Station
{
public:
    Station(quint16 port, bool newFirmwareLogin) : m_newFirmwareLogin(newFirmwareLogin)
    {
        client.setHost(QStringLiteral("127.0.0.1"));
        client.setPort(port);
        QObject::connect(&client, &TelnetClient::connected,
                         [this] { client.setWaitFor(CongestionScript::loginPrompt()); });
        QObject::connect(&client, &TelnetClient::dataArrival, [this](int count) {
            chunks << client.receive(count);
            all += chunks.last();
        });
        QObject::connect(&client, &TelnetClient::waitForMatched, [this] {
            const CongestionScript::Step step =
                CongestionScript::advance(state, client.isConnected(), m_newFirmwareLogin);
            for (const QByteArray &data : step.sends)
                client.send(data);
            if (step.waitFor)
                client.setWaitFor(*step.waitFor);
            state = step.nextState;
        });
        client.connectToRemote();
    }

    // Waits for the reading state, then until the menu has written all it
    // owes the script: it answers in order, so the reply to a command of
    // the test's own comes after everything before it.
    bool reachesReading()
    {
        if (!QTest::qWaitFor([&] { return state == CongestionScript::kReading; }, kRadioWaitMs))
            return false;
        client.send("sync\r\n");
        return QTest::qWaitFor([&] { return all.endsWith("Unknown command: sync\r\n> "); },
                               kRadioWaitMs);
    }
    // Sends a command and returns the chunk that completes its answer.
    QByteArray command(const QByteArray &line)
    {
        const qsizetype before = chunks.size();
        client.send(line + "\r\n");
        if (!QTest::qWaitFor([&] { return chunks.size() > before && chunks.last().endsWith("> "); },
                             kRadioWaitMs))
            return {};
        return chunks.last();
    }

    TelnetClient client;
    qint16 state = CongestionScript::kLogin;
    QList<QByteArray> chunks;
    QByteArray all;

private:
    bool m_newFirmwareLogin;
};

qlonglong counter(const QByteArray &answer, int index)
{
    const auto numbers = WirelessStats::parseAnswer(QString::fromLatin1(answer));
    return numbers ? qlonglong((*numbers)[index]) : -1;
}

} // namespace

class TestVeltoMenuSim : public QObject
{
    Q_OBJECT
private slots:
    void dialogue();
    void refusesTheOtherCredential();
    void congestion();
    void dropsTheConnection_data();
    void dropsTheConnection();
    void echoOnly();
};

void TestVeltoMenuSim::dialogue()
{
    RadioSimProcess sim({});
    QVERIFY(sim.port != 0);
    Station station(sim.port, false);
    QVERIFY(station.reachesReading());
    QVERIFY(sim.logged("login accepted"));

    // The answer to the script's request is one line of eight counters.
    const auto isAnswer = [](const QByteArray &chunk) {
        return !chunk.contains("wrlsstat") &&
               WirelessStats::parseAnswer(QString::fromLatin1(chunk)).has_value();
    };
    QVERIFY(std::any_of(station.chunks.begin(), station.chunks.end(), isAnswer));

    // Every other answer comes after an echo of its own; the last chunk is
    // the answer either way.
    for (int request = 0; request < 2; ++request)
        QVERIFY(isAnswer(station.command("wrlsstat")));
    QVERIFY(station.all.contains("wrlsstat\r\n"));

    QVERIFY(station.command("blacklist").contains("scanning"));
    QVERIFY(sim.logged("blacklist 1: scanning for 30000 ms"));

    QSignalSpy closed(&station.client, &TelnetClient::closed);
    station.client.send(CongestionScript::exitCommand());
    QVERIFY(sim.logged("exit"));
    station.client.send(CongestionScript::quitKey());
    QVERIFY(QTest::qWaitFor([&] { return closed.count() == 1; }, kRadioWaitMs));
    QVERIFY(sim.logged("quit"));
}

void TestVeltoMenuSim::refusesTheOtherCredential()
{
    RadioSimProcess sim({});
    Station station(sim.port, true); // the credential of newer firmware
    QVERIFY(sim.logged("login refused"));
    QVERIFY(QTest::qWaitFor([&] { return station.all.count("login:") == 2; }, kRadioWaitMs));
    QVERIFY(station.all.contains("Login incorrect"));
    QCOMPARE(station.state, CongestionScript::kBanner);
}

void TestVeltoMenuSim::congestion()
{
    RadioSimProcess sim({"--velto-telnet-congestion"});
    Station station(sim.port, false);
    QVERIFY(station.reachesReading());

    // Retries rise faster from answer to answer, nothing is sent, and the
    // retry errors stand above 30 without rising.
    QList<qlonglong> retries;
    for (int request = 0; request < 4; ++request) {
        const QByteArray answer = station.command("wrlsstat");
        QCOMPARE(counter(answer, 1), 0LL);
        QCOMPARE(counter(answer, 7), 35LL);
        retries << counter(answer, 6);
    }
    for (int i = 2; i < retries.size(); ++i)
        QVERIFY(retries[i] - retries[i - 1] > retries[i - 1] - retries[i - 2]);
}

void TestVeltoMenuSim::dropsTheConnection_data()
{
    QTest::addColumn<int>("dropAfter");
    QTest::addColumn<int>("stateLeft");
    QTest::newRow("at the credential") << 1 << int(CongestionScript::kBanner);
    QTest::newRow("at the main-menu key") << 2 << int(CongestionScript::kMainMenu);
    QTest::newRow("at the menu key") << 3 << int(CongestionScript::kFirstPrompt);
}

void TestVeltoMenuSim::dropsTheConnection()
{
    QFETCH(int, dropAfter);
    QFETCH(int, stateLeft);

    RadioSimProcess sim({"--velto-telnet-drop-after", QString::number(dropAfter)});
    Station station(sim.port, false);
    QSignalSpy closed(&station.client, &TelnetClient::closed);
    QVERIFY(QTest::qWaitFor([&] { return closed.count() == 1; }, kRadioWaitMs));
    QCOMPARE(int(station.state), stateLeft);
    QVERIFY(sim.logged("dropping the connection"));
}

void TestVeltoMenuSim::echoOnly()
{
    RadioSimProcess sim({"--velto-telnet-echo-only", "1"});
    Station station(sim.port, false);
    QVERIFY(station.reachesReading());
    QCOMPARE(station.command("wrlsstat"), QByteArray("wrlsstat\r\n> "));
}

QTEST_GUILESS_MAIN(TestVeltoMenuSim)
#include "tst_veltomenusim.moc"
