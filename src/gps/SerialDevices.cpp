#include "SerialDevices.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <grp.h>
#include <optional>
#include <unistd.h>

namespace SerialDevices {

namespace {

// Bounds of the scan of the process table: far above what a station runs.
constexpr int kMostProcesses = 32768;
constexpr int kMostFilesPerProcess = 4096;

QString processName(const QDir &process)
{
    QFile comm(process.filePath(QStringLiteral("comm")));
    if (!comm.open(QIODevice::ReadOnly))
        return {};
    return QString::fromLocal8Bit(comm.readLine(64)).trimmed();
}

// Whether one of the process's open files is target; nullopt when the
// process's files cannot be read.
std::optional<bool> hasOpen(const QDir &process, const QString &target)
{
    const QDir fds(process.filePath(QStringLiteral("fd")));
    if (!fds.isReadable())
        return std::nullopt;
    const QStringList entries =
        fds.entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot);
    for (qsizetype i = 0; i < entries.size() && i < kMostFilesPerProcess; ++i) {
        if (QFileInfo(fds.filePath(entries.at(i))).symLinkTarget() == target)
            return true;
    }
    return false;
}

bool userInGroup(gid_t group)
{
    if (getegid() == group)
        return true;
    gid_t groups[256];
    const int count = getgroups(256, groups);
    for (int i = 0; i < count; ++i) {
        if (groups[i] == group)
            return true;
    }
    return false;
}

} // namespace

QStringList receiversById(const QString &folder)
{
    QStringList paths;
    const QDir dir(folder);
    for (const QString &name :
         dir.entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot, QDir::Name))
        paths << dir.filePath(name);
    return paths;
}

QString byIdPathOf(const QString &device, const QString &folder)
{
    const QString target = QFileInfo(device).canonicalFilePath();
    if (target.isEmpty())
        return {};
    for (const QString &path : receiversById(folder)) {
        if (QFileInfo(path).canonicalFilePath() == target)
            return path;
    }
    return {};
}

std::optional<bool> heldByGpsd(const QString &device, const QString &procRoot)
{
    const QString target = QFileInfo(device).canonicalFilePath();
    const QDir proc(procRoot);
    const QStringList entries = proc.entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    bool unreadable = false;
    for (qsizetype i = 0; i < entries.size() && i < kMostProcesses; ++i) {
        bool isPid = false;
        entries.at(i).toInt(&isPid);
        if (!isPid)
            continue;
        const QDir process(proc.filePath(entries.at(i)));
        if (processName(process) != QLatin1String("gpsd"))
            continue;
        const std::optional<bool> open = hasOpen(process, target);
        if (open.value_or(false))
            return true;
        unreadable = unreadable || !open.has_value();
    }
    return unreadable ? std::nullopt : std::optional<bool>(false);
}

QString openFailureReason(const QString &device)
{
    const QFileInfo info(device);
    if (!info.exists())
        return QStringLiteral("there is no such device (is the receiver plugged in?)");
    if (info.isDir())
        return QStringLiteral("it is a folder, not a serial device");
    if (!info.isReadable()) {
        const QString group = info.group();
        if (!group.isEmpty() && !userInGroup(info.groupId()))
            return QStringLiteral("this user may not read it: add the user to the group "
                                  "\"%1\" and log in again")
                .arg(group);
        return QStringLiteral("this user may not read it");
    }
    return QStringLiteral("it is not a serial line");
}

} // namespace SerialDevices
