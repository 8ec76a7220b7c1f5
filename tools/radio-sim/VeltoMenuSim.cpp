// The Velto radio's menu over telnet: a login prompt, a banner that asks for
// 'G', the main menu, and behind the menu key a command prompt that knows
// "wrlsstat" (one line of eight wireless counters), "blacklist" (the radio
// scans for a while) and "exit" (back to the main menu, where 'Q' ends the
// session). Each piece of output goes out on its own, a little apart from the
// previous one, as a radio's menu writes it.
#include "SimMode.h"
#include "VeltoMenuContent.h"
#include "VeltoRadioState.h"

#include <QHostAddress>
#include <QPointer>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>
#include <cstddef>
#include <cstdio>

// libtelnet.h uses size_t without including its header.
#include <libtelnet.h>

namespace {

constexpr int kOutputSpacingMs = 30;

struct MenuOptions
{
    bool congestion = false;
    bool silent = false;
    int dropAfter = 0;     // inputs; 0: never
    int echoOnlyEvery = 0; // statistics requests; 0: never
    int scanMilliseconds = 30000;
};

void say(const QString &text)
{
    std::printf("velto-telnet: %s\n", qPrintable(text));
    std::fflush(stdout);
}

// One telnet session with the menu.
class MenuSession : public QObject
{
public:
    MenuSession(QTcpSocket *socket, const MenuOptions &options, Counters &counters,
                int &statisticsRequests, QObject *parent)
        : QObject(parent), m_socket(socket), m_options(options), m_counters(counters),
          m_statisticsRequests(statisticsRequests)
    {
        m_socket->setParent(this);
        m_pace.setSingleShot(true);
        connect(&m_pace, &QTimer::timeout, this, &MenuSession::writeNext);
        connect(m_socket, &QTcpSocket::readyRead, this, &MenuSession::readInput);
        connect(m_socket, &QTcpSocket::disconnected, this, [this] {
            say(QStringLiteral("connection closed"));
            deleteLater();
        });
        say(QStringLiteral("connection from %1").arg(m_socket->peerAddress().toString()));
        if (m_options.silent)
            return; // accepts and reads, never prompts
        m_telnet = telnet_init(kOptions, &MenuSession::onTelnetEvent, 0, this);
        telnet_negotiate(m_telnet, TELNET_WILL, TELNET_TELOPT_ECHO);
        telnet_negotiate(m_telnet, TELNET_WILL, TELNET_TELOPT_SGA);
        queue("\r\nVelto Remote\r\n\r\nlogin: ");
    }

    ~MenuSession() override
    {
        if (m_telnet)
            telnet_free(m_telnet);
    }

private:
    enum class Stage
    {
        Login,
        Banner,
        MainMenu,
        CommandLine,
        Leaving
    };

    static constexpr telnet_telopt_t kOptions[] = {{TELNET_TELOPT_ECHO, TELNET_WILL, TELNET_DONT},
                                                   {TELNET_TELOPT_SGA, TELNET_WILL, TELNET_DONT},
                                                   {-1, 0, 0}};

    static void onTelnetEvent(telnet_t *, telnet_event_t *event, void *self)
    {
        auto *session = static_cast<MenuSession *>(self);
        if (event->type == TELNET_EV_SEND)
            session->m_socket->write(event->data.buffer, qint64(event->data.size));
        else if (event->type == TELNET_EV_DATA)
            session->m_input.append(event->data.buffer, qsizetype(event->data.size));
    }

    void readInput()
    {
        const QByteArray raw = m_socket->readAll();
        if (!m_telnet)
            return;
        m_input.clear();
        telnet_recv(m_telnet, raw.constData(), size_t(raw.size()));
        const QByteArray input = m_input;
        QPointer<MenuSession> self(this);
        for (const char c : input) {
            handleByte(c);
            if (!self || m_stage == Stage::Leaving)
                return;
        }
    }

    void handleByte(char c)
    {
        const bool afterCr = m_lastWasCr;
        m_lastWasCr = c == '\r';
        if ((c == '\n' || c == '\0') && afterCr)
            return; // the second half of a line end
        const bool lineEnd = c == '\r' || c == '\n';

        switch (m_stage) {
        case Stage::Login:
        case Stage::CommandLine:
            if (!lineEnd) {
                if (m_line.size() < 256)
                    m_line.append(c);
                return;
            }
            if (countInput())
                return;
            if (m_stage == Stage::Login)
                login(m_line);
            else
                command(m_line.trimmed());
            m_line.clear();
            return;
        case Stage::Banner:
            if (c != 'G' && c != 'g')
                return;
            if (countInput())
                return;
            m_stage = Stage::MainMenu;
            queue(VeltoMenuContent::mainMenu());
            return;
        case Stage::MainMenu:
            if (lineEnd || c == ' ')
                return;
            if (countInput())
                return;
            mainMenuKey(c);
            return;
        case Stage::Leaving:
            return;
        }
    }

    // Counts one input; true when the connection was dropped because of it.
    bool countInput()
    {
        ++m_inputs;
        if (m_options.dropAfter == 0 || m_inputs < m_options.dropAfter)
            return false;
        say(QStringLiteral("dropping the connection after %1 inputs").arg(m_inputs));
        m_stage = Stage::Leaving;
        m_output.clear();
        m_pace.stop();
        m_socket->abort();
        deleteLater();
        return true;
    }

    void login(const QByteArray &line)
    {
        if (line == VeltoMenuContent::credential()) {
            say(QStringLiteral("login accepted"));
            m_stage = Stage::Banner;
            queue("\r\n\r\nPress 'G' to go to Main Menu\r\n");
        } else {
            say(QStringLiteral("login refused"));
            queue("\r\nLogin incorrect\r\n\r\nlogin: ");
        }
    }

    void mainMenuKey(char key)
    {
        if (key == VeltoMenuContent::menuKey()) {
            m_stage = Stage::CommandLine;
            queue("\r\n> ");
        } else if (key == 'Q') {
            say(QStringLiteral("quit"));
            m_stage = Stage::Leaving;
            queue("\r\nGoodbye\r\n");
            m_closeWhenWritten = true;
        } else {
            queue("\r\nInvalid selection\r\n" + VeltoMenuContent::mainMenu());
        }
    }

    void command(const QByteArray &line)
    {
        if (line.isEmpty()) {
            queue("> ");
        } else if (line == "wrlsstat") {
            answerStatistics();
        } else if (line == "blacklist") {
            VeltoRadioState &radio = VeltoRadioState::instance();
            radio.blacklist(m_options.scanMilliseconds);
            say(QStringLiteral("blacklist %1: scanning for %2 ms")
                    .arg(radio.blacklistCount)
                    .arg(m_options.scanMilliseconds));
            queue("Blacklisting the current access point; scanning...\r\n> ");
        } else if (line == "exit") {
            say(QStringLiteral("exit"));
            m_stage = Stage::MainMenu;
            queue(VeltoMenuContent::mainMenu());
        } else {
            queue("Unknown command: " + line + "\r\n> ");
        }
    }

    void answerStatistics()
    {
        const int request = ++m_statisticsRequests;
        const QByteArray echo = QByteArrayLiteral("wrlsstat\r\n");
        if (m_options.echoOnlyEvery > 0 && request % m_options.echoOnlyEvery == 0) {
            say(QStringLiteral("wrlsstat %1: echo only").arg(request));
            queue(echo + "> ");
            return;
        }
        const QByteArray answer = m_counters.nextAnswer();
        say(QStringLiteral("wrlsstat %1: %2")
                .arg(request)
                .arg(QString::fromLatin1(answer.trimmed())));
        // Every other answer comes after an echo of the command of its own.
        if (request % 2 == 0)
            queue(echo);
        queue(answer + "> ");
    }

    void queue(const QByteArray &text)
    {
        m_output << text;
        if (!m_pace.isActive())
            writeNext();
    }

    void writeNext()
    {
        if (m_output.isEmpty()) {
            if (m_closeWhenWritten)
                m_socket->disconnectFromHost();
            return;
        }
        const QByteArray text = m_output.takeFirst();
        telnet_send(m_telnet, text.constData(), size_t(text.size()));
        m_socket->flush();
        m_pace.start(kOutputSpacingMs);
    }

    QTcpSocket *m_socket;
    const MenuOptions &m_options;
    Counters &m_counters;
    int &m_statisticsRequests;
    telnet_t *m_telnet = nullptr;
    Stage m_stage = Stage::Login;
    QByteArray m_input;
    QByteArray m_line;
    bool m_lastWasCr = false;
    int m_inputs = 0;
    QList<QByteArray> m_output;
    QTimer m_pace;
    bool m_closeWhenWritten = false;
};

class VeltoMenuSim : public SimMode
{
public:
    VeltoMenuSim()
        : m_port(QStringLiteral("velto-telnet-port"),
                 QStringLiteral("Serve the Velto radio's telnet menu on 127.0.0.1:<port> "
                                "(0: any free port; the port is printed)."),
                 QStringLiteral("port")),
          m_congestion(QStringLiteral("velto-telnet-congestion"),
                       QStringLiteral("Congested link: retries rise faster every interval while "
                                      "transmitted packets stay at 0; retry errors stand at 35.")),
          m_silent(QStringLiteral("velto-telnet-silent"),
                   QStringLiteral("Accept telnet connections but never prompt.")),
          m_dropAfter(QStringLiteral("velto-telnet-drop-after"),
                      QStringLiteral("Drop each telnet connection at its <n>th input (1: the "
                                     "credential, 2: 'G', 3: the menu key, then each command "
                                     "line)."),
                      QStringLiteral("n")),
          m_echoOnly(QStringLiteral("velto-telnet-echo-only"),
                     QStringLiteral("Answer every <n>th \"wrlsstat\" with its echo alone."),
                     QStringLiteral("n")),
          m_scanSeconds(QStringLiteral("velto-telnet-scan-seconds"),
                        QStringLiteral("How long a \"blacklist\" keeps the radio scanning "
                                       "(default 30)."),
                        QStringLiteral("seconds"), QStringLiteral("30"))
    {}

    void addOptions(QCommandLineParser &parser) override
    {
        parser.addOptions({m_port, m_congestion, m_silent, m_dropAfter, m_echoOnly, m_scanSeconds});
    }

    bool wanted(const QCommandLineParser &parser) const override { return parser.isSet(m_port); }

    bool start(const QCommandLineParser &parser, QString *error) override
    {
        bool ok = false;
        const int port = parser.value(m_port).toInt(&ok);
        if (!ok || port < 0 || port > 65535) {
            *error = QStringLiteral("--velto-telnet-port needs a port number");
            return false;
        }
        if (!readCount(parser, m_dropAfter, 1, &m_options.dropAfter, error) ||
            !readCount(parser, m_echoOnly, 1, &m_options.echoOnlyEvery, error))
            return false;
        int scanSeconds = 0;
        if (!readCount(parser, m_scanSeconds, 0, &scanSeconds, error))
            return false;
        if (scanSeconds > 3600) {
            *error = QStringLiteral("--velto-telnet-scan-seconds is at most 3600");
            return false;
        }
        m_options.scanMilliseconds = scanSeconds * 1000;
        m_options.congestion = parser.isSet(m_congestion);
        m_options.silent = parser.isSet(m_silent);
        m_counters = std::make_unique<Counters>(m_options.congestion);

        if (!m_server.listen(QHostAddress::LocalHost, quint16(port))) {
            *error = QStringLiteral("telnet menu: %1").arg(m_server.errorString());
            return false;
        }
        QObject::connect(&m_server, &QTcpServer::newConnection, [this] {
            while (QTcpSocket *socket = m_server.nextPendingConnection())
                new MenuSession(socket, m_options, *m_counters, m_statisticsRequests, &m_server);
        });
        say(QStringLiteral("listening on 127.0.0.1:%1 (firmware %2%3%4)")
                .arg(m_server.serverPort())
                .arg(VeltoRadioState::instance().firmware,
                     m_options.congestion ? QStringLiteral(", congested") : QString(),
                     m_options.silent ? QStringLiteral(", silent") : QString()));
        return true;
    }

private:
    static bool readCount(const QCommandLineParser &parser, const QCommandLineOption &option,
                          int lowest, int *value, QString *error)
    {
        if (!parser.isSet(option) && option.defaultValues().isEmpty())
            return true;
        bool ok = false;
        *value = parser.value(option).toInt(&ok);
        if (!ok || *value < lowest) {
            *error = QStringLiteral("--%1 needs a whole number of at least %2")
                         .arg(option.names().first())
                         .arg(lowest);
            return false;
        }
        return true;
    }

    QCommandLineOption m_port;
    QCommandLineOption m_congestion;
    QCommandLineOption m_silent;
    QCommandLineOption m_dropAfter;
    QCommandLineOption m_echoOnly;
    QCommandLineOption m_scanSeconds;
    MenuOptions m_options;
    std::unique_ptr<Counters> m_counters;
    int m_statisticsRequests = 0;
    QTcpServer m_server;
};

} // namespace

std::unique_ptr<SimMode> makeVeltoMenuSim()
{
    return std::make_unique<VeltoMenuSim>();
}
