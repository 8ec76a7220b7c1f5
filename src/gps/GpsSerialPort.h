#pragma once

#include "RetryDelay.h"

#include <QObject>
#include <QString>

class QSerialPort;
class QTimer;

// The GPS receiver's serial line: 8 data bits, no parity, one stop bit, RTS
// on, at the chosen speed (4800 baud unless the operator chose another). What
// the receiver sends is buffered by the port and taken once per tick of the
// monitoring window's serial timer.
//
// A device that goes away while open (a USB receiver unplugged, the far end
// of a pseudo-terminal closed) makes the port report its read error over and
// over until it is closed, so the port closes itself at the first read or
// resource error and reports the receiver lost. It then tries to open the
// device again, waiting longer after each failed attempt (up to a cap): under
// its path, or under the name the system gave the same receiver in the by-id
// folder when it comes back as another /dev/ttyUSB number. A device that
// cannot be opened at all is tried again the same way: a receiver plugged in
// after the start is found.
class GpsSerialPort : public QObject
{
    Q_OBJECT
public:
    enum class OpenResult
    {
        Opened,
        InUse, // another program holds the device
        Failed // no such device, no rights to it, not a serial line, ...
    };

    static constexpr qint32 kDefaultBaudRate = 4800;

    // What the port keeps between two ticks: at 4800 baud a tick brings
    // under 1 kB. Without a bound the port sets aside 32 kB for each few bytes
    // the line delivers, and a tick took back megabytes in pieces that
    // scattered the heap.
    static constexpr qint64 kReadBufferBytes = 4096;

    explicit GpsSerialPort(QObject *parent = nullptr);
    ~GpsSerialPort() override;

    OpenResult open(const QString &devicePath, qint32 baudRate = kDefaultBaudRate);
    void close();
    bool isOpen() const;

    // The text received since the previous call (NMEA is plain ASCII).
    QString takeReceivedText();

signals:
    void lost();

private:
    OpenResult openLine(const QString &devicePath);
    void onError(int error);
    void tryReopen();

    QSerialPort *m_port;
    QTimer *m_reopenTimer;
    RetryDelay m_reopenDelay{1000, 8000};
    QString m_path;
    QString m_byIdPath;
    qint32 m_baudRate = kDefaultBaudRate;
};
