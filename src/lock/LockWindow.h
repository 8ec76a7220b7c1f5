#pragma once

#include "app/OperatorMessages.h"
#include "lock/PasswordCheck.h"

#include <QWidget>
#include <functional>
#include <memory>

class QLabel;
class QLineEdit;
class QScreen;
class QTimer;

// The lock window. It covers the screen of the monitoring window, stays above
// the station's windows, is application-modal and takes the keyboard and the
// pointer where the platform allows a grab, so nothing else of the station
// can be used while it shows. Monitoring and logging go on behind it; the
// monitoring window's `test` timer keeps its two labels up to date.
//
// Only the password of the user running the station unlocks it. Closing the
// window (Alt+F4, Escape) does not. After each wrong password the field is
// disabled for a delay that grows with the count of wrong passwords in a row.
//
// Operator messages raised while it is locked wait until it is unlocked, so a
// modal message box can never hide behind it and block the password field.
//
// There is one lock window for the application; it outlives a monitoring
// window that closes while the station is locked.
class LockWindow : public QWidget
{
    Q_OBJECT
public:
    using Check = std::function<PasswordVerdict(const QString &)>;

    // The lock window, or nullptr before the station was first locked.
    static LockWindow *loaded();
    // The lock window, created on first use.
    static LockWindow *load();

    ~LockWindow() override;

    // Locks the station: covers the given screen (the primary one when null)
    // and takes the input until the right password has been typed.
    void lockScreen(QScreen *screen);
    bool isLocked() const { return m_locked; }
    // Wrong passwords typed in a row since the last unlock.
    int failures() const { return m_failures; }
    // How passwords are checked; PAM with the station's service by default.
    void setPasswordCheck(Check check);

    // ---- Controls, named as designed ----
    QLabel *Pasword = nullptr;
    QLineEdit *pw = nullptr;
    QLabel *testLabel = nullptr;  // RSSI
    QLabel *test2Label = nullptr; // connection status text
    QLabel *unlockMessage = nullptr;
    QTimer *retryDelay = nullptr; // runs while further passwords are refused

public slots:
    void pw_ReturnPressed();
    void retryDelay_Timer();

signals:
    void unlocked();

protected:
    void closeEvent(QCloseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    explicit LockWindow(QWidget *parent = nullptr);
    void buildControls();
    class QLayout *buildPasswordEntry();
    void buildTimers();
    void unlock();
    void bringToFront();
    void grabInput();
    void releaseInput();
    void holdOperatorMessages();
    void releaseOperatorMessages();

    Check m_check;
    bool m_locked = false;
    int m_failures = 0;
    int m_grabAttempts = 0;
    QTimer *m_grabRetry = nullptr;
    // The presenter in place before the lock; restored when it ends.
    std::shared_ptr<OperatorMessages::Presenter> m_heldPresenter;
};
