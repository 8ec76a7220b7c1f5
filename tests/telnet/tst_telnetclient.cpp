// The telnet client against a peer of the test's own, and the rules that
// read the radio's statistics answers.
#include "RadioFixture.h"
#include "TestSupport.h"
#include "app/CongestionStatus.h"
#include "app/Records.h"
#include "telnet/TelnetClient.h"
#include "telnet/WirelessStats.h"

#include <QSignalSpy>
#include <QtTest>

using namespace Qt::StringLiterals;
using Chunks = QList<QByteArray>;
using Samples = QList<qlonglong>;

class TestTelnet : public QObject
{
    Q_OBJECT
private slots:
    void exchange_data()
    {
        // A match moves on to the next wait-for text, as the login script does.
        QTest::addColumn<Chunks>("waitFors");
        QTest::addColumn<Chunks>("fromRadio");
        QTest::addColumn<int>("matches");
        QTest::addColumn<QByteArray>("data"); // handed on; empty: the chunks unchanged
        QTest::addColumn<Chunks>("sends");
        QTest::addColumn<QByteArray>("onTheWire"); // the answers to options, then the sends
        QTest::addColumn<bool>("staysOpen");

        const auto row = [](const char *name, const Chunks &waitFors, const Chunks &fromRadio,
                            int matches, const QByteArray &data = {}, const Chunks &sends = {},
                            const QByteArray &onTheWire = {}, bool staysOpen = true) {
            QTest::newRow(name) << waitFors << fromRadio << matches << data << sends << onTheWire
                                << staysOpen;
        };
        row("split in three, its start not used again", {"login:"}, {"logi", "n:", "n:"}, 1);
        row("twice in one chunk", {"> "}, {"> \r\n> "}, 2);
        row("second appearance split", {"login:"}, {"login: bad\r\nlog", "in: "}, 2);
        row("a matched text is used up", {"aa"}, {"aaa"}, 1);
        row("a new wait-for text searches the rest of the chunk", {"login:", "Press 'G'", "exit"},
            {"login: \r\nPress 'G' to go to Main Menu\r\n", "Q) exit\r\n"}, 3);
        row("CR NUL becomes CR", {}, {QByteArray("a\r\0b", 4)}, 0, "a\rb");
        row("CR NUL split", {}, {"a\r", QByteArray("\0b", 2)}, 0, "a\rb");
        row("NUL alone stays", {}, {QByteArray("\0a", 2)}, 0);
        row("every option refused, around data", {"login:"}, {"login\xff\xfb\x03\xff\xfd\x1f:"}, 1,
            "login:", {}, "\xff\xfe\x03\xff\xfc\x1f");
        row("doubled 0xFF is one data byte", {}, {"a\xff\xff\x62"}, 0, "a\xff\x62");
        row("sends pass unchanged but for a doubled 0xFF", {}, {}, 0, {}, {"G", "a\rb\nc", "\xff"},
            "Ga\rb\nc\xff\xff");
        // Compression was never offered: what came before it is data, nothing of
        // the compressed stream is, and the connection ends.
        row("compression start", {"login:"},
            {"Menu\r\n\xff\xfa\x56\xff\xf0" + qCompress(QByteArray("Radio login: ")).mid(4)}, 0,
            "Menu\r\n", {}, {}, false);
    }

    void exchange()
    {
        QFETCH(Chunks, waitFors);
        QFETCH(Chunks, fromRadio);
        QFETCH(QByteArray, data);
        QFETCH(bool, staysOpen);

        TelnetPeer radio;
        TelnetClient client;
        QVERIFY(radio.accept(client));
        QByteArray received;
        QObject::connect(&client, &TelnetClient::dataArrival,
                         [&](int count) { received += client.receive(count); });
        QSignalSpy closed(&client, &TelnetClient::closed);
        QSignalSpy matched(&client, &TelnetClient::waitForMatched);
        QObject::connect(&client, &TelnetClient::waitForMatched, [&] {
            if (matched.count() < waitFors.size())
                client.setWaitFor(waitFors[matched.count()]);
        });
        client.setWaitFor(waitFors.value(0));
        // Chunk by chunk as the socket would hand them on.
        for (const QByteArray &chunk : fromRadio)
            client.handleReceived(chunk);
        for (const QByteArray &bytes : fetched<Chunks>("sends"))
            QVERIFY(client.send(bytes));

        QTEST(int(matched.count()), "matches");
        QCOMPARE(received, data.isEmpty() ? fromRadio.join() : data);
        QVERIFY(radio.expect(fetched<QByteArray>("onTheWire")));
        QCOMPARE(client.isConnected(), staysOpen);
        QCOMPARE(closed.count(), staysOpen ? 0 : 1);
        QCOMPARE(client.send({}), staysOpen); // nothing goes out on an ended connection
    }

    void waitForLooksOnlyAtLaterData()
    {
        TelnetClient client;
        QSignalSpy matched(&client, &TelnetClient::waitForMatched);
        client.setWaitFor("Enter selection:");
        client.handleReceived("Press 'G");
        // The first part of the new text came before it was set.
        client.setWaitFor("Press 'G'");
        client.handleReceived("' to go");
        QCOMPARE(matched.count(), 0);
        client.handleReceived("Press 'G' to go");
        QCOMPARE(matched.count(), 1);
    }

    void unreadDataIsBounded()
    {
        TelnetClient client;
        QByteArray flood;
        for (int i = 0; flood.size() < TelnetClient::kReceiveBufferLimit + 5000; ++i)
            flood += QByteArray::number(i) + ' ';
        client.handleReceived(flood.left(5000));
        client.handleReceived(flood.mid(5000));
        const QByteArray kept = client.receive(flood.size());
        QCOMPARE(kept.size(), TelnetClient::kReceiveBufferLimit);
        QVERIFY(flood.endsWith(kept));
        QVERIFY(client.receive(10).isEmpty());
    }

    void parseAnswer_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("numbers"); // empty: the text runs out before the eighth

        QTest::newRow("answer line")
            << u"10 20 3000 4000 1 2 5 7\r\n"_s << u"10 20 3000 4000 1 2 5 7"_s;
        // Without a space the number reads 0 and nothing is consumed; from the
        // fourth number on the text then loses two characters.
        QTest::newRow("last two numbers run together")
            << u"1 2 3 4 5 6 78\r\n"_s << u"1 2 3 4 5 6 0 0"_s;
        QTest::newRow("fourth number run together: every later one cuts two")
            << u"1 2 3 45678901\r\n"_s << u"1 2 3 0 0 0 0 0"_s;
        QTest::newRow("eighth number cut to nothing")
            << u"1 2 3 4 5 6 7 88"_s << u"1 2 3 4 5 6 7 0"_s;
        QTest::newRow("three numbers") << u"10 20 3000"_s << QString();
        QTest::newRow("no line end after the eighth") << u"1 2 3 4 5 6 7 8"_s << QString();
        QTest::newRow("one character left for a cut by two") << u"1 2 3 4"_s << QString();
    }

    void parseAnswer()
    {

        const std::optional<std::array<double, 8>> parsed =
            WirelessStats::parseAnswer(fetched<QString>("text"));
        QStringList got;
        for (double n : parsed.value_or(std::array<double, 8>{}))
            got << QString::number(n, 'f', 0);
        QTEST(parsed ? got.join(QLatin1Char(' ')) : QString(), "numbers");
    }

    void rules_data()
    {
        // One entry per analysed tick: the radio's TX packets, retries and retry
        // errors, whether the radio is scanning, and the rules that fire.
        QTest::addColumn<Samples>("txPackets");
        QTest::addColumn<Samples>("retries");
        QTest::addColumn<Samples>("retryErrors");
        QTest::addColumn<QList<bool>>("scanning");
        QTest::addColumn<QList<int>>("fired");

        using W = WirelessStats;
        const auto row = [](const char *name, const Samples &tx, const Samples &retries,
                            const Samples &errors, const QList<bool> &scanning,
                            const QList<int> &fired) {
            QTest::newRow(name) << tx << retries << errors << scanning << fired;
        };
        const Samples flat(9, 0);
        const QList<bool> never(9, false);
        const QList<bool> always(9, true);
        const Samples rising{100, 300, 600, 1000, 1500};
        const Samples retriesRise{10, 30, 60, 100, 100};

        row("A: retries rise, TX flat", flat, retriesRise, flat, never, {0, 0, W::RuleA, 0, 0});
        row("A: not while scanning", flat, retriesRise, flat, always, {0, 0, 0, 0, 0});
        row("A: TX rising too", {10, 30, 60, 100, 150}, {10, 30, 60, 100, 150}, flat, never,
            {0, 0, 0, 0, 0});
        row("A: fires again three ticks later", flat, {10, 30, 60, 100, 150, 210}, flat, never,
            {0, 0, W::RuleA, 0, 0, W::RuleA});
        // Counting goes on while the radio scans, past 3, and starts again when
        // the retries stop rising.
        row("A: counts go on while scanning", flat, {10, 30, 60, 100, 150, 150, 160, 180, 210},
            flat, {false, true, true, false, false, false, false, false, false},
            {0, 0, 0, 0, 0, 0, 0, 0, W::RuleA});
        row("B: retry errors rise, TX flat", flat, flat, {1, 3, 6, 6}, never, {0, 0, W::RuleB, 0});
        row("C: retry errors rise above 5", rising, flat, {6, 13, 21, 21}, never,
            {0, 0, W::RuleC, 0});
        row("C: a rise of 5 is not above 5", rising, flat, {4, 9, 15, 22}, never, {0, 0, 0, 0});
        row("D: 31 retry errors every interval", rising, flat, {31, 62, 93, 124, 155}, never,
            {0, 0, W::RuleD, W::RuleD, W::RuleD});
        row("D: 30 is not enough", rising, flat, {30, 60, 90, 120, 150}, never, {0, 0, 0, 0, 0});
        row("D: not while scanning", rising, flat, {31, 62, 93, 124, 155},
            {false, false, true, false, true}, {0, 0, 0, W::RuleD, 0});
        row("A and D in the same tick", flat, {10, 30, 60}, {40, 80, 120}, never,
            {0, 0, W::RuleA | W::RuleD});
        // The radio's counters are 32 bits wide and wrap around.
        row("D: a counter reset is a change", flat, flat, {1000, 1000, 10}, never,
            {0, 0, W::RuleD});
        row("D: across 2^31", flat, flat, {2147483640, 2147483640, 2147483650}, never, {0, 0, 0});
        row("D: across 2^32", flat, flat, {4294967290, 4294967290, 4}, never, {0, 0, 0});
        row("D: half the range", flat, flat, {0, 0, 2147483648}, never, {0, 0, W::RuleD});
    }

    void rules()
    {
        QFETCH(QList<int>, fired);

        QFETCH(QList<bool>, scanning);
        QFETCH(Samples, txPackets);
        QFETCH(Samples, retries);
        QFETCH(Samples, retryErrors);
        WirelessStats stats;
        LinkStatistics link;
        CongestionStatus status;
        QList<QByteArray> sent;
        const auto tick = [&](const QString &text) {
            sent.clear();
            return stats.balancingTick(true, text, link, status,
                                       [&sent](const QByteArray &data) { sent << data; });
        };
        stats.startRun();
        tick(QString()); // the run's first tick
        bool anyFired = false;
        for (qsizetype n = 0; n < fired.size(); ++n) {
            link.radioScanning = scanning[n];
            const WirelessStats::TickResult result = tick(QStringLiteral("1 %1 2 3 4 5 %2 %3\r\n")
                                                              .arg(txPackets[n])
                                                              .arg(retries[n])
                                                              .arg(retryErrors[n]));

            const QByteArray label = "analysed tick " + QByteArray::number(n + 1);
            QVERIFY2(result.leaveRadio && result.firedRules == fired[n], label);
            // One "blacklist" per rule that fired, after the request.
            const QList<QByteArray> expected =
                QList<QByteArray>{"wrlsstat\r\n"} +
                QList<QByteArray>(qPopulationCount(uint(fired[n])), "blacklist\r\n");
            QVERIFY2(sent == expected, label);
            anyFired = anyFired || fired[n] != 0;
            QCOMPARE(status.congestionStatusText.isEmpty(), !anyFired);
            QCOMPARE(status.scanningLightIcon, anyFired ? Lamp::Congestion : Lamp::Scanning);
        }
    }
};

QTEST_GUILESS_MAIN(TestTelnet)
#include "tst_telnetclient.moc"
