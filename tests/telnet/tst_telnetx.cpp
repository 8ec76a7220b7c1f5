#include "telnet/TelnetX.h"

#include <QPointer>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTcpSocket>
#include <QtTest>
#include <memory>

using Chunks = QList<QByteArray>;

namespace {

constexpr int kWaitMs = 5000;

// A client connected to a peer of the test's own on 127.0.0.1.
class Link
{
public:
    Link()
    {
        QVERIFY(server.listen(QHostAddress::LocalHost, 0));
        client.setHost(QStringLiteral("127.0.0.1"));
        client.setPort(server.serverPort());
    }

    // Connects and waits until both ends are up.
    bool open()
    {
        QSignalSpy up(&client, &TelnetX::connected);
        client.connectToRemote();
        if (!server.waitForNewConnection(kWaitMs))
            return false;
        peer.reset(server.nextPendingConnection());
        QObject::connect(peer.get(), &QTcpSocket::readyRead,
                         [this] { fromClient += peer->readAll(); });
        return QTest::qWaitFor([&] { return up.count() == 1; }, kWaitMs);
    }

    // Writes one chunk and waits until the client has taken it in, so the
    // next chunk arrives on its own.
    bool sendChunk(const QByteArray &chunk)
    {
        const qsizetype before = arrived;
        peer->write(chunk);
        peer->flush();
        return QTest::qWaitFor([&] { return arrived > before; }, kWaitMs);
    }

    bool waitForFromClient(qsizetype size)
    {
        return QTest::qWaitFor([&] { return fromClient.size() >= size; }, kWaitMs);
    }

    // Bytes the client has received since connecting, read as they arrive.
    void collectArrivals()
    {
        QObject::connect(&client, &TelnetX::dataArrival, [this](int count) {
            received += client.receive(count);
            ++arrived;
        });
    }

    QTcpServer server;
    TelnetX client;
    std::unique_ptr<QTcpSocket> peer;
    QByteArray fromClient;
    QByteArray received;
    qsizetype arrived = 0;
};

} // namespace

class TestTelnetX : public QObject
{
    Q_OBJECT
private slots:
    void waitForAcrossChunks_data();
    void waitForAcrossChunks();
    void newWaitForSearchesTheRestOfTheChunk();
    void waitForLooksOnlyAtLaterData();
    void refusesEveryOption_data();
    void refusesEveryOption();
    void sendsDataUnchanged_data();
    void sendsDataUnchanged();
    void crNulBecomesCr_data();
    void crNulBecomesCr();
    void compressionStartEndsTheConnection();
    void closedOnce_data();
    void closedOnce();
    void closeDeliversPendingOutput();
    void unreadDataIsBounded();
    void refusedConnectionIsAMessage();
    void reconnectStartsAfresh();
};

void TestTelnetX::waitForAcrossChunks_data()
{
    QTest::addColumn<QByteArray>("waitFor");
    QTest::addColumn<Chunks>("chunks");
    QTest::addColumn<int>("matches");

    QTest::newRow("in one chunk") << QByteArray("login:") << Chunks{"Velto radio\r\nlogin: "} << 1;
    QTest::newRow("split in two") << QByteArray("login:") << Chunks{"Velto radio\r\nlog", "in: "}
                                  << 1;
    QTest::newRow("split in three") << QByteArray("login:") << Chunks{"lo", "gi", "n:"} << 1;
    QTest::newRow("twice in one chunk") << QByteArray("> ") << Chunks{"> \r\n> "} << 2;
    QTest::newRow("once in each chunk") << QByteArray("> ") << Chunks{"> ", "\r\n> ", "> "} << 3;
    QTest::newRow("second appearance split")
        << QByteArray("login:") << Chunks{"login: bad\r\nlog", "in: "} << 2;
    QTest::newRow("no appearance") << QByteArray("login:") << Chunks{"logi", "n :", "login"} << 0;
    QTest::newRow("a matched text is used up") << QByteArray("aa") << Chunks{"aaa"} << 1;
    QTest::newRow("used-up text, then the rest across chunks")
        << QByteArray("aa") << Chunks{"aaa", "a"} << 2;
    QTest::newRow("long text split at every byte")
        << QByteArray("Press 'G' to go to Main Menu")
        << Chunks{"Press 'G' ", "to go ", "t", "o Main Me", "nu\r\n"} << 1;
}

void TestTelnetX::waitForAcrossChunks()
{
    QFETCH(QByteArray, waitFor);
    QFETCH(Chunks, chunks);
    QFETCH(int, matches);

    Link link;
    link.collectArrivals();
    QVERIFY(link.open());
    link.client.setWaitFor(waitFor);
    QSignalSpy matched(&link.client, &TelnetX::waitForMatched);
    QByteArray all;
    for (const QByteArray &chunk : chunks) {
        QVERIFY(link.sendChunk(chunk));
        all += chunk;
    }
    QCOMPARE(link.arrived, chunks.size());
    QCOMPARE(matched.count(), matches);
    // The data itself passes unchanged.
    QCOMPARE(link.received, all);
}

void TestTelnetX::newWaitForSearchesTheRestOfTheChunk()
{
    Link link;
    link.collectArrivals();
    QVERIFY(link.open());
    QList<QByteArray> matchedTexts;
    QObject::connect(&link.client, &TelnetX::waitForMatched, [&] {
        matchedTexts << link.client.waitFor();
        if (link.client.waitFor() == "login:")
            link.client.setWaitFor("Press 'G'");
        else
            link.client.setWaitFor("exit");
    });
    link.client.setWaitFor("login:");
    QVERIFY(link.sendChunk("login: \r\nPress 'G' to go to Main Menu\r\n"));
    QVERIFY(link.sendChunk("Q) exit\r\n"));
    QCOMPARE(matchedTexts, (QList<QByteArray>{"login:", "Press 'G'", "exit"}));
}

void TestTelnetX::waitForLooksOnlyAtLaterData()
{
    Link link;
    link.collectArrivals();
    QVERIFY(link.open());
    QSignalSpy matched(&link.client, &TelnetX::waitForMatched);
    link.client.setWaitFor("login:");
    QVERIFY(link.sendChunk("Press 'G"));
    // The first part of the new text came before it was set.
    link.client.setWaitFor("Press 'G'");
    QVERIFY(link.sendChunk("' to go"));
    QCOMPARE(matched.count(), 0);
    QVERIFY(link.sendChunk("Press 'G' to go"));
    QCOMPARE(matched.count(), 1);
}

void TestTelnetX::refusesEveryOption_data()
{
    QTest::addColumn<QByteArray>("fromPeer");
    QTest::addColumn<QByteArray>("answer");
    QTest::addColumn<QByteArray>("data");

    QTest::newRow("will echo") << QByteArray("\xff\xfb\x01") << QByteArray("\xff\xfe\x01")
                               << QByteArray();
    QTest::newRow("do terminal type")
        << QByteArray("\xff\xfd\x18") << QByteArray("\xff\xfc\x18") << QByteArray();
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

    Link link;
    link.collectArrivals();
    QVERIFY(link.open());
    link.client.setWaitFor("login:");
    QSignalSpy matched(&link.client, &TelnetX::waitForMatched);
    link.peer->write(fromPeer);
    link.peer->write("!"); // a data byte after the negotiation, to know it was all read
    QVERIFY(QTest::qWaitFor([&] { return link.received.endsWith('!'); }, kWaitMs));
    QVERIFY(link.waitForFromClient(answer.size()));
    QCOMPARE(link.fromClient, answer);
    QCOMPARE(link.received, data + "!");
    QCOMPARE(matched.count(), data.contains("login:") ? 1 : 0);
}

void TestTelnetX::sendsDataUnchanged_data()
{
    QTest::addColumn<Chunks>("sends");
    QTest::addColumn<QByteArray>("onTheWire");

    QTest::newRow("credential line") << Chunks{"qa482tm\r\n"} << QByteArray("qa482tm\r\n");
    QTest::newRow("key without a line end") << Chunks{"G"} << QByteArray("G");
    QTest::newRow("key, then the line end") << Chunks{"J", "\r\n"} << QByteArray("J\r\n");
    QTest::newRow("bare CR and LF") << Chunks{"a\rb\nc"} << QByteArray("a\rb\nc");
    QTest::newRow("0xFF doubled") << Chunks{"\xff"} << QByteArray("\xff\xff");
}

void TestTelnetX::sendsDataUnchanged()
{
    QFETCH(Chunks, sends);
    QFETCH(QByteArray, onTheWire);

    Link link;
    QVERIFY(link.open());
    for (const QByteArray &data : sends)
        QVERIFY(link.client.send(data));
    QVERIFY(link.waitForFromClient(onTheWire.size()));
    QCOMPARE(link.fromClient, onTheWire);
}

void TestTelnetX::crNulBecomesCr_data()
{
    QTest::addColumn<Chunks>("chunks");
    QTest::addColumn<QByteArray>("received");

    QTest::newRow("CR NUL") << Chunks{QByteArray("a\r\0b", 4)} << QByteArray("a\rb");
    QTest::newRow("CR NUL split") << Chunks{"a\r", QByteArray("\0b", 2)} << QByteArray("a\rb");
    QTest::newRow("CR LF stays") << Chunks{"a\r\n"} << QByteArray("a\r\n");
    QTest::newRow("NUL alone stays") << Chunks{QByteArray("\0a", 2)} << QByteArray("\0a", 2);
    QTest::newRow("NUL after CR LF stays")
        << Chunks{"a\r\n", QByteArray("\0", 1)} << QByteArray("a\r\n\0", 4);
}

void TestTelnetX::crNulBecomesCr()
{
    QFETCH(Chunks, chunks);
    QFETCH(QByteArray, received);

    Link link;
    link.collectArrivals();
    QVERIFY(link.open());
    for (const QByteArray &chunk : chunks)
        QVERIFY(link.sendChunk(chunk));
    QCOMPARE(link.received, received);
}

void TestTelnetX::compressionStartEndsTheConnection()
{
    // The peer starts compression, which was never offered: what came before
    // is data, nothing of the compressed stream is, and the connection ends.
    TelnetX client;
    QByteArray received;
    QObject::connect(&client, &TelnetX::dataArrival,
                     [&](int count) { received += client.receive(count); });
    QSignalSpy matched(&client, &TelnetX::waitForMatched);
    QSignalSpy closed(&client, &TelnetX::closed);
    QSignalSpy messages(&client, &TelnetX::message);
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

    Link link;
    QVERIFY(link.open());
    QSignalSpy closed(&link.client, &TelnetX::closed);
    QSignalSpy peerGone(link.peer.get(), &QTcpSocket::disconnected);
    if (peerCloses) {
        link.peer->disconnectFromHost();
        QVERIFY(QTest::qWaitFor([&] { return closed.count() == 1; }, kWaitMs));
        link.client.close();
    } else {
        link.client.close();
        QCOMPARE(closed.count(), 1);
        QVERIFY(QTest::qWaitFor([&] { return peerGone.count() == 1; }, kWaitMs));
    }
    QVERIFY(!link.client.isConnected());
    QVERIFY(!link.client.send("x"));
    QCoreApplication::processEvents();
    QCOMPARE(closed.count(), 1);
}

void TestTelnetX::closeDeliversPendingOutput()
{
    Link link;
    QVERIFY(link.open());
    QSignalSpy peerGone(link.peer.get(), &QTcpSocket::disconnected);
    link.client.send("exit\r\n");
    link.client.send("Q");
    link.client.close();
    QVERIFY(QTest::qWaitFor([&] { return peerGone.count() == 1; }, kWaitMs));
    link.fromClient += link.peer->readAll();
    QCOMPARE(link.fromClient, QByteArray("exit\r\nQ"));
}

void TestTelnetX::unreadDataIsBounded()
{
    Link link;
    QVERIFY(link.open());
    qsizetype announced = 0;
    QObject::connect(&link.client, &TelnetX::dataArrival, [&](int count) { announced += count; });
    QByteArray flood;
    for (int i = 0; flood.size() < TelnetX::kReceiveBufferLimit + 5000; ++i)
        flood += QByteArray::number(i) + ' ';
    flood += "end";
    link.peer->write(flood);
    QVERIFY(QTest::qWaitFor([&] { return announced == flood.size(); }, kWaitMs));
    const QByteArray kept = link.client.receive(flood.size());
    QCOMPARE(kept.size(), TelnetX::kReceiveBufferLimit);
    QVERIFY(flood.endsWith(kept));
    QVERIFY(link.client.receive(10).isEmpty());
}

void TestTelnetX::refusedConnectionIsAMessage()
{
    quint16 port = 0;
    {
        QTcpServer probe;
        QVERIFY(probe.listen(QHostAddress::LocalHost, 0));
        port = probe.serverPort();
    }
    TelnetX client;
    client.setHost(QStringLiteral("127.0.0.1"));
    client.setPort(port);
    QSignalSpy message(&client, &TelnetX::message);
    QSignalSpy connected(&client, &TelnetX::connected);
    QSignalSpy closed(&client, &TelnetX::closed);
    client.connectToRemote();
    QVERIFY(QTest::qWaitFor([&] { return message.count() == 1; }, kWaitMs));
    QCOMPARE(connected.count(), 0);
    QCOMPARE(closed.count(), 0);
    QVERIFY(!client.isConnected());
}

void TestTelnetX::reconnectStartsAfresh()
{
    Link link;
    link.collectArrivals();
    QVERIFY(link.open());
    link.client.setWaitFor("login:");
    QVERIFY(link.sendChunk("log"));
    link.client.close();

    QSignalSpy matched(&link.client, &TelnetX::waitForMatched);
    link.received.clear();
    QVERIFY(link.open());
    link.client.setWaitFor("login:");
    // The start of the text came on the earlier connection.
    QVERIFY(link.sendChunk("in: "));
    QCOMPARE(matched.count(), 0);
    QVERIFY(link.sendChunk("login: "));
    QCOMPARE(matched.count(), 1);
    QCOMPARE(link.received, QByteArray("in: login: "));
}

QTEST_GUILESS_MAIN(TestTelnetX)
#include "tst_telnetx.moc"
