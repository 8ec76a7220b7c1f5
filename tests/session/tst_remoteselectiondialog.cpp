// The remote-selection dialog: what it takes from the store, the entries it
// refuses, what it keeps, and when the run ends with it.
#include "TestStation.h"
#include "display/HelpWindow.h"
#include "session/RemoteSelectionDialog.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPointer>
#include <QPushButton>
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
        QCOMPARE(m_dialog->remoteChoice, "Ardix");
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
        // The next start's dialog, with a port stored.
        m_station->windows.closeSelection();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        m_station->store.put("Preferences", "DestPortNumber", "40000");
        m_dialog = m_station->windows.showRemoteSelection();
        QCOMPARE(m_dialog->portNumber->text(), "40000");
        // The Velto choice the last close stored.
        QCOMPARE(m_dialog->listOfRadios->currentRow(), RemoteSelectionDialog::Velto100Row);
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
        row("typed host name", "radio1", "", bad);
        row("typed, five parts", "10.0.0.1.5", "", "");
        row("added, octet out of range", "Add IP Address", "999.1.1.1", "");
    }

    // Only an added address that starts a run is stored for the next run.
    void veltoAddress()
    {
        QFETCH(QString, comboText);
        QFETCH(QString, newAddress);
        QFETCH(QString, expectedMessage);
        const bool starts = expectedMessage.isEmpty();
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
        if (!starts)
            QCOMPARE(m_messages.messages.first().text, expectedMessage);
    }

    // With no family chosen OK asks for one.
    void emptyChoiceAsksForARemote()
    {
        m_dialog->remoteChoice.clear();
        m_dialog->OK_Click();
        QCOMPARE(m_messages.messages.first().text, "Please select a remote for monitoring.");
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

    // The run goes on while another window of the station shows; the help
    // shows its topics and its own keys close it.
    void cancelEndsTheRunWithNoOtherWindow()
    {
        QFETCH(QString, opener);
        QFETCH(QKeySequence, closeKey);
        QApplication::setQuitOnLastWindowClosed(false); // as the station runs
        QVERIFY(QTest::qWaitForWindowActive(m_dialog));
        if (opener == "F1")
            QTest::keyClick(m_dialog, Qt::Key_F1);
        else if (!opener.isEmpty())
            m_dialog->findChild<QAction *>(opener)->trigger();
        QPointer<QWidget> other;
        for (QWidget *w : QApplication::topLevelWidgets())
            other = w->isVisible() && w != m_dialog ? w : other.data();
        if (auto *help = qobject_cast<HelpWindow *>(other.data()))
            QVERIFY(help->topicTitles().contains("Choosing a remote"));
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
        m_station->windows.closeSelection();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        m_station->store.put("Preferences", "RemoteChoice", "Torvik");
        m_dialog = m_station->windows.showRemoteSelection();
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

private:
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
