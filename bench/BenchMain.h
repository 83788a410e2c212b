#pragma once
// The common entry of the benchmark programs: an offscreen application,
// offline (no site icons fetched) and, when asked, a data module on a
// temporary program folder for the benchmarks to fill.
#include "app/NewsGlobals.h"
#include "platform/Connectivity.h"

#include <QApplication>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <memory>

class TOffline final : public IConnectivity {
public:
    bool IsConnected() override { return false; }
};

inline int RunBenchmarks(int argc, char** argv, bool withDataModule)
{
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
