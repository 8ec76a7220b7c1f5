#pragma once

#include "GpsStatus.h"

#include <QElapsedTimer>
#include <QObject>
#include <QString>

class GpsSerialPort;
class GpsdWatch;
class QTimer;
struct GpsPosition;
struct SessionSettings;

// The GPS receiver of a monitoring run: its source, opened at the load (the
// serial port chosen in this run or stored, or a GPS daemon sharing the
// receiver), and the serial tick that decodes what came in since the previous
// tick into the position.
//
// While the source is lost (the receiver unplugged, the daemon stopped or
// silent) the position is forgotten, so the log says "No data" instead of the last fix;
// the source is reached again by itself.
class GpsReceiver : public QObject
{
    Q_OBJECT
public:
    GpsReceiver(const SessionSettings &settings, GpsPosition &position, QObject *parent = nullptr);

    GpsSerialPort *const MSComm1;
    GpsdWatch *const gpsdWatch;
    QTimer *const mscomm_timer;

    GpsStatus status() const;

signals:
    // The port is held by another program: the operator was told to restart,
    // and the station ends. Whoever shows the station closes its windows.
    void closeRequested();
    // After every serial tick.
    void statusChanged(const GpsStatus &status);

public slots:
    // True when the source opened, or when the station goes on without GPS;
    // false when the station ends (the port is held by another program).
    bool open();
    void close();
    void mscomm_timer_Timer();

private:
    bool openSerialPort();
    void tellPortHeld(const QString &devicePath);
    void tellDeviceUnusable(const QString &devicePath);
    void forgetPosition();

    const SessionSettings &m_settings;
    GpsPosition &m_position;
    bool m_opened = false;
    bool m_fromGpsd = false;
    QElapsedTimer m_sinceSentence;
    int m_silentTicks = 0;
};
