#include "RadioFixture.h"
#include "telnet/TelnetClient.h"

#include <QSignalSpy>
#include <QtTest>

using Chunks = QList<QByteArray>;

class TestTelnetX : public QObject
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
        QFETCH(int, matches);
        QFETCH(QByteArray, data);
        QFETCH(Chunks, sends);
        QFETCH(QByteArray, onTheWire);
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
        for (const QByteArray &bytes : sends)
            QVERIFY(client.send(bytes));

        QCOMPARE(matched.count(), matches);
        QCOMPARE(received, data.isEmpty() ? fromRadio.join() : data);
        QVERIFY(radio.expect(onTheWire));
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
};

QTEST_GUILESS_MAIN(TestTelnetX)
#include "tst_telnetclient.moc"
