// Building the organiser's tree view from a loaded list of 100,000 nodes, in
// an offscreen QTreeWidget with the real data module (site icons offline).
// "per_1000_nodes" is the time for each thousand nodes placed.
//
// Arguments: the shape (0: 1,000 feeds of 99 items; 1: one feed holding
// 99,999 items) and whether the view is shown.
#include "NewsCorpus.h"
#include "BenchMain.h"
#include "app/NewsGlobals.h"
#include "model/Container.h"
#include "platform/Connectivity.h"

#include <QApplication>
#include <QTemporaryDir>
#include <QTreeWidget>
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <memory>

namespace {
void FillNews(int shape)
{
    TTreeList& list = NewsData->NewsList;
    list.Clear();
    TNewsCorpus corpus;
    if (shape == 0)
        corpus.Fill(list, 1000, 99);
    else
        corpus.Fill(list, 1, 99999);
}

void BM_BuildTreeView(benchmark::State& state)
{
    FillNews(static_cast<int>(state.range(0)));
    const bool shown = state.range(1) != 0;
    const int nodes = NewsData->NewsList.Count();
    for (auto _ : state) {
        state.PauseTiming();
        auto view = std::make_unique<QTreeWidget>();
        if (shown) {
            view->resize(400, 600);
            view->show();
            QApplication::processEvents();
        }
        state.ResumeTiming();

        NewsData->NewsList.BuildTreeView(view.get());
        if (shown)
            QApplication::processEvents(); // the first paint after the build

        state.PauseTiming();
        if (view->topLevelItemCount() == 0)
            state.SkipWithError("nothing built");
        view.reset();
        state.ResumeTiming();
    }
    state.counters["nodes"] = nodes;
    state.counters["per_1000_nodes"] = benchmark::Counter(
        nodes / 1000.0, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_BuildTreeView)
    ->ArgNames({"siblings", "shown"})
    ->Args({0, 0})
    ->Args({1, 0})
    ->Args({0, 1})
    ->Args({1, 1})
    ->Unit(benchmark::kMillisecond);

// What a save does before writing: copy the pool and put the copy into the
// view's order (the writing itself is measured in container_bench).
void BM_ReorderByTree(benchmark::State& state)
{
    FillNews(static_cast<int>(state.range(0)));
    QTreeWidget view;
    NewsData->NewsList.BuildTreeView(&view);
    const int nodes = NewsData->NewsList.Count();
    for (auto _ : state) {
        auto copy = std::make_unique<TTreeList>();
        copy->AddCopies(NewsData->NewsList);
        copy->ReorderByTree(&view);
        if (copy->Count() != nodes)
            state.SkipWithError("nodes lost");
        state.PauseTiming();
        copy.reset();
        state.ResumeTiming();
    }
    state.counters["per_1000_nodes"] = benchmark::Counter(
        nodes / 1000.0, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_ReorderByTree)->ArgName("siblings")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
} // namespace

int main(int argc, char** argv) { return RunBenchmarks(argc, argv, true); }
