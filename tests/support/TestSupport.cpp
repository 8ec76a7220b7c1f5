#include "TestSupport.h"

#include "app/ApplicationExit.h"
#include "app/CongestionStatus.h"
#include "app/Records.h"
#include "app/SettingsStore.h"
#include "stream/MulticastMembership.h"

#include <QDir>
#include <QFile>
#include <QNetworkInterface>
#include <QSettings>
#include <QtTest>
#include <algorithm>
#include <sys/stat.h>

namespace {

// No test lets a multicast membership report leave the machine: a window
// that starts an Ardix stream joins the group on loopback only, whatever
// interfaces the machine has. A test may still choose other interfaces.
[[maybe_unused]] const bool kMembershipsOnLoopback = [] {
    MulticastMembership::setInterfaceSource([] {
        const int loopback = QNetworkInterface::interfaceIndexFromName(QStringLiteral("lo"));
        return loopback > 0 ? QList<int>{loopback} : QList<int>{};
    });
    return true;
}();

// A station that ends the process in the middle of a test would end the test
// run with exit code 0 and every later test silently skipped: outside a
// TerminationRecorder, a request to terminate fails the run loudly instead.
[[maybe_unused]] const bool kTerminationIsAFailure = [] {
    ApplicationExit::setTerminator(
        [] { qFatal("the station asked to end the process outside a TerminationRecorder"); });
    return true;
}();

} // namespace

TestStore::TestStore()
{
    QVERIFY2(m_dir.isValid(), "temporary settings folder");
    QSettings::setPath(SettingsStore::format(), QSettings::UserScope, m_dir.path());
}

std::optional<QString> TestStore::raw(const QString &section, const QString &key) const
{
    QSettings settings(iniPath(), SettingsStore::format());
    settings.beginGroup(section);
    if (!settings.contains(key))
        return std::nullopt;
    return settings.value(key).toString();
}

bool TestStore::replaceFile(Replacement kind, const QByteArray &bytes) const
{
    const QString path = iniPath();
    if (!QDir().mkpath(QFileInfo(path).path()))
        return false;
    QFile::remove(path); // a file left there makes the making below fail
    switch (kind) {
    case Replacement::Folder:
        return QDir().mkdir(path);
    case Replacement::Fifo:
        return ::mkfifo(QFile::encodeName(path).constData(), 0600) == 0;
    case Replacement::LoopingLink:
        return QFile::link(path, path);
    case Replacement::Bytes:
        break;
    }
    return writeFileContent(path, bytes);
}

QByteArray fileContent(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool writeFileContent(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
           file.write(bytes) == bytes.size();
}

MessageRecorder::MessageRecorder()
{
    m_previous = OperatorMessages::setPresenter([this](const OperatorMessage &message) {
        messages.append(message);
        message.answeredYes = answerYes;
        if (onShow)
            onShow(message);
    });
}

// Out of line, as the store's and the message recorder's constructors are: a
// test that uses any of them links the process-wide settings above.
TerminationRecorder::TerminationRecorder()
{
    m_previous = ApplicationExit::setTerminator([this] { ++count; });
}

QStringList MessageRecorder::titles() const
{
    QStringList result;
    std::ranges::transform(messages, std::back_inserter(result), &OperatorMessage::title);
    return result;
}
