// The station's lock as the operator meets it: it covers the station and
// takes every input, only the right password ends it, and messages wait.
#include "PamTestService.h"
#include "TestStation.h"
#include "lock/LockWindow.h"
#include "lock/UnlockDelay.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QTimer>
#include <QtTest>

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
            lock->retryDelay_Timer();
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
};

QTEST_MAIN(tst_lockwindow)
#include "tst_lockwindow.moc"
