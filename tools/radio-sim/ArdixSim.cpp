// The Ardix mode of kavo-radio-sim: a remote pushing its 35-byte statistics
// datagrams to the station's destination port on 127.0.0.1.
#include "SimMode.h"

#include <QHostAddress>
#include <QRandomGenerator>
#include <QTimer>
#include <QUdpSocket>
#include <array>
#include <cstdio>

namespace {

constexpr int kDatagramSize = 35;
constexpr int kMaxDatagramSize = 1472; // one Ethernet frame
constexpr int kStrongestRssi = -50;
constexpr int kWeakestRssi = -95;
constexpr qint64 kMaxInt = 2147483647;

struct Options
{
    quint16 port = 0;
    int intervalMs = 1000;
    int burst = 1;
    qint64 count = 0; // 0: no limit
    int rssiDbm = -72;
    quint32 seed = 1;
    int associateEvery = 0;
    quint32 counterStart = 0;
    quint32 counterStep = 1500;
    qint64 silenceAfter = 0;
    int silenceForSeconds = 0; // 0: silent until ended
    int badMarkerEvery = 0;
    int length = kDatagramSize;
};

// Datagram n (0-based) of a run: the eight counters grow with n from the
// start value, each at its own pace, and wrap at 2^32 as the radio's do.
std::array<quint32, 8> countersFor(const Options &o, quint64 n)
{
    const auto at = [&](quint64 increase) { return quint32(o.counterStart + increase); };
    return {at(n * o.counterStep),             // RX bytes
            at(n * (o.counterStep / 500 + 1)), // RX packets
            at(n / 50),                        // RX errors
            at(n * (o.counterStep * 3 / 4)),   // TX bytes
            at(n * (o.counterStep / 700 + 1)), // TX packets
            at(n / 100),                       // TX errors
            at(n / 20),                        // fragments
            at(n / 10)};                       // retries
}

QByteArray datagramFor(int state, bool goodMarker, int rssiDbm,
                       const std::array<quint32, 8> &counters, int length)
{
    QByteArray d(kDatagramSize, '\0');
    d[0] = char(state);
    d[1] = char(goodMarker ? 0xFF : 0xFE);
    d[2] = char(quint8(rssiDbm)); // the low eight bits of the negative dBm value
    for (int c = 0; c < 8; ++c) {
        for (int b = 0; b < 4; ++b)
            d[3 + 4 * c + b] = char(quint8(counters[c] >> (24 - 8 * b)));
    }
    d.resize(length, '\0'); // shorter: cut; longer: zero bytes after the 35
    return d;
}

class ArdixSim : public SimMode
{
public:
    ~ArdixSim() override
    {
        if (m_socket)
            std::printf("kavo-radio-sim: ardix sent %lld datagrams (%lld refused)\n",
                        static_cast<long long>(m_sent), static_cast<long long>(m_refused));
        std::fflush(stdout);
    }

    void addOptions(QCommandLineParser &parser) override
    {
        const auto add = [&parser](const char *name, const char *help, const char *value) {
            parser.addOption(
                QCommandLineOption(QLatin1String(name), QLatin1String(help), QLatin1String(value)));
        };
        add("ardix-port",
            "Ardix remote: send statistics datagrams to 127.0.0.1:<port>, the station's "
            "destination port.",
            "port");
        add("ardix-interval", "Ardix: milliseconds between sends (default 1000).", "ms");
        add("ardix-burst", "Ardix: datagrams per send, for load tests (default 1).", "n");
        add("ardix-count", "Ardix: quit after <n> datagrams (default: no limit).", "n");
        add("ardix-rssi",
            "Ardix: RSSI of the first datagram in dBm (default -72); it then drifts by up to 2 "
            "dB per datagram between -95 and -50 (a start outside that band stays fixed).",
            "dBm");
        add("ardix-seed", "Ardix: seed of the RSSI drift (default 1).", "n");
        add("ardix-associate-every",
            "Ardix: change the association state (associated / disconnected) every <n> "
            "datagrams (default: always associated).",
            "n");
        add("ardix-counter-start",
            "Ardix: value of all eight counters in the first datagram (default 0); e.g. "
            "9990000 to cross 10,000,000 soon, 2147000000 to cross 2^31.",
            "n");
        add("ardix-counter-step", "Ardix: RX bytes added per datagram (default 1500).", "bytes");
        add("ardix-silence-after", "Ardix: fall silent after <n> datagrams.", "n");
        add("ardix-silence-for",
            "Ardix: send again after <seconds> of silence (default: silent until ended).",
            "seconds");
        add("ardix-bad-marker-every",
            "Ardix: every <n>th datagram carries the marker byte FE instead of FF.", "n");
        add("ardix-length",
            "Ardix: datagram length in bytes, 1 to 1472 (default 35); shorter datagrams are "
            "cut, longer ones padded with zero bytes.",
            "bytes");
    }

    bool wanted(const QCommandLineParser &parser) const override
    {
        return parser.isSet(QStringLiteral("ardix-port"));
    }

    bool start(const QCommandLineParser &parser, QString *error) override
    {
        if (!readOptions(parser, error))
            return false;
        m_rssi = m_options.rssiDbm;
        m_random.seed(m_options.seed);
        m_socket = new QUdpSocket(&m_timer);
        m_timer.setTimerType(Qt::PreciseTimer);
        m_timer.setInterval(m_options.intervalMs);
        QObject::connect(&m_timer, &QTimer::timeout, [this] { sendBurst(); });
        m_timer.start();
        std::printf("kavo-radio-sim: ardix sending to 127.0.0.1:%u every %d ms\n",
                    unsigned(m_options.port), m_options.intervalMs);
        return true;
    }

private:
    bool readOptions(const QCommandLineParser &parser, QString *error)
    {
        bool ok = true;
        const auto number = [&](const char *name, qint64 low, qint64 high, auto &target) {
            const QString key = QLatin1String(name);
            if (!ok || !parser.isSet(key))
                return;
            bool parsed = false;
            const qint64 value = parser.value(key).toLongLong(&parsed);
            if (!parsed || value < low || value > high) {
                *error =
                    QStringLiteral("--%1 takes a number from %2 to %3").arg(key).arg(low).arg(high);
                ok = false;
                return;
            }
            target = static_cast<std::remove_reference_t<decltype(target)>>(value);
        };
        number("ardix-port", 1, 65535, m_options.port);
        number("ardix-interval", 1, 3600000, m_options.intervalMs);
        number("ardix-burst", 1, 10000, m_options.burst);
        number("ardix-count", 1, Q_INT64_C(1) << 40, m_options.count);
        number("ardix-rssi", -255, 0, m_options.rssiDbm);
        number("ardix-seed", 0, 0xFFFFFFFFLL, m_options.seed);
        number("ardix-associate-every", 0, kMaxInt, m_options.associateEvery);
        number("ardix-counter-start", 0, 0xFFFFFFFFLL, m_options.counterStart);
        number("ardix-counter-step", 0, 0xFFFFFFFFLL, m_options.counterStep);
        number("ardix-silence-after", 1, Q_INT64_C(1) << 40, m_options.silenceAfter);
        number("ardix-silence-for", 1, 86400, m_options.silenceForSeconds);
        number("ardix-bad-marker-every", 0, kMaxInt, m_options.badMarkerEvery);
        number("ardix-length", 1, kMaxDatagramSize, m_options.length);
        return ok;
    }

    void sendBurst()
    {
        for (int i = 0; i < m_options.burst; ++i) {
            if (m_options.count > 0 && m_sent + m_refused >= m_options.count) {
                m_timer.stop();
                QCoreApplication::quit();
                return;
            }
            if (m_options.silenceAfter > 0 && m_sent + m_refused == m_options.silenceAfter &&
                !m_silenced) {
                fallSilent();
                return;
            }
            sendOne();
        }
    }

    void fallSilent()
    {
        m_silenced = true;
        m_timer.stop();
        std::printf("kavo-radio-sim: ardix silent after %lld datagrams\n",
                    static_cast<long long>(m_sent + m_refused));
        std::fflush(stdout);
        if (m_options.silenceForSeconds > 0)
            QTimer::singleShot(m_options.silenceForSeconds * 1000, &m_timer,
                               [this] { m_timer.start(); });
    }

    void sendOne()
    {
        const quint64 n = quint64(m_sent + m_refused);
        int state = 1;
        if (m_options.associateEvery > 0 && (n / quint64(m_options.associateEvery)) % 2 == 1)
            state = 0;
        const bool goodMarker =
            m_options.badMarkerEvery <= 0 || (n + 1) % quint64(m_options.badMarkerEvery) != 0;
        const QByteArray d =
            datagramFor(state, goodMarker, m_rssi, countersFor(m_options, n), m_options.length);
        // Only ever to this machine. A datagram the system refused (its
        // buffers full under load) is counted apart, so "sent" stays exact.
        if (m_socket->writeDatagram(d, QHostAddress(QHostAddress::LocalHost), m_options.port) ==
            d.size())
            ++m_sent;
        else
            ++m_refused;
        if (m_rssi <= kStrongestRssi && m_rssi >= kWeakestRssi)
            m_rssi = qBound(kWeakestRssi, m_rssi + int(m_random.bounded(5)) - 2, kStrongestRssi);
    }

    Options m_options;
    QTimer m_timer;
    QUdpSocket *m_socket = nullptr;
    QRandomGenerator m_random;
    qint64 m_sent = 0;
    qint64 m_refused = 0;
    int m_rssi = 0;
    bool m_silenced = false;
};

} // namespace

std::unique_ptr<SimMode> makeArdixSim()
{
    return std::make_unique<ArdixSim>();
}
