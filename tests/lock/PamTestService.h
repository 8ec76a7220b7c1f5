#pragma once

#include "lock/PasswordCheck.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtTest>
#include <string_view>
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
    // pam_matrix with a password file that holds only another user.
    static constexpr const char *kStranger = "lock-stranger";
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
        QFile maps("/proc/self/maps");
        QVERIFY2(qgetenv("PAM_WRAPPER") == "1" && maps.open(QIODevice::ReadOnly) &&
                     maps.readAll().contains("libpam_wrapper.so"),
                 "pam_wrapper is not preloaded: refusing to check passwords against the "
                 "machine's own PAM configuration");
        QVERIFY(m_dir.isValid() && QDir(m_dir.path()).mkdir("services"));
        const QByteArray user = PasswordCheck::userName();
        QVERIFY2(!user.isEmpty(), "the test's user has a login name");
        const QByteArray entry = ':' + rightPassword().toUtf8() + ':' + kMatrix + '\n';
        write("passdb", user + entry);
        write("stranger-passdb", "kavo-stranger" + entry);

        // Services without a file of their own fall back to "other": refuse there.
        const QString matrix = KAVO_PAM_MATRIX_MODULE " passdb=" + m_dir.path() + '/';
        const QList<std::pair<const char *, QString>> services{
            {"other", KAVO_PAM_DENY_MODULE},         {kMatrix, matrix + "passdb"},
            {kPermit, KAVO_PAM_PERMIT_MODULE},       {kEcho, matrix + "passdb echo"},
            {kStranger, matrix + "stranger-passdb"}, {kNoPassdb, matrix + "no-such-passdb"}};
        for (const auto &[service, authLine] : services)
            write(QString("services/") + service, "auth required " + authLine.toUtf8() + '\n');
        qputenv("PAM_WRAPPER_SERVICE_DIR", QFile::encodeName(m_dir.filePath("services")));
    }

private:
    void write(const QString &name, const QByteArray &content)
    {
        QFile file(m_dir.filePath(name));
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write(content) == content.size());
    }

    QTemporaryDir m_dir;
};
