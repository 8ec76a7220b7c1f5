#pragma once

#include <QByteArray>
#include <QString>

// What the check made of a password.
enum class PasswordVerdict
{
    Accepted,  // the password of the user running the station
    Refused,   // a wrong password, or one that is never offered to PAM
    Unchecked, // PAM could not decide (no service, unreadable password store, ...)
};

// Checks a password against the account of the user running the station,
// through PAM, as screen lockers do. The check is synchronous and short: the
// conversation answers PAM's password prompt with the given text at once, and
// the delay PAM modules ask for after a failure is left to the caller, which
// waits on a timer instead of blocking the user-interface thread.
class PasswordCheck
{
public:
    // The PAM service the station authenticates with: /etc/pam.d/kavo-station.
    static constexpr const char *kServiceName = "kavo-station";

    explicit PasswordCheck(QByteArray service = kServiceName);

    // Empty passwords and passwords holding a NUL character are refused
    // without asking PAM.
    PasswordVerdict check(const QString &password) const;

    // Login name of the process's real user id; empty when it has none.
    static QByteArray userName();

private:
    QByteArray m_service;
};
