#include "GpsReceiver.h"

#include "GgaDecoder.h"
#include "GpsOptions.h"
#include "GpsSerialPort.h"
#include "GpsdWatch.h"
#include "SerialDevices.h"
#include "app/ApplicationExit.h"
#include "app/HandlerTimer.h"
#include "app/OperatorMessages.h"
#include "app/Records.h"

#include <QPointer>
#include <QTimer>

namespace {
constexpr int kSerialTickMs = 1500;
// A daemon stays connected when its receiver is unplugged and just falls
// silent; after this many ticks without a position (about 10 s, ten missed
// sentences of a receiver reporting once a second) the position is stale.
constexpr int kSilentGpsdTicks = 7;
} // namespace

GpsReceiver::GpsReceiver(const SessionSettings &settings, GpsPosition &position, QObject *parent)
    : QObject(parent), MSComm1(new GpsSerialPort(this)), gpsdWatch(new GpsdWatch(this)),
      mscomm_timer(
          makeHandlerTimer(this, "mscomm_timer", kSerialTickMs, &GpsReceiver::mscomm_timer_Timer)),
      m_settings(settings), m_position(position)
{
    connect(MSComm1, &GpsSerialPort::lost, this, &GpsReceiver::forgetPosition);
    connect(gpsdWatch, &GpsdWatch::lost, this, &GpsReceiver::forgetPosition);
}

bool GpsReceiver::open()
{
    m_opened = true;
    m_fromGpsd = GpsOptions::sourceToOpen(m_settings.gpsComPort) == GpsOptions::Source::Gpsd;
    if (!m_fromGpsd)
        return openSerialPort();
    gpsdWatch->open(GpsOptions::gpsdHost(), GpsOptions::gpsdPort());
    return true;
}

bool GpsReceiver::openSerialPort()
{
    const QString device = GpsOptions::devicePath(GpsOptions::portToOpen(m_settings.gpsComPort));
    // A daemon reading the device does not lock it, and two readers would
    // each get part of the sentences: it holds the device as any program.
    const bool daemonReads = SerialDevices::heldByGpsd(device).value_or(false);
    switch (daemonReads ? GpsSerialPort::OpenResult::InUse
                        : MSComm1->open(device, GpsOptions::baudRate())) {
    case GpsSerialPort::OpenResult::Opened:
        return true;
    case GpsSerialPort::OpenResult::Failed:
        // Told once the window's load is over, so the load runs no nested
        // event loop for it.
        if (!device.isEmpty())
            QMetaObject::invokeMethod(
                this, [this, device] { tellDeviceUnusable(device); }, Qt::QueuedConnection);
        return true; // the station goes on without GPS
    case GpsSerialPort::OpenResult::InUse:
        break;
    }
    QPointer<GpsReceiver> self(this);
    tellPortHeld(device);
    if (self)
        emit closeRequested();
    ApplicationExit::terminate();
    return false;
}

void GpsReceiver::tellPortHeld(const QString &devicePath)
{
    QStringList lines{
        QStringLiteral("The Com Port you have chosen for communications with the GPS "),
        QStringLiteral("Device is already in use. Please restart the application and select a "
                       "different port.")};
    const std::optional<bool> daemonHolds = SerialDevices::heldByGpsd(devicePath);
    if (daemonHolds.value_or(true)) {
        lines << QString()
              << (daemonHolds ? QStringLiteral("The device is shared by gpsd: choose gpsd in the "
                                               "GPS Options to receive the GPS data through it.")
                              : QStringLiteral("If gpsd shares the device, choose gpsd in the GPS "
                                               "Options to receive the GPS data through it."));
    }
    OperatorMessages::show(QStringLiteral("Error"), MessageIcon::Stop, lines);
}

void GpsReceiver::tellDeviceUnusable(const QString &devicePath)
{
    OperatorMessages::show(
        QStringLiteral("GPS Options"), MessageIcon::Exclamation,
        {QStringLiteral("The GPS device %1 cannot be opened: %2.")
             .arg(devicePath, SerialDevices::openFailureReason(devicePath)),
         QString(),
         QStringLiteral("Monitoring goes on without GPS data until the device can be opened.")});
}

void GpsReceiver::close()
{
    m_opened = false;
    MSComm1->close();
    gpsdWatch->close();
}

GpsStatus GpsReceiver::status() const
{
    GpsStatus status;
    status.enabled = m_opened;
    status.receiving = m_fromGpsd ? gpsdWatch->isReceiving() : MSComm1->isOpen();
    if (m_sinceSentence.isValid()) {
        status.fixQuality = m_position.gpsFixQuality;
        status.satellites = m_position.gpsSatellites;
        status.ageSeconds = m_sinceSentence.elapsed() / 1000;
    }
    return status;
}

void GpsReceiver::mscomm_timer_Timer()
{
    mscomm_timer->stop();
    // Whatever arrived during the interval is decoded once; a sentence cut
    // between two ticks of the serial line is lost with the rest of the text.
    const QString received =
        m_fromGpsd ? gpsdWatch->takeReceivedText() : MSComm1->takeReceivedText();
    if (!received.isEmpty() && GgaDecoder::decode(received, m_position)) {
        m_sinceSentence.start();
        m_silentTicks = 0;
    } else if (m_fromGpsd && m_sinceSentence.isValid() && ++m_silentTicks >= kSilentGpsdTicks) {
        forgetPosition();
    }
    emit statusChanged(status());
    mscomm_timer->start(kSerialTickMs);
}

void GpsReceiver::forgetPosition()
{
    m_position = GpsPosition{};
    m_sinceSentence.invalidate();
    m_silentTicks = 0;
}
