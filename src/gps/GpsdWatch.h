#pragma once

#include "RetryDelay.h"

#include <QByteArray>
#include <QObject>
#include <QString>

class QTcpSocket;
class QTimer;

// The receiver's sentences as a GPS daemon passes them on over TCP: the
// station connects, asks to watch in NMEA mode and collects the sentences
// between two ticks of the serial timer, as the serial port does.
//
// The daemon may stop or restart at any time: the watch then reports the
// source lost and connects again by itself, waiting longer after each failed
// attempt (up to a cap) until the daemon answers.
class GpsdWatch : public QObject
{
    Q_OBJECT
public:
    // Bound of what is kept between two ticks, as for the serial port.
    static constexpr qint64 kReadBufferBytes = 4096;

    explicit GpsdWatch(QObject *parent = nullptr);

    void open(const QString &host, quint16 port);
    void close();
    bool isReceiving() const;

    // The sentences received since the previous call.
    QString takeReceivedText();

signals:
    void lost();

private:
    void connectToDaemon();
    void onConnected();
    void onDisconnected();
    void scheduleRetry();

    QTcpSocket *m_socket;
    QTimer *m_retryTimer;
    RetryDelay m_retryDelay{500, 8000};
    QString m_host;
    quint16 m_port = 0;
    bool m_wanted = false;
    QByteArray m_pending;
};
