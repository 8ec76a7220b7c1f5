#pragma once

#include <QObject>
#include <QString>

class QSerialPort;

// The GPS receiver's serial line: 4800 baud, 8 data bits, no parity, one stop
// bit, RTS on. What the receiver sends is buffered by the port and taken once
// per tick of the monitoring window's serial timer.
//
// A device that goes away while open (a USB receiver unplugged, the far end
// of a pseudo-terminal closed) makes the port report its read error over and
// over until it is closed, so the port closes itself at the first read or
// resource error; the station then goes on without GPS.
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

    // What the port keeps between two ticks: at 4800 baud a tick brings
    // under 1 kB. Without a bound the port sets aside 32 kB for each few bytes
    // the line delivers, and a tick took back megabytes in pieces that
    // scattered the heap.
    static constexpr qint64 kReadBufferBytes = 4096;

    explicit GpsSerialPort(QObject *parent = nullptr);
    ~GpsSerialPort() override;

    OpenResult open(const QString &devicePath);
    void close();
    bool isOpen() const;

    // The text received since the previous call (NMEA is plain ASCII).
    QString takeReceivedText();

private:
    void onError(int error);

    QSerialPort *m_port;
};
