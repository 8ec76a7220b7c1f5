#include "TestSupport.h"
#include "app/Records.h"
#include "display/SignalMeter.h"
#include "display/Twips.h"
#include "monitor/MonitoringWindow.h"
#include "monitor/StationWindows.h"
#include "session/RemoteSelectionDialog.h"
#include "session/StationSession.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPointer>
#include <QPushButton>
#include <QtTest>

namespace {

const QString kPrefs = QStringLiteral("Preferences");

// The dialog as the station shows it at start.
RemoteSelectionDialog *loadDialog(StationWindows &windows)
{
    return windows.showRemoteSelection();
}

// Closes whatever a test left open, as the operator would.
void closeAllWindows(StationWindows &windows)
{
    // Closing a Velto window ends the station; here it only ends the test case.
    TerminationRecorder termination;
    if (MonitoringWindow *monitor = windows.monitoringForm())
        monitor->close();
    windows.closeSelection();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

// Whether the station's event loop, run here, ends within a second.
bool runEnds()
{
    QTimer deadline;
    deadline.setSingleShot(true);
    QObject::connect(&deadline, &QTimer::timeout, [] { QCoreApplication::exit(1); });
    deadline.start(1000);
    return QCoreApplication::exec() == 0;
}

// A Velto start waits for the radio; a test that only cares about the dialog
// stops monitoring as soon as the wait begins.
void stopMonitoringSoon(MonitorState &monitor)
{
    QTimer::singleShot(20, [&monitor] { monitor.monitoringStopped = true; });
}

} // namespace

class TestSnifferForm : public QObject
{
    Q_OBJECT
private slots:
    void init()
    {
        m_store = std::make_unique<TestStore>();
        m_session.emplace();
        m_windows.emplace(*m_session);
        m_messages = std::make_unique<MessageRecorder>();
    }

    void cleanup()
    {
        closeAllWindows(*m_windows);
        m_messages.reset();
        m_store.reset();
    }

    void firstRunOnEmptyStore()
    {
        RemoteSelectionDialog *dialog = loadDialog(*m_windows);
        QCOMPARE(dialog->windowTitle(), "Kavo Connectivity Window");
        QCOMPARE(dialog->remoteIPCombo->count(), 1);
        QCOMPARE(dialog->remoteIPCombo->itemText(0), "Add IP Address");
        QCOMPARE(dialog->remoteIPCombo->currentText(), "Select an IP...");
        QCOMPARE(dialog->listOfRadios->currentRow(), 1);
        QCOMPARE(dialog->portNumber->text(), QString());
        QCOMPARE(m_session->settings.remoteKind, RemoteKind::Velto);
        QCOMPARE(dialog->remoteChoice, "Velto");
        // The logging menu was set before the first-use step stored "True".
        QVERIFY(!dialog->enableLogging->isChecked());
        QVERIFY(!dialog->saveFileAs->isEnabled());
        QVERIFY(dialog->mnuNetOptions->isEnabled());

        QCOMPARE(stored("NumberOfIPAddressed"), "1");
        QCOMPARE(stored("1"), "Add IP Address");
        QCOMPARE(stored("logEnabledValue"), "True");
        QCOMPARE(stored("Velto LogName"), "VeltoMonitoring_Log.txt");
        QVERIFY(!stored("Ardix LogName"));

        // Closing saves the choice; the port is not saved while it is out of range.
        dialog->close();
        QCOMPARE(stored("RemoteChoice"), "Velto");
        QVERIFY(!stored("DestPortNumber"));
    }

    void ardixPort_data()
    {
        QTest::addColumn<QString>("port");
        QTest::addColumn<int>("destPort"); // as read from the text
        QTest::addColumn<bool>("accepted");
        QTest::newRow("29999") << "29999" << 29999 << false;
        QTest::newRow("30000") << "30000" << 30000 << true;
        QTest::newRow("60000") << "60000" << 60000 << true;
        QTest::newRow("60001") << "60001" << 60001 << false;
        QTest::newRow("empty") << "" << 0 << false;
        QTest::newRow("non-numeric") << "port" << 0 << false;
        QTest::newRow("leading number counts") << "4500x" << 4500 << false;
    }

    // Return in the port box presses OK, the dialog's default button.
    void ardixPort()
    {
        QFETCH(QString, port);
        QFETCH(int, destPort);
        QFETCH(bool, accepted);
        QPointer<RemoteSelectionDialog> dialog = loadDialog(*m_windows);
        QVERIFY(dialog->OK->isDefault());
        dialog->listOfRadios->setCurrentRow(RemoteSelectionDialog::ArdixRow);
        dialog->portNumber->setText(port);
        QCOMPARE(m_session->settings.destPort, destPort);
        QTest::keyClick(dialog->portNumber, Qt::Key_Return);

        QCOMPARE(stored("RemoteChoice"), "Ardix");
        QCOMPARE(bool(m_windows->monitoringForm()), accepted);
        if (accepted) {
            QVERIFY(m_messages->messages.isEmpty());
            QCOMPARE(stored("DestPortNumber"), port);
            return;
        }
        QCOMPARE(m_messages->titles(), QStringList{"Information"});
        QCOMPARE(m_messages->messages.first().icon, MessageIcon::Exclamation);
        QCOMPARE(m_messages->messages.first().text, "Please enter a valid destination port.\r\n"
                                                    "The destination port must be a number \r\n"
                                                    "between 30,000 and 60,000.");
        QVERIFY(dialog && dialog->isVisible());
        QVERIFY(!stored("DestPortNumber"));
    }

    void veltoPortIsNotCheckedButOnlyValidOnesAreSaved()
    {
        m_store->put(kPrefs, "DestPortNumber", "40000");
        RemoteSelectionDialog *dialog = loadDialog(*m_windows);
        QCOMPARE(dialog->portNumber->text(), "40000");
        QCOMPARE(m_session->settings.destPort, 40000);
        dialog->listOfRadios->setCurrentRow(RemoteSelectionDialog::ArdixRow);
        dialog->portNumber->setText("29999");
        dialog->listOfRadios->setCurrentRow(RemoteSelectionDialog::Velto100Row);
        dialog->close();
        QCOMPARE(stored("DestPortNumber"), "40000");
    }

    void veltoAddress_data()
    {
        QTest::addColumn<QString>("comboText");
        QTest::addColumn<QString>("newAddress");
        QTest::addColumn<QString>("expectedMessage"); // empty: the window opens
        const auto row = [](const char *name, const QString &comboText, const QString &newAddress,
                            const QString &message) {
            QTest::newRow(name) << comboText << newAddress << message;
        };
        const QString bad = "An improperly formatted IP address has been entered.\r\n"
                            "Please enter a valid address.";
        row("nothing chosen", "Select an IP...", "", "Please select an IP Address\r\n");
        row("add with empty box", "Add IP Address", "", bad);
        row("add with a letter", "Add IP Address", "10.0.0.a", bad);
        row("typed with trailing space", "10.0.0.1 ", "", bad);
        row("typed host name", "radio1", "", bad);
        row("typed non-ASCII digit", "10.0.0.\u0661", "", bad);
        row("typed, five parts", "10.0.0.1.5", "", "");
        row("typed, dots", "1...", "", "");
        row("added, octet out of range", "Add IP Address", "999.1.1.1", "");
    }

    void veltoAddress()
    {
        QFETCH(QString, comboText);
        QFETCH(QString, newAddress);
        QFETCH(QString, expectedMessage);
        QPointer<RemoteSelectionDialog> dialog = loadDialog(*m_windows);
        dialog->remoteIPCombo->setEditText(comboText);
        dialog->IPBox->setText(newAddress);
        if (expectedMessage.isEmpty())
            stopMonitoringSoon(m_session->monitor);
        dialog->OK_Click();

        if (expectedMessage.isEmpty()) {
            MonitoringWindow *monitor = m_windows->monitoringForm();
            QVERIFY(monitor);
            QCOMPARE(monitor->windowTitle(), "Velto Monitoring Window");
            QCOMPARE(monitor->about->text(), "&About Velto Monitoring Window");
            QVERIFY(!monitor->SwitchRemote->isVisible());
            QVERIFY(monitor->ViewSNR->isEnabled());
            QVERIFY(!monitor->ViewSNR->isChecked());
            QVERIFY(!m_session->monitor.snrBarShown);
            QVERIFY(monitor->SNRMeter->isHidden());
            QCOMPARE(m_session->settings.remoteAddress,
                     newAddress.isEmpty() ? comboText : newAddress);
            QCOMPARE(m_session->settings.remoteKind, RemoteKind::Velto);
            return;
        }
        QCOMPARE(m_messages->titles(), QStringList{"Error"});
        QCOMPARE(m_messages->messages.first().icon, MessageIcon::Exclamation);
        QCOMPARE(m_messages->messages.first().text, expectedMessage);
        QCOMPARE(m_session->settings.remoteAddress, QString());
        QVERIFY(!m_windows->monitoringForm());
        QVERIFY(dialog && dialog->isVisible());
        QCOMPARE(stored("NumberOfIPAddressed"), "1");
    }

    void addedAddressIsStoredAndOfferedNextTime()
    {
        RemoteSelectionDialog *dialog = loadDialog(*m_windows);
        dialog->remoteIPCombo->setEditText("Add IP Address");
        dialog->IPBox->setText("10.20.30.40");
        stopMonitoringSoon(m_session->monitor);
        dialog->OK_Click();
        QCOMPARE(stored("NumberOfIPAddressed"), "2");
        QCOMPARE(stored("2"), "10.20.30.40");
        closeAllWindows(*m_windows);

        // A typed address is used for the run but not stored.
        dialog = loadDialog(*m_windows);
        QCOMPARE(dialog->remoteIPCombo->count(), 2);
        QCOMPARE(dialog->remoteIPCombo->itemText(1), "10.20.30.40");
        dialog->remoteIPCombo->setEditText("10.9.9.9");
        stopMonitoringSoon(m_session->monitor);
        dialog->OK_Click();
        QCOMPARE(m_session->settings.remoteAddress, "10.9.9.9");
        QCOMPARE(stored("NumberOfIPAddressed"), "2");
    }

    void velto200ReloadsAsRow1()
    {
        RemoteSelectionDialog *dialog = loadDialog(*m_windows);
        dialog->listOfRadios->setCurrentRow(RemoteSelectionDialog::Velto200Row);
        QCOMPARE(dialog->remoteChoice, "Velto");
        closeAllWindows(*m_windows);
        QCOMPARE(stored("RemoteChoice"), "Velto");
        QCOMPARE(loadDialog(*m_windows)->listOfRadios->currentRow(), 1);
    }

    void unknownStoredChoice()
    {
        m_store->put(kPrefs, "RemoteChoice", "Torvik");
        m_session->settings.remoteKind = static_cast<RemoteKind>(7);
        RemoteSelectionDialog *dialog = loadDialog(*m_windows);
        // The window taking the focus gives it to the list.
        QApplication::setActiveWindow(dialog);
        QVERIFY(QTest::qWaitForWindowActive(dialog));
        QVERIFY(dialog->listOfRadios->selectedItems().isEmpty());
        QCOMPARE(dialog->remoteChoice, "Torvik");
        QCOMPARE(dialog->height(), Twips::windowHeight(4000));
        QVERIFY(!dialog->portNumber->isVisible());
        QCOMPARE(m_session->settings.remoteKind, static_cast<RemoteKind>(7));
        QVERIFY(!stored("Velto LogName"));
        QVERIFY(!stored("logEnabledValue"));

        dialog->OK_Click();
        QVERIFY(m_messages->messages.isEmpty());
        QVERIFY(!m_windows->monitoringForm());
        TerminationRecorder termination;
        dialog->exit->trigger();
        QCOMPARE(termination.count, 1);
        QCOMPARE(stored("RemoteChoice"), "Torvik");
    }

    void emptyChoiceAsksForARemote()
    {
        RemoteSelectionDialog *dialog = loadDialog(*m_windows);
        dialog->remoteChoice.clear();
        dialog->OK_Click();
        QCOMPARE(m_messages->titles(), QStringList{"Information"});
        QCOMPARE(m_messages->messages.first().text, "Please select a remote for monitoring.");
    }

    void familyLayouts()
    {
        RemoteSelectionDialog *dialog = loadDialog(*m_windows);
        dialog->listOfRadios->setCurrentRow(RemoteSelectionDialog::ArdixRow);
        QCOMPARE(dialog->height(), Twips::windowHeight(3800));
        QCOMPARE(dialog->OK->y(), Twips::toPixels(2350));
        QVERIFY(dialog->portNumber->isVisible());
        QVERIFY(!dialog->remoteIPCombo->isVisible());
        QVERIFY(!dialog->IPBox->isVisible());
        QVERIFY(!dialog->mnuNetOptions->isEnabled());

        dialog->remoteIPCombo->setEditText("Add IP Address");
        dialog->listOfRadios->setCurrentRow(RemoteSelectionDialog::Velto200Row);
        QCOMPARE(dialog->height(), Twips::windowHeight(4000));
        QCOMPARE(dialog->Cancel->y(), Twips::toPixels(2600));
        QVERIFY(!dialog->portNumber->isVisible());
        QVERIFY(dialog->remoteIPCombo->isVisible());
        QVERIFY(dialog->IPBox->isVisible());
        QVERIFY(dialog->mnuNetOptions->isEnabled());
    }

    void cancelEndsTheRunWithNoOtherWindow_data()
    {
        QTest::addColumn<QString>("opener"); // menu entry of another window, or empty
        QTest::newRow("no other window") << QString();
        QTest::newRow("About") << "about";
        QTest::newRow("Network Options") << "mnuNetOptions";
        QTest::newRow("GPS Options") << "GPSOptions";
        QTest::newRow("Help") << "helpTopics";
    }

    void cancelEndsTheRunWithNoOtherWindow()
    {
        QFETCH(QString, opener);
        QApplication::setQuitOnLastWindowClosed(false); // as the station runs
        RemoteSelectionDialog *dialog = loadDialog(*m_windows);
        QPointer<QWidget> other;
        if (!opener.isEmpty()) {
            dialog->findChild<QAction *>(opener)->trigger();
            for (QWidget *w : QApplication::topLevelWidgets())
                other = w->isVisible() && w != dialog ? w : other.data();
            QVERIFY(other);
        }
        dialog->Cancel->click();
        QCOMPARE(runEnds(), opener.isEmpty());
        if (other) {
            QTimer::singleShot(0, other, &QWidget::close);
            QVERIFY(runEnds());
        }
    }

    void exitSavesAndTerminates()
    {
        TerminationRecorder termination;
        RemoteSelectionDialog *dialog = loadDialog(*m_windows);
        dialog->listOfRadios->setCurrentRow(RemoteSelectionDialog::ArdixRow);
        dialog->portNumber->setText("45000");
        dialog->exit->trigger();
        QCOMPARE(termination.count, 1);
        QCOMPARE(stored("RemoteChoice"), "Ardix");
        QCOMPARE(stored("DestPortNumber"), "45000");
    }

private:
    std::optional<QString> stored(const QString &key) const { return m_store->raw(kPrefs, key); }

    std::optional<StationSession> m_session;
    std::optional<StationWindows> m_windows;
    std::unique_ptr<TestStore> m_store;
    std::unique_ptr<MessageRecorder> m_messages;
};

QTEST_MAIN(TestSnifferForm)
#include "tst_remoteselectiondialog.moc"
