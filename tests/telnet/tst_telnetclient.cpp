#include "RadioFixture.h"
#include "telnet/TelnetClient.h"

#include <QSignalSpy>
#include <QTcpSocket>
#include <QtTest>

using Chunks = QList<QByteArray>;

class TestTelnetX : public QObject
{
    Q_OBJECT
private slots:
    void received_data();
    void received();
    void waitForLooksOnlyAtLaterData();
    void refusesEveryOption_data();
    void refusesEveryOption();
    void sendsDataUnchanged_data();
    void sendsDataUnchanged();
    void compressionStartEndsTheConnection();
    void closedOnce_data();
    void closedOnce();
    void unreadDataIsBounded();
};

void TestTelnetX::received_data()
{
    // A match moves on to the next wait-for text, as the login script does.
    QTest::addColumn<Chunks>("waitFors");
    QTest::addColumn<Chunks>("chunks");
    QTest::addColumn<int>("matches");
    QTest::addColumn<QByteArray>("data"); // handed on; empty: the chunks unchanged

    const auto row = [](const char *name, const Chunks &waitFors, const Chunks &chunks, int matches,
                        const QByteArray &data = {}) {
        QTest::newRow(name) << waitFors << chunks << matches << data;
    };
    row("in one chunk", {"login:"}, {"Velto radio\r\nlogin: "}, 1);
    row("split in two", {"login:"}, {"Velto radio\r\nlog", "in: "}, 1);
    row("split in three", {"login:"}, {"lo", "gi", "n:"}, 1);
    row("twice in one chunk", {"> "}, {"> \r\n> "}, 2);
    row("once in each chunk", {"> "}, {"> ", "\r\n> ", "> "}, 3);
    row("second appearance split", {"login:"}, {"login: bad\r\nlog", "in: "}, 2);
    row("no appearance", {"login:"}, {"logi", "n :", "login"}, 0);
    row("a matched text is used up", {"aa"}, {"aaa"}, 1);
    row("used-up text, then the rest across chunks", {"aa"}, {"aaa", "a"}, 2);
    row("long text split at every byte", {"Press 'G' to go to Main Menu"},
        {"Press 'G' ", "to go ", "t", "o Main Me", "nu\r\n"}, 1);
    row("a new wait-for text searches the rest of the chunk", {"login:", "Press 'G'", "exit"},
        {"login: \r\nPress 'G' to go to Main Menu\r\n", "Q) exit\r\n"}, 3);
    row("CR NUL becomes CR", {}, {QByteArray("a\r\0b", 4)}, 0, "a\rb");
    row("CR NUL split", {}, {"a\r", QByteArray("\0b", 2)}, 0, "a\rb");
    row("CR LF stays", {}, {"a\r\n"}, 0);
    row("NUL alone stays", {}, {QByteArray("\0a", 2)}, 0);
    row("NUL after CR LF stays", {}, {"a\r\n", QByteArray("\0", 1)}, 0);
}

void TestTelnetX::received()
{
    QFETCH(Chunks, waitFors);
    QFETCH(Chunks, chunks);
    QFETCH(int, matches);
    QFETCH(QByteArray, data);

    TelnetClient client;
    qsizetype arrivals = 0;
    QByteArray received;
    QObject::connect(&client, &TelnetClient::dataArrival, [&](int count) {
        received += client.receive(count);
        ++arrivals;
    });
    QSignalSpy matched(&client, &TelnetClient::waitForMatched);
    QObject::connect(&client, &TelnetClient::waitForMatched, [&] {
        if (matched.count() < waitFors.size())
            client.setWaitFor(waitFors[matched.count()]);
    });
    client.setWaitFor(waitFors.value(0));
    for (const QByteArray &chunk : chunks)
        client.handleReceived(chunk);
    QCOMPARE(arrivals, chunks.size());
    QCOMPARE(matched.count(), matches);
    QCOMPARE(received, data.isEmpty() ? chunks.join() : data);
}

void TestTelnetX::waitForLooksOnlyAtLaterData()
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

void TestTelnetX::refusesEveryOption_data()
{
    QTest::addColumn<QByteArray>("fromPeer");
    QTest::addColumn<QByteArray>("answer");
    QTest::addColumn<QByteArray>("data");

    QTest::newRow("will echo") << QByteArray("\xff\xfb\x01") << QByteArray("\xff\xfe\x01")
                               << QByteArray();
    QTest::newRow("offers around data")
        << QByteArray("login\xff\xfb\x03\xff\xfd\x1f:") << QByteArray("\xff\xfe\x03\xff\xfc\x1f")
        << QByteArray("login:");
    QTest::newRow("doubled 0xFF is one data byte")
        << QByteArray("a\xff\xff\x62") << QByteArray() << QByteArray("a\xff\x62");
}

void TestTelnetX::refusesEveryOption()
{
    QFETCH(QByteArray, fromPeer);
    QFETCH(QByteArray, answer);
    QFETCH(QByteArray, data);

    TelnetPeer radio;
    TelnetClient client;
    QVERIFY(radio.accept(client));
    QByteArray received;
    QObject::connect(&client, &TelnetClient::dataArrival,
                     [&](int count) { received += client.receive(count); });
    client.setWaitFor("login:");
    QSignalSpy matched(&client, &TelnetClient::waitForMatched);
    radio.peer->write(fromPeer + "!"); // a data byte after the negotiation, to know it was all read
    QVERIFY(QTest::qWaitFor([&] { return received.endsWith('!'); }, kRadioWaitMs));
    QVERIFY(radio.received(answer.size()));
    QCOMPARE(radio.fromStation, answer);
    QCOMPARE(received, data + "!");
    QCOMPARE(matched.count(), data.contains("login:") ? 1 : 0);
}

void TestTelnetX::sendsDataUnchanged_data()
{
    QTest::addColumn<Chunks>("sends");
    QTest::addColumn<QByteArray>("onTheWire");

    QTest::newRow("key without a line end") << Chunks{"G"} << QByteArray("G");
    QTest::newRow("key, then the line end") << Chunks{"J", "\r\n"} << QByteArray("J\r\n");
    QTest::newRow("bare CR and LF") << Chunks{"a\rb\nc"} << QByteArray("a\rb\nc");
    QTest::newRow("0xFF doubled") << Chunks{"\xff"} << QByteArray("\xff\xff");
}

void TestTelnetX::sendsDataUnchanged()
{
    QFETCH(Chunks, sends);
    QFETCH(QByteArray, onTheWire);

    TelnetPeer radio;
    TelnetClient client;
    QVERIFY(radio.accept(client));
    for (const QByteArray &data : sends)
        QVERIFY(client.send(data));
    QVERIFY(radio.received(onTheWire.size()));
    QCOMPARE(radio.fromStation, onTheWire);
}

void TestTelnetX::compressionStartEndsTheConnection()
{
    // The peer starts compression, which was never offered: what came before
    // is data, nothing of the compressed stream is, and the connection ends.
    TelnetClient client;
    QByteArray received;
    QObject::connect(&client, &TelnetClient::dataArrival,
                     [&](int count) { received += client.receive(count); });
    QSignalSpy matched(&client, &TelnetClient::waitForMatched);
    QSignalSpy closed(&client, &TelnetClient::closed);
    QSignalSpy messages(&client, &TelnetClient::message);
    client.setWaitFor("login:");
    const QByteArray startCompression("\xff\xfa\x56\xff\xf0"); // IAC SB COMPRESS2 IAC SE
    const QByteArray compressed = qCompress(QByteArray("Radio login: ")).mid(4); // zlib stream

    client.handleReceived("Menu\r\n" + startCompression + compressed);

    QCOMPARE(received, QByteArray("Menu\r\n"));
    QCOMPARE(matched.count(), 0);
    QCOMPARE(messages.count(), 1);
    QCOMPARE(closed.count(), 1);
    QVERIFY(!client.isConnected());
}

void TestTelnetX::closedOnce_data()
{
    QTest::addColumn<bool>("peerCloses");
    QTest::newRow("peer closes") << true;
    QTest::newRow("client closes") << false;
}

void TestTelnetX::closedOnce()
{
    QFETCH(bool, peerCloses);

    TelnetPeer radio;
    TelnetClient client;
    QVERIFY(radio.accept(client));
    QSignalSpy closed(&client, &TelnetClient::closed);
    QSignalSpy peerGone(radio.peer.get(), &QTcpSocket::disconnected);
    if (peerCloses) {
        radio.peer->disconnectFromHost();
        QVERIFY(closed.wait(kRadioWaitMs));
        client.close();
    } else {
        client.close();
        QCOMPARE(closed.count(), 1);
        QVERIFY(peerGone.wait(kRadioWaitMs));
    }
    QVERIFY(!client.isConnected());
    QVERIFY(!client.send("x"));
    QCoreApplication::processEvents();
    QCOMPARE(closed.count(), 1);
}

void TestTelnetX::unreadDataIsBounded()
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

QTEST_GUILESS_MAIN(TestTelnetX)
#include "tst_telnetclient.moc"
