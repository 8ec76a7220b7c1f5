#pragma once

#include <QFile>
#include <QProcess>
#include <unistd.h>

// Runs a system tool; true when it succeeded within ten seconds.
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

// Makes a file or folder refuse writing for the time it lives. Root writes
// whatever the permission bits say, so for root it is made immutable
// (chattr +i) instead; active() tells whether this machine allowed it.
class WriteProtection
{
public:
    explicit WriteProtection(const QString &path)
        : m_path(path), m_previous(QFile::permissions(path))
    {
        m_active = m_root ? runTool("chattr", {"+i", path})
                          : QFile::setPermissions(
                                path, m_previous & ~(QFile::WriteOwner | QFile::WriteUser |
                                                     QFile::WriteGroup | QFile::WriteOther));
    }
    ~WriteProtection() { release(); }
    WriteProtection(const WriteProtection &) = delete;
    bool active() const { return m_active; }
    void release()
    {
        if (m_active && m_root)
            runTool("chattr", {"-i", m_path});
        else if (m_active)
            QFile::setPermissions(m_path, m_previous);
        m_active = false;
    }

private:
    const QString m_path;
    const QFile::Permissions m_previous;
    const bool m_root = geteuid() == 0;
    bool m_active = false;
};
