// The station started on a settings file it cannot use: bytes that are no
// settings at all, a folder, a FIFO or a looping link where the file should
// be, or settings whose values make no sense. The start dialog loads with the
// defaults, an Ardix run starts from it, and nothing ends the station. A
// path that holds no file at all is told to the operator once.
#include "TestStation.h"
#include "app/SettingsStore.h"
#include "gps/GpsOptions.h"
#include "session/RemoteSelectionDialog.h"
#include "stream/ArdixMonitor.h"
#include "telnet/CongestionScript.h"

#include <QLineEdit>
#include <QListWidget>
#include <QPointer>
#include <QtTest>

using Replacement = TestStore::Replacement;

class TestDamagedSettings : public QObject
{
    Q_OBJECT
private slots:
    void stationStartsWithDefaults_data()
    {
        QTest::addColumn<Replacement>("kind");
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QStringList>("told");
        QTest::newRow("bytes that are no settings")
            << Replacement::Bytes
            << QByteArray(1, '\0') + "\xff\xfe[[[=\n==\x01\x7f]]\n[Preferences\n=\n\xc3"
            << QStringList();
        QTest::newRow("a folder in its place")
            << Replacement::Folder << QByteArray() << QStringList{"Error"};
        QTest::newRow("a FIFO in its place")
            << Replacement::Fifo << QByteArray() << QStringList{"Error"};
        QTest::newRow("a link to itself")
            << Replacement::LoopingLink << QByteArray() << QStringList();
        QTest::newRow("values that make no sense")
            << Replacement::Bytes
            << QByteArray("[Preferences]\nRemoteChoice=\xff\xfeToaster\nDestPortNumber=-7e99\n"
                          "NumberOfIPAddressed=-3\nSNMPPort=snmp\nTelnetPort=99999999999\n"
                          "logEnabledValue=perhaps\nArdix LogName=\n[GPS Options]\n"
                          "GPS Enabled=maybe\nComPort=NaN\nCom1Device=\n")
            << QStringList();
    }

    void stationStartsWithDefaults()
    {
        QFETCH(Replacement, kind);
        QFETCH(QByteArray, content);
        QFETCH(QStringList, told);
        MessageRecorder messages;
        TerminationRecorder terminations;
        TestStation station; // closes its windows while the recorders still listen
        QVERIFY(station.store.replaceFile(kind, content));

        // What the station reads falls back to its defaults.
        QCOMPARE(SettingsStore::readPreference("SNMPReadCommString", "public"), "public");
        QCOMPARE(CongestionScript::telnetPort(), quint16(23));
        QVERIFY(!GpsOptions::storedGpsEnabled(false));
        QCOMPARE(GpsOptions::devicePath(1), GpsOptions::defaultDevicePath(1));

        // The start dialog loads; the operator starts an Ardix run from it.
        QPointer<RemoteSelectionDialog> dialog = station.windows.showRemoteSelection();
        QVERIFY(dialog);
        const quint16 port = freeArdixPort();
        dialog->listOfRadios->setCurrentRow(RemoteSelectionDialog::ArdixRow);
        dialog->portNumber->setText(QString::number(port));
        dialog->OK_Click();
        QPointer<MonitoringWindow> monitor = station.windows.monitoringForm();
        QVERIFY(monitor);
        QCOMPARE(monitor->ardixMonitor->socket()->state(), QAbstractSocket::BoundState);
        QCOMPARE(messages.titles(), told);
        QCOMPARE(terminations.count, 0);
    }

private:
    // A free UDP port in the range the dialog accepts for an Ardix remote.
    static quint16 freeArdixPort()
    {
        for (int tries = 0; tries < 200; ++tries) {
            const auto port =
                quint16(30000 + (QCoreApplication::applicationPid() + 97 * tries) % 30001);
            if (QUdpSocket().bind(QHostAddress::AnyIPv4, port))
                return port;
        }
        return 0;
    }
};

QTEST_MAIN(TestDamagedSettings)
#include "tst_damagedsettings.moc"
