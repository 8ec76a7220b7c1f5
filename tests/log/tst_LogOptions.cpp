// The operator's log controls on the remote-selection dialog, and the
// monitoring window's log timer.
#include "FileProtection.h"
#include "TestSupport.h"
#include "app/Records.h"
#include "app/SettingsStore.h"
#include "display/FileChooser.h"
#include "log/LogRecorder.h"
#include "monitor/StationWindows.h"
#include "session/RemoteSelectionDialog.h"
#include "session/StationSession.h"

#include <QAction>
#include <QListWidget>
#include <QPointer>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

namespace {
const QString kPrefs = QStringLiteral("Preferences");
}

class TestLogOptions : public QObject
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
        delete m_dialog;
        m_messages.reset();
        m_store.reset();
    }

    void enableLogging_data()
    {
        QTest::addColumn<QString>("stored"); // "logEnabledValue" before the dialog loads
        QTest::addColumn<bool>("enabledAtLoad");
        QTest::newRow("stored True") << "True" << true;
        QTest::newRow("stored False") << "False" << false;
        QTest::newRow("stored true in lower case") << "true" << false;
        QTest::newRow("stored True after a space") << " True" << false;
    }

    // Each use of the menu item turns logging over, on screen, in the session
    // and in the store.
    void enableLogging()
    {
        QFETCH(QString, stored);
        QFETCH(bool, enabledAtLoad);
        m_store->put(kPrefs, "RemoteChoice", "Velto");
        m_store->put(kPrefs, "Velto LogName", "v.txt");
        m_store->put(kPrefs, "logEnabledValue", stored);
        RemoteSelectionDialog *dialog = loadDialog();

        bool enabled = enabledAtLoad;
        for (int use = 0; use <= 2; ++use) {
            if (use > 0) {
                dialog->enableLogging->trigger();
                enabled = !enabled;
                QCOMPARE(storedOr("logEnabledValue"), SettingsStore::booleanText(enabled));
            }
            QCOMPARE(m_session->settings.loggingEnabled, enabled);
            QCOMPARE(dialog->enableLogging->isChecked(), enabled);
            QCOMPARE(dialog->saveFileAs->isEnabled(), enabled);
        }
    }

    void saveFileAs_data()
    {
        QTest::addColumn<QString>("storedChoice");
        QTest::addColumn<QString>("ardixName"); // stored when the menu is used
        QTest::addColumn<QString>("veltoName");
        QTest::addColumn<QString>("answer"); // empty: Cancel
        QTest::addColumn<QString>("proposed");
        QTest::addColumn<QString>("key"); // where the answer is stored
        QTest::addColumn<int>("rowAfter");
        const auto row = [](const char *name, const QString &choice, const QString &ardix,
                            const QString &velto, const QString &answer, const QString &proposed) {
            const bool ardixChosen = choice == "Ardix";
            QTest::newRow(name) << choice << ardix << velto << answer << proposed
                                << (ardixChosen ? "Ardix LogName" : "Velto LogName")
                                << (ardixChosen ? 0 : 1);
        };
        row("Ardix, stored name proposed", "Ardix", "/l/a.txt", "", "/l/new-a.txt", "/l/a.txt");
        row("Ardix, no name stored", "Ardix", "", "", "/l/b.txt", "ArdixMonitoring_Log");
        row("Velto, stored name proposed", "Velto", "/l/a.txt", "/l/v.txt", "/l/w.txt", "/l/v.txt");
        row("Velto, no name stored", "Velto", "", "", "/l/w.txt", "VeltoMonitoring_Log");
        row("name without .txt kept as typed", "Velto", "", "", "/l/mylog", "VeltoMonitoring_Log");
        row("no family chosen: Velto", "Other", "", "", "/l/x.txt", "VeltoMonitoring_Log");
        row("cancelled", "Ardix", "/l/a.txt", "", "", "/l/a.txt");
    }

    void saveFileAs()
    {
        QFETCH(QString, storedChoice);
        QFETCH(QString, ardixName);
        QFETCH(QString, veltoName);
        QFETCH(QString, answer);
        QFETCH(QString, proposed);
        QFETCH(QString, key);
        QFETCH(int, rowAfter);
        m_store->put(kPrefs, "RemoteChoice", storedChoice);
        RemoteSelectionDialog *dialog = loadDialog();
        m_store->put(kPrefs, "Ardix LogName", ardixName);
        m_store->put(kPrefs, "Velto LogName", veltoName);
        const QString before = storedOr(key);

        FileChooser::setNextAnswer(answer.isEmpty() ? std::nullopt
                                                    : std::optional<QString>(answer));
        dialog->saveFileAs_Click();
        const FileChooser::SaveRequest request = FileChooser::lastRequest();
        QCOMPARE(request.title, "Choose a Log File");
        QCOMPARE(request.filter, "Tab-Delimited Text File (*.txt)");
        QCOMPARE(request.proposedName, proposed);
        QCOMPARE(storedOr(key), answer.isEmpty() ? before : answer);
        QCOMPARE(dialog->listOfRadios->currentRow(), rowAfter);
        QCOMPARE(dialog->remoteChoice, rowAfter == 0 ? "Ardix" : "Velto");
        QVERIFY(m_messages->messages.isEmpty());
    }

    void messageWhileTheTimerIsOff_data()
    {
        QTest::addColumn<int>("meanwhile"); // 0 nothing, 1 stopped, 2 destroyed
        QTest::newRow("recorder goes on") << 0;
        QTest::newRow("recorder stopped while the message shows") << 1;
        QTest::newRow("recorder destroyed while the message shows") << 2;
    }

    // A tick that cannot write tells the operator with the log timer off, so no
    // tick follows while the message shows; afterwards the timer runs again.
    void messageWhileTheTimerIsOff()
    {
        QFETCH(int, meanwhile);
        QTemporaryDir dir;
        const QString path = dir.filePath("velto.txt");
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.close();
        m_store->put(kPrefs, "Velto LogName", path);
        m_session->settings.remoteKind = RemoteKind::Velto;
        m_session->settings.loggingEnabled = true;
        WriteProtection protection(path);
        if (!protection.active())
            QSKIP("this machine cannot make a file refuse writing (chattr +i as root)");

        QPointer<LogRecorder> recorder = new LogRecorder(
            {m_session->settings, m_session->link, m_session->gps, m_session->existingLog});
        recorder->start();
        std::optional<bool> timerActiveDuringMessage;
        m_messages->onShow = [&](const OperatorMessage &) {
            timerActiveDuringMessage = recorder->LogTimer->isActive();
            if (meanwhile == 1)
                recorder->stop();
            else if (meanwhile == 2)
                delete recorder;
        };
        recorder->LogTimer_Timer();

        QCOMPARE(m_messages->titles(), QStringList{"Error"});
        QCOMPARE(timerActiveDuringMessage, std::optional<bool>(false));
        QCOMPARE(file.size(), 0);
        QCOMPARE(recorder.isNull(), meanwhile == 2);
        if (recorder)
            QCOMPARE(recorder->LogTimer->isActive(), meanwhile == 0);
        delete recorder;
    }

private:
    RemoteSelectionDialog *loadDialog()
    {
        m_dialog = new RemoteSelectionDialog(*m_session, *m_windows);
        m_dialog->Form_Load();
        return m_dialog;
    }
    QString storedOr(const QString &key) const
    {
        return m_store->raw(kPrefs, key).value_or("<missing>");
    }

    std::optional<StationSession> m_session;

    std::optional<StationWindows> m_windows;
    std::unique_ptr<TestStore> m_store;
    std::unique_ptr<MessageRecorder> m_messages;
    QPointer<RemoteSelectionDialog> m_dialog;
};

QTEST_MAIN(TestLogOptions)
#include "tst_LogOptions.moc"
