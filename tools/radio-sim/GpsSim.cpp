// A GPS receiver on a pseudo-terminal: NMEA sentences once a second at the
// pace of a 4800-baud line, a position that moves, a fix that is lost for a
// while in every cycle and comes back, and on request the faults of a noisy
// line (sentences cut by a line end, characters changed).
#include "SimMode.h"

#include <QDateTime>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTimer>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <stdlib.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

namespace {

constexpr int kBytesPerSecond = 480; // 4800 baud, 10 bits a character
constexpr int kPaceMs = 20;
constexpr int kMaxQueuedBytes = 4096;        // older output is dropped past this
constexpr int kMaxUnreadBytes = 2048;        // nobody reading: the receiver keeps it fresh
constexpr double kMinutesPerSecond = 0.0054; // about 10 m/s north and east

QByteArray withChecksum(const QByteArray &body)
{
    char sum = 0;
    for (const char c : body)
        sum ^= c;
    return '$' + body + '*' +
           QByteArray::number(static_cast<uchar>(sum), 16).toUpper().rightJustified(2, '0') +
           "\r\n";
}

// Degrees and minutes as NMEA writes them: ddmm.mmmm or dddmm.mmmm.
QByteArray nmeaAngle(double minutesTotal, int degreeDigits)
{
    const int degrees = static_cast<int>(minutesTotal / 60.0);
    const double minutes = minutesTotal - degrees * 60.0;
    return QByteArray::number(degrees).rightJustified(degreeDigits, '0') +
           QByteArray::number(minutes, 'f', 4).rightJustified(7, '0');
}

class GpsSim : public SimMode
{
public:
    ~GpsSim() override
    {
        if (!m_link.isEmpty())
            QFile::remove(m_link);
        if (m_device >= 0)
            ::close(m_device);
        if (m_master >= 0)
            ::close(m_master);
    }

    void addOptions(QCommandLineParser &parser) override
    {
        parser.addOption({QStringLiteral("gps"),
                          QStringLiteral("Play a GPS receiver on a new pseudo-terminal and print "
                                         "its device path.")});
        parser.addOption({QStringLiteral("gps-link"),
                          QStringLiteral("Also make <path> a symbolic link to the device (a "
                                         "fixed name for \"Com1Device\"); removed at the end."),
                          QStringLiteral("path")});
        parser.addOption({QStringLiteral("gps-cycle"),
                          QStringLiteral("The fix is lost for the last quarter of every cycle of "
                                         "<seconds> (default 60; 0: never lost)."),
                          QStringLiteral("seconds"), QStringLiteral("60")});
        parser.addOption({QStringLiteral("gps-faults"),
                          QStringLiteral("Cut every 7th sentence by a line end and change a "
                                         "character in every 11th, as a noisy line would.")});
    }

    bool wanted(const QCommandLineParser &parser) const override
    {
        return parser.isSet(QStringLiteral("gps"));
    }

    bool start(const QCommandLineParser &parser, QString *error) override
    {
        bool ok = false;
        m_cycle = parser.value(QStringLiteral("gps-cycle")).toInt(&ok);
        if (!ok || m_cycle < 0) {
            *error = QStringLiteral("--gps-cycle needs a number of seconds");
            return false;
        }
        m_faults = parser.isSet(QStringLiteral("gps-faults"));
        if (!openPseudoTerminal(error))
            return false;
        if (parser.isSet(QStringLiteral("gps-link")) &&
            !makeLink(parser.value(QStringLiteral("gps-link")), error))
            return false;

        std::printf("GPS receiver on %s\n", m_devicePath.constData());
        if (!m_link.isEmpty())
            std::printf("GPS receiver linked as %s\n", qPrintable(m_link));
        std::fflush(stdout);

        QObject::connect(&m_secondTimer, &QTimer::timeout, [this] { queueSecond(); });
        QObject::connect(&m_paceTimer, &QTimer::timeout, [this] { sendAtLinePace(); });
        m_secondTimer.start(1000);
        m_paceTimer.start(kPaceMs);
        m_clock.start();
        queueSecond();
        return true;
    }

private:
    bool openPseudoTerminal(QString *error)
    {
        m_master = posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK);
        if (m_master < 0 || grantpt(m_master) != 0 || unlockpt(m_master) != 0) {
            *error = QStringLiteral("no pseudo-terminal: %1")
                         .arg(QString::fromLocal8Bit(std::strerror(errno)));
            return false;
        }
        m_devicePath = ptsname(m_master);
        // The device end stays open here too, in raw mode: the line keeps its
        // settings between two stations, and nothing is echoed back.
        m_device = ::open(m_devicePath.constData(), O_RDWR | O_NOCTTY | O_NONBLOCK);
        termios raw{};
        if (m_device < 0 || tcgetattr(m_device, &raw) != 0) {
            *error = QStringLiteral("cannot open %1").arg(QString::fromLocal8Bit(m_devicePath));
            return false;
        }
        cfmakeraw(&raw);
        cfsetispeed(&raw, B4800);
        cfsetospeed(&raw, B4800);
        tcsetattr(m_device, TCSANOW, &raw);
        return true;
    }

    bool makeLink(const QString &link, QString *error)
    {
        const QFileInfo existing(link);
        if (existing.exists() || existing.isSymLink()) {
            if (!existing.isSymLink()) {
                *error = QStringLiteral("%1 exists and is no link; not replaced").arg(link);
                return false;
            }
            QFile::remove(link);
        }
        if (!QFile::link(QString::fromLocal8Bit(m_devicePath), link)) {
            *error = QStringLiteral("cannot make the link %1").arg(link);
            return false;
        }
        m_link = link;
        return true;
    }

    bool fixLost() const { return m_cycle > 0 && (m_second % m_cycle) >= m_cycle - m_cycle / 4; }

    QByteArray damaged(QByteArray sentence)
    {
        ++m_sentences;
        if (!m_faults)
            return sentence;
        if (m_sentences % 7 == 0)
            return sentence.left(sentence.size() / 2) + "\r\n";
        if (m_sentences % 11 == 0)
            sentence[sentence.size() / 3] = '#';
        return sentence;
    }

    // One second of receiver output: a fix, the satellites, the course.
    void queueSecond()
    {
        const QDateTime now = QDateTime::currentDateTimeUtc();
        const QByteArray time = now.toString(QStringLiteral("HHmmss.zzz")).left(9).toLatin1();
        const QByteArray date = now.toString(QStringLiteral("ddMMyy")).toLatin1();
        const bool lost = fixLost();
        const QByteArray lat = lost ? QByteArray() : nmeaAngle(m_latitude, 2);
        const QByteArray lon = lost ? QByteArray() : nmeaAngle(m_longitude, 3);
        const QByteArray ns = lost ? QByteArray() : "N";
        const QByteArray ew = lost ? QByteArray() : "E";
        // Every other cycle the fix is differential.
        const QByteArray quality =
            lost ? "0" : (m_cycle > 0 && (m_second / m_cycle) % 2 == 1 ? "2" : "1");
        const QByteArray satellites =
            lost ? "00" : QByteArray::number(7 + m_second % 4).rightJustified(2, '0');
        const QByteArray hdop = lost ? QByteArray() : "0.9";
        const QByteArray altitude =
            lost ? QByteArray() : QByteArray::number(545.4 + (m_second % 20) * 0.1, 'f', 1);

        QByteArray out;
        out += damaged(withChecksum("GPGGA," + time + ',' + lat + ',' + ns + ',' + lon + ',' + ew +
                                    ',' + quality + ',' + satellites + ',' + hdop + ',' + altitude +
                                    ",M,46.9,M,,"));
        out += damaged(withChecksum(lost ? "GPGSA,A,1,,,,,,,,,,,,,,,"
                                         : "GPGSA,A,3,04,05,09,12,24,,,,,,,,2.5,1.3,2.1"));
        out += damaged(withChecksum("GPRMC," + time + ',' + (lost ? "V" : "A") + ',' + lat + ',' +
                                    ns + ',' + lon + ',' + ew + ",019.4,045.0," + date + ",,,A"));
        m_queue += out;
        if (m_queue.size() > kMaxQueuedBytes)
            m_queue.remove(0, m_queue.size() - kMaxQueuedBytes);

        if (!lost) {
            m_latitude += kMinutesPerSecond;
            m_longitude += kMinutesPerSecond;
        }
        ++m_second;
    }

    // Writes what the line would have carried by now, and no more.
    void sendAtLinePace()
    {
        const qint64 due = m_clock.elapsed() * kBytesPerSecond / 1000 - m_sentBytes;
        if (due > 0 && !m_queue.isEmpty()) {
            const qint64 n = std::min<qint64>(due, m_queue.size());
            const ssize_t written = ::write(m_master, m_queue.constData(), n);
            if (written > 0)
                m_queue.remove(0, written);
        }
        // Time passes on the line whether or not there was anything to send.
        m_sentBytes += std::max<qint64>(due, 0);
        discardUnread();
    }

    // While no station reads, the oldest output is thrown away, as a
    // receiver's output is lost on a line nobody listens to; what the device
    // end echoes back is drained.
    void discardUnread()
    {
        int unread = 0;
        if (ioctl(m_device, FIONREAD, &unread) == 0 && unread > kMaxUnreadBytes)
            tcflush(m_device, TCIFLUSH);
        char sink[256];
        for (int i = 0; i < 16 && ::read(m_master, sink, sizeof sink) > 0; ++i) {
        }
    }

    int m_master = -1;
    int m_device = -1;
    QByteArray m_devicePath;
    QString m_link;
    int m_cycle = 60;
    bool m_faults = false;
    qint64 m_second = 0;
    qint64 m_sentences = 0;
    double m_latitude = 48 * 60 + 7.038; // 4807.0380 N
    double m_longitude = 11 * 60 + 31.0; // 01131.0000 E
    QByteArray m_queue;
    qint64 m_sentBytes = 0;
    QElapsedTimer m_clock;
    QTimer m_secondTimer;
    QTimer m_paceTimer;
};

} // namespace

std::unique_ptr<SimMode> makeGpsSim()
{
    return std::make_unique<GpsSim>();
}
