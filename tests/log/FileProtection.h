#pragma once

#include <QFile>
#include <QProcess>
#include <QString>
#include <unistd.h>

// Runs a system tool; true when it ran and succeeded within ten seconds.
inline bool runTool(const QString &program, const QStringList &arguments)
{
    QProcess process;
    process.start(program, arguments);
    if (!process.waitForFinished(10000)) {
        process.kill();
        process.waitForFinished(1000);
        return false;
    }
    return process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
}

// Makes a file or folder refuse writing for the time it lives. Root may
// write anything whatever the permission bits say, so for root the file or
// folder is made immutable instead (chattr +i); active() tells whether this
// machine allowed it.
class WriteProtection
{
public:
    explicit WriteProtection(const QString &path) : m_path(path)
    {
        if (geteuid() == 0) {
            m_immutable = runTool(QStringLiteral("chattr"), {QStringLiteral("+i"), path});
            m_active = m_immutable;
        } else {
            m_previous = QFile::permissions(path);
            m_active =
                QFile::setPermissions(path, m_previous & ~(QFile::WriteOwner | QFile::WriteUser |
                                                           QFile::WriteGroup | QFile::WriteOther));
        }
    }
    ~WriteProtection() { release(); }
    WriteProtection(const WriteProtection &) = delete;
    WriteProtection &operator=(const WriteProtection &) = delete;

    bool active() const { return m_active; }
    void release()
    {
        if (!m_active)
            return;
        if (m_immutable)
            runTool(QStringLiteral("chattr"), {QStringLiteral("-i"), m_path});
        else
            QFile::setPermissions(m_path, m_previous);
        m_active = false;
    }

private:
    QString m_path;
    bool m_immutable = false;
    bool m_active = false;
    QFile::Permissions m_previous;
};
