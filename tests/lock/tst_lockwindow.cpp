// The station's lock as the operator meets it: it covers the station and
// takes every input, only the right password ends it, and messages wait;
// beneath it the password check against PAM and the wait after wrong
// passwords.
#include "TestStation.h"
#include "lock/LockWindow.h"
#include "lock/PasswordCheck.h"
#include "lock/UnlockDelay.h"

#include <QApplication>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>
#include <climits>
#include <string_view>
#include <sys/wait.h>
#include <unistd.h>
#include <utility>

// PAM as the tests see it: pam_wrapper (preloaded by CTest) reads the service
// files from a folder of the test's own, and the services check passwords with
// pam_matrix against password files of the test's own. The machine's real
// accounts and /etc/pam.d are never used.
//
// pam_wrapper copies the service folder at the first PAM call of the process,
// so every service a test uses is written here, before that call.
class PamTestService
{
public:
    // pam_matrix with the test's password file, as for the station's service.
    static constexpr const char *kMatrix = "kavo-station";
    // Any password is accepted (pam_permit).
    static constexpr const char *kPermit = "lock-permit";
    // pam_matrix asking for the password with a prompt that echoes it.
    static constexpr const char *kEcho = "lock-echo";
    // pam_matrix with a password file that does not exist.
    static constexpr const char *kNoPassdb = "lock-nopassdb";

    // The password of the user running the test; non-ASCII, so the UTF-8
    // text must reach PAM unchanged.
    static QString rightPassword() { return QStringLiteral("Gr\u00fcnes-Funkfeld 7"); }

    // Fails the test unless pam_wrapper is loaded and active: without it a
    // check would go to the machine's real PAM configuration.
    PamTestService()
    {
        static_assert(std::string_view(kMatrix) == PasswordCheck::kServiceName);
        QVERIFY2(qgetenv("PAM_WRAPPER") == "1" &&
                     fileContent("/proc/self/maps").contains("libpam_wrapper.so"),
                 "pam_wrapper is not preloaded: refusing to check passwords against the "
                 "machine's own PAM configuration");
        QVERIFY(m_dir.isValid() && QDir(m_dir.path()).mkdir("services"));
        const QByteArray user = PasswordCheck::userName();
        QVERIFY2(!user.isEmpty(), "the test's user has a login name");
        const QByteArray entry = ':' + rightPassword().toUtf8() + ':' + kMatrix + '\n';
        QVERIFY(writeFileContent(m_dir.filePath("passdb"), user + entry));

        // Services without a file of their own fall back to "other": refuse there.
        const QString matrix = KAVO_PAM_MATRIX_MODULE " passdb=" + m_dir.path() + '/';
        const QList<std::pair<const char *, QString>> services{
            {"other", KAVO_PAM_DENY_MODULE},
            {kMatrix, matrix + "passdb"},
            {kPermit, KAVO_PAM_PERMIT_MODULE},
            {kEcho, matrix + "passdb echo"},
            {kNoPassdb, matrix + "no-such-passdb"}};
        for (const auto &[service, authLine] : services)
            QVERIFY(writeFileContent(m_dir.filePath(QString("services/") + service),
                                     "auth required " + authLine.toUtf8() + '\n'));
        qputenv("PAM_WRAPPER_SERVICE_DIR", QFile::encodeName(m_dir.filePath("services")));
    }

private:
    QTemporaryDir m_dir;
};

using namespace Qt::StringLiterals;

class tst_lockwindow : public QObject
{
    Q_OBJECT
    std::unique_ptr<PamTestService> m_pam;
    std::optional<TestStation> m_station;
    QPointer<MonitoringWindow> m_form;

    // The station's lock button, pressed as the operator does.
    LockWindow *lockByButton()
    {
        QTest::mouseClick(part<QPushButton>(m_form, "screen_lock"), Qt::LeftButton);
        return LockWindow::loaded();
    }

    // Types the text into the password field key by key, then Return.
    static void type(LockWindow *lock, const QString &password)
    {
        for (const QChar c : password)
            QTest::sendKeyEvent(QTest::Click, lock->pw, Qt::Key_unknown, QString(c),
                                Qt::NoModifier);
        QTest::keyClick(lock->pw, Qt::Key_Return);
    }

private slots:
    void initTestCase() { m_pam = std::make_unique<PamTestService>(); }

    void verdicts_data()
    {
        QTest::addColumn<QByteArray>("service");
        QTest::addColumn<QString>("password");
        QTest::addColumn<PasswordVerdict>("expected");
        // The station's own service and an unreadable password file are met
        // through the lock window below.
        // A module that accepts everything: a refusal here comes from the
        // check itself, before PAM is asked.
        const QByteArray permit = PamTestService::kPermit;
        QTest::newRow("any password, accepting service")
            << permit << u"anything"_s << PasswordVerdict::Accepted;
        QTest::newRow("empty password, accepting service")
            << permit << u""_s << PasswordVerdict::Refused;
        QTest::newRow("NUL in the password, accepting service")
            << permit << QString("ab") + QChar(0) + "c" << PasswordVerdict::Refused;
        // The password is never given to a prompt that would show it as typed.
        QTest::newRow("prompt that echoes")
            << QByteArray(PamTestService::kEcho) << PamTestService::rightPassword()
            << PasswordVerdict::Unchecked;
    }

    void verdicts()
    {
        QTEST(PasswordCheck(fetched<QByteArray>("service")).check(fetched<QString>("password")),
              "expected");
    }

    // One second after the first wrong password, doubling with each further
    // one, never more than half a minute.
    void unlockDelay_data()
    {
        QTest::addColumn<int>("failures");
        QTest::addColumn<int>("delayMs");
        const std::pair<int, int> rows[] = {{INT_MIN, 0}, {0, 0},     {1, 1000},       {2, 2000},
                                            {5, 16000},   {6, 30000}, {INT_MAX, 30000}};
        for (const auto &[failures, delayMs] : rows)
            QTest::addRow("%d", failures) << failures << delayMs;
    }

    void unlockDelay() { QTEST(UnlockDelay::afterFailures(fetched<int>("failures")), "delayMs"); }

    void init()
    {
        m_station.emplace();
        m_form = new MonitoringWindow(m_station->session, m_station->windows);
        m_form->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_form));
    }

    void cleanup()
    {
        delete LockWindow::loaded();
        delete m_form;
        m_station.reset();
    }

    // Nothing else of the station takes input while the lock shows, not even
    // a window shown afterwards; the window's timer keeps its labels current.
    void lockCoversTheStation()
    {
        m_form->test_Timer(); // the label timer alone does not lock
        QVERIFY(!LockWindow::loaded() && !m_station->session.monitor.screenLocked);
        m_station->session.link.rssi = -85;
        part<QLabel>(m_form, "status")->setText("Connecting");

        LockWindow *lock = lockByButton();
        QVERIFY(lock && lock->isLocked() && m_station->session.monitor.screenLocked);
        QCOMPARE(lock->geometry(), m_form->screen()->geometry());
        QWidget other;
        other.show();
        QCoreApplication::processEvents();
        QCOMPARE(QApplication::activeWindow(), lock);
        QCOMPARE(QApplication::activeModalWidget(), lock);
        m_form->test_Timer();
        QCOMPARE(lock->testLabel->text(), "-85");
        QCOMPARE(lock->test2Label->text(), "Connecting");

        // A monitoring window that closes while locked (an Ardix run going
        // back to the remote-selection dialog) leaves the lock in place, and
        // neither Escape nor Alt+F4 unlocks.
        delete m_form;
        QTest::keyClick(lock->pw, Qt::Key_Escape);
        QTest::keyClick(lock->pw, Qt::Key_F4, Qt::AltModifier);
        QVERIFY(!lock->close());
        QCOMPARE(LockWindow::loaded(), lock);
        QVERIFY(lock->isVisible() && lock->isLocked());
    }

    // An empty password is no attempt; each wrong one keeps the lock and
    // refuses the next one for longer; the right one unlocks. Locking again
    // starts the count afresh.
    void wrongPasswordsDelayThenTheRightOneUnlocks()
    {
        LockWindow *lock = lockByButton();
        QTest::keyClick(lock->pw, Qt::Key_Return);
        QVERIFY(lock->failures() == 0 && !lock->retryDelay->isActive());
        for (int failures = 1; failures <= 2; ++failures) {
            type(lock, "guess");
            QVERIFY(lock->isLocked() && lock->isVisible() && !lock->pw->isEnabled());
            QCOMPARE(lock->unlockMessage->text(), "Incorrect password.");
            QCOMPARE(lock->retryDelay->interval(), UnlockDelay::afterFailures(failures));
            // While the delay runs, not even the right password is checked.
            lock->pw->setText(PamTestService::rightPassword());
            lock->pw_ReturnPressed();
            QVERIFY(lock->isLocked());
            lock->pw->clear();
            lock->retryDelay->start(0);
            QTRY_VERIFY(lock->pw->isEnabled());
        }
        type(lock, PamTestService::rightPassword());
        QVERIFY(!lock->isLocked() && !lock->isVisible() && !QApplication::activeModalWidget());
        QCOMPARE(lockByButton(), lock);
        type(lock, "guess");
        QCOMPARE(lock->failures(), 1);
    }

    // When PAM cannot decide, the lock holds and does not blame the operator.
    void uncheckablePasswordKeepsTheLock()
    {
        LockWindow *lock = lockByButton();
        const PasswordCheck unreadable(PamTestService::kNoPassdb);
        lock->setPasswordCheck([unreadable](const QString &p) { return unreadable.check(p); });
        type(lock, PamTestService::rightPassword());
        QVERIFY(lock->isLocked() && lock->unlockMessage->text() != "Incorrect password.");
    }

    // An operator message raised while locked waits until the station is
    // unlocked: a modal box behind the lock would block the password field.
    void messagesWaitUntilUnlocked()
    {
        MessageRecorder recorder;
        QPointer<LockWindow> lock = lockByButton();
        qsizetype seenWhileLocked = -1;
        QTimer::singleShot(0, lock, [&] {
            seenWhileLocked = recorder.messages.size();
            type(lock, PamTestService::rightPassword());
        });
        // Should the message never be released, the watchdog ends the wait
        // by removing the lock; the comparisons then fail.
        QTimer::singleShot(10000, lock, [&] { delete lock; });
        OperatorMessages::show("Connection Error", MessageIcon::Stop, {"line"});
        QCOMPARE(seenWhileLocked, 0);
        QCOMPARE(recorder.titles(), QStringList{"Connection Error"});
    }

    // A user id without an account has no name to check a password against.
    void userWithoutAnAccount()
    {
        const pid_t child = fork();
        if (child == 0)
            _exit(setuid(54321) != 0 ? 2 : PasswordCheck::userName().isEmpty() ? 0 : 1);
        int status = -1;
        QVERIFY(child > 0 && waitpid(child, &status, 0) == child);
        if (WIFEXITED(status) && WEXITSTATUS(status) == 2)
            QSKIP("the test cannot take another user id here");
        QVERIFY(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
};

QTEST_MAIN(tst_lockwindow)
#include "tst_lockwindow.moc"
