#include "CongestionManager.h"

#include "CongestionScript.h"
#include "TelnetClient.h"
#include "WirelessStats.h"
#include "app/CongestionStatus.h"
#include "app/EventWait.h"
#include "app/HandlerTimer.h"
#include "app/OperatorMessages.h"
#include "app/Records.h"

#include <QPointer>
#include <QTimer>

namespace {

constexpr int kFirstCycleMs = 6000;
constexpr int kNextCycleMs = 10000;
constexpr int kBalancingMs = 6000;
constexpr int kConnectionWaitMs = 30001;
constexpr int kLeavingPauseMs = 100;

} // namespace

CongestionManager::CongestionManager(const SessionSettings &settings, MonitorState &state,
                                     LinkStatistics &link, CongestionStatus &status,
                                     WirelessStats &stats, QObject *parent)
    : QObject(parent), CongestionManagementTelnet(new TelnetClient(this)),
      CongestionManagementTimer(
          makeHandlerTimer(this, "CongestionManagementTimer", kFirstCycleMs,
                           &CongestionManager::CongestionManagementTimer_Timer)),
      ChangeCommandForBalancing(
          makeHandlerTimer(this, "ChangeCommandForBalancing", kBalancingMs,
                           &CongestionManager::ChangeCommandForBalancing_Timer)),
      TelnetConnectionTimer(makeHandlerTimer(this, "TelnetConnectionTimer", kConnectionWaitMs,
                                             &CongestionManager::TelnetConnectionTimer_Timer)),
      m_settings(settings), m_state(state), m_link(link), m_status(status), m_stats(stats),
      m_scriptState(CongestionScript::kLogin)
{
    using C = CongestionManager;
    TelnetClient *telnet = CongestionManagementTelnet;
    telnet->setObjectName(QStringLiteral("CongestionManagementTelnet"));
    connect(telnet, &TelnetClient::connected, this, &C::CongestionManagementTelnet_Connected);
    connect(telnet, &TelnetClient::closed, this, &C::CongestionManagementTelnet_Closed);
    connect(telnet, &TelnetClient::dataArrival, this, &C::CongestionManagementTelnet_DataArrival);
    connect(telnet, &TelnetClient::waitForMatched, this,
            &C::CongestionManagementTelnet_WaitForMatched);
    connect(telnet, &TelnetClient::message, this, &C::CongestionManagementTelnet_Message);
}

void CongestionManager::ResetCongestionManagement()
{
    m_scriptState = CongestionScript::kLogin;
    m_stats.startRun();
    m_status.scanningLightIcon = Lamp::Scanning;

    // A run that starts while a cycle of the previous one is open (Resume,
    // the restart after a reboot) would leave that connection behind: the
    // timers that end it have just been stopped, and the next cycle would
    // wait for a login prompt on it until it gave up. The old cycle ends
    // here; the new run opens its own connection.
    TelnetConnectionTimer->stop();
    if (m_connected) {
        CongestionManagementTelnet->send(CongestionScript::lineEnd());
        CongestionManagementTelnet->send(CongestionScript::exitCommand());
        CongestionManagementTelnet->send(CongestionScript::quitKey());
    }
    CongestionManagementTelnet->close();
}

void CongestionManager::startCycles()
{
    CongestionManagementTimer->start();
}

void CongestionManager::stopCycles()
{
    CongestionManagementTimer->stop();
    ChangeCommandForBalancing->stop();
}

void CongestionManager::stopConnectionTimer()
{
    TelnetConnectionTimer->stop();
}

void CongestionManager::CongestionManagementTimer_Timer()
{
    TelnetClient *telnet = CongestionManagementTelnet;
    telnet->setKeepAlive(true);
    CongestionManagementTimer->stop();
    telnet->setHost(m_settings.remoteAddress);
    m_cycleBytes = 0;
    if (!m_connected) {
        telnet->setPort(CongestionScript::telnetPort());
        telnet->connectToRemote();
    }
    TelnetConnectionTimer->start();
}

void CongestionManager::CongestionManagementTelnet_Connected()
{
    CongestionManagementTelnet->setWaitFor(CongestionScript::loginPrompt());
    m_connected = true;
}

void CongestionManager::CongestionManagementTelnet_Closed()
{
    m_connected = false;
}

void CongestionManager::CongestionManagementTelnet_DataArrival(int byteCount)
{
    m_screenText =
        QString::fromLatin1(CongestionManagementTelnet->receive(TelnetClient::kReceiveBufferLimit));
    m_cycleBytes += byteCount;
    if (m_connected && m_cycleBytes > kCycleReadLimit)
        giveUpOnRadio();
}

void CongestionManager::CongestionManagementTelnet_WaitForMatched()
{
    TelnetConnectionTimer->stop();
    const CongestionScript::Step step =
        CongestionScript::advance(m_scriptState, m_connected, m_link.newFirmwareLogin);
    for (const QByteArray &data : step.sends)
        CongestionManagementTelnet->send(data);
    if (step.waitFor)
        CongestionManagementTelnet->setWaitFor(*step.waitFor);
    if (step.startBalancing)
        ChangeCommandForBalancing->start();
    m_scriptState = step.nextState;
}

void CongestionManager::CongestionManagementTelnet_Message(const QString &)
{
    // Socket errors and protocol warnings: the connection timer covers a
    // radio that cannot be reached.
}

void CongestionManager::TelnetConnectionTimer_Timer()
{
    giveUpOnRadio();
}

void CongestionManager::giveUpOnRadio()
{
    TelnetConnectionTimer->stop();
    CongestionManagementTimer->stop();
    ChangeCommandForBalancing->stop();
    CongestionManagementTelnet->close();
    m_scriptState = CongestionScript::kLogin;
    OperatorMessages::show(
        QStringLiteral("Error"), MessageIcon::Exclamation,
        {QStringLiteral("At this time, the Monitoring Window is unable to establish"),
         QStringLiteral("a telnet connection with the remote.  The program will continue"),
         QStringLiteral("to work correctly with out Wireless Data Logging features.  To Allow"),
         QStringLiteral("for Wireless Data Logging, the Velto remote must be restarted.")});
}

void CongestionManager::ChangeCommandForBalancing_Timer()
{
    TelnetClient *telnet = CongestionManagementTelnet;
    m_cycleBytes = 0;
    const WirelessStats::TickResult result =
        m_stats.balancingTick(m_connected, m_screenText, m_link, m_status,
                              [telnet](const QByteArray &data) { telnet->send(data); });
    if (result.firedRules & WirelessStats::RuleD)
        emit statusCentred();
    if (result.leaveRadio)
        leaveRadioAfterCycle();
}

bool CongestionManager::leaveRadioMenu()
{
    QPointer<CongestionManager> self(this);
    CongestionManagementTelnet->send(CongestionScript::exitCommand());
    EventWait::serveFor(kLeavingPauseMs);
    if (!self)
        return false;
    CongestionManagementTelnet->send(CongestionScript::quitKey());
    EventWait::serveFor(kLeavingPauseMs);
    if (!self)
        return false;
    CongestionManagementTelnet->close();
    return true;
}

void CongestionManager::leaveRadioAfterCycle()
{
    if (!leaveRadioMenu())
        return;
    ChangeCommandForBalancing->stop();
    m_scriptState = CongestionScript::kLogin;
    // A station that closed during the pauses opens no further cycle.
    if (m_state.windowClosing)
        return;
    CongestionManagementTimer->setInterval(kNextCycleMs);
    CongestionManagementTimer->start();
}

void CongestionManager::CloseCongestionManagementTelnet()
{
    if (!m_connected)
        return;
    // No statistics tick inside the pauses below.
    ChangeCommandForBalancing->stop();
    CongestionManagementTelnet->send(CongestionScript::lineEnd());
    if (!leaveRadioMenu())
        return;
    // A prompt answered during the pauses may have started it again.
    ChangeCommandForBalancing->stop();
}
