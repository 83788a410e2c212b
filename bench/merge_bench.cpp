// Merging a 1,000-item document, half of it new, into a feed that already has
// 10,000 items, with the derived views kept in step.
#include "BenchMain.h"
#include "MergeScene.h"
#include "app/NewsGlobals.h"
#include "feeds/RssMerge.h"
#include "model/CategoryViews.h"
#include "model/ViewNodes.h"
#include "platform/Connectivity.h"

#include <QApplication>
#include <QFile>
#include <QTemporaryDir>
#include <QTreeWidget>
#include <benchmark/benchmark.h>

#include <cstdlib>

namespace {
void BM_MergeRssChannel(benchmark::State& state)
{
    const int existing = static_cast<int>(state.range(0));
    QTemporaryDir dir;
    // Items 9,500..10,499: 500 known, 500 new.
    const QString file = WriteBenchDocument(dir.path(), existing - 500, 1000);
    TMergeScene scene;
    for (auto _ : state) {
        state.PauseTiming();
        scene.Build(existing, "http://bench.test/rss", "NSD=0");
        const IXMLRssType rss = LoadRss(file);
        state.ResumeTiming();
        QTreeWidgetItem* result = MergeRssChannel(scene.views, 0, scene.feed, "http://bench.test/rss", rss);
        state.PauseTiming();
        if (result != scene.feed || scene.feed->childCount() != existing + 500)
            state.SkipWithError("unexpected merge result");
        state.ResumeTiming();
    }
}
BENCHMARK(BM_MergeRssChannel)->Arg(10000)->Unit(benchmark::kMillisecond)->Iterations(5);

void BM_LoadRss(benchmark::State& state)
{
    QTemporaryDir dir;
    const QString file = WriteBenchDocument(dir.path(), 0, 1000);
    for (auto _ : state)
        benchmark::DoNotOptimize(LoadRss(file));
}
BENCHMARK(BM_LoadRss)->Unit(benchmark::kMillisecond);
} // namespace

int main(int argc, char** argv) { return RunBenchmarks(argc, argv, true); }
