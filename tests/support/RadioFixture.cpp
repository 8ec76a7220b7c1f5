#include "RadioFixture.h"

#include "telnet/TelnetClient.h"

#include <QElapsedTimer>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTest>
#include <utility>

TelnetPeer::TelnetPeer()
{
    QVERIFY(server.listen(QHostAddress::LocalHost, 0));
    QObject::connect(&server, &QTcpServer::newConnection, [this] {
        peer.reset(server.nextPendingConnection());
        ++connections;
        QObject::connect(peer.get(), &QTcpSocket::readyRead,
                         [this] { fromStation += peer->readAll(); });
        QObject::connect(peer.get(), &QTcpSocket::disconnected, [this] { ++disconnects; });
    });
}

bool TelnetPeer::accept(TelnetClient &client)
{
    QSignalSpy connected(&client, &TelnetClient::connected);
    client.setHost(QStringLiteral("127.0.0.1"));
    client.setPort(port());
    client.connectToRemote();
    return reaches(connections, 1) && (!connected.isEmpty() || connected.wait(kRadioWaitMs));
}

bool TelnetPeer::reaches(const int &counter, int count)
{
    return QTest::qWaitFor([&] { return counter >= count; }, kRadioWaitMs);
}

bool TelnetPeer::expect(const QByteArray &text)
{
    // A shorter text shows as a mismatch below.
    (void)QTest::qWaitFor([&] { return fromStation.size() >= text.size(); }, kRadioWaitMs);
    const QByteArray got = std::exchange(fromStation, {});
    if (got != text)
        qWarning() << "station wrote" << got << "instead of" << text;
    return got == text;
}

void TelnetPeer::flood()
{
    const QByteArray chunk(16 * 1024, 'x');
    QElapsedTimer clock;
    clock.start();
    for (int n = 0; n < 4096 && disconnects == 0 && clock.elapsed() < 10000; ++n) {
        if (peer && peer->bytesToWrite() < 4 * chunk.size())
            peer->write(chunk);
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    }
}

RadioSimProcess::RadioSimProcess(const QStringList &options)
{
    m_process.start(QStringLiteral(KAVO_RADIO_SIM),
                    QStringList{"--velto-telnet-port", "0", "--duration", "60"} + options);
    const QRegularExpression listening(QStringLiteral("listening on 127\\.0\\.0\\.1:(\\d+) "));
    if (logged(" (firmware"))
        port = listening.match(QString::fromLatin1(m_output)).captured(1).toUShort();
}

RadioSimProcess::~RadioSimProcess()
{
    m_process.kill();
    m_process.waitForFinished(kRadioWaitMs);
}

bool RadioSimProcess::logged(const QByteArray &text)
{
    return QTest::qWaitFor(
        [&] {
            m_output += m_process.readAllStandardOutput();
            return m_output.contains(text);
        },
        kRadioWaitMs);
}
