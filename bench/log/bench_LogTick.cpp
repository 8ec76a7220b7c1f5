// One log tick (load step and record step) on a Velto log of 100,000 lines,
// the size of more than two months of records. Anchor: under 20 ms median.
//  - BM_LogTick: the usual tick, on a file in the form it is written in.
//  - BM_LogTickMendingLineEnds: the first tick on a file whose lines end in
//    LF only (edited elsewhere), which is written anew beside the old one.
#include "app/SettingsStore.h"
#include "log/LogFile.h"
#include "session/StationSession.h"

#include <QFile>
#include <QSettings>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

namespace {

constexpr int kLines = 100000;

const QByteArray kRecord = "3/7/24\t2:05:09 PM\t-63\t10.0.0.254\t\t123456789\t456789\t0\t"
                           "98765432\t345678\t0\t1234\t56\t4807.0380 N\t01131.0000 E\t"
                           "1 - GPS fix\t08\t\t0.9\t\t545.4,M";

class LogFixture
{
public:
    LogFixture()
    {
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, m_dir.path());
        m_path = m_dir.filePath(QStringLiteral("VeltoMonitoring_Log.txt"));
        SettingsStore::writePreference(QStringLiteral("Velto LogName"), m_path);
        m_session.settings.remoteKind = RemoteKind::Velto;
        m_session.settings.loggingEnabled = true;
        m_session.settings.gpsEnabled = true;
        m_session.link.rssi = 63;
        m_session.link.apAddress = QStringLiteral("10.0.0.254");
        m_session.gps.gpsLatitude = QStringLiteral("4807.0380 N");
    }

    void writeLog(const char *lineEnd)
    {
        QByteArray content;
        content.reserve(kLines * (kRecord.size() + 2));
        for (int i = 0; i < kLines; ++i)
            content += kRecord + lineEnd;
        QFile file(m_path);
        if (file.open(QIODevice::WriteOnly | QIODevice::Truncate))
            file.write(content);
    }

    LogFile::TickRecords records()
    {
        return {m_session.settings, m_session.link, m_session.gps, m_session.existingLog};
    }

private:
    StationSession m_session;
    QTemporaryDir m_dir;
    QString m_path;
};

void BM_LogTick(benchmark::State &state)
{
    LogFixture fixture;
    fixture.writeLog("\r\n");
    for (auto _ : state)
        LogFile::logTick(fixture.records());
}

void BM_LogTickMendingLineEnds(benchmark::State &state)
{
    LogFixture fixture;
    for (auto _ : state) {
        state.PauseTiming();
        fixture.writeLog("\n");
        state.ResumeTiming();
        LogFile::logTick(fixture.records());
    }
}

} // namespace

BENCHMARK(BM_LogTick)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);
BENCHMARK(BM_LogTickMendingLineEnds)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(10)
    ->Repetitions(3)
    ->ReportAggregatesOnly(true);

BENCHMARK_MAIN();
