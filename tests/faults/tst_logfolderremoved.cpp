// The folder of the log file removed while the monitoring window logs into
// it, and made again later: the ticks in between write nothing and tell the
// operator nothing, the log timer goes on, and the first tick after the
// folder is back starts a new file with its header and the record.
#include "TestSupport.h"
#include "app/Records.h"
#include "app/SettingsStore.h"
#include "monitor/KavomonitoringForm.h"

#include <QDir>
#include <QFile>
#include <QPointer>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

namespace {

QList<QByteArray> linesOf(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QList<QByteArray> lines = file.readAll().split('\n');
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    return lines;
}

} // namespace

class TestLogFolderRemoved : public QObject
{
    Q_OBJECT
private slots:
    void loggingResumesWhenTheFolderIsBack_data();
    void loggingResumesWhenTheFolderIsBack();
};

void TestLogFolderRemoved::loggingResumesWhenTheFolderIsBack_data()
{
    QTest::addColumn<int>("ticksWithoutFolder");
    QTest::newRow("one tick") << 1;
    QTest::newRow("three ticks") << 3;
}

void TestLogFolderRemoved::loggingResumesWhenTheFolderIsBack()
{
    QFETCH(int, ticksWithoutFolder);
    TestStore store;
    MessageRecorder messages;
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString folder = dir.filePath(QStringLiteral("logs"));
    const QString path = folder + QStringLiteral("/velto.txt");
    QVERIFY(QDir().mkdir(folder));
    SettingsStore::writePreference(QStringLiteral("Velto LogName"), path);
    sessionSettings.remoteKind = RemoteKind::Velto;
    sessionSettings.loggingEnabled = true;
    linkStatistics.apAddress = QStringLiteral("10.0.0.254");
    QPointer<KavomonitoringForm> window = new KavomonitoringForm;

    window->LogTimer_Timer();
    window->LogTimer_Timer();
    const QList<QByteArray> before = linesOf(path);
    QCOMPARE(before.size(), 3); // the header and two records

    QVERIFY(QDir(folder).removeRecursively());
    for (int i = 0; i < ticksWithoutFolder; ++i) {
        window->LogTimer_Timer();
        QVERIFY(window);
        QVERIFY(window->LogTimer->isActive());
    }
    QVERIFY(!QFileInfo::exists(folder));
    QCOMPARE(messages.titles(), QStringList());

    QVERIFY(QDir().mkdir(folder));
    window->LogTimer_Timer();
    const QList<QByteArray> after = linesOf(path);
    QCOMPARE(after.size(), 2);
    QCOMPARE(after.first(), before.first());
    QVERIFY(after.last().contains("\t10.0.0.254\t"));
    QVERIFY(window->LogTimer->isActive());
    QCOMPARE(messages.titles(), QStringList());
    delete window.data();
}

QTEST_MAIN(TestLogFolderRemoved)
#include "tst_logfolderremoved.moc"
