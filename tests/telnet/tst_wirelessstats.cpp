#include "TestSupport.h"
#include "app/Records.h"
#include "telnet/CongestionStatus.h"
#include "telnet/WirelessStats.h"

#include <QtTest>

using Samples = QList<qlonglong>;

namespace {

const QByteArray kRequest = QByteArrayLiteral("wrlsstat\r\n");
const QByteArray kBlacklist = QByteArrayLiteral("blacklist\r\n");

// The radio's answer line for the eight counters.
QString answerLine(const Samples &counters)
{
    QStringList words;
    for (qlonglong c : counters)
        words << QString::number(c);
    return words.join(QLatin1Char(' ')) + QStringLiteral("\r\n");
}

struct SendRecorder
{
    QList<QByteArray> sent;
    WirelessStats::Sender sender()
    {
        return [this](const QByteArray &data) { sent << data; };
    }
};

QStringList counterFields()
{
    return {linkStatistics.rxPackets, linkStatistics.txPackets,  linkStatistics.rxBytes,
            linkStatistics.txBytes,   linkStatistics.txErrors,   linkStatistics.rxErrors,
            linkStatistics.retries,   linkStatistics.retryErrors};
}

} // namespace

class TestWirelessStats : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void parseAnswer_data();
    void parseAnswer();
    void answerFillsTheCounters();
    void tickWithoutReading_data();
    void tickWithoutReading();
    void echoKeepsTheCounters();
    void textThatRunsOutEndsTheTick_data();
    void textThatRunsOutEndsTheTick();
    void rules_data();
    void rules();
    void countsGoOnWhileScanning();
    void newRunKeepsTheSamples();
    void differencesAcrossACounterWrap_data();
    void differencesAcrossACounterWrap();

private:
    // A run whose first tick has passed, so the next tick reads an answer.
    void startRunPastFirstTick();
    std::optional<TestStore> m_store;
};

void TestWirelessStats::init()
{
    m_store.emplace();
    wirelessStats = WirelessStats{};
}

void TestWirelessStats::startRunPastFirstTick()
{
    SendRecorder recorder;
    wirelessStats.startRun();
    wirelessStats.balancingTick(true, QString(), recorder.sender());
    QVERIFY(recorder.sent.isEmpty());
}

void TestWirelessStats::parseAnswer_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("complete");
    QTest::addColumn<QList<double>>("numbers");

    QTest::newRow("answer line") << "10 20 3000 4000 1 2 5 7\r\n"
                                 << true << QList<double>{10, 20, 3000, 4000, 1, 2, 5, 7};
    QTest::newRow("answer line with the prompt after it")
        << "10 20 3000 4000 1 2 5 7\r\n> " << true << QList<double>{10, 20, 3000, 4000, 1, 2, 5, 7};
    QTest::newRow("counters beyond 32 bits")
        << "1 4294967295 3 4 5 6 4294967296 12345678901\r\n"
        << true << QList<double>{1, 4294967295.0, 3, 4, 5, 6, 4294967296.0, 12345678901.0};
    // Without a space the number reads 0 and nothing is consumed; from the
    // fourth number on the text then loses two characters.
    QTest::newRow("last two numbers run together") << "1 2 3 4 5 6 78\r\n"
                                                   << true << QList<double>{1, 2, 3, 4, 5, 6, 0, 0};
    QTest::newRow("eighth number cut to nothing")
        << "1 2 3 4 5 6 7 88" << true << QList<double>{1, 2, 3, 4, 5, 6, 7, 0};
    QTest::newRow("empty text") << "" << false << QList<double>{};
    QTest::newRow("prompt alone") << "> " << false << QList<double>{};
    QTest::newRow("three numbers") << "10 20 3000" << false << QList<double>{};
    QTest::newRow("seven numbers and a line end") << "1 2 3 4 5 6 7\r\n"
                                                  << false << QList<double>{};
    QTest::newRow("no line end after the eighth") << "1 2 3 4 5 6 7 8" << false << QList<double>{};
    QTest::newRow("seven numbers and a blank") << "1 2 3 4 5 6 7 " << false << QList<double>{};
    QTest::newRow("one character left for a cut by two") << "1 2 3 4" << false << QList<double>{};
}

void TestWirelessStats::parseAnswer()
{
    QFETCH(QString, text);
    QFETCH(bool, complete);
    QFETCH(QList<double>, numbers);

    const std::optional<std::array<double, 8>> parsed = WirelessStats::parseAnswer(text);
    QCOMPARE(parsed.has_value(), complete);
    if (complete)
        QCOMPARE(QList<double>(parsed->begin(), parsed->end()), numbers);
}

void TestWirelessStats::answerFillsTheCounters()
{
    startRunPastFirstTick();
    linkStatistics.rxBytes = QStringLiteral("999"); // the SNMP poll's octet count
    SendRecorder recorder;
    const WirelessStats::TickResult result = wirelessStats.balancingTick(
        true, QStringLiteral("10 20 3000 4000 1 2 5 7\r\n"), recorder.sender());

    QVERIFY(result.leaveRadio);
    QCOMPARE(result.firedRules, 0);
    QCOMPARE(recorder.sent, QList<QByteArray>{kRequest});
    QCOMPARE(counterFields(), (QStringList{"10", "20", "3000", "4000", "1", "2", "5", "7"}));
    QCOMPARE(linkStatistics.wirelessRxBytes, QStringLiteral("3000"));
    QCOMPARE(linkStatistics.wirelessTxBytes, QStringLiteral("4000"));
    QCOMPARE(wirelessStats.txPacketHistory[0], 20);
    QCOMPARE(wirelessStats.retryHistory[0], 5);
    QCOMPARE(wirelessStats.retryErrorHistory[0], 7);
    QCOMPARE(wirelessStats.historySlot, 1);
    QCOMPARE(wirelessStats.deltaSlot, 1);
    QCOMPARE(wirelessStats.balanceCycles, 2);
}

void TestWirelessStats::tickWithoutReading_data()
{
    QTest::addColumn<bool>("firstTickOfRun");
    QTest::addColumn<bool>("connected");

    QTest::newRow("first tick of a run") << true << true;
    QTest::newRow("connection gone") << false << false;
    QTest::newRow("first tick and no connection") << true << false;
}

void TestWirelessStats::tickWithoutReading()
{
    QFETCH(bool, firstTickOfRun);
    QFETCH(bool, connected);

    if (firstTickOfRun)
        wirelessStats.startRun();
    else
        startRunPastFirstTick();
    const qint16 cyclesBefore = wirelessStats.balanceCycles;
    SendRecorder recorder;
    const WirelessStats::TickResult result = wirelessStats.balancingTick(
        connected, QStringLiteral("10 20 3000 4000 1 2 5 7\r\n"), recorder.sender());

    QVERIFY(result.leaveRadio);
    QVERIFY(recorder.sent.isEmpty());
    QVERIFY(linkStatistics.rxPackets.isEmpty());
    QCOMPARE(wirelessStats.balanceCycles, cyclesBefore + 1);
    QCOMPARE(wirelessStats.historySlot, 0);
    QCOMPARE(wirelessStats.deltaSlot, 0);
}

void TestWirelessStats::echoKeepsTheCounters()
{
    startRunPastFirstTick();
    linkStatistics.retries = QStringLiteral("55");
    // Samples of an earlier tick: slot 3 precedes slot 0.
    wirelessStats.txPacketHistory = {100, 0, 0, 40};
    wirelessStats.retryHistory = {7, 0, 0, 9};
    wirelessStats.retryErrorHistory = {50, 0, 0, 20};
    SendRecorder recorder;
    const WirelessStats::TickResult result =
        wirelessStats.balancingTick(true, QStringLiteral("wrlsstat\r\n"), recorder.sender());

    QVERIFY(result.leaveRadio);
    QCOMPARE(recorder.sent, QList<QByteArray>{kRequest});
    QCOMPARE(linkStatistics.retries, QStringLiteral("55"));
    QCOMPARE(wirelessStats.txPacketHistory[0], 100);
    QCOMPARE(wirelessStats.txPacketDelta[0], 60);
    QCOMPARE(wirelessStats.retryDelta[0], 2);
    QCOMPARE(wirelessStats.retryErrorDelta[0], 30);
    QCOMPARE(wirelessStats.historySlot, 1);
    QCOMPARE(wirelessStats.balanceCycles, 2);
}

void TestWirelessStats::textThatRunsOutEndsTheTick_data()
{
    QTest::addColumn<QString>("text");
    QTest::newRow("prompt alone") << "> ";
    QTest::newRow("half an answer") << "10 20 3000 40";
    QTest::newRow("nothing received") << "";
    QTest::newRow("answer without its line end") << "10 20 3000 4000 1 2 5 7";
}

void TestWirelessStats::textThatRunsOutEndsTheTick()
{
    QFETCH(QString, text);
    startRunPastFirstTick();
    linkStatistics.rxPackets = QStringLiteral("1234");
    SendRecorder recorder;
    const WirelessStats::TickResult result =
        wirelessStats.balancingTick(true, text, recorder.sender());

    QVERIFY(!result.leaveRadio);
    QCOMPARE(recorder.sent, QList<QByteArray>{kRequest});
    // Nothing of a broken answer reaches the counters or the samples.
    QCOMPARE(linkStatistics.rxPackets, QStringLiteral("1234"));
    QVERIFY(linkStatistics.txPackets.isEmpty());
    QCOMPARE(wirelessStats.historySlot, 0);
    QCOMPARE(wirelessStats.deltaSlot, 0);
    QCOMPARE(wirelessStats.balanceCycles, 1);
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
    const QList<bool> never{false, false, false, false, false};
    const QList<bool> always{true, true, true, true, true};

    QTest::newRow("A: retries rise, TX flat")
        << Samples{0, 0, 0, 0, 0} << Samples{10, 30, 60, 100, 100} << Samples{0, 0, 0, 0, 0}
        << never << QList<int>{0, 0, W::RuleA, 0, 0};
    QTest::newRow("A: not while scanning")
        << Samples{0, 0, 0, 0, 0} << Samples{10, 30, 60, 100, 100} << Samples{0, 0, 0, 0, 0}
        << always << QList<int>{0, 0, 0, 0, 0};
    QTest::newRow("A: TX rising too")
        << Samples{10, 30, 60, 100, 150} << Samples{10, 30, 60, 100, 150} << Samples{0, 0, 0, 0, 0}
        << never << QList<int>{0, 0, 0, 0, 0};
    QTest::newRow("A: fires again three ticks later")
        << Samples{0, 0, 0, 0, 0, 0} << Samples{10, 30, 60, 100, 150, 210}
        << Samples{0, 0, 0, 0, 0, 0} << QList<bool>{false, false, false, false, false, false}
        << QList<int>{0, 0, W::RuleA, 0, 0, W::RuleA};
    QTest::newRow("B: retry errors rise, TX flat")
        << Samples{0, 0, 0, 0} << Samples{0, 0, 0, 0} << Samples{1, 3, 6, 6}
        << QList<bool>{false, false, false, false} << QList<int>{0, 0, W::RuleB, 0};
    QTest::newRow("B: not while scanning")
        << Samples{0, 0, 0, 0} << Samples{0, 0, 0, 0} << Samples{1, 3, 6, 6}
        << QList<bool>{true, true, true, true} << QList<int>{0, 0, 0, 0};
    QTest::newRow("C: retry errors rise above 5")
        << Samples{100, 300, 600, 1000} << Samples{0, 0, 0, 0} << Samples{6, 13, 21, 21}
        << QList<bool>{false, false, false, false} << QList<int>{0, 0, W::RuleC, 0};
    QTest::newRow("C: rising but never above 5")
        << Samples{100, 300, 600, 1000} << Samples{0, 0, 0, 0} << Samples{1, 3, 6, 10}
        << QList<bool>{false, false, false, false} << QList<int>{0, 0, 0, 0};
    QTest::newRow("C: not while scanning")
        << Samples{100, 300, 600, 1000} << Samples{0, 0, 0, 0} << Samples{6, 13, 21, 21}
        << QList<bool>{false, false, true, false} << QList<int>{0, 0, 0, 0};
    QTest::newRow("D: 31 retry errors every interval")
        << Samples{100, 300, 600, 1000, 1500} << Samples{0, 0, 0, 0, 0}
        << Samples{31, 62, 93, 124, 155} << never << QList<int>{0, 0, W::RuleD, W::RuleD, W::RuleD};
    QTest::newRow("D: 30 is not enough")
        << Samples{100, 300, 600, 1000, 1500} << Samples{0, 0, 0, 0, 0}
        << Samples{30, 60, 90, 120, 150} << never << QList<int>{0, 0, 0, 0, 0};
    QTest::newRow("D: not while scanning")
        << Samples{100, 300, 600, 1000, 1500} << Samples{0, 0, 0, 0, 0}
        << Samples{31, 62, 93, 124, 155} << QList<bool>{false, false, true, false, true}
        << QList<int>{0, 0, 0, W::RuleD, 0};
    QTest::newRow("A and D in the same tick")
        << Samples{0, 0, 0} << Samples{10, 30, 60} << Samples{40, 80, 120}
        << QList<bool>{false, false, false} << QList<int>{0, 0, W::RuleA | W::RuleD};
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
    for (qsizetype tick = 0; tick < fired.size(); ++tick) {
        linkStatistics.radioScanning = scanning[tick];
        SendRecorder recorder;
        const QString answer =
            answerLine({1, txPackets[tick], 2, 3, 4, 5, retries[tick], retryErrors[tick]});
        const WirelessStats::TickResult result =
            wirelessStats.balancingTick(true, answer, recorder.sender());

        const QByteArray label = "analysed tick " + QByteArray::number(tick + 1);
        QVERIFY2(result.leaveRadio, label);
        QVERIFY2(result.firedRules == fired[tick], label);
        // One "blacklist" per rule that fired, after the request.
        QList<QByteArray> expected{kRequest};
        for (int rule : {WirelessStats::RuleA, WirelessStats::RuleB, WirelessStats::RuleC,
                         WirelessStats::RuleD}) {
            if (fired[tick] & rule)
                expected << kBlacklist;
        }
        QVERIFY2(recorder.sent == expected, label);
        anyFired = anyFired || fired[tick] != 0;
        QCOMPARE(congestionStatus.congestionStatusText,
                 anyFired ? QStringLiteral("Scanning due to Congestion") : QString());
        QCOMPARE(congestionStatus.scanningLightIcon, anyFired ? 104 : 103);
    }
}

void TestWirelessStats::countsGoOnWhileScanning()
{
    // Retries keep rising with TX flat; the radio scans during ticks 2 to 4.
    const Samples retries{10, 30, 60, 100, 100, 110, 130, 160};
    const QList<bool> scanning{false, true, true, true, false, false, false, false};
    const QList<int> counts{1, 2, 3, 4, 0, 1, 2, 0};
    const QList<bool> blacklisted{false, false, false, false, false, false, false, true};

    startRunPastFirstTick();
    for (qsizetype tick = 0; tick < retries.size(); ++tick) {
        linkStatistics.radioScanning = scanning[tick];
        SendRecorder recorder;
        wirelessStats.balancingTick(true, answerLine({1, 0, 2, 3, 4, 5, retries[tick], 0}),
                                    recorder.sender());
        const QByteArray label = "analysed tick " + QByteArray::number(tick + 1);
        QVERIFY2(wirelessStats.retryRiseCount == counts[tick], label);
        QVERIFY2(recorder.sent.contains(kBlacklist) == blacklisted[tick], label);
    }
}

void TestWirelessStats::newRunKeepsTheSamples()
{
    startRunPastFirstTick();
    SendRecorder recorder;
    wirelessStats.balancingTick(true, answerLine({1, 500, 2, 3, 4, 5, 60, 70}), recorder.sender());
    wirelessStats.balancingTick(true, answerLine({1, 800, 2, 3, 4, 5, 90, 75}), recorder.sender());

    // The next run starts at slot 0 again; its first difference is taken
    // against slot 3, which the earlier run never wrote.
    wirelessStats.startRun();
    QCOMPARE(wirelessStats.balanceCycles, 0);
    QCOMPARE(wirelessStats.retryRiseCount, 0);
    QCOMPARE(wirelessStats.txPacketHistory[1], 800);
    wirelessStats.balancingTick(true, QString(), recorder.sender());
    wirelessStats.balancingTick(true, answerLine({1, 900, 2, 3, 4, 5, 95, 80}), recorder.sender());
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
    SendRecorder recorder;
    wirelessStats.balancingTick(true, answerLine({1, before, 2, 3, 4, 5, 6, 7}), recorder.sender());
    wirelessStats.balancingTick(true, answerLine({1, after, 2, 3, 4, 5, 6, 7}), recorder.sender());
    QCOMPARE(linkStatistics.txPackets, QString::number(after));
    QCOMPARE(wirelessStats.txPacketDelta[1], difference);
}

QTEST_GUILESS_MAIN(TestWirelessStats)
#include "tst_wirelessstats.moc"
