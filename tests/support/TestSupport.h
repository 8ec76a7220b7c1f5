#pragma once

#include "app/ApplicationExit.h"
#include "app/OperatorMessages.h"
#include "app/SettingsStore.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QTemporaryDir>
#include <QTest>
#include <QUdpSocket>
#include <functional>

// A settings store of the test's own in a temporary folder; the operator's
// real store is never touched. One per test function (or per init()): the
// store's path is set for the whole process while it lives.
//
// Every test process that uses this support (the store, the recorders) keeps the Ardix stream's
// multicast memberships on loopback (see TestSupport.cpp).
class TestStore
{
public:
    TestStore();

    QString iniPath() const { return SettingsStore::filePath(); }
    // The raw text of a key as it stands in the file, or nullopt when missing.
    std::optional<QString> raw(const QString &section, const QString &key) const;
    // Writes a value directly, as a hand edit or an earlier run would.
    void put(const QString &section, const QString &key, const QString &value)
    {
        SettingsStore::write(section, key, value);
    }

    // What stands where the file belongs: the given bytes, or something that is
    // no file at all (a looping link fails to open for every user, root too).
    enum class Replacement
    {
        Bytes,
        Folder,
        Fifo,
        LoopingLink
    };
    // Replaces the file (made or not) with that; false when it cannot be made.
    bool replaceFile(Replacement kind, const QByteArray &bytes = {}) const;

private:
    QTemporaryDir m_dir;
};

// A UDP port on the loopback that nothing holds now; 0 when none can be had.
inline quint16 freeUdpPort()
{
    QUdpSocket probe;
    return probe.bind(QHostAddress::LocalHost, 0) ? probe.localPort() : 0;
}

// The bytes of a file, empty when it cannot be read.
QByteArray fileContent(const QString &path);
// Makes the file hold exactly these bytes; false when it cannot.
bool writeFileContent(const QString &path, const QByteArray &bytes);

// Records operator messages instead of showing them; each is answered at once.
// onShow runs while the "modal box" is open, as a nested event loop would run
// other handlers.
class MessageRecorder
{
public:
    MessageRecorder();
    ~MessageRecorder() { OperatorMessages::setPresenter(m_previous); }

    QList<OperatorMessage> messages;
    std::function<void(const OperatorMessage &)> onShow;
    // The answer to every question.
    bool answerYes = false;

    // Titles of the recorded messages, for compact comparisons.
    QStringList titles() const;
    void clear() { messages.clear(); }

private:
    OperatorMessages::Presenter m_previous;
};

// Records requests to terminate the application instead of ending the test.
class TerminationRecorder
{
public:
    TerminationRecorder();
    ~TerminationRecorder() { ApplicationExit::setTerminator(m_previous); }
    int count = 0;

private:
    std::function<void()> m_previous;
};

// The current row's value in a data column, for a value the test uses once.
template <typename T> T fetched(const char *column)
{
    return *static_cast<T *>(QTest::qData(column, qMetaTypeId<T>()));
}
