// The remote-selection dialog: what it takes from the store (a damaged one
// too), the entries it refuses, what it keeps, its log controls, and when the
// run ends with it.
#include "TestStation.h"
#include "app/SettingsStore.h"
#include "display/FileChooser.h"
#include "gps/GpsOptions.h"
#include "session/MonitoringLoader.h"
#include "session/RemoteSelectionDialog.h"
#include "stream/ArdixMonitor.h"
#include "telnet/CongestionScript.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPointer>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>

namespace {

// Whether the station's event loop, run here, ends within a second.
bool runEnds()
{
    const QObject deadline; // the time-out goes with it
    QTimer::singleShot(1000, &deadline, [] { QCoreApplication::exit(1); });
    return QCoreApplication::exec() == 0;
}

} // namespace

using Replacement = TestStore::Replacement;
using namespace Qt::StringLiterals;

class TestSnifferForm : public QObject
{
    Q_OBJECT
private slots:
    void init()
    {
        m_station.emplace();
        m_messages.clear();
        m_dialog = m_station->windows.showRemoteSelection();
    }
    void cleanup() { m_station.reset(); }

    // The first run: one address entry, the Velto family, logging on from the
    // next start; each family shows its own controls; closing keeps the
    // choice but not a port out of range.
    void firstRunOnEmptyStore()
    {
        QCOMPARE(m_dialog->remoteIPCombo->count(), 1);
        QCOMPARE(m_dialog->listOfRadios->currentRow(), 1);
        // The logging menu was set before the first-use step stored "True".
        QVERIFY(!m_dialog->enableLogging->isChecked());
        QCOMPARE(stored("logEnabledValue"), "True");

        m_dialog->remoteIPCombo->setEditText("Add IP Address");
        m_dialog->listOfRadios->setCurrentRow(RemoteSelectionDialog::Velto200Row);
        QCOMPARE(m_dialog->remoteChoice, "Velto");
        QVERIFY(!m_dialog->portNumber->isVisible() && m_dialog->mnuNetOptions->isEnabled());
        QVERIFY(m_dialog->remoteIPCombo->isVisible() && m_dialog->IPBox->isVisible());
        m_dialog->listOfRadios->setCurrentRow(RemoteSelectionDialog::ArdixRow);
        QVERIFY(m_dialog->portNumber->isVisible() && !m_dialog->mnuNetOptions->isEnabled());
        QVERIFY(!m_dialog->remoteIPCombo->isVisible() && !m_dialog->IPBox->isVisible());

        m_dialog->close();
        QCOMPARE(stored("RemoteChoice"), "Ardix");
        QVERIFY(!stored("DestPortNumber"));
    }

    void ardixPort_data()
    {
        QTest::addColumn<QString>("port");
        QTest::addColumn<bool>("accepted");
        QTest::newRow("29999") << "29999" << false;
        QTest::newRow("30000") << "30000" << true;
        QTest::newRow("60000") << "60000" << true;
        QTest::newRow("60001") << "60001" << false;
    }

    // Return in the port box presses OK; a refused port keeps the one stored.
    void ardixPort()
    {
        QFETCH(QString, port);
        QFETCH(bool, accepted);
        reopenWith({{"DestPortNumber", "40000"}});
        QCOMPARE(m_dialog->portNumber->text(), "40000");
        m_dialog->listOfRadios->setCurrentRow(RemoteSelectionDialog::ArdixRow);
        m_dialog->portNumber->setText(port);
        QTest::keyClick(m_dialog->portNumber, Qt::Key_Return);

        QCOMPARE(bool(m_station->windows.monitoringForm()), accepted);
        QCOMPARE(m_messages.titles(), accepted ? QStringList() : QStringList{"Information"});
        QCOMPARE(stored("DestPortNumber"), accepted ? port : "40000");
        QCOMPARE(m_dialog && m_dialog->isVisible(), !accepted);
    }

    void veltoAddress_data()
    {
        QTest::addColumn<QString>("comboText");
        QTest::addColumn<QString>("newAddress");
        QTest::addColumn<bool>("starts"); // or the operator is told why not
        QTest::newRow("nothing chosen") << u"Select an IP..."_s << u""_s << false;
        QTest::newRow("add with empty box") << u"Add IP Address"_s << u""_s << false;
        QTest::newRow("add with a letter") << u"Add IP Address"_s << u"10.0.0.a"_s << false;
        QTest::newRow("typed host name") << u"radio1"_s << u""_s << false;
        QTest::newRow("typed, five parts") << u"10.0.0.1.5"_s << u""_s << true;
        QTest::newRow("added, octet out of range") << u"Add IP Address"_s << u"999.1.1.1"_s << true;
    }

    // Only an added address that starts a run is stored for the next run.
    void veltoAddress()
    {
        QFETCH(QString, comboText);
        QFETCH(QString, newAddress);
        QFETCH(bool, starts);
        m_dialog->remoteIPCombo->setEditText(comboText);
        m_dialog->IPBox->setText(newAddress);
        if (starts) // a start waits for the radio: stop as soon as the wait begins
            QTimer::singleShot(20, [this] { m_station->session.monitor.monitoringStopped = true; });
        m_dialog->OK_Click();

        QCOMPARE(bool(m_station->windows.monitoringForm()), starts);
        const QString used = newAddress.isEmpty() ? comboText : newAddress;
        QCOMPARE(m_station->session.settings.remoteAddress, starts ? used : QString());
        const bool added = comboText == RemoteSelectionDialog::kAddIpAddress;
        QCOMPARE(stored("NumberOfIPAddressed"), starts && added ? "2" : "1");
        QVERIFY(starts || m_messages.messages.size() == 1); // told why not
    }

    // With no family chosen OK asks for one.
    void emptyChoiceAsksForARemote()
    {
        m_dialog->remoteChoice.clear();
        m_dialog->OK_Click();
        QCOMPARE(m_messages.messages.size(), 1);
        QVERIFY(!m_station->windows.monitoringForm());
    }

    void cancelEndsTheRunWithNoOtherWindow_data()
    {
        QTest::addColumn<QString>("opener");        // another window's menu entry or key, or none
        QTest::addColumn<QKeySequence>("closeKey"); // that window's own key, or none
        QTest::newRow("no other window") << "" << QKeySequence();
        QTest::newRow("GPS Options") << "GPSOptions" << QKeySequence();
        QTest::newRow("Help closed by Escape") << "F1" << QKeySequence(Qt::Key_Escape);
        QTest::newRow("Help closed by Ctrl+W") << "F1" << QKeySequence(Qt::CTRL | Qt::Key_W);
    }

    // The run goes on while another window of the station shows; the help's
    // own keys close it.
    void cancelEndsTheRunWithNoOtherWindow()
    {
        QFETCH(QString, opener);
        QFETCH(QKeySequence, closeKey);
        QApplication::setQuitOnLastWindowClosed(false); // as the station runs
        QVERIFY(QTest::qWaitForWindowActive(m_dialog));
        for (int use = 0; use < 2; ++use) { // a second use raises the window already open
            if (opener == "F1")
                QTest::keyClick(m_dialog, Qt::Key_F1);
            else if (!opener.isEmpty())
                m_dialog->findChild<QAction *>(opener)->trigger();
        }
        QWidgetList others = QApplication::topLevelWidgets();
        others.removeIf([&](QWidget *w) { return !w->isVisible() || w == m_dialog; });
        QCOMPARE(others.size(), opener.isEmpty() ? 0 : 1);
        QPointer<QWidget> other = others.value(0);
        m_dialog->Cancel->click();
        QCOMPARE(runEnds(), opener.isEmpty());
        if (!other)
            return;
        other->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(other));
        QTimer::singleShot(0, other, [&] {
            if (closeKey.isEmpty())
                other->close();
            else
                QTest::keySequence(other, closeKey);
        });
        QVERIFY(runEnds());
    }

    // An unknown stored family: the window taking the focus gives it to the
    // list, which must not pick a row; OK does nothing and the word is kept.
    void unknownStoredChoiceSurvivesTheFocus()
    {
        reopenWith({{"RemoteChoice", "Torvik"}});
        QApplication::setActiveWindow(m_dialog);
        QVERIFY(QTest::qWaitForWindowActive(m_dialog));
        QVERIFY(m_dialog->listOfRadios->selectedItems().isEmpty());
        m_dialog->OK_Click();
        QVERIFY(m_messages.messages.isEmpty() && !m_station->windows.monitoringForm());
        m_dialog->close();
        QCOMPARE(stored("RemoteChoice"), "Torvik");
    }

    void exitSavesAndTerminates()
    {
        TerminationRecorder termination;
        m_dialog->listOfRadios->setCurrentRow(RemoteSelectionDialog::ArdixRow);
        m_dialog->portNumber->setText("45000");
        m_dialog->exit->trigger();
        QCOMPARE(termination.count, 1);
        QCOMPARE(stored("RemoteChoice"), "Ardix");
        QCOMPARE(stored("DestPortNumber"), "45000");
    }

    // Each use of the menu item turns logging over, on screen, in the session
    // and in the store; only "True" stored enables it at load.
    void enableLogging()
    {
        reopenWith(
            {{"RemoteChoice", "Velto"}, {"Velto LogName", "v.txt"}, {"logEnabledValue", "true"}});
        for (const bool enabled : {false, true, false}) {
            QCOMPARE(m_station->session.settings.loggingEnabled, enabled);
            QCOMPARE(m_dialog->enableLogging->isChecked(), enabled);
            QCOMPARE(m_dialog->saveFileAs->isEnabled(), enabled);
            m_dialog->enableLogging->trigger();
            QCOMPARE(stored("logEnabledValue"), enabled ? "False" : "True");
        }
    }

    // The chosen family's stored log name is proposed and replaced by the
    // answer; with no family chosen the log is Velto's.
    void saveFileAs_data()
    {
        QTest::addColumn<QString>("choice");
        QTest::addColumn<QString>("veltoName"); // stored, beside "/l/a.txt" for Ardix
        QTest::addColumn<QString>("proposed");
        QTest::newRow("Ardix, stored name proposed")
            << u"Ardix"_s << u"/l/v.txt"_s << u"/l/a.txt"_s;
        QTest::newRow("Velto, stored name proposed")
            << u"Velto"_s << u"/l/v.txt"_s << u"/l/v.txt"_s;
        QTest::newRow("no family chosen: Velto") << u"Other"_s << u""_s << u"VeltoMonitoring_Log"_s;
    }

    void saveFileAs()
    {
        QFETCH(QString, choice);
        const bool ardix = choice == "Ardix";
        reopenWith({{"RemoteChoice", choice}});
        m_station->store.put("Preferences", "Ardix LogName", "/l/a.txt");
        m_station->store.put("Preferences", "Velto LogName", fetched<QString>("veltoName"));
        FileChooser::setNextAnswer("/l/b.txt");
        m_dialog->saveFileAs_Click();
        QTEST(FileChooser::lastRequest().proposedName, "proposed");
        QCOMPARE(stored(ardix ? "Ardix LogName" : "Velto LogName"), "/l/b.txt");
        QCOMPARE(m_dialog->listOfRadios->currentRow(), ardix ? 0 : 1);
    }

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

    // A settings file the station cannot use: bytes that are no settings at
    // all, a folder, a FIFO or a looping link where the file should be, or
    // values that make no sense. What the station reads falls back to its
    // defaults, an Ardix run starts from the dialog, and nothing ends the
    // station. A path that holds no file at all is told to the operator once.
    void stationStartsWithDefaults()
    {
        TerminationRecorder terminations;
        closeDialog();
        QVERIFY(m_station->store.replaceFile(fetched<Replacement>("kind"),
                                             fetched<QByteArray>("content")));
        QCOMPARE(SettingsStore::readPreference("SNMPReadCommString", "public"), "public");
        QCOMPARE(CongestionScript::telnetPort(), quint16(23));
        QVERIFY(!GpsOptions::storedGpsEnabled(false));
        QCOMPARE(GpsOptions::devicePath(1), GpsOptions::defaultDevicePath(1));

        m_dialog = m_station->windows.showRemoteSelection();
        m_dialog->listOfRadios->setCurrentRow(RemoteSelectionDialog::ArdixRow);
        m_dialog->portNumber->setText(QString::number(freeArdixPort()));
        m_dialog->OK_Click();
        QPointer<MonitoringWindow> monitor =
            static_cast<MonitoringWindow *>(m_station->windows.monitoringForm());
        QVERIFY(monitor);
        QCOMPARE(monitor->ardixMonitor->socket()->state(), QAbstractSocket::BoundState);
        QTEST(m_messages.titles(), "told");
        QCOMPARE(terminations.count, 0);
    }

    // A damaged monitoring module is told to the operator and opens no
    // window; the dialog stays.
    void damagedMonitoringModule()
    {
        QTemporaryDir folder;
        QFile module(folder.filePath("kavo-monitoring.so"));
        QVERIFY(module.open(QIODevice::WriteOnly) && module.write("not a module") > 0);
        module.close();
        StationWindows windows(m_station->session, MonitoringLoader({folder.path()}));
        windows.openMonitoring(RemoteKind::Ardix);
        QCOMPARE(m_messages.messages.size(), 1);
        QCOMPARE(m_messages.messages.first().icon, MessageIcon::Stop);
        QVERIFY(!windows.monitoringForm() && m_dialog->isVisible());
    }

private:
    void closeDialog()
    {
        m_station->windows.closeSelection();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    // The next start's dialog, on what the last close stored and these values.
    void reopenWith(const QList<std::pair<QString, QString>> &preferences)
    {
        closeDialog();
        for (const auto &[key, value] : preferences)
            m_station->store.put("Preferences", key, value);
        m_dialog = m_station->windows.showRemoteSelection();
    }
    std::optional<QString> stored(const QString &key) const
    {
        return m_station->store.raw("Preferences", key);
    }
    std::optional<TestStation> m_station;
    MessageRecorder m_messages;
    QPointer<RemoteSelectionDialog> m_dialog;
};

QTEST_MAIN(TestSnifferForm)
#include "tst_remoteselectiondialog.moc"
