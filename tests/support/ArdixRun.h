#pragma once

#include "TestSupport.h"
#include "app/Records.h"
#include "stream/ArdixMonitor.h"

#include <QSignalSpy>
#include <QTimer>
#include <QtTest>

// Names of the stream's timers: the two arrival watchdogs first.
inline const QStringList kArdixTimers = {"dataArrivalTimer1", "DataArrivalTimer2", "idleTimer",
                                         "checkToSeeIfDisconnectedTimer"};

// A datagram from its first bytes and counters in hex, zero-filled to 35 bytes;
// "short:" keeps a shorter one as it is.
inline QByteArray ardixDatagram(QString hex)
{
    const bool keepShort = hex.startsWith(QStringLiteral("short:"));
    QByteArray d = QByteArray::fromHex(hex.remove(QStringLiteral("short:")).remove(' ').toLatin1());
    return keepShort ? d : d.leftJustified(35, '\0');
}

// One Ardix stream on a free loopback port, with records of its own; its
// multicast membership stays on loopback (TestSupport).
struct ArdixRun
{
    MessageRecorder messages;
    TerminationRecorder terminations;
    SessionSettings settings;
    MonitorState state;
    LinkStatistics link;
    ArdixMonitor monitor{settings, state, link};
    QSignalSpy looks{&monitor, &ArdixMonitor::stateLookChanged};
    QSignalSpy titles{&monitor, &ArdixMonitor::titleChanged};
    QSignalSpy meters{&monitor, &ArdixMonitor::meterChanged};
    QStringList requests; // closeRequested and selectionRequested, in order
    QUdpSocket sender;

    explicit ArdixRun(qint32 port = freeUdpPort())
    {
        settings.destPort = port;
        QObject::connect(&monitor, &ArdixMonitor::closeRequested, [this] { requests << "close"; });
        QObject::connect(&monitor, &ArdixMonitor::selectionRequested,
                         [this] { requests << "selection"; });
        monitor.start();
    }

    void send(const QString &hex)
    {
        sender.writeDatagram(ardixDatagram(hex), QHostAddress::LocalHost,
                             quint16(settings.destPort));
    }
    // Sends and waits until the monitor has taken everything queued.
    bool sendAndTake(const QStringList &hexes, int timeoutMs = 5000)
    {
        for (const QString &hex : hexes)
            send(hex);
        return QTest::qWaitFor([this] { return !monitor.socket()->hasPendingDatagrams(); },
                               timeoutMs);
    }
    QTimer *timer(const QString &name) { return monitor.findChild<QTimer *>(name); }
    QStringList activeTimers()
    {
        QStringList active = kArdixTimers;
        active.removeIf([this](const QString &name) { return !timer(name)->isActive(); });
        return active;
    }
    Lamp lastLamp() const { return looks.last().first().value<StateLook>().lamp; }
    QString lastTitle() const { return titles.isEmpty() ? QString() : titles.last()[0].toString(); }
};
