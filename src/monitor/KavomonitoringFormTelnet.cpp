// Congestion-management handlers of the monitoring window: telnet cycles to the
// radio's menu, each 10 s after the previous one ended (login, menu,
// "wrlsstat", the statistics read and the congestion rules, leaving), and the
// good-bye when the window closes. The dialogue itself is CongestionScript,
// the reading and the rules WirelessStats.
#include "KavomonitoringForm.h"
#include "app/OperatorMessages.h"
#include "app/Records.h"
#include "telnet/CongestionScript.h"
#include "telnet/CongestionStatus.h"
#include "telnet/TelnetX.h"
#include "telnet/WirelessStats.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QLabel>
#include <QPointer>
#include <QThread>
#include <QTimer>
#include <algorithm>

namespace {

constexpr int kNextCycleMs = 10000;
constexpr int kLeavingPauseMs = 100;
constexpr int kScanningLamp = 103;

// Serves window events for the given time: the radio gets time to act on a
// command while sockets and timers go on. Waiting for events could block past
// the deadline inside a timer's handler, where no nested timer ends the wait,
// so the loop looks for events and naps for a millisecond in turn.
void pumpEventsFor(int milliseconds)
{
    QDeadlineTimer deadline(milliseconds);
    while (!deadline.hasExpired()) {
        QCoreApplication::processEvents(QEventLoop::AllEvents,
                                        int(std::max<qint64>(1, deadline.remainingTime())));
        if (!deadline.hasExpired())
            QThread::msleep(1);
    }
}

} // namespace

TelnetX *KavomonitoringForm::congestionTelnet()
{
    if (!CongestionManagementTelnet) {
        using F = KavomonitoringForm;
        auto *telnet = new TelnetX(this);
        telnet->setObjectName(QStringLiteral("CongestionManagementTelnet"));
        connect(telnet, &TelnetX::connected, this, &F::CongestionManagementTelnet_Connected);
        connect(telnet, &TelnetX::closed, this, &F::CongestionManagementTelnet_Closed);
        connect(telnet, &TelnetX::dataArrival, this, &F::CongestionManagementTelnet_DataArrival);
        connect(telnet, &TelnetX::waitForMatched, this,
                &F::CongestionManagementTelnet_WaitForMatched);
        connect(telnet, &TelnetX::message, this, &F::CongestionManagementTelnet_Message);
        CongestionManagementTelnet = telnet;
    }
    return CongestionManagementTelnet;
}

void KavomonitoringForm::ResetCongestionManagement()
{
    telnetScriptState = CongestionScript::kLogin;
    wirelessStats.startRun();
    congestionStatus.scanningLightIcon = kScanningLamp;

    // A run that starts while a cycle of the previous one is open (Resume,
    // the restart after a reboot) would leave that connection behind: the
    // timers that end it have just been stopped, and the next cycle would
    // wait for a login prompt on it until it gave up. The old cycle ends
    // here; the new run opens its own connection.
    if (!CongestionManagementTelnet)
        return;
    TelnetConnectionTimer->stop();
    if (telnetConnected) {
        CongestionManagementTelnet->send(CongestionScript::lineEnd());
        CongestionManagementTelnet->send(CongestionScript::exitCommand());
        CongestionManagementTelnet->send(CongestionScript::quitKey());
    }
    CongestionManagementTelnet->close();
}

void KavomonitoringForm::CongestionManagementTimer_Timer()
{
    TelnetX *telnet = congestionTelnet();
    telnet->setKeepAlive(true);
    CongestionManagementTimer->stop();
    telnet->setHost(sessionSettings.remoteAddress);
    if (!telnetConnected) {
        telnet->setPort(CongestionScript::telnetPort());
        telnet->connectToRemote();
    }
    TelnetConnectionTimer->start();
}

void KavomonitoringForm::CongestionManagementTelnet_Connected()
{
    congestionTelnet()->setWaitFor(CongestionScript::loginPrompt());
    telnetConnected = true;
}

void KavomonitoringForm::CongestionManagementTelnet_Closed()
{
    telnetConnected = false;
}

void KavomonitoringForm::CongestionManagementTelnet_DataArrival()
{
    TelnetX *telnet = congestionTelnet();
    telnetScreenText = QString::fromLatin1(telnet->receive(TelnetX::kReceiveBufferLimit));
}

void KavomonitoringForm::CongestionManagementTelnet_WaitForMatched()
{
    TelnetConnectionTimer->stop();
    const CongestionScript::Step step = CongestionScript::advance(
        telnetScriptState, telnetConnected, linkStatistics.newFirmwareLogin);
    TelnetX *telnet = congestionTelnet();
    for (const QByteArray &data : step.sends)
        telnet->send(data);
    if (step.waitFor)
        telnet->setWaitFor(*step.waitFor);
    if (step.startBalancing)
        ChangeCommandForBalancing->start();
    telnetScriptState = step.nextState;
}

void KavomonitoringForm::CongestionManagementTelnet_Message(const QString &)
{
    // Socket errors and protocol warnings: the connection timer covers a
    // radio that cannot be reached.
}

void KavomonitoringForm::TelnetConnectionTimer_Timer()
{
    TelnetConnectionTimer->stop();
    CongestionManagementTimer->stop();
    ChangeCommandForBalancing->stop();
    congestionTelnet()->close();
    telnetScriptState = CongestionScript::kLogin;
    OperatorMessages::show(
        QStringLiteral("Error"), MessageIcon::Exclamation,
        {QStringLiteral("At this time, the Monitoring Window is unable to establish"),
         QStringLiteral("a telnet connection with the remote.  The program will continue"),
         QStringLiteral("to work correctly with out Wireless Data Logging features.  To Allow"),
         QStringLiteral("for Wireless Data Logging, the Velto remote must be restarted.")});
}

void KavomonitoringForm::ChangeCommandForBalancing_Timer()
{
    TelnetX *telnet = congestionTelnet();
    const WirelessStats::TickResult result =
        wirelessStats.balancingTick(telnetConnected, telnetScreenText,
                                    [telnet](const QByteArray &data) { telnet->send(data); });
    if (result.firedRules & WirelessStats::RuleD)
        status->setAlignment(Qt::AlignHCenter | Qt::AlignVCenter);
    if (result.leaveRadio)
        leaveRadioAfterCycle();
}

bool KavomonitoringForm::leaveRadioMenu()
{
    QPointer<KavomonitoringForm> self(this);
    TelnetX *telnet = congestionTelnet();
    telnet->send(CongestionScript::exitCommand());
    pumpEventsFor(kLeavingPauseMs);
    if (!self)
        return false;
    telnet->send(CongestionScript::quitKey());
    pumpEventsFor(kLeavingPauseMs);
    if (!self)
        return false;
    telnet->close();
    return true;
}

void KavomonitoringForm::leaveRadioAfterCycle()
{
    if (!leaveRadioMenu())
        return;
    ChangeCommandForBalancing->stop();
    telnetScriptState = CongestionScript::kLogin;
    // A window that closed during the pauses opens no further cycle.
    if (monitorState.windowClosing)
        return;
    CongestionManagementTimer->setInterval(kNextCycleMs);
    CongestionManagementTimer->start();
}

void KavomonitoringForm::CloseCongestionManagementTelnet()
{
    if (!telnetConnected || !CongestionManagementTelnet)
        return;
    // No statistics tick inside the pauses below.
    ChangeCommandForBalancing->stop();
    CongestionManagementTelnet->send(CongestionScript::lineEnd());
    if (!leaveRadioMenu())
        return;
    // A prompt answered during the pauses may have started it again.
    ChangeCommandForBalancing->stop();
}
