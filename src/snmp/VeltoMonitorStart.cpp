// The Velto monitor's start sequence and its end at the window's close.
#include "VeltoFastReader.h"
#include "VeltoMonitor.h"
#include "VeltoStartRules.h"
#include "app/ApplicationExit.h"
#include "app/EventWait.h"
#include "app/LocalAddress.h"
#include "app/MakerAddress.h"
#include "app/OperatorMessages.h"
#include "app/Records.h"
#include "app/SettingsStore.h"
#include "app/SocketErrorMessage.h"

#include <QPointer>
#include <QTimer>

namespace {

constexpr int kCleanupAttempts = 100;
constexpr int kCleanupPauseMs = 10;

const QString kError = QStringLiteral("ERROR");
const QString kResumeLine = QStringLiteral(
    "Please verify the radio connections and select 'Resume Monitoring' from the 'Run' menu.");

} // namespace

void VeltoMonitor::lookUpLocalAddress()
{
    // Only a failure matters here: the operator hears of a host that cannot
    // name itself before the radio's answers are awaited.
    const LocalAddress::Lookup lookup = LocalAddress::lookUpLocalAddress();
    if (lookup.errorCode != 0)
        SocketErrorMessage::ShowWinsockError(lookup.errorCode);
}

void VeltoMonitor::beginSession()
{
    m_link.radioScanning = false;
    m_state.snmpTimeoutCount = 0;
    m_link.snrThreshold = 0;
    m_link.rssiThreshold = 100;
    m_settings.readCommunity = SettingsStore::readPreference(QStringLiteral("SNMPReadCommString"),
                                                             QStringLiteral("public"));
    m_settings.writeCommunity = SettingsStore::readPreference(QStringLiteral("SNMPWriteCommString"),
                                                              QStringLiteral("private"));
    emit waitingShown(!m_state.monitoringStopped);
}

bool VeltoMonitor::guardedGet(int index, QString &answer)
{
    if (halted())
        return false;
    QPointer<VeltoMonitor> self(this);
    waitForPendingSnmpRequest();
    if (!self)
        return true; // the caller sees this object gone
    if (halted())
        return false;
    answer = GetViaSNMP(index);
    // A wait cut short by a stop is a skipped read, not an empty answer.
    return !self || !snmpReadCutShort();
}

bool VeltoMonitor::readDeviceMode()
{
    QPointer<VeltoMonitor> self(this);
    QString answer;
    if (!guardedGet(OidCatalogue::DeviceMode, answer))
        return true;
    if (gone(self))
        return false;
    if (answer != kError)
        m_link.deviceMode = answer;
    if (m_link.deviceMode.isEmpty()) {
        OperatorMessages::show(
            QStringLiteral("Connection Error"), MessageIcon::Stop,
            {QStringLiteral("The Monitoring application was unable to connect successfully "
                            "with the radio. Device said ") +
                 m_link.deviceMode + QLatin1Char('.'),
             kResumeLine});
        if (gone(self))
            return false;
        requestStop();
        if (gone(self))
            return false;
        SNMPTimer->stop();
        emit waitingShown(true);
        emit remoteLost();
        emit noticeChanged(QStringLiteral("Not Connected to Velto remote..."));
        m_link.deviceMode = QStringLiteral("-1");
        return false;
    }
    if (VeltoStartRules::isAccessPointMode(m_link.deviceMode)) {
        OperatorMessages::show(
            QStringLiteral("Radio Error"), MessageIcon::Stop,
            {QStringLiteral("The radio appears to be configured as an Access Point."),
             QStringLiteral("Please verify that the Velto being monitored is configured as a "
                            "remote.")});
        if (gone(self))
            return false;
        requestStop();
        if (gone(self))
            return false;
        m_state.windowClosing = true;
        emit selectionRequested();
        return false;
    }
    return true;
}

bool VeltoMonitor::readThresholds()
{
    QPointer<VeltoMonitor> self(this);
    QString answer;
    if (guardedGet(OidCatalogue::RssiThreshold, answer)) {
        if (gone(self))
            return false;
        if (answer != kError)
            m_link.rssiThresholdText = answer;
        m_link.rssiThreshold = VeltoStartRules::rssiThresholdFromText(m_link.rssiThresholdText);
    }
    if (guardedGet(OidCatalogue::SnrThreshold, answer)) {
        if (gone(self))
            return false;
        if (answer != kError)
            m_link.snrThresholdText = answer;
        m_link.snrThreshold = VeltoStartRules::snrThresholdFromText(m_link.snrThresholdText);
        m_link.snrThresholdBar = VeltoStartRules::snrThresholdBar(m_link.snrThreshold);
    }
    return true;
}

bool VeltoMonitor::readFirmware()
{
    QPointer<VeltoMonitor> self(this);
    QString answer;
    if (guardedGet(OidCatalogue::FirmwareVersion, answer)) {
        if (gone(self))
            return false;
        if (answer != kError) {
            m_link.firmwareVersion = answer;
            if (!answer.isEmpty())
                m_link.firmwareVersion = VeltoStartRules::compressFirmwareVersion(answer);
        }
    }
    // The extended-feature check is made without the guard and its wait.
    answer = GetViaSNMP(OidCatalogue::FeatureIndicator);
    if (gone(self))
        return false;
    m_link.extendedFirmware = VeltoStartRules::isExtendedFirmwareAnswer(answer);
    return true;
}

void VeltoMonitor::checkFirmwareGate()
{
    QPointer<VeltoMonitor> self(this);
    const int version = VeltoStartRules::firmwareNumber(m_link.firmwareVersion);
    if (!VeltoStartRules::passesFirmwareGate(version, m_link.extendedFirmware)) {
        emit trafficChartEnabled(false);
        OperatorMessages::show(
            QStringLiteral("Error"), MessageIcon::Exclamation,
            {QStringLiteral("The Velto remote is using a firmware version prior to 4.8.0."),
             QStringLiteral("Management features will not work with firmware"
                            "versions prior to 4.8.0."),
             QStringLiteral("Please visit ") + QString::fromUtf16(kMakerWebAddress) +
                 QStringLiteral(" to obtain the latest Velto firmware"),
             QStringLiteral("if you wish to use the Congestion Management features.")});
        if (!self)
            return;
    } else {
        emit trafficChartEnabled(true);
        emit congestionManagementAllowed();
    }
    m_link.newFirmwareLogin =
        VeltoStartRules::usesNewFirmwareLogin(version, m_link.extendedFirmware);
}

void VeltoMonitor::StartVeltoMonitoring()
{
    QPointer<VeltoMonitor> self(this);
    emit noticeChanged(QStringLiteral("Collecting Data Please Wait..."));
    m_rebootPhase = 0;
    emit runStarting();
    lookUpLocalAddress();
    if (gone(self))
        return;
    beginSession();

    if (StartSnmp() != 1) {
        OperatorMessages::show(
            QStringLiteral("Error"), MessageIcon::Stop,
            {QStringLiteral("There was a problem initiating the SNMP connection with the radio."),
             QStringLiteral("Please verify the radio setup and then select 'Resume Monitoring' "
                            "from the 'Run' menu.")});
        if (!gone(self))
            requestStop();
        return;
    }
    if (!readDeviceMode() || !readThresholds() || !readFirmware())
        return;
    if (!halted()) {
        checkFirmwareGate();
        if (gone(self))
            return;
    }
    emit scalesChanged();
    if (!m_state.monitoringStopped)
        SNMPTimer->start();
}

bool VeltoMonitor::closeSession()
{
    m_closed = true;
    m_fastReader->setEnabled(false);
    int result = CleanupSnmp();
    if (result == 1) {
        if (VeltoStartRules::isAccessPointMode(m_link.deviceMode))
            return false;
        ApplicationExit::terminate();
        return true;
    }
    // A request still holds the session: it ends within its time-out.
    QPointer<VeltoMonitor> self(this);
    for (int attempt = 0; (result != 1 || m_state.snmpBusy) && attempt < kCleanupAttempts;
         ++attempt) {
        EventWait::serveFor(kCleanupPauseMs);
        if (!self)
            return true;
        result = CleanupSnmp();
    }
    if (result != 1 || m_state.snmpBusy) {
        ApplicationExit::terminate();
        return true;
    }
    return false;
}
