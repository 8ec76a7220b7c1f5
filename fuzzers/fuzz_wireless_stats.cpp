// The radio's answers to "wrlsstat", tick after tick. The input is one or
// more screen texts separated by NUL bytes (read as Latin-1, as the telnet
// handler does); each goes through one balancing tick on a connected link.
#include "FuzzCheck.h"
#include "app/CongestionStatus.h"
#include "app/Records.h"
#include "telnet/WirelessStats.h"

#include <QList>
#include <QRegularExpression>
#include <cmath>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray input(reinterpret_cast<const char *>(data), qsizetype(size));
    LinkStatistics link;
    link.radioScanning = size > 0 && (data[0] & 1);
    CongestionStatus status;
    WirelessStats stats;
    stats.startRun();
    int sent = 0;
    const WirelessStats::Sender send = [&sent](const QByteArray &) { ++sent; };
    stats.balancingTick(true, QString(), link, status, send); // the first tick of a run only counts

    int ticks = 0;
    for (const QByteArray &screen : input.split('\0')) {
        if (++ticks > 64)
            break;
        const QString text = QString::fromLatin1(screen);
        const std::optional<std::array<double, 8>> numbers = WirelessStats::parseAnswer(text);
        if (numbers) {
            for (double value : *numbers)
                FUZZ_CHECK(std::isfinite(value));
        }
        // An answer of the radio's own form reads as the numbers it has.
        static const QRegularExpression wellFormed(
            QStringLiteral("^(\\d{1,9}) (\\d{1,9}) (\\d{1,9}) (\\d{1,9}) (\\d{1,9}) "
                           "(\\d{1,9}) (\\d{1,9}) (\\d{1,9})\r\n\\z"));
        const QRegularExpressionMatch match = wellFormed.match(text);
        if (match.hasMatch()) {
            FUZZ_CHECK(numbers);
            for (int i = 0; i < 8; ++i)
                FUZZ_CHECK((*numbers)[i] == match.captured(i + 1).toDouble());
        }
        const int sentBefore = sent;
        const WirelessStats::TickResult result =
            stats.balancingTick(true, text, link, status, send);
        FUZZ_CHECK(sent >= sentBefore + 1); // "wrlsstat", then one "blacklist" per rule
        FUZZ_CHECK(result.firedRules >= 0 && result.firedRules < 16);
        FUZZ_CHECK(stats.historySlot >= 0 && stats.historySlot < 4);
        FUZZ_CHECK(stats.deltaSlot >= 0 && stats.deltaSlot <= 3);
        for (int i = 0; i < 3; ++i) {
            FUZZ_CHECK(stats.txPacketDelta[i] >= 0);
            FUZZ_CHECK(stats.retryDelta[i] >= 0);
            FUZZ_CHECK(stats.retryErrorDelta[i] >= 0);
        }
    }
    return 0;
}
