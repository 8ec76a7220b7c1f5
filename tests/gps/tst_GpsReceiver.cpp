// What a receiver's text gives (the GGA decoder on what one serial tick
// brings, a GPS daemon's watch, receivers named by their identity), and the
// GPS receiver on a real pseudo-terminal, directly and through a real GPS
// daemon on 127.0.0.1: opening its port, reading sentences through the serial
// tick, and the failures.
#include "PseudoTerminal.h"
#include "TestSupport.h"
#include "app/Records.h"
#include "app/SettingsStore.h"
#include "gps/GgaDecoder.h"
#include "gps/GpsReceiver.h"
#include "gps/GpsdLines.h"
#include "gps/GpsdWatch.h"
#include "gps/SerialDevices.h"

#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QSerialPort>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

using namespace Qt::StringLiterals;

namespace {

const QString kSection = QString::fromUtf16(SettingsStore::kGpsOptions);
const QByteArray kFix = "$GPGGA,123519,4807.038,N,01131.000,E,1,08,0.9,545.4,M,46.9,M,,*47\r\n";
const QByteArray kMoved = "$GPGGA,123521,4807.100,N,01131.200,E,2,09,1.1,546.0,M,46.9,M,,*48\r\n";
const QByteArray kOther = "$GPGSA,A,3,04,05,,09,12,,,24,,,,,2.5,1.3,2.1*39\r\n";
const QString kNoFix = "$GPGGA,123520,,,,,0,00,,,M,,M,,*66\r\n";
const QString kCut = "$GPGGA,123519,4807.038,N,011";

// latitude|N/S|longitude|E/W|fix quality|satellites|HDOP|altitude|units
const QString kFixFields = "4807.038 N|N|01131.000 E|E|1 - GPS fix|08|0.9|545.4,M|M";
// What an earlier tick left: a text that is not decoded keeps it.
const QString kEarlier = "1111.111 S|S|02222.222 W|W|2 - DGPS fix|11|1.5|12.0,M|M";

QString fieldsOf(const GpsPosition &p)
{
    return QStringList{p.gpsLatitude, p.gpsNorthSouth, p.gpsLongitude,
                       p.gpsEastWest, p.gpsFixQuality, p.gpsSatellites,
                       p.gpsHDOP,     p.gpsAltitude,   p.gpsAltitudeUnits}
        .join('|');
}

// A receiver on a fresh pseudo-terminal, configured as Com 1 and chosen.
struct Fixture
{
    TestStore store;
    MessageRecorder messages;
    TerminationRecorder termination;
    PseudoTerminal receiver;
    SessionSettings settings;
    GpsPosition position;
    GpsReceiver gps{settings, position};

    Fixture()
    {
        settings.gpsComPort = 1;
        store.put(kSection, u"Com1Device"_s, receiver.device);
    }
    QSerialPort *port() const { return gps.findChild<QSerialPort *>(u"MSComm1"_s); }
    // Feeds a sentence until the ticks decode it (bounded).
    bool arrives(const PseudoTerminal &from, const QByteArray &sentence, const QString &latitude)
    {
        for (int attempt = 0; attempt < 80 && position.gpsLatitude != latitude; ++attempt) {
            from.send(sentence);
            QTest::qWait(150);
            gps.mscomm_timer_Timer();
        }
        return position.gpsLatitude == latitude;
    }
};

} // namespace

class TestGpsReceiver : public QObject
{
    Q_OBJECT
private slots:
    void decode_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("expected");
        const auto row = [](const char *name, const QString &text, const QString &expected) {
            QTest::newRow(name) << text << expected;
        };
        row("GPS fix", QString::fromLatin1(kFix), kFixFields);
        row("no fix", kNoFix, "No data||No data||0 - invalid|00|No data|No data|M");
        row("DGPS fix", "$GPGGA,1,5100.0,N,00000.5,W,2,12,1.1,70.0,M,,,,*00\r\n",
            "5100.0 N|N|00000.5 W|W|2 - DGPS fix|12|1.1|70.0,M|M");
        row("fix quality 6 stays bare", "$GPGGA,1,5100.0,N,00000.5,W,6,04,2.0,70.0,M,,,,*00\r\n",
            "5100.0 N|N|00000.5 W|W|6|04|2.0|70.0,M|M");
        row("exactly eleven fields", "$GPGGA,1,5100.0,N,00000.5,W,1,04,2.0,70.0,M*00\r\n",
            "5100.0 N|N|00000.5 W|W|1 - GPS fix|04|2.0|70.0,M|M");
        row("cut sentence: the text ends before its star", QString::fromLatin1(kOther) + kCut,
            kEarlier);
        row("split sentence followed by a complete one", kCut + "\r\n" + QString::fromLatin1(kFix),
            kFixFields);
        row("short sentence, then a complete one",
            "$GPGGA,123519,4807.038,N*47\r\n" + QString::fromLatin1(kFix), kFixFields);
    }

    void decode()
    {
        QFETCH(QString, expected);

        const QStringList earlier = kEarlier.split(QLatin1Char('|'));
        GpsPosition position{earlier[0], earlier[1], earlier[2], earlier[3], earlier[4],
                             earlier[5], earlier[6], earlier[7], earlier[8]};
        QCOMPARE(GgaDecoder::decode(fetched<QString>("text"), position), expected != kEarlier);
        QCOMPARE(fieldsOf(position), expected);
    }

    void takeSentences_data()
    {
        QTest::addColumn<QByteArray>("arrived");
        QTest::addColumn<QString>("sentences");
        QTest::addColumn<QByteArray>("left");

        const QByteArray gga = "$GPGGA,1,4807.038,N,01131.000,E,1,08,0.9,545.4,M,,M,,*47";
        const QByteArray report = R"({"class":"TPV","lat":48.1,"lon":11.5})";
        QTest::newRow("reports dropped, sentence kept")
            << report + "\n" + gga + "\r\n" + report + "\n"
            << QString::fromLatin1(gga + "\r\n") << QByteArray();
        QTest::newRow("unfinished sentence waits")
            << gga + "\r\n" + gga.left(20) << QString::fromLatin1(gga + "\r\n") << gga.left(20);
        QTest::newRow("AIS and LF-only lines") << QByteArray("!AIVDM,1\n$GPGSA,A*1\n")
                                               << u"!AIVDM,1\r\n$GPGSA,A*1\r\n"_s << QByteArray();
        QTest::newRow("endless line dropped")
            << QByteArray(20000, 'x') << QString() << QByteArray();
    }

    void takeSentences()
    {
        QByteArray pending = fetched<QByteArray>("arrived");
        QTEST(GpsdLines::takeSentences(pending), "sentences");
        QTEST(pending, "left");
    }

    void receiversById()
    {
        QTemporaryDir dir;
        const QString byId = dir.filePath(u"by-id"_s);
        const QString tty = dir.filePath(u"ttyUSB1"_s);
        QVERIFY(QDir().mkpath(byId) && QFile(tty).open(QIODevice::WriteOnly));
        QVERIFY(QFile::link(tty, byId + u"/usb-B_Receiver"_s));
        QVERIFY(QFile::link(dir.filePath(u"none"_s), byId + u"/usb-A_Receiver"_s));

        QCOMPARE(SerialDevices::byIdPathOf(tty, byId), byId + u"/usb-B_Receiver"_s);
        QCOMPARE(SerialDevices::byIdPathOf(dir.filePath(u"ttyUSB9"_s), byId), QString());
    }

    void daemonHoldsTheDevice()
    {
        // A process table of the test's own: process 1 is gpsd with the device open.
        QTemporaryDir proc;
        const QString device = proc.filePath(u"ttyUSB0"_s);
        const QString comm = proc.filePath(u"1/comm"_s);
        QVERIFY(QDir(proc.path()).mkpath(u"1/fd"_s) && writeFileContent(device, {}));
        QVERIFY(writeFileContent(comm, "gpsd\n") &&
                QFile::link(device, proc.filePath(u"1/fd/3"_s)));
        QCOMPARE(SerialDevices::heldByGpsd(device, proc.path()), std::optional(true));
        QCOMPARE(SerialDevices::heldByGpsd(comm, proc.path()), std::optional(false));
        QVERIFY(writeFileContent(comm, "minicom\n"));
        QCOMPARE(SerialDevices::heldByGpsd(device, proc.path()), std::optional(false));
    }

    void portAtLoad_data()
    {
        QTest::addColumn<int>("chosenPort"); // in memory, 0 when not chosen in this run
        QTest::addColumn<QString>("storedPort");
        QTest::addColumn<QStringList>("devices"); // Com 1 and Com 2; "pty": the pseudo-terminal,
                                                  // "held": it, opened by another program first
        QTest::addColumn<QString>("storedBaud");
        QTest::addColumn<int>("baud"); // 0: the window goes on without GPS
        QTest::addColumn<int>("told"); // the operator why not, once
        const auto row = [](const char *name, int chosen, const QString &stored,
                            const QStringList &devices, const QString &storedBaud, int baud,
                            int told) {
            QTest::newRow(name) << chosen << stored << devices << storedBaud << baud << told;
        };
        const QString none = u"/nonexistent/tty"_s;
        row("Com 1 chosen in this run", 1, "", {"pty", none}, "", 4800, 0);
        row("none chosen, stored Com 1", 0, "1", {"pty", none}, "9600", 9600, 0);
        row("Com 2 chosen, stored Com 1", 2, "1", {none, "pty"}, "4801", 4800, 0);
        row("no such device", 1, "", {none, "pty"}, "", 0, 1);
        row("no port chosen or stored", 0, "", {"pty", "pty"}, "", 0, 0);
        row("unknown port number", 3, "", {"pty", "pty"}, "", 0, 0);
        row("held by another program: the station ends", 1, "", {"held", none}, "", 0, 1);
    }

    void portAtLoad()
    {
        QFETCH(QString, storedPort);
        QFETCH(QStringList, devices);
        QFETCH(QString, storedBaud);
        QFETCH(int, baud);
        Fixture f;
        const bool held = devices[0] == u"held"_s;
        devices.replaceInStrings(QRegularExpression(u"^(pty|held)$"_s), f.receiver.device);
        f.store.put(kSection, u"Com1Device"_s, devices[0]);
        f.store.put(kSection, u"Com2Device"_s, devices[1]);
        if (!storedPort.isEmpty())
            f.store.put(kSection, u"ComPort"_s, storedPort);
        if (!storedBaud.isEmpty())
            f.store.put(kSection, u"BaudRate"_s, storedBaud);
        f.settings.gpsComPort = qint16(fetched<int>("chosenPort"));
        QSerialPort other(f.receiver.device);
        QVERIFY(!held || other.open(QIODevice::ReadOnly));
        QSignalSpy closeRequested(&f.gps, &GpsReceiver::closeRequested);

        QCOMPARE(f.gps.open() && f.port()->isOpen(), baud != 0);
        QTest::qWait(0);
        QTEST(int(f.messages.messages.size()), "told");
        QCOMPARE(f.termination.count, int(held));
        QCOMPARE(closeRequested.size(), int(held));
        if (baud != 0)
            QCOMPARE(f.port()->baudRate(), baud);
    }

    // The line wakes the port only for a handful of bytes at once; a tick still
    // takes the sentence's last few.
    void oneSentenceOneTick()
    {
        Fixture f;
        QVERIFY(f.gps.open() && f.receiver.send(kNoFix.toLatin1()));
        QTest::qWait(200);
        f.gps.mscomm_timer_Timer();
        QCOMPARE(f.position.gpsLatitude, u"No data"_s);
    }

    // Between ticks the port keeps only a bounded part of what came; the rest
    // waits on the line.
    void readBufferIsBounded()
    {
        Fixture f;
        QVERIFY(f.gps.open());
        const QByteArray sent = kFix.repeated(120);
        QVERIFY(f.receiver.send(sent));
        QTRY_VERIFY_WITH_TIMEOUT(f.port()->bytesAvailable() > 0, 5000);
        QTest::qWait(300);
        QVERIFY(f.port()->bytesAvailable() < sent.size());
    }

    // A receiver configured under a stable name that follows the device,
    // plugged in after the start, is found; a
    // tick decodes what came and the serial tick goes on; gone, the
    // receiver's last fix is no longer the position; back under the same name,
    // its port opens again by itself. Closed, the device is free again.
    void receiverOnTheLine()
    {
        Fixture f;
        QTemporaryDir dir;
        const QString link = dir.filePath(u"gps-receiver"_s);
        f.store.put(kSection, u"Com1Device"_s, link);
        QVERIFY(f.gps.open()); // not plugged in yet: the station goes on without it
        QSerialPort *port = f.port();
        QVERIFY(QFile::link(f.receiver.device, link));
        QTRY_VERIFY_WITH_TIMEOUT(port->isOpen(), 5000);
        QVERIFY(f.arrives(f.receiver, kFix, u"4807.038 N"_s));
        QVERIFY(f.gps.mscomm_timer->isActive());

        f.receiver.closeReceiverEnd();
        QTRY_VERIFY_WITH_TIMEOUT(!port->isOpen(), 5000);
        f.gps.mscomm_timer_Timer();
        QCOMPARE(f.position.gpsLatitude + f.position.gpsFixQuality, QString());

        PseudoTerminal back;
        QVERIFY(QFile::remove(link) && QFile::link(back.device, link));
        QTRY_VERIFY_WITH_TIMEOUT(port->isOpen(), 20000);
        QVERIFY(f.arrives(back, kFix, u"4807.038 N"_s));
        f.gps.close();
        QSerialPort next(back.device);
        QVERIFY(next.open(QIODevice::ReadOnly));
    }

    // A daemon that goes away twice: each loss is reported, and the watch finds
    // the daemon again by itself.
    void daemonLostTwice()
    {
        QTcpServer daemon;
        QVERIFY(daemon.listen(QHostAddress::LocalHost, 0));
        GpsdWatch watch;
        QSignalSpy lost(&watch, &GpsdWatch::lost);
        watch.open(u"127.0.0.1"_s, daemon.serverPort());
        for (int loss = 1; loss <= 2; ++loss) {
            QTRY_VERIFY(daemon.hasPendingConnections());
            delete daemon.nextPendingConnection();
            QTRY_COMPARE(lost.size(), loss);
        }
    }

    // Through a daemon the position arrives; away, the daemon leaves no
    // position behind; back, it is found again.
    void throughGpsDaemon()
    {
        Fixture f;
        QTemporaryDir dir;
        QProcess daemon;
        QTcpServer probe;
        const quint16 port = probe.listen(QHostAddress::LocalHost, 0) ? probe.serverPort() : 0;
        probe.close();
        const auto start = [&] {
            daemon.start(QStandardPaths::findExecutable(u"gpsd"_s, {u"/usr/sbin"_s}),
                         {u"-N"_s, u"-n"_s, u"-b"_s, u"-S"_s, QString::number(port), u"-F"_s,
                          dir.filePath(u"control"_s), f.receiver.device});
            for (int attempt = 0; attempt < 50 && daemon.state() != QProcess::NotRunning;
                 ++attempt) {
                QTcpSocket answer;
                answer.connectToHost(QHostAddress::LocalHost, port);
                if (answer.waitForConnected(100))
                    return true;
                QTest::qWait(100);
            }
            return false;
        };
        if (port == 0 || !start())
            QSKIP("no GPS daemon can be started here");
        f.settings.gpsComPort = 0;
        f.store.put(kSection, u"Source"_s, u"gpsd"_s);
        f.store.put(kSection, u"GpsdHost"_s, u"127.0.0.1"_s);
        f.store.put(kSection, u"GpsdPort"_s, QString::number(port));
        QVERIFY(f.gps.open());
        QVERIFY(f.arrives(f.receiver, kFix, u"4807.038 N"_s));

        daemon.kill();
        QVERIFY(daemon.waitForFinished(3000));
        QTRY_VERIFY_WITH_TIMEOUT(!f.gps.status().receiving, 5000);
        f.gps.mscomm_timer_Timer();
        QCOMPARE(f.position.gpsLatitude + f.position.gpsFixQuality, QString());
        QVERIFY(start());
        QVERIFY(f.arrives(f.receiver, kMoved, u"4807.100 N"_s));

        // A receiver unplugged behind the daemon: connected, silent, no position.
        QTest::qWait(300); // what was already on its way
        for (int tick = 0; tick < 20 && !f.position.gpsLatitude.isEmpty(); ++tick)
            f.gps.mscomm_timer_Timer();
        QCOMPARE(f.position.gpsLatitude + f.position.gpsFixQuality, QString());
        QVERIFY(f.gps.status().receiving);
    }
};

QTEST_GUILESS_MAIN(TestGpsReceiver)
#include "tst_GpsReceiver.moc"
