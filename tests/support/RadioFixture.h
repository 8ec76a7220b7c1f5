#pragma once

#include <QProcess>
#include <QStringList>
#include <QTcpServer>
#include <QTcpSocket>
#include <memory>

class TelnetClient;

// The longest a test waits for its radio before it counts as failed.
constexpr int kRadioWaitMs = 5000;

// A radio's telnet side played by the test on 127.0.0.1, one connection at a time.
class TelnetPeer
{
public:
    TelnetPeer();
    quint16 port() const { return server.serverPort(); }
    // Points the client at this peer and waits until both ends are connected.
    bool accept(TelnetClient &client);
    // Waits until the station has written exactly this since the last take.
    bool expect(const QByteArray &text);
    // Writes text without end (64 MB, 10 s at most) until the station hangs up.
    void flood();
    static bool reaches(const int &counter, int count);

    QTcpServer server;
    std::unique_ptr<QTcpSocket> peer;
    QByteArray fromStation;
    int connections = 0;
    int disconnects = 0;
};

// The radio simulator with its telnet menu on a free loopback port; port
// stays 0 when it does not come up.
class RadioSimProcess
{
public:
    explicit RadioSimProcess(const QStringList &options);
    ~RadioSimProcess();
    // Waits until the simulator has logged the text.
    bool logged(const QByteArray &text);

    quint16 port = 0;

private:
    QProcess m_process;
    QByteArray m_output;
};
