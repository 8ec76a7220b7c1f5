#pragma once

#include <QString>
#include <QTemporaryDir>

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
    // pam_matrix with a password file that holds only another user.
    static constexpr const char *kStranger = "lock-stranger";
    // pam_matrix with a password file that does not exist.
    static constexpr const char *kNoPassdb = "lock-nopassdb";

    // The password the test's password file holds for the user running the
    // test; non-ASCII, so the UTF-8 text must reach PAM unchanged.
    static QString rightPassword();

    PamTestService();

    // True when pam_wrapper is loaded and active: without it a check would go
    // to the machine's real PAM configuration, so tests must not run.
    static bool wrapperActive();

private:
    void writeService(const char *service, const QString &authLine);
    QString matrixLine(const QString &passdb, const QString &options = {}) const;

    QTemporaryDir m_dir;
};
