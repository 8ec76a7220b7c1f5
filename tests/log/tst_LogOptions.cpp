// The operator's log controls on the remote-selection dialog, and the
// monitoring window's log timer.
#include "FileProtection.h"
#include "TestSupport.h"
#include "app/FileChooser.h"
#include "app/Records.h"
#include "app/SettingsStore.h"
#include "log/LogFileOps.h"
#include "monitor/KavomonitoringForm.h"
#include "session/SnifferForm.h"

#include <QAction>
#include <QListWidget>
#include <QPointer>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

namespace {

const QString kPreferences = QString::fromUtf16(SettingsStore::kPreferences);
const QString kMissing = QStringLiteral("<missing>");

QByteArray contentOf(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

class TestLogOptions : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void enableLogging_data();
    void enableLogging();
    void saveFileAs_data();
    void saveFileAs();
    void logTimer_data();
    void logTimer();
    void messageWhileTheTimerIsOff();
    void windowGoneDuringTheMessage();

private:
    SnifferForm *loadDialog();
    KavomonitoringForm *makeWindow();
    QString storedOr(const QString &key) const
    {
        return m_store->raw(kPreferences, key).value_or(kMissing);
    }

    std::unique_ptr<TestStore> m_store;
    std::unique_ptr<MessageRecorder> m_messages;
    std::unique_ptr<QTemporaryDir> m_dir;
    QPointer<SnifferForm> m_dialog;
    QPointer<KavomonitoringForm> m_form;
};

void TestLogOptions::init()
{
    m_store = std::make_unique<TestStore>();
    m_messages = std::make_unique<MessageRecorder>();
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
}

void TestLogOptions::cleanup()
{
    delete m_dialog;
    delete m_form;
    m_dir.reset();
    m_messages.reset();
    m_store.reset();
}

SnifferForm *TestLogOptions::loadDialog()
{
    m_dialog = new SnifferForm;
    m_dialog->Form_Load();
    return m_dialog;
}

KavomonitoringForm *TestLogOptions::makeWindow()
{
    m_form = new KavomonitoringForm;
    return m_form;
}

void TestLogOptions::enableLogging_data()
{
    QTest::addColumn<QString>("stored"); // "logEnabledValue" before the dialog loads
    QTest::addColumn<bool>("enabledAtLoad");

    QTest::newRow("stored True") << "True" << true;
    QTest::newRow("stored False") << "False" << false;
    QTest::newRow("stored true in lower case") << "true" << false;
}

void TestLogOptions::enableLogging()
{
    QFETCH(QString, stored);
    QFETCH(bool, enabledAtLoad);
    m_store->put(kPreferences, QStringLiteral("RemoteChoice"), QStringLiteral("Velto"));
    m_store->put(kPreferences, QStringLiteral("Velto LogName"), QStringLiteral("v.txt"));
    m_store->put(kPreferences, QStringLiteral("logEnabledValue"), stored);
    SnifferForm *dialog = loadDialog();

    auto check = [&](bool enabled) {
        QCOMPARE(sessionSettings.loggingEnabled, enabled);
        QCOMPARE(dialog->enableLogging->isChecked(), enabled);
        QCOMPARE(dialog->saveFileAs->isEnabled(), enabled);
    };
    check(enabledAtLoad);
    dialog->enableLogging->trigger();
    check(!enabledAtLoad);
    QCOMPARE(storedOr(QStringLiteral("logEnabledValue")),
             SettingsStore::booleanText(!enabledAtLoad));
    dialog->enableLogging->trigger();
    check(enabledAtLoad);
    QCOMPARE(storedOr(QStringLiteral("logEnabledValue")),
             SettingsStore::booleanText(enabledAtLoad));
}

void TestLogOptions::saveFileAs_data()
{
    QTest::addColumn<QString>("storedChoice");
    QTest::addColumn<QString>("ardixName"); // stored when the menu is used
    QTest::addColumn<QString>("veltoName");
    QTest::addColumn<QString>("answer"); // empty: Cancel
    QTest::addColumn<QString>("proposed");
    QTest::addColumn<QString>("key"); // where the answer is stored
    QTest::addColumn<int>("rowAfter");

    QTest::newRow("Ardix, stored name proposed") << "Ardix"
                                                 << "/logs/a.txt"
                                                 << ""
                                                 << "/logs/new-a.txt"
                                                 << "/logs/a.txt"
                                                 << "Ardix LogName" << 0;
    QTest::newRow("Ardix, no name stored") << "Ardix"
                                           << ""
                                           << ""
                                           << "/logs/b.txt"
                                           << "ArdixMonitoring_Log"
                                           << "Ardix LogName" << 0;
    QTest::newRow("Velto, stored name proposed") << "Velto"
                                                 << "/logs/a.txt"
                                                 << "/logs/v.txt"
                                                 << "/logs/w.txt"
                                                 << "/logs/v.txt"
                                                 << "Velto LogName" << 1;
    QTest::newRow("Velto, no name stored") << "Velto"
                                           << ""
                                           << ""
                                           << "/logs/w.txt"
                                           << "VeltoMonitoring_Log"
                                           << "Velto LogName" << 1;
    QTest::newRow("name without .txt kept as typed") << "Velto"
                                                     << ""
                                                     << ""
                                                     << "/logs/mylog"
                                                     << "VeltoMonitoring_Log"
                                                     << "Velto LogName" << 1;
    QTest::newRow("no family chosen: Velto") << "Other"
                                             << ""
                                             << ""
                                             << "/logs/x.txt"
                                             << "VeltoMonitoring_Log"
                                             << "Velto LogName" << 1;
    QTest::newRow("cancelled") << "Ardix"
                               << "/logs/a.txt"
                               << ""
                               << ""
                               << "/logs/a.txt"
                               << "Ardix LogName" << 0;
}

void TestLogOptions::saveFileAs()
{
    QFETCH(QString, storedChoice);
    QFETCH(QString, ardixName);
    QFETCH(QString, veltoName);
    QFETCH(QString, answer);
    QFETCH(QString, proposed);
    QFETCH(QString, key);
    QFETCH(int, rowAfter);
    m_store->put(kPreferences, QStringLiteral("RemoteChoice"), storedChoice);
    SnifferForm *dialog = loadDialog();
    m_store->put(kPreferences, QStringLiteral("Ardix LogName"), ardixName);
    m_store->put(kPreferences, QStringLiteral("Velto LogName"), veltoName);
    const QString before = storedOr(key);

    FileChooser::setNextAnswer(answer.isEmpty() ? std::nullopt : std::optional<QString>(answer));
    dialog->saveFileAs_Click();

    const FileChooser::SaveRequest request = FileChooser::lastRequest();
    QCOMPARE(request.title, QStringLiteral("Choose a Log File"));
    QCOMPARE(request.filter, QStringLiteral("Tab-Delimited Text File (*.txt)"));
    QCOMPARE(request.proposedName, proposed);
    QCOMPARE(storedOr(key), answer.isEmpty() ? before : answer);
    QCOMPARE(dialog->listOfRadios->currentRow(), rowAfter);
    QVERIFY(m_messages->messages.isEmpty());
}

void TestLogOptions::logTimer_data()
{
    QTest::addColumn<bool>("loggingEnabled");
    QTest::addColumn<int>("lines"); // in the log file afterwards

    QTest::newRow("logging enabled") << true << 2;
    QTest::newRow("logging disabled") << false << 0;
}

void TestLogOptions::logTimer()
{
    QFETCH(bool, loggingEnabled);
    QFETCH(int, lines);
    const QString path = m_dir->filePath(QStringLiteral("velto.txt"));
    m_store->put(kPreferences, QStringLiteral("Velto LogName"), path);
    sessionSettings.remoteKind = RemoteKind::Velto;
    sessionSettings.loggingEnabled = loggingEnabled;

    KavomonitoringForm *form = makeWindow();
    form->LogTimer->start();
    form->LogTimer_Timer();
    QCOMPARE(contentOf(path).count("\r\n"), lines);
    QVERIFY(form->LogTimer->isActive());
    QCOMPARE(form->LogTimer->interval(), 60000);
}

void TestLogOptions::messageWhileTheTimerIsOff()
{
    const QString path = m_dir->filePath(QStringLiteral("velto.txt"));
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.close();
    m_store->put(kPreferences, QStringLiteral("Velto LogName"), path);
    sessionSettings.loggingEnabled = true;
    WriteProtection protection(path);
    if (!protection.active())
        QSKIP("this machine cannot make a file refuse writing (chattr +i as root)");

    KavomonitoringForm *form = makeWindow();
    form->LogTimer->start();
    std::optional<bool> timerActiveDuringMessage;
    m_messages->onShow = [&](const OperatorMessage &) {
        timerActiveDuringMessage = form->LogTimer->isActive();
    };
    form->LogTimer_Timer();

    QCOMPARE(m_messages->titles(), QStringList{QStringLiteral("Error")});
    QCOMPARE(timerActiveDuringMessage, std::optional<bool>(false));
    QVERIFY(form->LogTimer->isActive());
    QCOMPARE(contentOf(path), QByteArray());
}

void TestLogOptions::windowGoneDuringTheMessage()
{
    const QString path = m_dir->filePath(QStringLiteral("velto.txt"));
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.close();
    m_store->put(kPreferences, QStringLiteral("Velto LogName"), path);
    sessionSettings.loggingEnabled = true;
    WriteProtection protection(path);
    if (!protection.active())
        QSKIP("this machine cannot make a file refuse writing (chattr +i as root)");

    makeWindow();
    m_messages->onShow = [this](const OperatorMessage &) { delete m_form; };
    m_form->LogTimer_Timer();
    QVERIFY(!m_form);
    QCOMPARE(m_messages->messages.size(), 1);
}

QTEST_MAIN(TestLogOptions)
#include "tst_LogOptions.moc"
