// The GPS receiver on a real pseudo-terminal: opening its port, reading
// sentences through the serial tick, and the failures.
#include "TestSupport.h"
#include "app/Records.h"
#include "gps/GpsReceiver.h"

#include <QSerialPort>
#include <QSignalSpy>
#include <QTimer>
#include <QtTest>
#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

namespace {

const QString kSection = "GPS Options";
const QByteArray kFix = "$GPGGA,123519,4807.038,N,01131.000,E,1,08,0.9,545.4,M,46.9,M,,*47\r\n";
const QByteArray kOther = "$GPGSA,A,3,04,05,,09,12,,,24,,,,,2.5,1.3,2.1*39\r\n";

// The receiver's end of a pseudo-terminal; the station opens device.
struct PseudoTerminal
{
    int master = posix_openpt(O_RDWR | O_NOCTTY);
    QString device = master >= 0 && grantpt(master) == 0 && unlockpt(master) == 0
                         ? QString::fromLocal8Bit(ptsname(master))
                         : QString();
    ~PseudoTerminal() { closeReceiverEnd(); }
    bool send(const QByteArray &bytes) const
    {
        return ::write(master, bytes.constData(), bytes.size()) == bytes.size();
    }
    void closeReceiverEnd()
    {
        if (master >= 0)
            ::close(master);
        master = -1;
    }
};

} // namespace

class TestGpsPort : public QObject
{
    Q_OBJECT
private slots:
    void init()
    {
        m_store.emplace();
        m_messages.clear();
        m_termination.count = 0;
        m_receiver.emplace();
        QVERIFY2(!m_receiver->device.isEmpty(), "a pseudo-terminal");
        m_settings.gpsComPort = 1;
        m_position = GpsPosition{};
        m_store->put(kSection, "Com1Device", m_receiver->device);
    }

    void cleanup() { m_gps.reset(); }

    void portAtLoad_data()
    {
        QTest::addColumn<int>("chosenPort"); // in memory, 0 when not chosen in this run
        QTest::addColumn<QString>("storedPort");
        QTest::addColumn<QStringList>("devices"); // Com 1 and Com 2; "pty": the pseudo-terminal
        QTest::addColumn<bool>("opens");          // otherwise the window goes on without GPS
        const auto row = [](const char *name, int chosen, const QString &stored,
                            const QStringList &devices, bool opens) {
            QTest::newRow(name) << chosen << stored << devices << opens;
        };
        const QString none = "/nonexistent/tty";
        row("Com 1 chosen in this run", 1, "", {"pty", none}, true);
        row("none chosen, stored Com 1", 0, "1", {"pty", none}, true);
        row("none chosen, stored Com 2", 0, "2", {none, "pty"}, true);
        row("Com 2 chosen, stored Com 1", 2, "1", {none, "pty"}, true);
        row("no such device", 1, "", {none, "pty"}, false);
        row("not a serial line", 1, "", {"/dev/null", "pty"}, false);
        row("a folder", 1, "", {"/", "pty"}, false);
        row("no port chosen or stored", 0, "", {"pty", "pty"}, false);
        row("unknown port number", 3, "", {"pty", "pty"}, false);
    }

    void portAtLoad()
    {
        QFETCH(int, chosenPort);
        QFETCH(QString, storedPort);
        QFETCH(QStringList, devices);
        QFETCH(bool, opens);
        devices.replaceInStrings("pty", m_receiver->device);
        m_store->put(kSection, "Com1Device", devices[0]);
        m_store->put(kSection, "Com2Device", devices[1]);
        if (!storedPort.isEmpty())
            m_store->put(kSection, "ComPort", storedPort);
        m_settings.gpsComPort = qint16(chosenPort);
        QCOMPARE(openReceiver(), opens);
        QVERIFY(m_messages.messages.isEmpty());
        QCOMPARE(m_termination.count, 0);
        QVERIFY(m_receiver->send(kOther + kFix + kOther));
        if (!opens) {
            m_gps->mscomm_timer_Timer();
            QVERIFY(m_position.gpsLatitude.isEmpty());
            return;
        }
        QSerialPort *port = serialPort();
        QCOMPARE(QList<int>({port->baudRate(), port->dataBits(), port->parity(), port->stopBits()}),
                 QList<int>({4800, 8, QSerialPort::NoParity, QSerialPort::OneStop}));
        m_gps->mscomm_timer->start();
        QTRY_COMPARE_WITH_TIMEOUT(m_position.gpsLatitude, "4807.038 N", 10000);
        QCOMPARE(m_position.gpsAltitude, "545.4,M");
    }

    // Between ticks the port keeps only a bounded part of what came; the rest
    // waits on the line and nothing is lost.
    void readBufferIsBounded()
    {
        QVERIFY(openReceiver());
        const QByteArray sent = kFix.repeated(120);
        QVERIFY(m_receiver->send(sent));
        QTRY_VERIFY_WITH_TIMEOUT(serialPort()->bytesAvailable() > 0, 5000);
        QTest::qWait(300);
        QVERIFY(serialPort()->bytesAvailable() < sent.size());
        QByteArray received;
        for (int i = 0; i < 100 && received.size() < sent.size(); ++i) {
            received += serialPort()->readAll();
            QTest::qWait(20);
        }
        QCOMPARE(received, sent);
    }

    // A sentence cut between two ticks is lost with the rest of the text. When
    // the receiver goes away the port closes (left open, it would report its
    // read error over and over) and the position stays.
    void cutSentenceThenReceiverGoesAway()
    {
        QVERIFY(openReceiver());
        const qsizetype half = kFix.size() / 2;
        for (const QByteArray &part : {kFix.left(half), kFix.mid(half)}) {
            sendAndWait(part);
            m_gps->mscomm_timer_Timer();
        }
        QVERIFY(m_gps->mscomm_timer->isActive());
        QVERIFY(m_position.gpsLatitude.isEmpty());
        sendAndWait(kFix);
        m_gps->mscomm_timer_Timer();
        QCOMPARE(m_position.gpsLongitude, "01131.000 E");

        QSerialPort *port = serialPort();
        QSignalSpy errors(port, &QSerialPort::errorOccurred);
        m_receiver->closeReceiverEnd();
        QTRY_VERIFY_WITH_TIMEOUT(!port->isOpen(), 5000);
        QTest::qWait(200);
        QVERIFY2(errors.size() < 5, qPrintable(QString::number(errors.size())));
        m_gps->mscomm_timer_Timer();
        QCOMPARE(m_position.gpsLongitude, "01131.000 E");
        QVERIFY(m_messages.messages.isEmpty());
    }

    // Closed, the device is free for the next window; held by another program,
    // it ends the station after telling the operator.
    void portFreedThenHeldByAnotherProgram()
    {
        QVERIFY(openReceiver());
        m_gps->close();
        QSerialPort other;
        other.setPortName(m_receiver->device);
        QVERIFY(other.open(QIODevice::ReadOnly));
        m_gps.emplace(m_settings, m_position);
        QSignalSpy closeRequested(&*m_gps, &GpsReceiver::closeRequested);
        QVERIFY(!m_gps->open());
        QCOMPARE(m_messages.titles(), QStringList{"Error"});
        QCOMPARE(m_messages.messages.first().icon, MessageIcon::Stop);
        QCOMPARE(m_messages.messages.first().text,
                 "The Com Port you have chosen for communications with the GPS \r\nDevice is "
                 "already in use. Please restart the application and select a different port.");
        QCOMPARE(closeRequested.size(), 1);
        QCOMPARE(m_termination.count, 1);
    }

private:
    // A receiver with its port opened on the pseudo-terminal.
    bool openReceiver()
    {
        m_gps.emplace(m_settings, m_position);
        return m_gps->open() && serialPort()->isOpen();
    }
    QSerialPort *serialPort() const { return m_gps->findChild<QSerialPort *>("MSComm1"); }
    // Sends bytes and waits until the station's port has them.
    void sendAndWait(const QByteArray &bytes)
    {
        QSignalSpy arrived(serialPort(), &QSerialPort::readyRead);
        QVERIFY(m_receiver->send(bytes));
        QVERIFY(arrived.wait(5000));
    }

    std::optional<TestStore> m_store;
    MessageRecorder m_messages;
    TerminationRecorder m_termination;
    std::optional<PseudoTerminal> m_receiver;
    SessionSettings m_settings;
    GpsPosition m_position;
    std::optional<GpsReceiver> m_gps;
};

QTEST_GUILESS_MAIN(TestGpsPort)
#include "tst_GpsPort.moc"
