#pragma once

#include <QObject>
#include <QString>

class GpsSerialPort;
class QTimer;
struct GpsPosition;
struct SessionSettings;

// The GPS receiver of a monitoring run: its serial port, opened at the load
// on the port chosen in this run (or the stored one), and the serial tick
// that decodes what came in since the previous tick into the position.
class GpsReceiver : public QObject
{
    Q_OBJECT
public:
    GpsReceiver(const SessionSettings &settings, GpsPosition &position, QObject *parent = nullptr);

    GpsSerialPort *const MSComm1;
    QTimer *const mscomm_timer;

signals:
    // The port is held by another program: the operator was told to restart,
    // and the station ends. Whoever shows the station closes its windows.
    void closeRequested();

public slots:
    // True when the port opened, or when the station goes on without GPS;
    // false when the station ends (the port is held by another program).
    bool open();
    void close();
    void mscomm_timer_Timer();

private:
    const SessionSettings &m_settings;
    GpsPosition &m_position;
};
