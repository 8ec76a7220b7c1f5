#include "GpsSerialPort.h"

#include "SerialDevices.h"

#include <QFileInfo>
#include <QSerialPort>
#include <QTimer>
#include <termios.h>

namespace {

// A receiver at 4800 baud delivers its sentences a few bytes at a time, and
// each delivery would wake the station, although sentences are only taken at
// the tick. The line wakes the port once this many bytes wait (VMIN with no
// inter-byte timer); the tick takes whatever fewer bytes are still waiting.
// 255, the most VMIN holds, is about half a second of a 4800-baud line: two
// wakes between ticks instead of one for every sentence or two.
constexpr cc_t kWakeBytes = 255;

void setWakeThreshold(qintptr handle, cc_t bytes)
{
    termios line{};
    if (::tcgetattr(int(handle), &line) != 0)
        return; // not a terminal line: it wakes the port at every byte, as before
    line.c_cc[VMIN] = bytes;
    line.c_cc[VTIME] = 0;
    ::tcsetattr(int(handle), TCSANOW, &line);
}

} // namespace

GpsSerialPort::GpsSerialPort(QObject *parent)
    : QObject(parent), m_port(new QSerialPort(this)), m_reopenTimer(new QTimer(this))
{
    m_port->setObjectName(QStringLiteral("MSComm1"));
    m_port->setReadBufferSize(kReadBufferBytes);
    m_reopenTimer->setSingleShot(true);
    connect(m_reopenTimer, &QTimer::timeout, this, &GpsSerialPort::tryReopen);
    connect(m_port, &QSerialPort::errorOccurred, this,
            [this](QSerialPort::SerialPortError error) { onError(error); });
}

GpsSerialPort::~GpsSerialPort() = default;

GpsSerialPort::OpenResult GpsSerialPort::open(const QString &devicePath, qint32 baudRate)
{
    close();
    m_path = devicePath;
    m_baudRate = baudRate;
    const OpenResult result = openLine(devicePath);
    if (result == OpenResult::Opened)
        m_byIdPath = SerialDevices::byIdPathOf(devicePath);
    else if (result == OpenResult::Failed && !devicePath.isEmpty())
        m_reopenTimer->start(m_reopenDelay.next()); // a receiver plugged in later is found
    return result;
}

GpsSerialPort::OpenResult GpsSerialPort::openLine(const QString &devicePath)
{
    if (devicePath.isEmpty())
        return OpenResult::Failed;
    m_port->setPortName(devicePath);
    m_port->setBaudRate(m_baudRate);
    m_port->setDataBits(QSerialPort::Data8);
    m_port->setParity(QSerialPort::NoParity);
    m_port->setStopBits(QSerialPort::OneStop);
    m_port->setFlowControl(QSerialPort::NoFlowControl);
    if (!m_port->open(QIODevice::ReadOnly)) {
        // The port reports a lock held by another program, and a device busy
        // elsewhere, as a permission error; a device this user may not open
        // at all gives the same error but fails the access check.
        const bool held =
            m_port->error() == QSerialPort::PermissionError && QFileInfo(devicePath).isReadable();
        return held ? OpenResult::InUse : OpenResult::Failed;
    }
    // A pseudo-terminal or an adapter without modem lines refuses the pin
    // settings; the data still flows, so that is no failure.
    m_port->setRequestToSend(true);
    m_port->clearError();
    setWakeThreshold(m_port->handle(), kWakeBytes);
    return OpenResult::Opened;
}

void GpsSerialPort::close()
{
    m_reopenTimer->stop();
    m_reopenDelay.reset();
    if (m_port->isOpen())
        m_port->close();
}

bool GpsSerialPort::isOpen() const
{
    return m_port->isOpen();
}

QString GpsSerialPort::takeReceivedText()
{
    if (!m_port->isOpen())
        return {};
    // The bytes below the wake threshold: the port reads them when the line
    // may report them.
    setWakeThreshold(m_port->handle(), 0);
    m_port->waitForReadyRead(0);
    if (!m_port->isOpen())
        return {}; // the read found the receiver gone
    setWakeThreshold(m_port->handle(), kWakeBytes);
    m_port->clearError(); // no bytes waiting is no fault
    return QString::fromLatin1(m_port->readAll());
}

void GpsSerialPort::onError(int error)
{
    if (error != QSerialPort::ReadError && error != QSerialPort::ResourceError)
        return;
    if (!m_port->isOpen())
        return;
    m_port->close();
    emit lost();
    m_reopenTimer->start(m_reopenDelay.next());
}

void GpsSerialPort::tryReopen()
{
    for (const QString &path : {m_path, m_byIdPath}) {
        if (openLine(path) == OpenResult::Opened) {
            m_reopenDelay.reset();
            return;
        }
    }
    m_reopenTimer->start(m_reopenDelay.next());
}
