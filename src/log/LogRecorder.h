#pragma once

#include "LogFile.h"

#include <QObject>

class QTimer;

// The station's log clock: one record a minute, written by LogFile.
//
// A tick may show an operator message and wait for it; the clock is off
// meanwhile, so no tick follows one whose message is still open, and the
// next minute counts from the end of the tick.
class LogRecorder : public QObject
{
    Q_OBJECT
public:
    explicit LogRecorder(const LogFile::TickRecords &records, QObject *parent = nullptr);

    QTimer *const LogTimer;

public slots:
    void start();
    // The monitoring window is gone: a tick under way starts no further one.
    void stop();
    void LogTimer_Timer();

private:
    const LogFile::TickRecords m_records;
    bool m_stopped = false;
};
