#include "CongestionScript.h"

#include "app/Numeric.h"
#include "app/SettingsStore.h"

namespace CongestionScript {

namespace {

const QByteArray kCrLf = QByteArrayLiteral("\r\n");
const QByteArray kPrompt = QByteArrayLiteral("> ");
const QByteArray kStatisticsCommand = QByteArrayLiteral("wrlsstat");

} // namespace

QByteArray loginPrompt()
{
    return QByteArrayLiteral("login:");
}

QByteArray credential(bool newFirmwareLogin)
{
    return newFirmwareLogin ? QByteArrayLiteral("ko731rb") : QByteArrayLiteral("qa482tm");
}

QByteArray menuKey(bool newFirmwareLogin)
{
    return newFirmwareLogin ? QByteArrayLiteral("J") : QByteArrayLiteral("I");
}

Step advance(qint16 state, bool telnetConnected, bool newFirmwareLogin)
{
    Step step;
    step.nextState = state;
    switch (state) {
    case kLogin:
        step.sends = {credential(newFirmwareLogin) + kCrLf};
        step.waitFor = QByteArrayLiteral("Press 'G' to go to Main Menu");
        step.nextState = kBanner;
        break;
    case kBanner:
        step.sends = {QByteArrayLiteral("G")};
        step.waitFor = QByteArrayLiteral("exit");
        step.nextState = kMainMenu;
        break;
    case kMainMenu:
        step.sends = {menuKey(newFirmwareLogin), kCrLf};
        step.waitFor = kPrompt;
        step.nextState = kFirstPrompt;
        break;
    case kFirstPrompt:
        step.sends = {kStatisticsCommand + kCrLf, kCrLf};
        step.nextState = kSecondPrompt;
        break;
    case kSecondPrompt:
        // Only a live connection moves on; otherwise the next prompt retries.
        if (telnetConnected) {
            step.sends = {kCrLf};
            step.nextState = kRequestStatistics;
        }
        break;
    case kRequestStatistics:
        step.sends = {kStatisticsCommand + kCrLf};
        step.startBalancing = true;
        step.nextState = kReading;
        break;
    default:
        break; // kReading: the statistics reader has taken over
    }
    return step;
}

QByteArray lineEnd()
{
    return kCrLf;
}

QByteArray exitCommand()
{
    return QByteArrayLiteral("exit") + kCrLf;
}

QByteArray quitKey()
{
    return QByteArrayLiteral("Q");
}

quint16 telnetPort()
{
    const QString text =
        SettingsStore::readPreference(QStringLiteral("TelnetPort"), QStringLiteral("23"));
    const std::optional<qint32> port = Numeric::toInt32(Numeric::leadingNumber(text));
    if (!port || *port < 1 || *port > 65535)
        return kDefaultPort;
    return quint16(*port);
}

} // namespace CongestionScript
