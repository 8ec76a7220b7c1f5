#include "PamTestService.h"
#include "TestSupport.h"
#include "app/OperatorMessages.h"
#include "lock/LockWindow.h"
#include "lock/UnlockDelay.h"
#include "monitor/MonitoringWindow.h"
#include "monitor/StationWindows.h"
#include "session/StationSession.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QSignalSpy>
#include <QTimer>
#include <QtTest>
#include <memory>
#include <optional>

class tst_lockwindow : public QObject
{
    Q_OBJECT
    std::unique_ptr<PamTestService> m_pam;
    std::optional<StationSession> m_session;
    std::optional<StationWindows> m_windows;
    std::unique_ptr<TestStore> m_store;
    QPointer<MonitoringWindow> m_form;

    // The station's lock button, pressed as the operator does.
    LockWindow *lockByButton()
    {
        QTest::mouseClick(m_form->screen_lock, Qt::LeftButton);
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
        m_store = std::make_unique<TestStore>();
        m_session.emplace();
        m_windows.emplace(*m_session);
        m_form = new MonitoringWindow(*m_session, *m_windows);
        m_form->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_form));
    }

    void cleanup()
    {
        delete LockWindow::loaded();
        delete m_form;
        m_store.reset();
    }

    void lockCoversTheStation()
    {
        // The label timer alone does not lock.
        m_form->test_Timer();
        QVERIFY(!LockWindow::loaded());
        QVERIFY(!m_session->monitor.screenLocked);

        m_form->test->start();
        LockWindow *lock = lockByButton();
        QVERIFY(lock);
        QVERIFY(m_session->monitor.screenLocked);
        QVERIFY(lock->isLocked());
        QVERIFY(lock->isVisible());
        QCOMPARE(lock->geometry(), m_form->screen()->geometry());
        QVERIFY(lock->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
        QVERIFY(lock->windowFlags().testFlag(Qt::FramelessWindowHint));
        // Nothing else of the station takes input while the lock shows, not
        // even a station window shown afterwards.
        QCOMPARE(QApplication::activeModalWidget(), lock);
        QWidget other;
        other.show();
        QCoreApplication::processEvents();
        QCOMPARE(QApplication::activeWindow(), lock);
        QCOMPARE(QApplication::activeModalWidget(), lock);
        // Monitoring goes on behind it.
        QVERIFY(m_form->test->isActive());

        // A monitoring window that closes while locked (an Ardix run going
        // back to the remote-selection dialog) leaves the lock in place.
        delete m_form;
        QCOMPARE(LockWindow::loaded(), lock);
        QVERIFY(lock->isVisible());
        QVERIFY(lock->isLocked());
    }

    void labelsFollowTheRecords_data()
    {
        QTest::addColumn<RemoteKind>("kind");
        QTest::addColumn<int>("rssi");
        QTest::addColumn<QString>("status");
        QTest::addColumn<QString>("rssiText");
        const auto row = [](const char *name, RemoteKind kind, int rssi, const QString &status,
                            const QString &rssiText) {
            QTest::newRow(name) << kind << rssi << status << rssiText;
        };
        row("Ardix at -85 dBm", RemoteKind::Ardix, -85, "Associated", "-85");
        row("Velto at the same level", RemoteKind::Velto, 85, "Associated", "85");
        row("disconnected", RemoteKind::Velto, 0, "Disconnected From Radio", "0");
        row("weakest Ardix reading", RemoteKind::Ardix, -32768, "Scanning", "-32768");
    }

    void labelsFollowTheRecords()
    {
        QFETCH(RemoteKind, kind);
        QFETCH(int, rssi);
        QFETCH(QString, status);
        QFETCH(QString, rssiText);
        m_session->settings.remoteKind = kind;
        LockWindow *lock = lockByButton();
        m_session->link.rssi = static_cast<qint16>(rssi);
        m_form->status->setText(status);
        m_form->test_Timer();
        QCOMPARE(lock->testLabel->text(), rssiText);
        QCOMPARE(lock->test2Label->text(), status);

        // The next tick shows the newer values.
        m_session->link.rssi = 42;
        m_form->status->setText("Connecting");
        m_form->test_Timer();
        QCOMPARE(lock->testLabel->text(), "42");
        QCOMPARE(lock->test2Label->text(), "Connecting");
    }

    // An empty password is no attempt; each wrong one keeps the lock and
    // refuses the next one for longer; the right one unlocks. Locking again starts the count
    // afresh.
    void wrongPasswordsDelayThenTheRightOneUnlocks()
    {
        LockWindow *lock = lockByButton();
        QSignalSpy unlocked(lock, &LockWindow::unlocked);
        QTest::keyClick(lock->pw, Qt::Key_Return);
        QCOMPARE(lock->failures(), 0);
        QVERIFY(!lock->retryDelay->isActive());
        QCOMPARE(lock->unlockMessage->text(), QString());
        for (int failures = 1; failures <= 2; ++failures) {
            type(lock, "guess");
            QVERIFY(lock->isLocked());
            QVERIFY(lock->isVisible());
            QCOMPARE(lock->failures(), failures);
            QCOMPARE(lock->unlockMessage->text(), "Incorrect password.");
            QCOMPARE(lock->pw->text(), QString());
            QVERIFY(!lock->pw->isEnabled());
            QVERIFY(lock->retryDelay->isActive());
            QCOMPARE(lock->retryDelay->interval(), UnlockDelay::afterFailures(failures));
            // While the delay runs, not even the right password is checked.
            lock->pw->setText(PamTestService::rightPassword());
            lock->pw_ReturnPressed();
            QVERIFY(lock->isLocked());
            lock->pw->clear();
            lock->retryDelay_Timer();
            QVERIFY(lock->pw->isEnabled());
        }
        QCOMPARE(unlocked.count(), 0);

        type(lock, PamTestService::rightPassword());
        QCOMPARE(unlocked.count(), 1);
        QVERIFY(!lock->isLocked());
        QVERIFY(!lock->isVisible());
        QVERIFY(QApplication::activeModalWidget() == nullptr);
        QCOMPARE(lock->pw->text(), QString());
        QCOMPARE(lock->unlockMessage->text(), QString());
        QVERIFY(m_session->monitor.screenLocked); // the labels are still refreshed, as before

        QCOMPARE(lockByButton(), lock);
        QVERIFY(lock->isLocked());
        type(lock, "guess");
        QCOMPARE(lock->failures(), 1);
        QCOMPARE(lock->retryDelay->interval(), UnlockDelay::afterFailures(1));
    }

    // When PAM cannot decide, the lock holds and does not blame the operator.
    void uncheckablePasswordKeepsTheLock()
    {
        LockWindow *lock = lockByButton();
        const PasswordCheck unreadable(PamTestService::kNoPassdb);
        lock->setPasswordCheck([unreadable](const QString &p) { return unreadable.check(p); });
        type(lock, PamTestService::rightPassword());
        QVERIFY(lock->isLocked());
        QVERIFY(lock->unlockMessage->text() != "Incorrect password.");
        QVERIFY(!lock->unlockMessage->text().isEmpty());
        QVERIFY(lock->retryDelay->isActive());
    }

    void closingDoesNotUnlock_data()
    {
        QTest::addColumn<int>("key");
        QTest::addColumn<Qt::KeyboardModifiers>("modifiers");
        QTest::newRow("Escape") << int(Qt::Key_Escape) << Qt::KeyboardModifiers();
        QTest::newRow("Alt+F4") << int(Qt::Key_F4) << Qt::KeyboardModifiers(Qt::AltModifier);
    }

    void closingDoesNotUnlock()
    {
        QFETCH(int, key);
        QFETCH(Qt::KeyboardModifiers, modifiers);
        LockWindow *lock = lockByButton();
        QTest::keyClick(lock->pw, Qt::Key(key), modifiers);
        QVERIFY(!lock->close());
        QVERIFY(lock->isVisible());
        QVERIFY(lock->isLocked());
    }

    void messagesWaitUntilUnlocked_data()
    {
        QTest::addColumn<bool>("lockWindowGoes"); // instead of being unlocked
        QTest::newRow("unlocked") << false;
        QTest::newRow("lock window gone") << true;
    }

    // An operator message raised while locked waits until the station is
    // unlocked, or the lock window is gone: a modal box behind the lock
    // would block the password field.
    void messagesWaitUntilUnlocked()
    {
        QFETCH(bool, lockWindowGoes);
        MessageRecorder recorder;
        QPointer<LockWindow> lock = lockByButton();
        qsizetype seenWhileLocked = -1;
        QTimer::singleShot(0, lock, [&] {
            seenWhileLocked = recorder.messages.size();
            if (lockWindowGoes)
                delete lock;
            else
                type(lock, PamTestService::rightPassword());
        });
        // Should the message never be released, the watchdog ends the wait
        // by removing the lock; the comparisons then fail.
        QTimer watchdog;
        watchdog.setSingleShot(true);
        connect(&watchdog, &QTimer::timeout, lock, [&] { delete lock; });
        watchdog.start(10000);

        OperatorMessages::show("Connection Error", MessageIcon::Stop, {"line"});
        watchdog.stop();
        QCOMPARE(seenWhileLocked, 0);
        QCOMPARE(recorder.titles(), QStringList{"Connection Error"});
        QCOMPARE(lock.isNull(), lockWindowGoes);

        // Afterwards messages are shown at once again.
        OperatorMessages::show("Error", MessageIcon::Stop, {"x"});
        QCOMPARE(recorder.messages.size(), 2);
    }
};

QTEST_MAIN(tst_lockwindow)
#include "tst_lockwindow.moc"
