// The GPS receiver on a real pseudo-terminal: opening its port, reading
// sentences through the serial tick, and the failures.
#include "PseudoTerminal.h"
#include "TestSupport.h"
#include "app/Records.h"
#include "app/SettingsStore.h"
#include "gps/GpsReceiver.h"

#include <QFile>
#include <QSerialPort>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

namespace {

const QString kSection = QString::fromUtf16(SettingsStore::kGpsOptions);
const QByteArray kFix = "$GPGGA,123519,4807.038,N,01131.000,E,1,08,0.9,545.4,M,46.9,M,,*47\r\n";
const QByteArray kOther = "$GPGSA,A,3,04,05,,09,12,,,24,,,,,2.5,1.3,2.1*39\r\n";

} // namespace

class TestGpsPort : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void portAtLoad_data();
    void portAtLoad();
    void sentenceSplitAcrossTicks();
    void readBufferIsBounded();
    void portHeldByAnotherProgram();
    void receiverGoesAway();

private:
    // A receiver with its port opened on the pseudo-terminal.
    bool openReceiver()
    {
        m_gps.emplace(m_settings, m_position);
        return m_gps->open() && serialPort()->isOpen();
    }
    QSerialPort *serialPort() const
    {
        return m_gps->findChild<QSerialPort *>(QStringLiteral("MSComm1"));
    }
    // Sends bytes and waits until the window's port has them.
    void sendAndWait(const QByteArray &bytes)
    {
        QSignalSpy arrived(serialPort(), &QSerialPort::readyRead);
        QVERIFY(m_receiver->send(bytes));
        QVERIFY(arrived.wait(5000));
    }

    std::optional<TestStore> m_store;
    std::optional<MessageRecorder> m_messages;
    std::optional<TerminationRecorder> m_termination;
    std::optional<PseudoTerminal> m_receiver;
    SessionSettings m_settings;
    GpsPosition m_position;
    std::optional<GpsReceiver> m_gps;
};

void TestGpsPort::init()
{
    m_store.emplace();
    m_messages.emplace();
    m_termination.emplace();
    m_receiver.emplace();
    QVERIFY2(!m_receiver->device.isEmpty(), "a pseudo-terminal");
    m_settings = SessionSettings{};
    m_settings.gpsComPort = 1;
    m_position = GpsPosition{};
    m_store->put(kSection, QStringLiteral("Com1Device"), m_receiver->device);
}

void TestGpsPort::cleanup()
{
    m_gps.reset();
    m_receiver.reset();
    m_termination.reset();
    m_messages.reset();
    m_store.reset();
}

void TestGpsPort::portAtLoad_data()
{
    QTest::addColumn<int>("chosenPort"); // in memory, 0 when not chosen in this run
    QTest::addColumn<QString>("storedPort");
    QTest::addColumn<QStringList>("devices"); // Com 1 and Com 2; "pty": the pseudo-terminal
    QTest::addColumn<QString>("storedBaud");
    QTest::addColumn<int>("baud");       // 0: the window goes on without GPS
    QTest::addColumn<QString>("reason"); // told when a device is named but unusable

    const auto row = [](const char *name, int chosen, const QString &stored,
                        const QStringList &devices, const QString &storedBaud, int baud,
                        const QString &reason) {
        QTest::newRow(name) << chosen << stored << devices << storedBaud << baud << reason;
    };
    const QString none = QStringLiteral("/nonexistent/tty");
    row("Com 1 chosen in this run", 1, "", {"pty", none}, "", 4800, "");
    row("none chosen, stored Com 1", 0, "1", {"pty", none}, "9600", 9600, "");
    row("none chosen, stored Com 2", 0, "2", {none, "pty"}, "no speed", 4800, "");
    row("Com 2 chosen, stored Com 1", 2, "1", {none, "pty"}, "4801", 4800, "");
    row("no such device", 1, "", {none, "pty"}, "", 0, "no such device");
    row("not a serial line", 1, "", {"/dev/null", "pty"}, "", 0, "not a serial line");
    row("a folder", 1, "", {"/", "pty"}, "", 0, "a folder");
    row("no port chosen or stored", 0, "", {"pty", "pty"}, "", 0, "");
    row("unknown port number", 3, "", {"pty", "pty"}, "", 0, "");
}

void TestGpsPort::portAtLoad()
{
    QFETCH(int, chosenPort);
    QFETCH(QString, storedPort);
    QFETCH(QStringList, devices);
    QFETCH(QString, storedBaud);
    QFETCH(int, baud);
    QFETCH(QString, reason);
    devices.replaceInStrings(QStringLiteral("pty"), m_receiver->device);
    m_store->put(kSection, QStringLiteral("Com1Device"), devices[0]);
    m_store->put(kSection, QStringLiteral("Com2Device"), devices[1]);
    if (!storedPort.isEmpty())
        m_store->put(kSection, QStringLiteral("ComPort"), storedPort);
    if (!storedBaud.isEmpty())
        m_store->put(kSection, QStringLiteral("BaudRate"), storedBaud);
    m_settings.gpsComPort = qint16(chosenPort);

    QCOMPARE(openReceiver(), baud != 0);
    QTest::qWait(0);
    QCOMPARE(m_messages->messages.size(), reason.isEmpty() ? 0 : 1);
    if (!reason.isEmpty()) {
        const QString text = m_messages->messages.first().text;
        QVERIFY2(text.contains(devices[0]) && text.contains(reason), qPrintable(text));
    }
    QCOMPARE(m_termination->count, 0);
    QVERIFY(m_receiver->send(kOther + kFix + kOther));
    if (baud == 0) {
        m_gps->mscomm_timer_Timer();
        QVERIFY(m_position.gpsLatitude.isEmpty());
        return;
    }
    QCOMPARE(serialPort()->baudRate(), baud);
    QCOMPARE(serialPort()->dataBits(), QSerialPort::Data8);
    QCOMPARE(serialPort()->parity(), QSerialPort::NoParity);
    QCOMPARE(serialPort()->stopBits(), QSerialPort::OneStop);
    m_gps->mscomm_timer->start();
    QTRY_COMPARE_WITH_TIMEOUT(m_position.gpsLatitude, QStringLiteral("4807.038 N"), 10000);
    QCOMPARE(m_position.gpsAltitude, QStringLiteral("545.4,M"));
}

// Between ticks the port keeps only a bounded part of what came; the rest
// waits on the line and nothing is lost.
void TestGpsPort::readBufferIsBounded()
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

void TestGpsPort::sentenceSplitAcrossTicks()
{
    QVERIFY(openReceiver());
    const qsizetype half = kFix.size() / 2;
    sendAndWait(kFix.left(half));
    m_gps->mscomm_timer_Timer();
    QVERIFY(m_gps->mscomm_timer->isActive());
    sendAndWait(kFix.mid(half));
    m_gps->mscomm_timer_Timer();
    QVERIFY(m_position.gpsLatitude.isEmpty());
    // Nothing of the halves is carried into the next tick either.
    sendAndWait(kFix);
    m_gps->mscomm_timer_Timer();
    QCOMPARE(m_position.gpsLongitude, QStringLiteral("01131.000 E"));

    // Closed, the device is free again for the next window.
    m_gps->close();
    QVERIFY(!serialPort()->isOpen());
    QSerialPort next;
    next.setPortName(m_receiver->device);
    QVERIFY(next.open(QIODevice::ReadOnly));
}

void TestGpsPort::portHeldByAnotherProgram()
{
    QSerialPort other;
    other.setPortName(m_receiver->device);
    QVERIFY(other.open(QIODevice::ReadOnly));
    m_gps.emplace(m_settings, m_position);
    QSignalSpy closeRequested(&*m_gps, &GpsReceiver::closeRequested);
    QVERIFY(!m_gps->open());

    QCOMPARE(m_messages->messages.size(), 1);
    const OperatorMessage &m = m_messages->messages.first();
    QCOMPARE(m.title, QStringLiteral("Error"));
    QCOMPARE(m.icon, MessageIcon::Stop);
    QCOMPARE(m.text, QStringLiteral("The Com Port you have chosen for communications with the "
                                    "GPS \r\nDevice is already in use. Please restart the "
                                    "application and select a different port."));
    QCOMPARE(closeRequested.size(), 1);
    QCOMPARE(m_termination->count, 1);
}

void TestGpsPort::receiverGoesAway()
{
    // The receiver is configured under a stable name that follows the device.
    QTemporaryDir dir;
    const QString link = dir.filePath(QStringLiteral("gps-receiver"));
    QVERIFY(QFile::link(m_receiver->device, link));
    m_store->put(kSection, QStringLiteral("Com1Device"), link);
    QVERIFY(openReceiver());
    sendAndWait(kFix);
    m_gps->mscomm_timer_Timer();
    QCOMPARE(m_position.gpsLatitude, QStringLiteral("4807.038 N"));

    QSerialPort *port = serialPort();
    QSignalSpy errors(port, &QSerialPort::errorOccurred);
    m_receiver->closeReceiverEnd();
    QTRY_VERIFY_WITH_TIMEOUT(!port->isOpen(), 5000);
    // Left open, the port would report its read error over and over.
    QTest::qWait(200);
    QVERIFY2(errors.size() < 5, qPrintable(QString::number(errors.size())));
    // Gone, the receiver's last fix is no longer its position.
    m_gps->mscomm_timer_Timer();
    QCOMPARE(m_position.gpsLatitude, QString());
    QCOMPARE(m_position.gpsFixQuality, QString());
    QVERIFY(m_messages->messages.isEmpty());

    // Back under the same name: the port opens again by itself.
    PseudoTerminal back;
    QVERIFY(QFile::remove(link) && QFile::link(back.device, link));
    QTRY_VERIFY_WITH_TIMEOUT(port->isOpen(), 20000);
    QSignalSpy arrived(port, &QSerialPort::readyRead);
    QVERIFY(back.send(kFix));
    QVERIFY(arrived.wait(5000));
    m_gps->mscomm_timer_Timer();
    QCOMPARE(m_position.gpsLatitude, QStringLiteral("4807.038 N"));
}

QTEST_GUILESS_MAIN(TestGpsPort)
#include "tst_GpsPort.moc"
