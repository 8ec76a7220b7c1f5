// The receiver's data through a real GPS daemon on 127.0.0.1: the position
// as the serial line gives it, and the gap while the daemon is away.
#include "PseudoTerminal.h"
#include "TestSupport.h"
#include "app/Records.h"
#include "app/SettingsStore.h"
#include "gps/GgaDecoder.h"
#include "gps/GpsReceiver.h"

#include <QProcess>
#include <QStandardPaths>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QtTest>

using namespace Qt::StringLiterals;

namespace {
const QString kSection = QString::fromUtf16(SettingsStore::kGpsOptions);
const QByteArray kFix = "$GPGGA,123519,4807.038,N,01131.000,E,1,08,0.9,545.4,M,46.9,M,,*47\r\n";
const QByteArray kMoved = "$GPGGA,123521,4807.100,N,01131.200,E,2,09,1.1,546.0,M,46.9,M,,*48\r\n";
} // namespace

class TestGpsdReceiver : public QObject
{
    Q_OBJECT
public:
    ~TestGpsdReceiver() override
    {
        m_daemon.kill();
        m_daemon.waitForFinished(3000);
    }

private slots:
    void daemonStopsAndRestarts();

private:
    // The daemon serving the pseudo-terminal on m_port; true once it answers.
    bool startDaemon()
    {
        const QString gpsd = QStandardPaths::findExecutable(u"gpsd"_s, {u"/usr/sbin"_s});
        if (gpsd.isEmpty() || m_port == 0)
            return false;
        m_daemon.start(gpsd, {u"-N"_s, u"-n"_s, u"-b"_s, u"-S"_s, QString::number(m_port), u"-F"_s,
                              m_dir.filePath(u"control"_s), m_receiver.device});
        for (int attempt = 0; attempt < 50 && m_daemon.state() != QProcess::NotRunning; ++attempt) {
            QTcpSocket probe;
            probe.connectToHost(QHostAddress::LocalHost, m_port);
            if (probe.waitForConnected(100))
                return true;
            QTest::qWait(100);
        }
        return false;
    }
    // Feeds sentence until the receiver's ticks decode it (bounded).
    bool arrives(const QByteArray &sentence, const QString &latitude)
    {
        for (int attempt = 0; attempt < 80 && m_position.gpsLatitude != latitude; ++attempt) {
            m_receiver.send(sentence);
            QTest::qWait(150);
            m_gps->mscomm_timer_Timer();
        }
        return m_position.gpsLatitude == latitude;
    }

    TestStore m_store;
    MessageRecorder m_messages;
    PseudoTerminal m_receiver;
    QTemporaryDir m_dir;
    QProcess m_daemon;
    quint16 m_port = [] {
        QTcpServer probe;
        return probe.listen(QHostAddress::LocalHost, 0) ? probe.serverPort() : quint16(0);
    }();
    SessionSettings m_settings;
    GpsPosition m_position;
    std::optional<GpsReceiver> m_gps;
};

void TestGpsdReceiver::daemonStopsAndRestarts()
{
    if (!startDaemon())
        QSKIP("no GPS daemon can be started here");
    // Reading the device, the daemon holds it as any program would, and the
    // operator learns to share it through the daemon.
    SessionSettings onTheLine;
    onTheLine.gpsComPort = 1;
    m_store.put(kSection, u"Com1Device"_s, m_receiver.device);
    TerminationRecorder termination;
    QVERIFY(!GpsReceiver(onTheLine, m_position).open());
    QCOMPARE(termination.count, 1);
    QVERIFY(m_messages.messages.size() == 1 &&
            m_messages.messages.first().text.contains(u"choose gpsd"_s));
    m_messages.clear();

    m_store.put(kSection, u"Source"_s, u"gpsd"_s);
    m_store.put(kSection, u"GpsdHost"_s, u"127.0.0.1"_s);
    m_store.put(kSection, u"GpsdPort"_s, QString::number(m_port));
    m_gps.emplace(m_settings, m_position);
    QVERIFY(m_gps->open());
    // The same fields as the receiver's text gives on a serial line.
    QVERIFY(arrives(kFix, u"4807.038 N"_s));
    GpsPosition serial;
    QVERIFY(GgaDecoder::decode(QString::fromLatin1(kFix), serial));
    for (auto field :
         {&GpsPosition::gpsLatitude, &GpsPosition::gpsLongitude, &GpsPosition::gpsFixQuality,
          &GpsPosition::gpsSatellites, &GpsPosition::gpsHDOP, &GpsPosition::gpsAltitude})
        QCOMPARE(m_position.*field, serial.*field);

    // Away, the daemon leaves no position behind; back, it is found again.
    m_daemon.kill();
    QVERIFY(m_daemon.waitForFinished(3000));
    QTRY_VERIFY_WITH_TIMEOUT(!m_gps->status().receiving, 5000);
    m_gps->mscomm_timer_Timer();
    QCOMPARE(m_position.gpsLatitude + m_position.gpsFixQuality, QString());
    QVERIFY(startDaemon());
    QVERIFY(arrives(kMoved, u"4807.100 N"_s));
    QCOMPARE(m_position.gpsSatellites, u"09"_s);
    QVERIFY(m_messages.messages.isEmpty());
}

QTEST_GUILESS_MAIN(TestGpsdReceiver)
#include "tst_GpsdReceiver.moc"
