#include "LogRecorder.h"

#include <QPointer>
#include <QTimer>

namespace {
constexpr int kLogTickMs = 60000;
} // namespace

LogRecorder::LogRecorder(const LogFileOps::TickRecords &records, QObject *parent)
    : QObject(parent), LogTimer(new QTimer(this)), m_records(records)
{
    LogTimer->setObjectName(QStringLiteral("LogTimer"));
    LogTimer->setInterval(kLogTickMs);
    LogTimer->setTimerType(Qt::PreciseTimer);
    connect(LogTimer, &QTimer::timeout, this, &LogRecorder::LogTimer_Timer);
}

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
    LogFileOps::logTick(m_records);
    if (self && !m_stopped)
        LogTimer->start();
}
