// The station started on a settings file it cannot use: bytes that are no
// settings at all, a folder, a FIFO or a looping link where the file should
// be, or settings whose values make no sense. The start dialog loads with the
// defaults, an Ardix run started from it shows the radio's datagrams, and
// nothing ends the station. A path that holds no file at all is told to the
// operator once.
#include "TestSupport.h"
#include "app/SettingsStore.h"
#include "gps/GpsOptions.h"
#include "monitor/MonitoringWindow.h"
#include "monitor/StationWindows.h"
#include "session/RemoteSelectionDialog.h"
#include "session/StationSession.h"
#include "stream/ArdixMonitor.h"
#include "telnet/CongestionScript.h"

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPointer>
#include <QUdpSocket>
#include <QtTest>
#include <optional>
#include <sys/stat.h>

namespace {

constexpr int kWaitMs = 5000;

// A free UDP port in the range the dialog accepts for an Ardix remote.
quint16 freeArdixPort()
{
    int port = 30000 + int(QCoreApplication::applicationPid() % 20000);
    for (int tries = 0; tries < 200; ++tries) {
        QUdpSocket probe;
        if (probe.bind(QHostAddress::AnyIPv4, quint16(port)))
            return quint16(port);
        port = 30000 + (port - 30000 + 97) % 30001;
    }
    return 0;
}

enum class Damage
{
    Content, // the file holds these bytes
    Folder,
    Fifo,        // opening it would wait for a writer for good
    LoopingLink, // opening it fails for every user, root included
};

} // namespace

class TestDamagedSettings : public QObject
{
    Q_OBJECT
private slots:
    void init()
    {
        m_session.emplace();
        m_windows.emplace(*m_session);
    }

    void cleanup()
    {
        if (MonitoringWindow *monitor = m_windows->monitoringForm())
            monitor->close();
        m_windows->closeSelection();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    void stationStartsWithDefaults_data()
    {
        QTest::addColumn<Damage>("kind");
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QStringList>("told");
        const QStringList error{"Error"};
        QTest::newRow("bytes that are no settings")
            << Damage::Content
            << QByteArray(1, '\0') + "\xff\xfe[[[=\n==\x01\x7f]]\n[Preferences\n=\n\xc3"
            << QStringList();
        QTest::newRow("a folder in its place") << Damage::Folder << QByteArray() << error;
        QTest::newRow("a FIFO in its place") << Damage::Fifo << QByteArray() << error;
        QTest::newRow("a link to itself") << Damage::LoopingLink << QByteArray() << QStringList();
        QTest::newRow("values that make no sense")
            << Damage::Content
            << QByteArray("[Preferences]\nRemoteChoice=\xff\xfeToaster\nDestPortNumber=-7e99\n"
                          "NumberOfIPAddressed=-3\nSNMPPort=snmp\nTelnetPort=99999999999\n"
                          "logEnabledValue=perhaps\nArdix LogName=\n[GPS Options]\n"
                          "GPS Enabled=maybe\nComPort=NaN\nCom1Device=\n")
            << QStringList();
    }

    void stationStartsWithDefaults()
    {
        QFETCH(Damage, kind);
        QFETCH(QByteArray, content);
        QFETCH(QStringList, told);
        TestStore store;
        MessageRecorder messages;
        TerminationRecorder terminations;
        const QString path = store.iniPath();
        QVERIFY(QDir().mkpath(QFileInfo(path).path()));
        QFile::remove(path);
        QFile file(path);
        if (kind == Damage::Folder)
            QVERIFY(QDir().mkdir(path));
        else if (kind == Damage::Fifo)
            QCOMPARE(mkfifo(QFile::encodeName(path).constData(), 0600), 0);
        else if (kind == Damage::LoopingLink)
            QVERIFY(QFile::link(path, path));
        else
            QVERIFY(file.open(QIODevice::WriteOnly) && file.write(content) == content.size());
        file.close();

        // What the station reads falls back to its defaults.
        QCOMPARE(SettingsStore::readPreference("SNMPReadCommString", "public"), "public");
        QCOMPARE(CongestionScript::telnetPort(), quint16(23));
        QVERIFY(!GpsOptions::storedGpsEnabled(false));
        QCOMPARE(GpsOptions::devicePath(1), GpsOptions::defaultDevicePath(1));

        // The start dialog loads; the operator starts an Ardix run from it.
        QPointer<RemoteSelectionDialog> dialog = m_windows->showRemoteSelection();
        QVERIFY(dialog);
        QCOMPARE(messages.titles(), told);
        const quint16 port = freeArdixPort();
        QVERIFY(port != 0);
        dialog->listOfRadios->setCurrentRow(RemoteSelectionDialog::ArdixRow);
        dialog->portNumber->setText(QString::number(port));
        dialog->OK_Click();
        QCOMPARE(messages.titles(), told);
        QPointer<MonitoringWindow> monitor = m_windows->monitoringForm();
        QVERIFY(monitor);
        QCOMPARE(monitor->ardixMonitor->socket()->state(), QAbstractSocket::BoundState);

        // And the run shows what the radio sends.
        QByteArray datagram(35, '\0');
        datagram[0] = char(1);    // associated
        datagram[1] = char(0xFF); // marker
        datagram[2] = char(0xC4); // -60 dBm
        datagram[6] = char(11);   // RX bytes
        QUdpSocket().writeDatagram(datagram, QHostAddress::LocalHost, port);
        QTRY_COMPARE_WITH_TIMEOUT(m_session->link.rxBytes, "11", kWaitMs);
        QCOMPARE(monitor->status->text(), "Associated");
        QCOMPARE(messages.titles(), told);
        QCOMPARE(terminations.count, 0);
    }

private:
    std::optional<StationSession> m_session;
    std::optional<StationWindows> m_windows;
};

QTEST_MAIN(TestDamagedSettings)
#include "tst_damagedsettings.moc"
