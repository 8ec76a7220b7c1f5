#pragma once

#include <QString>
#include <QtGlobal>

// The records of a monitoring session, held together by the station's session.
// Every window and module reads and writes the fields directly on the
// user-interface thread, so no field needs locking. Handlers that wait for the
// network pump the event loop, so a flag may change under a waiting caller:
// the waits re-test monitoringStopped, windowClosing, snmpBusy and snmpTimedOut
// on every pass.

// Family of the monitored remote. Stored as a 16-bit code; codes other than the
// two below can occur (an unknown stored choice) and are refused by the
// monitoring window.
enum class RemoteKind : qint16
{
    Velto = 0,
    Ardix = 1
};

// What the operator chose.
struct SessionSettings
{
    RemoteKind remoteKind = RemoteKind::Velto;
    QString remoteAddress; // dotted IPv4 text, SNMP and telnet target
    qint32 destPort = 0;   // Ardix UDP destination port, valid 30000..60000
    QString readCommunity;
    QString writeCommunity;
    bool loggingEnabled = false;
    bool gpsEnabled = false;
    qint16 gpsComPort = 0; // 1, 2, or 0 for none chosen
};

// Run state of the monitoring window.
struct MonitorState
{
    bool monitoringStopped = false;
    bool windowClosing = false;
    bool snmpBusy = false;
    bool snmpTimedOut = false;
    qint16 snmpTimeoutCount = 0;
    bool chartRestart = false;
    bool snrBarShown = false;
    qint16 trafficViewState = 0;
    bool screenLocked = false;
};

// Newest values learned from the remote.
struct LinkStatistics
{
    qint16 rssi = 0; // Ardix: negative dBm; Velto: positive magnitude
    QString rssiText;
    qint16 snr = 0;
    QString snrText;
    QString connectionStateCode;
    bool radioScanning = false;
    QString apAddressRaw;
    QString linkRateText;
    qint16 linkRateKbps = 0;
    bool ArdixDataFresh = false;
    bool ArdixDataSeen = false;
    QString apAddress;
    QString rxBytes;
    QString txBytes;
    QString rxPackets;
    QString txPackets;
    QString rxErrors;
    QString txErrors;
    QString retries;
    QString retryErrors;
    QString fragments;
    QString wirelessRxBytes;
    QString wirelessTxBytes;
    QString deviceMode;
    QString rssiThresholdText;
    qint16 rssiThreshold = 0;
    QString snrThresholdText;
    qint16 snrThreshold = 0;
    qint16 snrThresholdBar = 0;
    QString firmwareVersion;
    bool extendedFirmware = false;
    bool newFirmwareLogin = false;
};

// The latest decoded GGA sentence, as the receiver wrote it.
struct GpsPosition
{
    QString gpsLatitude;
    QString gpsNorthSouth;
    QString gpsLongitude;
    QString gpsEastWest;
    QString gpsFixQuality;
    QString gpsSatellites;
    QString gpsHDOP;
    QString gpsAltitude;
    QString gpsAltitudeUnits;
};
