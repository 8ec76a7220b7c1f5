#include "TestSupport.h"
#include "app/SettingsStore.h"

#include <QFile>
#include <QtTest>
#include <sys/stat.h>

class TestSettingsStore : public QObject
{
    Q_OBJECT
private slots:
    void readBack_data()
    {
        QTest::addColumn<QString>("value"); // null: never written
        QTest::addColumn<QString>("expected");
        QTest::newRow("missing key gives the default") << QString() << "default";
        QTest::newRow("empty value is not missing") << QString("") << QString("");
        for (const char *text : {"True", "0042", "/home/op/My Logs/V.txt", "a,b", "@weird",
                                 "  padded  ", "a=b", "[x]"})
            QTest::newRow(text) << text << text;
        QTest::newRow("line end cannot split the setting") << "a.txt\r\nRemoteChoice=Torvik"
                                                           << "a.txt  RemoteChoice=Torvik";
    }

    void readBack()
    {
        QFETCH(QString, value);
        QFETCH(QString, expected);
        TestStore store;
        if (!value.isNull()) {
            SettingsStore::writePreference("Key", value);
            // A hand edit (with CR LF line ends) makes the store read the file
            // again rather than answer from what it kept of its own write.
            QFile file(store.iniPath());
            QVERIFY(file.open(QIODevice::Append));
            file.write("[Other]\r\nKey=x\r\n");
        }
        QCOMPARE(SettingsStore::readPreference("Key", "default"), expected);
        QVERIFY(!store.raw("Preferences", "RemoteChoice"));
    }

    // Garbage reads as the defaults; what is written over it is plain text,
    // on disk before the next call returns.
    void garbageGivesWayToPlainText()
    {
        TestStore store;
        QVERIFY(store.replaceFile(TestStore::Replacement::Bytes,
                                  QByteArray("\x00\xff[[[=\n==\x01garbage", 17)));
        QCOMPARE(SettingsStore::readPreference("RemoteChoice", "none"), "none");
        SettingsStore::writePreference("RemoteChoice", "Ardix");
        SettingsStore::writePreference("Velto LogName", "My Log.txt");
        SettingsStore::write("GPS Options", "GPS Enabled", "True");
        QCOMPARE(fileContent(store.iniPath()),
                 "[GPS Options]\nGPS Enabled=True\n\n[Preferences]\nRemoteChoice=Ardix\n"
                 "Velto LogName=My Log.txt\n");
        QCOMPARE(SettingsStore::read("GPS Options", "GPS Enabled"), "True");
    }

    // The store holds the community strings: only its owner may read it.
    void ownerOnlyAfterWrite_data()
    {
        QTest::addColumn<int>("modeBefore"); // 0: no file yet
        QTest::newRow("fresh store") << 0;
        QTest::newRow("existing world-readable file") << 0644;
    }

    void ownerOnlyAfterWrite()
    {
        QFETCH(int, modeBefore);
        TestStore store;
        const QByteArray path = QFile::encodeName(store.iniPath());
        if (modeBefore) {
            store.put("Preferences", "SNMPReadCommString", "public");
            QCOMPARE(::chmod(path.constData(), mode_t(modeBefore)), 0);
        }
        SettingsStore::writePreference("SNMPWriteCommString", "s3cret");
        struct stat status = {};
        QCOMPARE(::stat(path.constData(), &status), 0);
        QCOMPARE(status.st_mode & 0777, 0600u);
        QCOMPARE(SettingsStore::readPreference("SNMPReadCommString"),
                 modeBefore ? "public" : QString());
    }
};

QTEST_GUILESS_MAIN(TestSettingsStore)
#include "tst_settingsstore.moc"
