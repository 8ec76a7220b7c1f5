// The operator's log controls on the remote-selection dialog.
#include "TestSupport.h"
#include "display/FileChooser.h"
#include "monitor/StationWindows.h"
#include "session/RemoteSelectionDialog.h"
#include "session/StationSession.h"

#include <QAction>
#include <QListWidget>
#include <QPointer>
#include <QtTest>

class TestLogOptions : public QObject
{
    Q_OBJECT
private slots:
    void init()
    {
        m_store.emplace();
        m_session.emplace();
        m_windows.emplace(*m_session);
    }

    void cleanup() { delete m_dialog; }

    // Each use of the menu item turns logging over, on screen, in the session
    // and in the store; only "True" stored enables it at load.
    void enableLogging()
    {
        m_store->put(kPrefs, "RemoteChoice", "Velto");
        m_store->put(kPrefs, "Velto LogName", "v.txt");
        m_store->put(kPrefs, "logEnabledValue", "true");
        loadDialog();
        for (const bool enabled : {false, true, false}) {
            QCOMPARE(m_session->settings.loggingEnabled, enabled);
            QCOMPARE(m_dialog->enableLogging->isChecked(), enabled);
            QCOMPARE(m_dialog->saveFileAs->isEnabled(), enabled);
            m_dialog->enableLogging->trigger();
            QCOMPARE(storedText("logEnabledValue"), enabled ? "False" : "True");
        }
    }

    // The chosen family's stored log name is proposed and replaced by the
    // answer; with no family chosen the log is Velto's.
    void saveFileAs_data()
    {
        QTest::addColumn<QString>("choice");
        QTest::addColumn<QString>("ardixName"); // stored when the menu is used
        QTest::addColumn<QString>("veltoName");
        QTest::addColumn<QString>("answer");
        QTest::addColumn<QString>("proposed");
        const auto row = [](const char *name, const QString &choice, const QString &ardix,
                            const QString &velto, const QString &answer, const QString &proposed) {
            QTest::newRow(name) << choice << ardix << velto << answer << proposed;
        };
        row("Ardix, stored name proposed", "Ardix", "/l/a.txt", "/l/v.txt", "/l/b.txt", "/l/a.txt");
        row("Velto, stored name proposed", "Velto", "/l/a.txt", "/l/v.txt", "/l/w.txt", "/l/v.txt");
        row("no family chosen: Velto", "Other", "/l/a.txt", "", "/l/x.txt", "VeltoMonitoring_Log");
    }

    void saveFileAs()
    {
        QFETCH(QString, choice);
        QFETCH(QString, ardixName);
        QFETCH(QString, veltoName);
        QFETCH(QString, answer);
        QFETCH(QString, proposed);
        const bool ardix = choice == "Ardix";
        m_store->put(kPrefs, "RemoteChoice", choice);
        loadDialog();
        m_store->put(kPrefs, "Ardix LogName", ardixName);
        m_store->put(kPrefs, "Velto LogName", veltoName);
        FileChooser::setNextAnswer(answer);
        m_dialog->saveFileAs_Click();
        QCOMPARE(FileChooser::lastRequest().proposedName, proposed);
        QCOMPARE(storedText(ardix ? "Ardix LogName" : "Velto LogName"), answer);
        QCOMPARE(m_dialog->listOfRadios->currentRow(), ardix ? 0 : 1);
    }

private:
    void loadDialog()
    {
        m_dialog = new RemoteSelectionDialog(*m_session, *m_windows);
        m_dialog->Form_Load();
    }
    QString storedText(const QString &key) const { return m_store->raw(kPrefs, key).value_or(""); }

    const QString kPrefs = "Preferences";
    std::optional<TestStore> m_store;
    std::optional<StationSession> m_session;
    std::optional<StationWindows> m_windows;
    MessageRecorder m_messages; // nothing is told here; no modal box blocks the test
    QPointer<RemoteSelectionDialog> m_dialog;
};

QTEST_MAIN(TestLogOptions)
#include "tst_LogOptions.moc"
