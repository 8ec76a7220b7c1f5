#include "TestSupport.h"
#include "app/Records.h"
#include "telnet/CongestionStatus.h"
#include "telnet/WirelessStats.h"

#include <QtTest>

using Samples = QList<qlonglong>;

namespace {

const QByteArray kRequest = QByteArrayLiteral("wrlsstat\r\n");
const QByteArray kBlacklist = QByteArrayLiteral("blacklist\r\n");
const QString kAnswer = QStringLiteral("10 20 3000 4000 1 2 5 7\r\n");

// The radio's answer line for the eight counters.
QString answerLine(const Samples &counters)
{
    QStringList words;
    for (qlonglong c : counters)
        words << QString::number(c);
    return words.join(QLatin1Char(' ')) + QStringLiteral("\r\n");
}

// The eight counters and the two byte copies, as one text.
QString counterFields()
{
    const LinkStatistics &s = linkStatistics;
    return QStringList{s.rxPackets,       s.txPackets,      s.rxBytes, s.txBytes,
                       s.txErrors,        s.rxErrors,       s.retries, s.retryErrors,
                       s.wirelessRxBytes, s.wirelessTxBytes}
        .join(QLatin1Char(' '));
}

} // namespace

class TestWirelessStats : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void parseAnswer_data();
    void parseAnswer();
    void tick_data();
    void tick();
    void rules_data();
    void rules();
    void newRunKeepsTheSamples();
    void differencesAcrossACounterWrap_data();
    void differencesAcrossACounterWrap();

private:
    // One tick; returns what it sent.
    QList<QByteArray> balance(const QString &text, bool connected = true,
                              WirelessStats::TickResult *result = nullptr)
    {
        QList<QByteArray> sent;
        const WirelessStats::TickResult r = wirelessStats.balancingTick(
            connected, text, [&sent](const QByteArray &data) { sent << data; });
        if (result)
            *result = r;
        return sent;
    }
    // A run whose first tick has passed, so the next tick reads an answer.
    void startRunPastFirstTick()
    {
        wirelessStats.startRun();
        QVERIFY(balance(QString()).isEmpty());
    }

    std::optional<TestStore> m_store;
};

void TestWirelessStats::init()
{
    m_store.emplace();
    wirelessStats = WirelessStats{};
}

void TestWirelessStats::parseAnswer_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("numbers"); // empty: the text runs out before the eighth

    const auto row = [](const char *name, const char *text, const char *numbers) {
        QTest::newRow(name) << QString::fromLatin1(text) << QString::fromLatin1(numbers);
    };
    row("answer line", "10 20 3000 4000 1 2 5 7\r\n", "10 20 3000 4000 1 2 5 7");
    row("answer line with the prompt after it", "10 20 3000 4000 1 2 5 7\r\n> ",
        "10 20 3000 4000 1 2 5 7");
    row("counters beyond 32 bits", "1 4294967295 3 4 5 6 4294967296 12345678901\r\n",
        "1 4294967295 3 4 5 6 4294967296 12345678901");
    // Without a space the number reads 0 and nothing is consumed; from the
    // fourth number on the text then loses two characters.
    row("last two numbers run together", "1 2 3 4 5 6 78\r\n", "1 2 3 4 5 6 0 0");
    row("fourth number run together: every later one cuts two", "1 2 3 45678901\r\n",
        "1 2 3 0 0 0 0 0");
    row("eighth number cut to nothing", "1 2 3 4 5 6 7 88", "1 2 3 4 5 6 7 0");
    row("empty text", "", "");
    row("prompt alone", "> ", "");
    row("three numbers", "10 20 3000", "");
    row("seven numbers and a line end", "1 2 3 4 5 6 7\r\n", "");
    row("no line end after the eighth", "1 2 3 4 5 6 7 8", "");
    row("seven numbers and a blank", "1 2 3 4 5 6 7 ", "");
    row("one character left for a cut by two", "1 2 3 4", "");
}

void TestWirelessStats::parseAnswer()
{
    QFETCH(QString, text);
    QFETCH(QString, numbers);

    const std::optional<std::array<double, 8>> parsed = WirelessStats::parseAnswer(text);
    QStringList got;
    for (double n : parsed.value_or(std::array<double, 8>{}))
        got << QString::number(n, 'f', 0);
    QCOMPARE(parsed ? got.join(QLatin1Char(' ')) : QString(), numbers);
}

void TestWirelessStats::tick_data()
{
    QTest::addColumn<bool>("pastFirstTick");
    QTest::addColumn<bool>("connected");
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("leaveRadio");
    QTest::addColumn<bool>("requested");
    QTest::addColumn<QString>("fields"); // counterFields() afterwards; "-": as before
    QTest::addColumn<QString>("slot0");  // TX packets, retries, retry errors sampled in slot 0
    QTest::addColumn<int>("txDelta0");
    QTest::addColumn<int>("cycles");

    const auto row = [](const char *name, bool past, bool connected, const QString &text,
                        bool leave, bool requested, const QString &fields, const QString &slot0,
                        int txDelta0, int cycles) {
        QTest::newRow(name) << past << connected << text << leave << requested << fields << slot0
                            << txDelta0 << cycles;
    };
    // Samples of an earlier tick: TX packets 100 in slot 0, 40 in slot 3 before it.
    const QString earlier = QStringLiteral("100 7 50");
    row("the answer fills the counters", true, true, kAnswer, true, true,
        "10 20 3000 4000 1 2 5 7 3000 4000", "20 5 7", 20, 2);
    row("an echo keeps them; differences taken all the same", true, true,
        QStringLiteral("wrlsstat\r\n"), true, true, "-", earlier, 60, 2);
    row("first tick of a run reads nothing", false, true, kAnswer, true, false, "-", earlier, 0, 1);
    row("connection gone", true, false, kAnswer, true, false, "-", earlier, 0, 2);
    row("first tick and no connection", false, false, kAnswer, true, false, "-", earlier, 0, 1);
    for (const char *runsOut : {"> ", "10 20 3000 40", "", "10 20 3000 4000 1 2 5 7"})
        row(runsOut, true, true, runsOut, false, true, "-", earlier, 0, 1);
}

void TestWirelessStats::tick()
{
    QFETCH(bool, pastFirstTick);
    QFETCH(bool, connected);
    QFETCH(QString, text);
    QFETCH(bool, leaveRadio);
    QFETCH(bool, requested);
    QFETCH(QString, fields);
    QFETCH(QString, slot0);
    QFETCH(int, txDelta0);
    QFETCH(int, cycles);

    if (pastFirstTick)
        startRunPastFirstTick();
    else
        wirelessStats.startRun();
    wirelessStats.txPacketHistory = {100, 0, 0, 40};
    wirelessStats.retryHistory = {7, 0, 0, 9};
    wirelessStats.retryErrorHistory = {50, 0, 0, 20};
    linkStatistics.rxPackets = QStringLiteral("1234");
    linkStatistics.rxBytes = QStringLiteral("999"); // the SNMP poll's octet count
    const QString before = counterFields();
    WirelessStats::TickResult result;

    QCOMPARE(balance(text, connected, &result),
             requested ? QList<QByteArray>{kRequest} : QList<QByteArray>{});
    QCOMPARE(result.leaveRadio, leaveRadio);
    QCOMPARE(result.firedRules, 0);
    QCOMPARE(counterFields(), fields == "-" ? before : fields);
    QCOMPARE(QStringLiteral("%1 %2 %3")
                 .arg(wirelessStats.txPacketHistory[0])
                 .arg(wirelessStats.retryHistory[0])
                 .arg(wirelessStats.retryErrorHistory[0]),
             slot0);
    QCOMPARE(wirelessStats.txPacketDelta[0], txDelta0);
    const bool analysed = requested && leaveRadio;
    QCOMPARE(wirelessStats.historySlot, analysed ? 1 : 0);
    QCOMPARE(wirelessStats.deltaSlot, analysed ? 1 : 0);
    QCOMPARE(wirelessStats.balanceCycles, cycles);
}

void TestWirelessStats::rules_data()
{
    // One entry per analysed tick: the radio's TX packets, retries and retry
    // errors, whether the radio is scanning, and the rules that fire.
    QTest::addColumn<Samples>("txPackets");
    QTest::addColumn<Samples>("retries");
    QTest::addColumn<Samples>("retryErrors");
    QTest::addColumn<QList<bool>>("scanning");
    QTest::addColumn<QList<int>>("fired");

    using W = WirelessStats;
    const auto row = [](const char *name, const Samples &tx, const Samples &retries,
                        const Samples &errors, const QList<bool> &scanning,
                        const QList<int> &fired) {
        QTest::newRow(name) << tx << retries << errors << scanning << fired;
    };
    const Samples flat(9, 0);
    const QList<bool> never(9, false);
    const QList<bool> always(9, true);
    const Samples rising{100, 300, 600, 1000, 1500};
    const Samples retriesRise{10, 30, 60, 100, 100};

    row("A: retries rise, TX flat", flat, retriesRise, flat, never, {0, 0, W::RuleA, 0, 0});
    row("A: not while scanning", flat, retriesRise, flat, always, {0, 0, 0, 0, 0});
    row("A: TX rising too", {10, 30, 60, 100, 150}, {10, 30, 60, 100, 150}, flat, never,
        {0, 0, 0, 0, 0});
    row("A: fires again three ticks later", flat, {10, 30, 60, 100, 150, 210}, flat, never,
        {0, 0, W::RuleA, 0, 0, W::RuleA});
    // Counting goes on while the radio scans, past 3, and starts again when
    // the retries stop rising.
    row("A: counts go on while scanning", flat, {10, 30, 60, 100, 150, 150, 160, 180, 210}, flat,
        {false, true, true, false, false, false, false, false, false},
        {0, 0, 0, 0, 0, 0, 0, 0, W::RuleA});
    row("B: retry errors rise, TX flat", flat, flat, {1, 3, 6, 6}, never, {0, 0, W::RuleB, 0});
    row("B: not while scanning", flat, flat, {1, 3, 6, 6}, always, {0, 0, 0, 0});
    row("C: retry errors rise above 5", rising, flat, {6, 13, 21, 21}, never, {0, 0, W::RuleC, 0});
    row("C: rising but never above 5", rising, flat, {1, 3, 6, 10}, never, {0, 0, 0, 0});
    row("C: not while scanning", rising, flat, {6, 13, 21, 21}, {false, false, true, false},
        {0, 0, 0, 0});
    row("D: 31 retry errors every interval", rising, flat, {31, 62, 93, 124, 155}, never,
        {0, 0, W::RuleD, W::RuleD, W::RuleD});
    row("D: 30 is not enough", rising, flat, {30, 60, 90, 120, 150}, never, {0, 0, 0, 0, 0});
    row("D: not while scanning", rising, flat, {31, 62, 93, 124, 155},
        {false, false, true, false, true}, {0, 0, 0, W::RuleD, 0});
    row("A and D in the same tick", flat, {10, 30, 60}, {40, 80, 120}, never,
        {0, 0, W::RuleA | W::RuleD});
}

void TestWirelessStats::rules()
{
    QFETCH(Samples, txPackets);
    QFETCH(Samples, retries);
    QFETCH(Samples, retryErrors);
    QFETCH(QList<bool>, scanning);
    QFETCH(QList<int>, fired);

    startRunPastFirstTick();
    bool anyFired = false;
    for (qsizetype n = 0; n < fired.size(); ++n) {
        linkStatistics.radioScanning = scanning[n];
        WirelessStats::TickResult result;
        const QList<QByteArray> sent = balance(
            answerLine({1, txPackets[n], 2, 3, 4, 5, retries[n], retryErrors[n]}), true, &result);

        const QByteArray label = "analysed tick " + QByteArray::number(n + 1);
        QVERIFY2(result.leaveRadio && result.firedRules == fired[n], label);
        // One "blacklist" per rule that fired, after the request.
        QList<QByteArray> expected{kRequest};
        for (int rule = WirelessStats::RuleA; rule <= WirelessStats::RuleD; rule <<= 1) {
            if (fired[n] & rule)
                expected << kBlacklist;
        }
        QVERIFY2(sent == expected, label);
        anyFired = anyFired || fired[n] != 0;
        QCOMPARE(congestionStatus.congestionStatusText,
                 anyFired ? QStringLiteral("Scanning due to Congestion") : QString());
        QCOMPARE(congestionStatus.scanningLightIcon, anyFired ? 104 : 103);
    }
}

void TestWirelessStats::newRunKeepsTheSamples()
{
    startRunPastFirstTick();
    balance(answerLine({1, 500, 2, 3, 4, 5, 60, 70}));
    balance(answerLine({1, 800, 2, 3, 4, 5, 130, 75})); // retries rise, TX does not
    QCOMPARE(wirelessStats.retryRiseCount, 1);

    // The next run starts at slot 0 again; its first difference is taken
    // against slot 3, which the earlier run never wrote.
    wirelessStats.startRun();
    QCOMPARE(wirelessStats.balanceCycles, 0);
    QCOMPARE(wirelessStats.retryRiseCount, 0);
    balance(QString());
    balance(answerLine({1, 900, 2, 3, 4, 5, 95, 80}));
    QCOMPARE(wirelessStats.txPacketHistory[0], 900);
    QCOMPARE(wirelessStats.txPacketHistory[1], 800);
    QCOMPARE(wirelessStats.txPacketDelta[0], 900);
}

void TestWirelessStats::differencesAcrossACounterWrap_data()
{
    QTest::addColumn<qlonglong>("before");
    QTest::addColumn<qlonglong>("after");
    QTest::addColumn<int>("difference");

    QTest::newRow("ordinary rise") << 1000LL << 1250LL << 250;
    QTest::newRow("counter reset") << 1000LL << 10LL << 990;
    QTest::newRow("across 2^31") << 2147483640LL << 2147483650LL << 10;
    QTest::newRow("across 2^32") << 4294967290LL << 4LL << 10;
    QTest::newRow("half the range") << 0LL << 2147483648LL << 2147483647;
}

void TestWirelessStats::differencesAcrossACounterWrap()
{
    QFETCH(qlonglong, before);
    QFETCH(qlonglong, after);
    QFETCH(int, difference);

    startRunPastFirstTick();
    balance(answerLine({1, before, 2, 3, 4, 5, 6, 7}));
    balance(answerLine({1, after, 2, 3, 4, 5, 6, 7}));
    QCOMPARE(linkStatistics.txPackets, QString::number(after));
    QCOMPARE(wirelessStats.txPacketDelta[1], difference);
}

QTEST_GUILESS_MAIN(TestWirelessStats)
#include "tst_wirelessstats.moc"
