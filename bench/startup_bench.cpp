// Start-up with a stored tree of 100,000 news items: from the data module's
// creation (which reads News.qbx) through the organiser's first tick, which
// builds the tree and the five derived views and fills the ticker. Offline,
// so no site icon is fetched. Reports the time and the peak resident memory.
#include "NewsCorpus.h"
#include "BenchMain.h"
#include "app/NewsGlobals.h"
#include "organiser/NewsFeeders.h"
#include "platform/Connectivity.h"
#include "ticker/RssViews.h"

#include <QApplication>
#include <QTemporaryDir>
#include <QTreeWidget>
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <malloc.h>
#include <memory>

namespace {

void BM_StartUp(benchmark::State& state)
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
    // Forget the memory of making the file.
    const long before = ResetPeakKb();
    int nodes = 0;
    for (auto _ : state) {
        auto data = std::make_unique<TNewsData>(folder);
        std::unique_ptr<TNewsFeeder> organiser;
        auto ticker = std::make_unique<TRSSView>([&organiser](TRSSView* view) {
            organiser = std::make_unique<TNewsFeeder>(view);
            return organiser.get();
        });
        organiser->Timer1->stop();
        organiser->Timer1Timer();
        organiser->Timer1->stop();
        nodes = data->NewsList.Count();
        state.PauseTiming();
        if (organiser->tvTree->topLevelItemCount() != 1000 || organiser->tvWeb->topLevelItemCount() == 0)
            fprintf(stderr, "tree not built: %d top-level nodes, %d in WWW\n",
                    organiser->tvTree->topLevelItemCount(), organiser->tvWeb->topLevelItemCount());
        organiser.reset();
        ticker.reset();
        data.reset();
        state.ResumeTiming();
    }
    state.counters["nodes"] = nodes;
    state.counters["rss_before_kB"] = static_cast<double>(before);
    state.counters["peak_rss_kB"] = static_cast<double>(StatusKb("VmHWM:"));
}
BENCHMARK(BM_StartUp)->Unit(benchmark::kMillisecond)->Iterations(1);
} // namespace

int main(int argc, char** argv) { return RunBenchmarks(argc, argv, false); }
