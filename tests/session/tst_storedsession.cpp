// What the remote-selection dialog keeps in the store beside its controls:
// the address list and the first use of a family for logging.
#include "TestSupport.h"
#include "session/StoredSession.h"

#include <QtTest>

namespace {
const QString kPrefs = QStringLiteral("Preferences");
}

class TestStoredSession : public QObject
{
    Q_OBJECT
private slots:
    void init() { m_store = std::make_unique<TestStore>(); }
    void cleanup() { m_store.reset(); }

    void countIsANumericReading_data()
    {
        QTest::addColumn<QString>("count");
        QTest::addColumn<int>("entries");
        QTest::newRow("zero loads nothing and does not re-initialise") << "0" << 0;
        QTest::newRow("garbage reads as zero") << "many" << 0;
        QTest::newRow("leading number") << "2 entries" << 2;
    }

    void countIsANumericReading()
    {
        QFETCH(QString, count);
        QFETCH(int, entries);
        m_store->put(kPrefs, "NumberOfIPAddressed", count);
        m_store->put(kPrefs, "1", "Add IP Address");
        m_store->put(kPrefs, "2", "10.1.1.1");
        QCOMPARE(StoredSession::loadAddressList().size(), entries);
        QCOMPARE(m_store->raw(kPrefs, "NumberOfIPAddressed"), count);
    }

    void sameAddressTwiceIsStoredTwice()
    {
        StoredSession::loadAddressList();
        StoredSession::appendAddress("10.0.0.7");
        StoredSession::appendAddress("10.0.0.7");
        QCOMPARE(m_store->raw(kPrefs, "NumberOfIPAddressed"), "3");
        QCOMPARE(m_store->raw(kPrefs, "3"), "10.0.0.7");
        QCOMPARE(StoredSession::loadAddressList(),
                 (QStringList{"Add IP Address", "10.0.0.7", "10.0.0.7"}));
    }

    void appendAfterTheCount_data()
    {
        QTest::addColumn<QString>("count");
        QTest::addColumn<QString>("storedAs"); // the new entry's key, empty: store unchanged
        QTest::newRow("last place of the list") << "32766"
                                                << "32767";
        QTest::newRow("full list") << "32767"
                                   << "";
        QTest::newRow("highest 32-bit count") << "2147483647"
                                              << "";
        QTest::newRow("beyond 32 bits") << "1e99"
                                        << "";
        QTest::newRow("negative count") << "-3"
                                        << "";
    }

    void appendAfterTheCount()
    {
        QFETCH(QString, count);
        QFETCH(QString, storedAs);
        m_store->put(kPrefs, "NumberOfIPAddressed", count);
        m_store->put(kPrefs, "1", "Add IP Address");
        QFile file(m_store->iniPath());
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray before = file.readAll();
        file.close();

        StoredSession::appendAddress("10.0.0.7");
        QCOMPARE(m_store->raw(kPrefs, "NumberOfIPAddressed"),
                 storedAs.isEmpty() ? count : storedAs);
        QCOMPARE(m_store->raw(kPrefs, "1"), "Add IP Address");
        if (!storedAs.isEmpty())
            QCOMPARE(m_store->raw(kPrefs, storedAs), "10.0.0.7");
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll() == before, storedAs.isEmpty());
    }

    void firstUseOfFamilyForLogging_data()
    {
        QTest::addColumn<QString>("choice");
        QTest::addColumn<QString>("storedName");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("expectedName");
        QTest::addColumn<QString>("expectedEnabled");
        const auto row = [](const char *name, const QString &choice, const QString &storedName,
                            const QString &expectedName, const QString &expectedEnabled) {
            QTest::newRow(name) << choice << storedName
                                << (choice == "Ardix" ? "Ardix LogName" : "Velto LogName")
                                << expectedName << expectedEnabled;
        };
        row("Ardix, first use", "Ardix", "", "ArdixMonitoring_Log.txt", "True");
        row("Velto, first use", "Velto", "", "VeltoMonitoring_Log.txt", "True");
        row("Velto, name already chosen", "Velto", "/logs/v.txt", "/logs/v.txt", "False");
        row("unknown family writes nothing", "Torvik", "", "", "False");
    }

    void firstUseOfFamilyForLogging()
    {
        QFETCH(QString, choice);
        QFETCH(QString, storedName);
        QFETCH(QString, key);
        QFETCH(QString, expectedName);
        QFETCH(QString, expectedEnabled);
        m_store->put(kPrefs, "logEnabledValue", "False");
        if (!storedName.isEmpty())
            m_store->put(kPrefs, key, storedName);
        StoredSession::firstUseOfFamilyForLogging(choice);
        QCOMPARE(m_store->raw(kPrefs, key).value_or(QString()), expectedName);
        QCOMPARE(m_store->raw(kPrefs, "logEnabledValue"), expectedEnabled);
    }

private:
    std::unique_ptr<TestStore> m_store;
};

QTEST_GUILESS_MAIN(TestStoredSession)
#include "tst_storedsession.moc"
