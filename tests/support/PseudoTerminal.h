#pragma once

#include <QByteArray>
#include <QString>
#include <QtGlobal>
#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>
#include <utility>

// A GPS receiver's end of a pseudo-terminal; the station opens device.
struct PseudoTerminal
{
    PseudoTerminal() : master(posix_openpt(O_RDWR | O_NOCTTY))
    {
        if (master >= 0 && grantpt(master) == 0 && unlockpt(master) == 0)
            device = QString::fromLocal8Bit(ptsname(master));
    }
    ~PseudoTerminal() { closeReceiverEnd(); }
    Q_DISABLE_COPY_MOVE(PseudoTerminal)
    bool send(const QByteArray &bytes) const
    {
        return ::write(master, bytes.constData(), bytes.size()) == bytes.size();
    }
    void closeReceiverEnd()
    {
        if (master >= 0)
            ::close(std::exchange(master, -1));
    }
    int master;
    QString device;
};
