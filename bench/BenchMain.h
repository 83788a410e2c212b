#pragma once
// The common entry of the benchmark programs: an offscreen application,
// offline (no site icons fetched) and, when asked, a data module on a
// temporary program folder for the benchmarks to fill.
#include "app/NewsGlobals.h"
#include "platform/Allocator.h"
#include "platform/Connectivity.h"

#include <QApplication>
#include <QFile>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <cstring>
#include <malloc.h>
#include <memory>

// A value of /proc/self/status in kB ("VmRSS:", "VmHWM:"), -1 when unknown.
inline long StatusKb(const char* key)
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith(key))
            return line.mid(static_cast<int>(strlen(key))).trimmed().split(' ').first().toLong();
    return -1;
}

// Gives free heap back and makes the current resident size the new peak;
// returns that size in kB.
inline long ResetPeakKb()
{
    malloc_trim(0);
    QFile clear(QStringLiteral("/proc/self/clear_refs"));
    if (clear.open(QIODevice::WriteOnly))
        clear.write("5");
    clear.close();
    return StatusKb("VmRSS:");
}

class TOffline final : public IConnectivity {
public:
    bool IsConnected() override { return false; }
};

inline int RunBenchmarks(int argc, char** argv, bool withDataModule)
{
    ConfigureAllocator(); // as the program does
    benchmark::AddCustomContext("allocator", AllocatorName());
    if (!std::getenv("QT_QPA_PLATFORM"))
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QTemporaryDir home;
    setenv("QUORBEL_HOME", home.path().toLocal8Bit().constData(), 1);
    QApplication app(argc, argv);
    TOffline offline;
    SetConnectivity(&offline);
    int result = 0;
    {
        std::unique_ptr<TNewsData> data;
        if (withDataModule)
            data = std::make_unique<TNewsData>(home.path() + '/');
        benchmark::Initialize(&argc, argv);
        if (benchmark::ReportUnrecognizedArguments(argc, argv))
            result = 1;
        else
            benchmark::RunSpecifiedBenchmarks();
        benchmark::Shutdown();
    }
    SetConnectivity(nullptr);
    return result;
}
