// Storing a tree of 100,000 news items: the time the window thread spends
// (the snapshot) and the time the store's worker spends (back-up copy,
// compression, atomic write), measured apart.
#include "NewsCorpus.h"
#include "BenchMain.h"
#include "app/NewsGlobals.h"
#include "organiser/NewsFeeders.h"
#include "ticker/RssViews.h"

#include <QElapsedTimer>
#include <QTreeWidget>
#include <benchmark/benchmark.h>

#include <memory>

namespace {
void BM_StoreTree(benchmark::State& state)
{
    QTemporaryDir home;
    const QString folder = home.path() + '/';
    setenv("QUORBEL_HOME", home.path().toLocal8Bit().constData(), 1);
    {
        TTreeList list;
        TNewsCorpus corpus;
        corpus.Fill(list, 1000, 99);
        list.SaveContainer(folder + "News.qbx");
    }
    auto data = std::make_unique<TNewsData>(folder);
    std::unique_ptr<TNewsFeeder> organiser;
    auto ticker = std::make_unique<TRSSView>([&organiser](TRSSView* view) {
        organiser = std::make_unique<TNewsFeeder>(view);
        return organiser.get();
    });
    organiser->Timer1->stop();
    organiser->Timer1Timer(); // builds the tree, stores it once
    organiser->Timer1->stop();
    organiser->WaitForStore();
    double windowMs = 0, workerMs = 0;
    for (auto _ : state) {
        QElapsedTimer timer;
        timer.start();
        organiser->SaveNewsWithBackup();
        const qint64 window = timer.nsecsElapsed();
        organiser->WaitForStore();
        windowMs = window / 1e6;
        workerMs = (timer.nsecsElapsed() - window) / 1e6;
    }
    state.counters["nodes"] = data->NewsList.Count();
    state.counters["window_thread_ms"] = windowMs;
    state.counters["worker_ms"] = workerMs;
    organiser.reset();
    ticker.reset();
}
BENCHMARK(BM_StoreTree)->Unit(benchmark::kMillisecond)->Iterations(3);
} // namespace

int main(int argc, char** argv) { return RunBenchmarks(argc, argv, false); }
