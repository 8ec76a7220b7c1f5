#include "session/CommandLine.h"

#include <QtTest>

class TestCommandLine : public QObject
{
    Q_OBJECT
private slots:
    void read_data();
    void read();
};

void TestCommandLine::read_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<QString>("result"); // the outcome, or the remote started

    for (const auto &[line, result] : std::initializer_list<std::pair<const char *, const char *>>{
             {"-platform offscreen -reverse", "run"},
             {"--help", "help"},
             {"--version", "version"},
             {"--remote velto:10.20.30.40", "velto 10.20.30.40"},
             {"-style fusion --remote=ardix:30000", "ardix 30000"},
             {"--remote ardix:29999", "refused"},
             {"--remote ardix:60001", "refused"},
             {"--remote velto:", "refused"},
             {"--remote velto:10.0.0.1;reboot", "refused"},
             {"--remote torvik:10.0.0.1", "refused"},
             {"--remote", "refused"}})
        QTest::newRow(line) << line << result;
}

void TestCommandLine::read()
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

QTEST_GUILESS_MAIN(TestCommandLine)
#include "tst_commandline.moc"
