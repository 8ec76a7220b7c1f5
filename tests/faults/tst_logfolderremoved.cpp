// The folder of the log file removed while the station logs into
// it, and made again later: the ticks in between write nothing and tell the
// operator nothing, the log clock goes on, and the first tick after the
// folder is back starts a new file with its header and the record.
#include "TestSupport.h"
#include "app/SettingsStore.h"
#include "log/LogRecorder.h"
#include "session/StationSession.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

namespace {

QByteArray contentOf(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

class TestLogFolderRemoved : public QObject
{
    Q_OBJECT
private slots:
    void loggingResumesWhenTheFolderIsBack_data()
    {
        QTest::addColumn<int>("ticksWithoutFolder");
        QTest::newRow("one tick") << 1;
        QTest::newRow("three ticks") << 3;
    }

    void loggingResumesWhenTheFolderIsBack()
    {
        QFETCH(int, ticksWithoutFolder);
        TestStore store;
        MessageRecorder messages;
        StationSession session;
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QString folder = dir.filePath("logs");
        const QString path = folder + "/velto.txt";
        QVERIFY(QDir().mkdir(folder));
        SettingsStore::writePreference("Velto LogName", path);
        session.settings.remoteKind = RemoteKind::Velto;
        session.settings.loggingEnabled = true;
        session.link.apAddress = "10.0.0.254";
        LogRecorder recorder({session.settings, session.link, session.gps, session.existingLog});

        recorder.LogTimer_Timer();
        recorder.LogTimer_Timer();
        const QByteArray before = contentOf(path);
        QCOMPARE(before.count('\n'), 3); // the header and two records

        QVERIFY(QDir(folder).removeRecursively());
        for (int i = 0; i < ticksWithoutFolder; ++i) {
            recorder.LogTimer_Timer();
            QVERIFY(recorder.LogTimer->isActive());
        }
        QVERIFY(!QFileInfo::exists(folder));
        QCOMPARE(messages.titles(), QStringList());

        QVERIFY(QDir().mkdir(folder));
        recorder.LogTimer_Timer();
        const QByteArray after = contentOf(path);
        QCOMPARE(after.count('\n'), 2);
        QVERIFY(after.startsWith(before.left(before.indexOf('\n') + 1)));
        QVERIFY(after.contains("\t10.0.0.254\t"));
        QVERIFY(recorder.LogTimer->isActive());
        QCOMPARE(messages.titles(), QStringList());
    }
};

QTEST_MAIN(TestLogFolderRemoved)
#include "tst_logfolderremoved.moc"
