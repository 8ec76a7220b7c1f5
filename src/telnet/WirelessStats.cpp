#include "WirelessStats.h"

#include "app/CongestionStatus.h"
#include "app/Numeric.h"
#include "app/Records.h"

#include <cmath>
#include <limits>

namespace {

const QString kStatisticsCommand = QStringLiteral("wrlsstat");
const QString kCongestionText = QStringLiteral("Scanning due to Congestion");
constexpr qint16 kRiseTicksToFire = 3;
constexpr qint32 kRetryErrorsHigh = 5;
constexpr qint32 kRetryErrorFlood = 31;
constexpr qint16 kFloodFromCycle = 3;

// The counts go on while the radio scans; they stop at the top of their range
// rather than overflow.
qint16 counted(qint16 count)
{
    return count < std::numeric_limits<qint16>::max() ? qint16(count + 1) : count;
}

// Counters are 32-bit on the radio and wrap around; a sample keeps the low 32
// bits of the value read.
qint32 sampleOf(double value)
{
    const double wrapped = std::fmod(Numeric::roundHalfEven(value), 4294967296.0);
    return qint32(quint32(qint64(wrapped) & 0xffffffff));
}

// Size of the change between two samples, across a wrap of the counter too.
qint32 changeBetween(qint32 current, qint32 previous)
{
    const qint32 step = qint32(quint32(current) - quint32(previous));
    if (step == std::numeric_limits<qint32>::min())
        return std::numeric_limits<qint32>::max();
    return step < 0 ? -step : step;
}

QString decimalText(double value)
{
    if (value == std::trunc(value) && std::fabs(value) < 1e15)
        return QString::number(qint64(value));
    return QString::number(value, 'g', 15);
}

} // namespace

void WirelessStats::startRun()
{
    historySlot = 0;
    deltaSlot = 0;
    retryRiseCount = 0;
    retryErrorRiseCount = 0;
    retryErrorHighCount = 0;
    balanceCycles = 0;
}

std::optional<std::array<double, 8>> WirelessStats::parseAnswer(const QString &text)
{
    std::array<double, 8> numbers{};
    QString remaining = text;
    for (int n = 0; n < 7; ++n) {
        if (remaining.isEmpty())
            return std::nullopt;
        const qsizetype former = remaining.size();
        // Up to and including the first space; nothing when there is none.
        const qsizetype s = remaining.indexOf(QLatin1Char(' ')) + 1;
        numbers[n] = Numeric::leadingNumber(remaining.left(s));
        remaining = remaining.mid(s);
        // After the fourth to seventh number the text loses two more
        // characters when the number ended without a separating space.
        if (n >= 3) {
            if (former < 2)
                return std::nullopt;
            remaining.truncate(former - 2);
        }
    }
    // The eighth number runs to the line end.
    if (remaining.size() < 2)
        return std::nullopt;
    numbers[7] = Numeric::leadingNumber(remaining.left(remaining.size() - 2));
    return numbers;
}

WirelessStats::TickResult WirelessStats::balancingTick(bool telnetConnected,
                                                       const QString &screenText,
                                                       LinkStatistics &link,
                                                       CongestionStatus &status, const Sender &send)
{
    TickResult result;
    if (!telnetConnected || balanceCycles < 1) {
        balanceCycles = counted(balanceCycles);
        return result;
    }

    send(kStatisticsCommand.toLatin1() + QByteArrayLiteral("\r\n"));

    const QString answer = screenText;
    if (!answer.contains(kStatisticsCommand)) {
        const std::optional<std::array<double, 8>> numbers = parseAnswer(answer);
        if (!numbers) {
            result.leaveRadio = false;
            return result;
        }
        const std::array<double, 8> &v = *numbers;
        link.rxPackets = decimalText(v[0]);
        link.txPackets = decimalText(v[1]);
        link.rxBytes = decimalText(v[2]);
        link.wirelessRxBytes = link.rxBytes;
        link.txBytes = decimalText(v[3]);
        link.wirelessTxBytes = link.txBytes;
        link.txErrors = decimalText(v[4]);
        link.rxErrors = decimalText(v[5]);
        link.retries = decimalText(v[6]);
        link.retryErrors = decimalText(v[7]);
        txPacketHistory[historySlot] = sampleOf(v[1]);
        retryHistory[historySlot] = sampleOf(v[6]);
        retryErrorHistory[historySlot] = sampleOf(v[7]);
    }

    // An echo changes no sample; the differences are taken all the same.
    if (deltaSlot >= 3)
        deltaSlot = 0;
    const int previous = historySlot == 0 ? 3 : historySlot - 1;
    txPacketDelta[deltaSlot] =
        changeBetween(txPacketHistory[historySlot], txPacketHistory[previous]);
    retryDelta[deltaSlot] = changeBetween(retryHistory[historySlot], retryHistory[previous]);
    retryErrorDelta[deltaSlot] =
        changeBetween(retryErrorHistory[historySlot], retryErrorHistory[previous]);

    result.firedRules = AnalyseWirelessStats(link.radioScanning, status, send);

    ++deltaSlot;
    historySlot = qint16((historySlot + 1) % 4);
    balanceCycles = counted(balanceCycles);
    return result;
}

int WirelessStats::AnalyseWirelessStats(bool radioScanning, CongestionStatus &status,
                                        const Sender &send)
{
    const int i = deltaSlot;
    const int q = i == 0 ? 2 : i - 1;
    const bool scanning = radioScanning;
    int fired = 0;

    auto fire = [&](Rule rule) {
        send(QByteArrayLiteral("blacklist\r\n"));
        status.congestionStatusText = kCongestionText;
        status.scanningLightIcon = Lamp::Congestion;
        fired |= rule;
    };
    // A count fires when it reaches 3 while the radio is not scanning, and
    // starts again; while scanning it goes on past 3 until its condition fails.
    auto risingRule = [&](Rule rule, qint16 &count, bool condition) {
        count = condition ? counted(count) : 0;
        if (count == kRiseTicksToFire && !scanning) {
            fire(rule);
            count = 0;
        }
    };

    const bool txPacketsNotRising = txPacketDelta[i] <= txPacketDelta[q];
    const bool retryErrorsRising = retryErrorDelta[i] > retryErrorDelta[q];
    risingRule(RuleA, retryRiseCount, txPacketsNotRising && retryDelta[i] > retryDelta[q]);
    risingRule(RuleB, retryErrorRiseCount, retryErrorsRising && txPacketsNotRising);
    risingRule(RuleC, retryErrorHighCount,
               retryErrorsRising && retryErrorDelta[i] > kRetryErrorsHigh);
    if (retryErrorDelta[i] >= kRetryErrorFlood && balanceCycles >= kFloodFromCycle && !scanning)
        fire(RuleD);
    return fired;
}
