#include "PamTestService.h"
#include "TestSupport.h"
#include "app/OperatorMessages.h"
#include "app/Records.h"
#include "lock/UnlockDelay.h"
#include "lock/screenSaver.h"
#include "monitor/KavomonitoringForm.h"

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

class tst_screenSaver : public QObject
{
    Q_OBJECT
    std::unique_ptr<PamTestService> m_pam;
    std::unique_ptr<TestStore> m_store;
    QPointer<KavomonitoringForm> m_form;

    // The station's lock button, pressed as the operator does.
    screenSaver *lockByButton()
    {
        QTest::mouseClick(m_form->screen_lock, Qt::LeftButton);
        return screenSaver::loaded();
    }

    // Types the text into the password field key by key, then Return.
    static void type(screenSaver *lock, const QString &password)
    {
        for (const QChar c : password)
            QTest::sendKeyEvent(QTest::Click, lock->pw, Qt::Key_unknown, QString(c),
                                Qt::NoModifier);
        QTest::keyClick(lock->pw, Qt::Key_Return);
    }

private slots:
    void initTestCase()
    {
        QVERIFY2(PamTestService::wrapperActive(),
                 "pam_wrapper is not preloaded: refusing to check passwords against the "
                 "machine's own PAM configuration");
        m_pam = std::make_unique<PamTestService>();
    }

    void init()
    {
        m_store = std::make_unique<TestStore>();
        m_form = new KavomonitoringForm;
        m_form->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_form));
    }

    void cleanup()
    {
        delete screenSaver::loaded();
        delete m_form;
        m_store.reset();
    }

    void timerBeforeFirstPressChangesNothing()
    {
        linkStatistics.rssi = -85;
        m_form->test_Timer();
        QVERIFY(!screenSaver::loaded());
        QVERIFY(!monitorState.screenLocked);
    }

    void lockCoversTheStation()
    {
        m_form->test->start();
        screenSaver *lock = lockByButton();
        QVERIFY(lock);
        QVERIFY(monitorState.screenLocked);
        QVERIFY(lock->isLocked());
        QVERIFY(lock->isVisible());
        QCOMPARE(lock->geometry(), m_form->screen()->geometry());
        QVERIFY(lock->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
        QVERIFY(lock->windowFlags().testFlag(Qt::FramelessWindowHint));
        // Nothing else of the station takes input while the lock shows.
        QCOMPARE(QApplication::activeModalWidget(), lock);
        // Monitoring goes on behind it.
        QVERIFY(m_form->test->isActive());
    }

    void labelsFollowTheRecords_data()
    {
        QTest::addColumn<RemoteKind>("kind");
        QTest::addColumn<int>("rssi");
        QTest::addColumn<QString>("status");
        QTest::addColumn<QString>("rssiText");

        QTest::newRow("Ardix at -85 dBm")
            << RemoteKind::Ardix << -85 << QStringLiteral("Associated") << QStringLiteral("-85");
        QTest::newRow("Velto at the same level")
            << RemoteKind::Velto << 85 << QStringLiteral("Associated") << QStringLiteral("85");
        QTest::newRow("disconnected")
            << RemoteKind::Velto << 0 << QStringLiteral("Disconnected From Radio")
            << QStringLiteral("0");
        QTest::newRow("weakest Ardix reading")
            << RemoteKind::Ardix << -32768 << QStringLiteral("Scanning")
            << QStringLiteral("-32768");
    }

    void labelsFollowTheRecords()
    {
        QFETCH(RemoteKind, kind);
        QFETCH(int, rssi);
        QFETCH(QString, status);
        QFETCH(QString, rssiText);

        sessionSettings.remoteKind = kind;
        screenSaver *lock = lockByButton();
        linkStatistics.rssi = static_cast<qint16>(rssi);
        m_form->status->setText(status);
        m_form->test_Timer();
        QCOMPARE(lock->testLabel->text(), rssiText);
        QCOMPARE(lock->test2Label->text(), status);

        // The next tick shows the newer values.
        linkStatistics.rssi = 42;
        m_form->status->setText(QStringLiteral("Connecting"));
        m_form->test_Timer();
        QCOMPARE(lock->testLabel->text(), QString::number(42));
        QCOMPARE(lock->test2Label->text(), QStringLiteral("Connecting"));
    }

    void rightPasswordUnlocks()
    {
        screenSaver *lock = lockByButton();
        QSignalSpy unlocked(lock, &screenSaver::unlocked);
        type(lock, PamTestService::rightPassword());
        QCOMPARE(unlocked.count(), 1);
        QVERIFY(!lock->isLocked());
        QVERIFY(!lock->isVisible());
        QVERIFY(QApplication::activeModalWidget() == nullptr);
        QCOMPARE(lock->pw->text(), QString());
        // The labels are still refreshed, as before.
        QVERIFY(monitorState.screenLocked);
    }

    void wrongPasswordKeepsTheLockAndDelays()
    {
        screenSaver *lock = lockByButton();
        QSignalSpy unlocked(lock, &screenSaver::unlocked);
        type(lock, QStringLiteral("guess"));
        QVERIFY(lock->isLocked());
        QVERIFY(lock->isVisible());
        QCOMPARE(unlocked.count(), 0);
        QCOMPARE(lock->unlockMessage->text(), QStringLiteral("Incorrect password."));
        QCOMPARE(lock->pw->text(), QString());
        QVERIFY(!lock->pw->isEnabled());
        QVERIFY(lock->retryDelay->isActive());
        QCOMPARE(lock->retryDelay->interval(), UnlockDelay::afterFailures(1));

        // While the delay runs, not even the right password is checked.
        lock->pw->setText(PamTestService::rightPassword());
        lock->pw_ReturnPressed();
        QVERIFY(lock->isLocked());
        QCOMPARE(lock->failures(), 1);

        lock->retryDelay_Timer();
        QVERIFY(lock->pw->isEnabled());
        type(lock, QStringLiteral("another guess"));
        QVERIFY(lock->isLocked());
        QCOMPARE(lock->failures(), 2);
        QCOMPARE(lock->retryDelay->interval(), UnlockDelay::afterFailures(2));
        QVERIFY(lock->retryDelay->interval() > UnlockDelay::afterFailures(1));

        lock->retryDelay_Timer();
        type(lock, PamTestService::rightPassword());
        QVERIFY(!lock->isLocked());
        QCOMPARE(unlocked.count(), 1);
        QCOMPARE(lock->unlockMessage->text(), QString());
    }

    // Pressing the button again shows the same window; the count of wrong
    // passwords starts afresh with each lock.
    void lockingAgainStartsAfresh()
    {
        screenSaver *lock = lockByButton();
        for (int i = 0; i < 3; ++i) {
            type(lock, QStringLiteral("guess"));
            lock->retryDelay_Timer();
        }
        type(lock, PamTestService::rightPassword());
        QVERIFY(!lock->isLocked());

        QCOMPARE(lockByButton(), lock);
        QVERIFY(lock->isLocked());
        QCOMPARE(lock->unlockMessage->text(), QString());
        type(lock, QStringLiteral("guess"));
        QCOMPARE(lock->retryDelay->interval(), UnlockDelay::afterFailures(1));
    }

    void emptyPasswordIsNoAttempt()
    {
        screenSaver *lock = lockByButton();
        QTest::keyClick(lock->pw, Qt::Key_Return);
        QVERIFY(lock->isLocked());
        QCOMPARE(lock->failures(), 0);
        QVERIFY(lock->pw->isEnabled());
        QVERIFY(!lock->retryDelay->isActive());
        QCOMPARE(lock->unlockMessage->text(), QString());
    }

    // When PAM cannot decide, the lock holds and does not blame the operator.
    void uncheckablePasswordKeepsTheLock()
    {
        screenSaver *lock = lockByButton();
        const PasswordCheck unreadable(PamTestService::kNoPassdb);
        lock->setPasswordCheck([unreadable](const QString &p) { return unreadable.check(p); });
        type(lock, PamTestService::rightPassword());
        QVERIFY(lock->isLocked());
        QVERIFY(lock->unlockMessage->text() != QStringLiteral("Incorrect password."));
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
        screenSaver *lock = lockByButton();
        QTest::keyClick(lock->pw, Qt::Key(key), modifiers);
        QVERIFY(!lock->close());
        QVERIFY(lock->isVisible());
        QVERIFY(lock->isLocked());
    }

    // A monitoring window that closes while locked (an Ardix run going back
    // to the remote-selection dialog) leaves the lock in place.
    void lockOutlivesTheMonitoringWindow()
    {
        screenSaver *lock = lockByButton();
        delete m_form;
        QVERIFY(screenSaver::loaded());
        QVERIFY(lock->isVisible());
        QVERIFY(lock->isLocked());
    }

    // An operator message raised while locked waits until the station is
    // unlocked: a modal box behind the lock would block the password field.
    void messagesWaitUntilUnlocked()
    {
        MessageRecorder recorder;
        screenSaver *lock = lockByButton();
        qsizetype seenWhileLocked = -1;
        QTimer::singleShot(0, lock, [&] {
            seenWhileLocked = recorder.messages.size();
            type(lock, PamTestService::rightPassword());
        });
        // Should the message not wait, or never be released, the watchdog
        // ends the wait by removing the lock; the comparisons then fail.
        QTimer watchdog;
        watchdog.setSingleShot(true);
        connect(&watchdog, &QTimer::timeout, lock, [lock] { delete lock; });
        watchdog.start(10000);

        OperatorMessages::show(QStringLiteral("Connection Error"), MessageIcon::Stop,
                               {QStringLiteral("line")});
        watchdog.stop();
        QCOMPARE(seenWhileLocked, 0);
        QCOMPARE(recorder.titles(), QStringList{QStringLiteral("Connection Error")});
        QVERIFY(screenSaver::loaded());

        // Once unlocked, messages are shown at once again.
        OperatorMessages::show(QStringLiteral("Error"), MessageIcon::Stop, {QStringLiteral("x")});
        QCOMPARE(recorder.messages.size(), 2);
    }

    // A message is not lost when the lock window goes while it waits.
    void waitingMessageSurvivesTheLockWindow()
    {
        MessageRecorder recorder;
        screenSaver *lock = lockByButton();
        QTimer::singleShot(0, lock, [lock] { delete lock; });
        OperatorMessages::show(QStringLiteral("Radio Error"), MessageIcon::Stop,
                               {QStringLiteral("line")});
        QCOMPARE(recorder.titles(), QStringList{QStringLiteral("Radio Error")});
        QVERIFY(!screenSaver::loaded());
    }

    // Another station window that shows while locked does not take the input.
    void stationWindowShownWhileLockedStaysBehind()
    {
        screenSaver *lock = lockByButton();
        QWidget other;
        other.setWindowTitle(QStringLiteral("another station window"));
        other.show();
        QCoreApplication::processEvents();
        QCOMPARE(QApplication::activeWindow(), lock);
        QCOMPARE(QApplication::activeModalWidget(), lock);
    }
};

QTEST_MAIN(tst_screenSaver)
#include "tst_screenSaver.moc"
