// How a session starts: the command line, and what the remote-selection
// dialog keeps in the store beside its controls (the address list and the
// first use of a family for logging).
#include "TestSupport.h"
#include "session/CommandLine.h"
#include "session/StoredSession.h"

#include <QtTest>

class TestSessionRules : public QObject
{
    Q_OBJECT
private slots:
    void init() { m_store.emplace(); }
    void cleanup() { m_store.reset(); }

    void commandLine_data()
    {
        QTest::addColumn<QString>("line");
        QTest::addColumn<QString>("result"); // the outcome, or the remote started
        const auto row = [](const char *line, const char *result) {
            QTest::newRow(line) << QString(line) << QString(result);
        };
        row("-platform offscreen -reverse", "run");
        row("--help", "help");
        row("--version", "version");
        row("--remote velto:10.20.30.40", "velto 10.20.30.40");
        row("-style fusion --remote=ardix:30000", "ardix 30000");
        row("--remote ardix:29999", "refused");
        row("--remote ardix:60001", "refused");
        row("--remote velto:", "refused");
        row("--remote velto:10.0.0.1;reboot", "refused");
        row("--remote torvik:10.0.0.1", "refused");
        row("--remote", "refused");
    }

    void commandLine()
    {
        QFETCH(QString, line);
        QFETCH(QString, result);
        const CommandLine::Reading reading = CommandLine::read(
            QStringList{QStringLiteral("kavo-station")} + line.split(u' ', Qt::SkipEmptyParts));
        const char *outcomes[] = {"run", "help", "version", "refused"};
        QString got = QLatin1String(outcomes[int(reading.outcome)]);
        if (reading.remote)
            got = reading.remote->kind == RemoteKind::Ardix
                      ? QStringLiteral("ardix %1").arg(reading.remote->destPort)
                      : QStringLiteral("velto ") + reading.remote->address;
        QCOMPARE(got, result);
        // Help, version and refusals have something to say; a start has not.
        QCOMPARE(reading.text.isEmpty(), reading.outcome == CommandLine::Reading::Outcome::Run);
    }

    void addressList_data()
    {
        QTest::addColumn<QString>("count");
        QTest::addColumn<int>("entries");      // loaded
        QTest::addColumn<QString>("storedAs"); // the key of one more, empty: none taken
        QTest::newRow("zero loads nothing and does not re-initialise") << "0" << 0 << "1";
        QTest::newRow("garbage reads as zero") << "many" << 0 << "1";
        QTest::newRow("leading number") << "2 entries" << 2 << "3";
        QTest::newRow("last place of the list") << "32766" << 32766 << "32767";
        QTest::newRow("full list") << "32767" << 32767 << "";
        QTest::newRow("beyond 32 bits") << "1e99" << 32767 << "";
        QTest::newRow("negative count") << "-3" << 0 << "";
    }

    void addressList()
    {
        QFETCH(QString, count);
        QFETCH(int, entries);
        QFETCH(QString, storedAs);
        put("NumberOfIPAddressed", count);
        put("1", "Add IP Address");
        put("2", "10.1.1.1");
        QCOMPARE(StoredSession::loadAddressList().size(), entries);
        QCOMPARE(stored("NumberOfIPAddressed"), count);
        StoredSession::appendAddress("10.0.0.7");
        QCOMPARE(stored("NumberOfIPAddressed"), storedAs.isEmpty() ? count : storedAs);
        QCOMPARE(stored(storedAs.isEmpty() ? "2" : storedAs),
                 storedAs.isEmpty() ? "10.1.1.1" : "10.0.0.7");
    }

    void firstUseOfFamilyForLogging_data()
    {
        QTest::addColumn<QString>("choice");
        QTest::addColumn<QString>("storedName");
        QTest::addColumn<QString>("expectedName");
        QTest::addColumn<QString>("expectedEnabled");
        const auto row = [](const char *name, const char *choice, const char *storedName,
                            const char *expectedName, const char *expectedEnabled) {
            QTest::newRow(name) << choice << storedName << expectedName << expectedEnabled;
        };
        row("Ardix, first use", "Ardix", "", "ArdixMonitoring_Log.txt", "True");
        row("Velto, name already chosen", "Velto", "/logs/v.txt", "/logs/v.txt", "False");
        row("unknown family writes nothing", "Torvik", "", "", "False");
    }

    void firstUseOfFamilyForLogging()
    {
        QFETCH(QString, choice);
        QFETCH(QString, storedName);
        QFETCH(QString, expectedName);
        QFETCH(QString, expectedEnabled);
        const QString key = choice + " LogName";
        put("logEnabledValue", "False");
        if (!storedName.isEmpty())
            put(key, storedName);
        StoredSession::firstUseOfFamilyForLogging(choice);
        QCOMPARE(stored(key).value_or(QString()), expectedName);
        QCOMPARE(stored("logEnabledValue"), expectedEnabled);
    }

private:
    void put(const QString &key, const QString &value) { m_store->put("Preferences", key, value); }
    std::optional<QString> stored(const QString &key) const
    {
        return m_store->raw("Preferences", key);
    }

    std::optional<TestStore> m_store;
};

QTEST_GUILESS_MAIN(TestSessionRules)
#include "tst_sessionrules.moc"
