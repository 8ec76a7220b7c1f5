#include "LogRecorder.h"

#include "app/HandlerTimer.h"

#include <QPointer>
#include <QTimer>

namespace {
constexpr int kLogTickMs = 60000;
} // namespace

LogRecorder::LogRecorder(const LogFile::TickRecords &records, QObject *parent)
    : QObject(parent),
      LogTimer(makeHandlerTimer(this, "LogTimer", kLogTickMs, &LogRecorder::LogTimer_Timer)),
      m_records(records)
{}

void LogRecorder::start()
{
    m_stopped = false;
    LogTimer->start();
}

void LogRecorder::stop()
{
    m_stopped = true;
    LogTimer->stop();
}

void LogRecorder::LogTimer_Timer()
{
    LogTimer->stop();
    QPointer<LogRecorder> self(this);
    LogFile::logTick(m_records);
    if (self && !m_stopped)
        LogTimer->start();
}
