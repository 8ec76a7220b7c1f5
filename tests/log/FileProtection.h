#pragma once

#include <QFile>
#include <QProcess>
#include <unistd.h>

// Runs a system tool; true when it succeeded within ten seconds.
inline bool runTool(const QString &program, const QStringList &arguments)
{
    QProcess process;
    process.start(program, arguments);
    const bool finished = process.waitForFinished(10000);
    if (!finished)
        process.kill();
    return finished && process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
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
                                path, m_previous & ~QFile::Permissions(0x2222)); // every write bit
    }
    ~WriteProtection() { release(); }
    WriteProtection(const WriteProtection &) = delete;
    bool active() const { return m_active; }
    void release()
    {
        if (m_active && !(m_root ? runTool("chattr", {"-i", m_path})
                                 : QFile::setPermissions(m_path, m_previous)))
            qWarning("could not make %s writable again", qPrintable(m_path));
        m_active = false;
    }

private:
    const QString m_path;
    const QFile::Permissions m_previous;
    const bool m_root = geteuid() == 0;
    bool m_active = false;
};
