#include "TestSupport.h"
#include "app/FileChooser.h"
#include "app/Records.h"
#include "app/StationWindows.h"
#include "app/Twips.h"
#include "display/SignalMeter.h"
#include "monitor/KavomonitoringForm.h"
#include "session/SnifferForm.h"

#include <QAction>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPointer>
#include <QPushButton>
#include <QtTest>

namespace {

const QString kPrefs = QStringLiteral("Preferences");

// The dialog as the station shows it at start.
SnifferForm *loadDialog()
{
    return StationWindows::showSnifferForm();
}

// Closes whatever a test left open, as the operator would.
void closeAllWindows()
{
    // Closing a Velto window ends the station; here it only ends the test case.
    TerminationRecorder termination;
    if (KavomonitoringForm *monitor = StationWindows::monitoringForm())
        monitor->close();
    StationWindows::closeSnifferForm();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

// A Velto start waits for the radio; a test that only cares about the dialog
// stops monitoring as soon as the wait begins.
void stopMonitoringSoon()
{
    QTimer::singleShot(20, [] { monitorState.monitoringStopped = true; });
}

} // namespace

class TestSnifferForm : public QObject
{
    Q_OBJECT
private slots:
    void cleanup();
    void firstRunOnEmptyStore();
    void ardixPort_data();
    void ardixPort();
    void veltoPortIsNotCheckedButOnlyValidOnesAreSaved();
    void veltoAddress_data();
    void veltoAddress();
    void addedAddressIsStoredAndOfferedNextTime();
    void velto200ReloadsAsRow1();
    void unknownStoredChoice();
    void emptyChoiceAsksForARemote();
    void lowerCaseTrueIsNotEnabled();
    void enableLoggingTwiceRestores();
    void saveFileAsWithoutFamilyChoosesVelto();
    void saveFileAsCancelledStoresNothing();
    void familyLayouts();
    void exitSavesAndTerminates();
    void okIsTheDefaultButton();
};

void TestSnifferForm::cleanup()
{
    closeAllWindows();
}

void TestSnifferForm::firstRunOnEmptyStore()
{
    TestStore store;
    SnifferForm *dialog = loadDialog();

    QCOMPARE(dialog->windowTitle(), QStringLiteral("Kavo Connectivity Window"));
    QCOMPARE(dialog->remoteIPCombo->count(), 1);
    QCOMPARE(dialog->remoteIPCombo->itemText(0), QStringLiteral("Add IP Address"));
    QCOMPARE(dialog->remoteIPCombo->currentText(), QStringLiteral("Select an IP..."));
    QCOMPARE(dialog->listOfRadios->currentRow(), 1);
    QCOMPARE(dialog->portNumber->text(), QString());
    QCOMPARE(sessionSettings.remoteKind, RemoteKind::Velto);
    QCOMPARE(dialog->remoteChoice, QStringLiteral("Velto"));
    // The logging menu was set before the first-use step stored "True".
    QVERIFY(!dialog->enableLogging->isChecked());
    QVERIFY(!dialog->saveFileAs->isEnabled());
    QVERIFY(dialog->mnuNetOptions->isEnabled());

    QCOMPARE(store.raw(kPrefs, QStringLiteral("NumberOfIPAddressed")), QStringLiteral("1"));
    QCOMPARE(store.raw(kPrefs, QStringLiteral("1")), QStringLiteral("Add IP Address"));
    QCOMPARE(store.raw(kPrefs, QStringLiteral("logEnabledValue")), QStringLiteral("True"));
    QCOMPARE(store.raw(kPrefs, QStringLiteral("Velto LogName")),
             QStringLiteral("VeltoMonitoring_Log.txt"));
    QVERIFY(!store.raw(kPrefs, QStringLiteral("Ardix LogName")));

    // Closing saves the choice; the port is not saved while it is out of range.
    dialog->close();
    QCOMPARE(store.raw(kPrefs, QStringLiteral("RemoteChoice")), QStringLiteral("Velto"));
    QVERIFY(!store.raw(kPrefs, QStringLiteral("DestPortNumber")));
}

void TestSnifferForm::ardixPort_data()
{
    QTest::addColumn<QString>("port");
    QTest::addColumn<bool>("accepted");

    QTest::newRow("29999") << "29999" << false;
    QTest::newRow("30000") << "30000" << true;
    QTest::newRow("60000") << "60000" << true;
    QTest::newRow("60001") << "60001" << false;
    QTest::newRow("empty") << "" << false;
    QTest::newRow("non-numeric") << "port" << false;
}

void TestSnifferForm::ardixPort()
{
    TestStore store;
    MessageRecorder messages;
    QFETCH(QString, port);
    QFETCH(bool, accepted);

    QPointer<SnifferForm> dialog = loadDialog();
    dialog->listOfRadios->setCurrentRow(SnifferForm::ArdixRow);
    dialog->portNumber->setText(port);
    dialog->OK_Click();

    if (accepted) {
        QVERIFY(messages.messages.isEmpty());
        QVERIFY(StationWindows::monitoringForm());
        QCOMPARE(store.raw(kPrefs, QStringLiteral("DestPortNumber")), port);
        QCOMPARE(sessionSettings.destPort, port.toInt());
    } else {
        QCOMPARE(messages.titles(), QStringList{QStringLiteral("Information")});
        QCOMPARE(messages.messages.first().icon, MessageIcon::Exclamation);
        QCOMPARE(messages.messages.first().text,
                 QStringLiteral("Please enter a valid destination port.\r\n"
                                "The destination port must be a number \r\n"
                                "between 30,000 and 60,000."));
        QVERIFY(!StationWindows::monitoringForm());
        QVERIFY(dialog && dialog->isVisible());
        QVERIFY(!store.raw(kPrefs, QStringLiteral("DestPortNumber")));
    }
    QCOMPARE(store.raw(kPrefs, QStringLiteral("RemoteChoice")), QStringLiteral("Ardix"));
}

void TestSnifferForm::veltoPortIsNotCheckedButOnlyValidOnesAreSaved()
{
    TestStore store;
    store.put(kPrefs, QStringLiteral("DestPortNumber"), QStringLiteral("40000"));
    SnifferForm *dialog = loadDialog();
    QCOMPARE(dialog->portNumber->text(), QStringLiteral("40000"));
    QCOMPARE(sessionSettings.destPort, 40000);
    dialog->listOfRadios->setCurrentRow(SnifferForm::ArdixRow);
    dialog->portNumber->setText(QStringLiteral("29999"));
    dialog->listOfRadios->setCurrentRow(SnifferForm::Velto100Row);
    dialog->close();
    QCOMPARE(store.raw(kPrefs, QStringLiteral("DestPortNumber")), QStringLiteral("40000"));
}

void TestSnifferForm::veltoAddress_data()
{
    QTest::addColumn<QString>("comboText");
    QTest::addColumn<QString>("newAddress");
    QTest::addColumn<QString>("expectedMessage"); // empty: the window opens

    const QString badAddress = QStringLiteral(
        "An improperly formatted IP address has been entered.\r\nPlease enter a valid address.");
    QTest::newRow("nothing chosen") << "Select an IP..."
                                    << ""
                                    << "Please select an IP Address\r\n";
    QTest::newRow("add with empty box") << "Add IP Address"
                                        << "" << badAddress;
    QTest::newRow("add with a letter") << "Add IP Address"
                                       << "10.0.0.a" << badAddress;
    QTest::newRow("typed with trailing space") << "10.0.0.1 "
                                               << "" << badAddress;
    QTest::newRow("typed, five parts") << "10.0.0.1.5"
                                       << ""
                                       << "";
    QTest::newRow("typed, dots") << "1..."
                                 << ""
                                 << "";
    QTest::newRow("added, octet out of range") << "Add IP Address"
                                               << "999.1.1.1"
                                               << "";
}

void TestSnifferForm::veltoAddress()
{
    TestStore store;
    MessageRecorder messages;
    QFETCH(QString, comboText);
    QFETCH(QString, newAddress);
    QFETCH(QString, expectedMessage);

    QPointer<SnifferForm> dialog = loadDialog();
    dialog->remoteIPCombo->setEditText(comboText);
    dialog->IPBox->setText(newAddress);
    if (expectedMessage.isEmpty())
        stopMonitoringSoon();
    dialog->OK_Click();

    if (expectedMessage.isEmpty()) {
        KavomonitoringForm *monitor = StationWindows::monitoringForm();
        QVERIFY(monitor);
        QCOMPARE(monitor->windowTitle(), QStringLiteral("Velto Monitoring Window"));
        QCOMPARE(monitor->about->text(), QStringLiteral("About Velto Monitoring Window"));
        QVERIFY(!monitor->SwitchRemote->isVisible());
        QVERIFY(monitor->ViewSNR->isEnabled());
        QVERIFY(!monitor->ViewSNR->isChecked());
        QVERIFY(!monitorState.snrBarShown);
        QVERIFY(monitor->SNRMeter->isHidden());
        const QString expected = newAddress.isEmpty() ? comboText : newAddress;
        QCOMPARE(sessionSettings.remoteAddress, expected);
        QCOMPARE(sessionSettings.remoteKind, RemoteKind::Velto);
    } else {
        QVERIFY(!messages.messages.isEmpty());
        QCOMPARE(messages.messages.first().title, QStringLiteral("Error"));
        QCOMPARE(messages.messages.first().icon, MessageIcon::Exclamation);
        QCOMPARE(messages.messages.first().text, expectedMessage);
        QCOMPARE(sessionSettings.remoteAddress, QString());
        QVERIFY(!StationWindows::monitoringForm());
        QVERIFY(dialog && dialog->isVisible());
        QCOMPARE(store.raw(kPrefs, QStringLiteral("NumberOfIPAddressed")), QStringLiteral("1"));
    }
}

void TestSnifferForm::addedAddressIsStoredAndOfferedNextTime()
{
    TestStore store;
    MessageRecorder messages;
    {
        SnifferForm *dialog = loadDialog();
        dialog->remoteIPCombo->setEditText(QStringLiteral("Add IP Address"));
        dialog->IPBox->setText(QStringLiteral("10.20.30.40"));
        stopMonitoringSoon();
        dialog->OK_Click();
    }
    QCOMPARE(store.raw(kPrefs, QStringLiteral("NumberOfIPAddressed")), QStringLiteral("2"));
    QCOMPARE(store.raw(kPrefs, QStringLiteral("2")), QStringLiteral("10.20.30.40"));
    closeAllWindows();

    // A typed address is used for the run but not stored.
    SnifferForm *again = loadDialog();
    QCOMPARE(again->remoteIPCombo->count(), 2);
    QCOMPARE(again->remoteIPCombo->itemText(1), QStringLiteral("10.20.30.40"));
    again->remoteIPCombo->setEditText(QStringLiteral("10.9.9.9"));
    stopMonitoringSoon();
    again->OK_Click();
    QCOMPARE(sessionSettings.remoteAddress, QStringLiteral("10.9.9.9"));
    QCOMPARE(store.raw(kPrefs, QStringLiteral("NumberOfIPAddressed")), QStringLiteral("2"));
}

void TestSnifferForm::velto200ReloadsAsRow1()
{
    TestStore store;
    SnifferForm *dialog = loadDialog();
    dialog->listOfRadios->setCurrentRow(SnifferForm::Velto200Row);
    QCOMPARE(dialog->remoteChoice, QStringLiteral("Velto"));
    dialog->close();
    QCOMPARE(store.raw(kPrefs, QStringLiteral("RemoteChoice")), QStringLiteral("Velto"));
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);

    SnifferForm *reloaded = loadDialog();
    QCOMPARE(reloaded->listOfRadios->currentRow(), 1);
}

void TestSnifferForm::unknownStoredChoice()
{
    TestStore store;
    MessageRecorder messages;
    store.put(kPrefs, QStringLiteral("RemoteChoice"), QStringLiteral("Torvik"));
    sessionSettings.remoteKind = static_cast<RemoteKind>(7);
    SnifferForm *dialog = loadDialog();

    QCOMPARE(dialog->listOfRadios->currentRow(), -1);
    QCOMPARE(dialog->remoteChoice, QStringLiteral("Torvik"));
    QCOMPARE(sessionSettings.remoteKind, static_cast<RemoteKind>(7));
    QVERIFY(!store.raw(kPrefs, QStringLiteral("Velto LogName")));
    QVERIFY(!store.raw(kPrefs, QStringLiteral("logEnabledValue")));

    dialog->OK_Click();
    QVERIFY(messages.messages.isEmpty());
    QVERIFY(!StationWindows::monitoringForm());
    QCOMPARE(store.raw(kPrefs, QStringLiteral("RemoteChoice")), QStringLiteral("Torvik"));
}

void TestSnifferForm::emptyChoiceAsksForARemote()
{
    TestStore store;
    MessageRecorder messages;
    SnifferForm *dialog = loadDialog();
    dialog->remoteChoice.clear();
    dialog->OK_Click();
    QCOMPARE(messages.titles(), QStringList{QStringLiteral("Information")});
    QCOMPARE(messages.messages.first().text,
             QStringLiteral("Please select a remote for monitoring."));
}

void TestSnifferForm::lowerCaseTrueIsNotEnabled()
{
    TestStore store;
    store.put(kPrefs, QStringLiteral("logEnabledValue"), QStringLiteral("true"));
    store.put(kPrefs, QStringLiteral("Velto LogName"), QStringLiteral("v.txt"));
    SnifferForm *dialog = loadDialog();
    QVERIFY(!sessionSettings.loggingEnabled);
    QVERIFY(!dialog->enableLogging->isChecked());
    QVERIFY(!dialog->saveFileAs->isEnabled());
}

void TestSnifferForm::enableLoggingTwiceRestores()
{
    TestStore store;
    store.put(kPrefs, QStringLiteral("logEnabledValue"), QStringLiteral("True"));
    SnifferForm *dialog = loadDialog();
    QVERIFY(dialog->enableLogging->isChecked());

    dialog->enableLogging->trigger();
    QVERIFY(!dialog->enableLogging->isChecked());
    QVERIFY(!dialog->saveFileAs->isEnabled());
    QVERIFY(!sessionSettings.loggingEnabled);
    QCOMPARE(store.raw(kPrefs, QStringLiteral("logEnabledValue")), QStringLiteral("False"));

    dialog->enableLogging->trigger();
    QVERIFY(dialog->enableLogging->isChecked());
    QVERIFY(dialog->saveFileAs->isEnabled());
    QVERIFY(sessionSettings.loggingEnabled);
    QCOMPARE(store.raw(kPrefs, QStringLiteral("logEnabledValue")), QStringLiteral("True"));
}

void TestSnifferForm::saveFileAsWithoutFamilyChoosesVelto()
{
    TestStore store;
    store.put(kPrefs, QStringLiteral("RemoteChoice"), QStringLiteral("Torvik"));
    SnifferForm *dialog = loadDialog();
    QCOMPARE(dialog->listOfRadios->currentRow(), -1);

    QTemporaryDir dir;
    const QString chosen = dir.filePath(QStringLiteral("field-log"));
    FileChooser::setNextAnswer(chosen);
    dialog->saveFileAs_Click();

    QCOMPARE(dialog->listOfRadios->currentRow(), 1);
    QCOMPARE(dialog->remoteChoice, QStringLiteral("Velto"));
    QCOMPARE(FileChooser::lastRequest().title, QStringLiteral("Choose a Log File"));
    QCOMPARE(FileChooser::lastRequest().proposedName, QStringLiteral("VeltoMonitoring_Log"));
    // A name typed without ".txt" is stored as typed.
    QCOMPARE(store.raw(kPrefs, QStringLiteral("Velto LogName")), chosen);
}

void TestSnifferForm::saveFileAsCancelledStoresNothing()
{
    TestStore store;
    store.put(kPrefs, QStringLiteral("RemoteChoice"), QStringLiteral("Ardix"));
    store.put(kPrefs, QStringLiteral("Ardix LogName"), QStringLiteral("/data/a.txt"));
    SnifferForm *dialog = loadDialog();
    FileChooser::setNextAnswer(std::nullopt);
    dialog->saveFileAs_Click();
    QCOMPARE(FileChooser::lastRequest().proposedName, QStringLiteral("/data/a.txt"));
    QCOMPARE(store.raw(kPrefs, QStringLiteral("Ardix LogName")), QStringLiteral("/data/a.txt"));
}

void TestSnifferForm::familyLayouts()
{
    TestStore store;
    SnifferForm *dialog = loadDialog();

    dialog->listOfRadios->setCurrentRow(SnifferForm::ArdixRow);
    QCOMPARE(dialog->height(), Twips::windowHeight(3800));
    QCOMPARE(dialog->OK->y(), Twips::toPixels(2350));
    QVERIFY(dialog->portNumber->isVisible());
    QVERIFY(!dialog->remoteIPCombo->isVisible());
    QVERIFY(!dialog->IPBox->isVisible());
    QVERIFY(!dialog->mnuNetOptions->isEnabled());

    dialog->remoteIPCombo->setEditText(QStringLiteral("Add IP Address"));
    dialog->listOfRadios->setCurrentRow(SnifferForm::Velto200Row);
    QCOMPARE(dialog->height(), Twips::windowHeight(4000));
    QCOMPARE(dialog->Cancel->y(), Twips::toPixels(2600));
    QVERIFY(!dialog->portNumber->isVisible());
    QVERIFY(dialog->remoteIPCombo->isVisible());
    QVERIFY(dialog->IPBox->isVisible());
    QVERIFY(dialog->mnuNetOptions->isEnabled());
}

void TestSnifferForm::exitSavesAndTerminates()
{
    TestStore store;
    TerminationRecorder termination;
    SnifferForm *dialog = loadDialog();
    dialog->listOfRadios->setCurrentRow(SnifferForm::ArdixRow);
    dialog->portNumber->setText(QStringLiteral("45000"));
    dialog->exit->trigger();
    QCOMPARE(termination.count, 1);
    QCOMPARE(store.raw(kPrefs, QStringLiteral("RemoteChoice")), QStringLiteral("Ardix"));
    QCOMPARE(store.raw(kPrefs, QStringLiteral("DestPortNumber")), QStringLiteral("45000"));
}

void TestSnifferForm::okIsTheDefaultButton()
{
    TestStore store;
    MessageRecorder messages;
    SnifferForm *dialog = loadDialog();
    QVERIFY(dialog->OK->isDefault());
    dialog->listOfRadios->setCurrentRow(SnifferForm::ArdixRow);
    dialog->portNumber->setFocus();
    QTest::keyClick(dialog->portNumber, Qt::Key_Return);
    // Return pressed OK: the empty port is refused with its message.
    QCOMPARE(messages.titles(), QStringList{QStringLiteral("Information")});
}

QTEST_MAIN(TestSnifferForm)
#include "tst_snifferform.moc"
