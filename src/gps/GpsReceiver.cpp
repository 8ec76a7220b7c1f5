#include "GpsReceiver.h"

#include "GgaDecoder.h"
#include "GpsOptions.h"
#include "GpsSerialPort.h"
#include "app/ApplicationExit.h"
#include "app/HandlerTimer.h"
#include "app/OperatorMessages.h"
#include "app/Records.h"

#include <QPointer>
#include <QTimer>

namespace {
constexpr int kSerialTickMs = 1500;
} // namespace

GpsReceiver::GpsReceiver(const SessionSettings &settings, GpsPosition &position, QObject *parent)
    : QObject(parent), MSComm1(new GpsSerialPort(this)),
      mscomm_timer(
          makeHandlerTimer(this, "mscomm_timer", kSerialTickMs, &GpsReceiver::mscomm_timer_Timer)),
      m_settings(settings), m_position(position)
{}

bool GpsReceiver::open()
{
    const qint16 port = GpsOptions::portToOpen(m_settings.gpsComPort);
    if (MSComm1->open(GpsOptions::devicePath(port)) != GpsSerialPort::OpenResult::InUse)
        return true; // opened, or the station goes on without GPS

    QPointer<GpsReceiver> self(this);
    OperatorMessages::show(
        QStringLiteral("Error"), MessageIcon::Stop,
        {QStringLiteral("The Com Port you have chosen for communications with the GPS "),
         QStringLiteral("Device is already in use. Please restart the application and select a "
                        "different port.")});
    if (self)
        emit closeRequested();
    ApplicationExit::terminate();
    return false;
}

void GpsReceiver::close()
{
    MSComm1->close();
}

void GpsReceiver::mscomm_timer_Timer()
{
    mscomm_timer->stop();
    if (MSComm1->isOpen()) {
        // Whatever arrived during the interval is decoded once; a sentence
        // cut between two ticks is lost with the rest of the text.
        const QString received = MSComm1->takeReceivedText();
        if (!received.isEmpty())
            GgaDecoder::decode(received, m_position);
    }
    mscomm_timer->start(kSerialTickMs);
}
