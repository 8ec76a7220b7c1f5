// GPS port and log timer handlers of the monitoring window.
#include "KavomonitoringForm.h"
#include "app/ApplicationExit.h"
#include "app/OperatorMessages.h"
#include "app/Records.h"
#include "app/StationWindows.h"
#include "gps/GgaDecoder.h"
#include "gps/GpsOptions.h"
#include "gps/GpsSerialPort.h"
#include "log/LogFileOps.h"

#include <QPointer>
#include <QTimer>

namespace {
constexpr int kSerialTickMs = 1500;
constexpr int kLogTickMs = 60000;
} // namespace

bool KavomonitoringForm::OpenGpsPort()
{
    if (!m_gpsPort)
        m_gpsPort = new GpsSerialPort(this);
    const qint16 port = GpsOptions::portToOpen(sessionSettings.gpsComPort);
    if (m_gpsPort->open(GpsOptions::devicePath(port)) != GpsSerialPort::OpenResult::InUse)
        return true; // opened, or the window goes on without GPS

    QPointer<KavomonitoringForm> self(this);
    OperatorMessages::show(
        QStringLiteral("Error"), MessageIcon::Stop,
        {QStringLiteral("The Com Port you have chosen for communications with the GPS "),
         QStringLiteral("Device is already in use. Please restart the application and select a "
                        "different port.")});
    StationWindows::closeSnifferForm();
    if (self)
        close();
    ApplicationExit::terminate();
    return false;
}

void KavomonitoringForm::CloseGpsPort()
{
    if (m_gpsPort)
        m_gpsPort->close();
}

void KavomonitoringForm::mscomm_timer_Timer()
{
    mscomm_timer->stop();
    if (m_gpsPort && m_gpsPort->isOpen()) {
        // Whatever arrived during the interval is decoded once; a sentence
        // cut between two ticks is lost with the rest of the text.
        m_gpsReceiveBuffer += m_gpsPort->takeReceivedText();
        if (!m_gpsReceiveBuffer.isEmpty())
            GgaDecoder::decode(m_gpsReceiveBuffer, gpsPosition);
        m_gpsReceiveBuffer.clear();
    }
    mscomm_timer->start(kSerialTickMs);
}

void KavomonitoringForm::LogTimer_Timer()
{
    // Off while it runs: the interval counts from the end of this tick, and
    // an operator message left open cannot be followed by another tick.
    LogTimer->stop();
    QPointer<KavomonitoringForm> self(this);
    LogFileOps::logTick();
    if (self && !m_unloaded)
        LogTimer->start(kLogTickMs);
}
