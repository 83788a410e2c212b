// Start-up with a stored tree of 100,000 and of 300,000 news items: from the
// data module's creation (which reads News.qbx) through the organiser's first
// tick, which builds the tree and the five derived views and fills the
// ticker. Offline, so no site icon is fetched. Reports the time of each
// phase and the peak resident memory, then, on the same full tree, the time
// of BuildCategoryViews and RebuildQueue run again and of merging a 1,000-item
// document into a feed of 10,000 items. Last, what every Feeds entry and day
// group expanded at once costs: the time to make their nodes and the memory
// then held.
#include "NewsCorpus.h"
#include "MergeScene.h"
#include "feeds/RssMerge.h"
#include "BenchMain.h"
#include "app/NewsGlobals.h"
#include "model/CategoryViews.h"
#include "model/DateTime.h"
#include "model/PendingChildren.h"
#include "platform/Clock.h"
#include "organiser/NewsFeeders.h"
#include "platform/Connectivity.h"
#include "ticker/RssViews.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTreeWidget>
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <malloc.h>
#include <memory>

namespace {

// The corpus's items span the five days up to this clock's day, as a tree
// kept for the default five days does: every item has its place in the Time
// view's day groups.
class TCorpusWeekClock final : public IClock {
public:
    TCorpusWeekClock() { ticks.start(); }
    quint32 TickCount() const override { return static_cast<quint32>(ticks.elapsed()); }
    QDateTime Now() const override { return FromDateTime(45404.5); }

private:
    QElapsedTimer ticks;
};

void BM_StartUp(benchmark::State& state)
{
    QTemporaryDir home;
    const QString folder = home.path() + '/';
    setenv("QUORBEL_HOME", home.path().toLocal8Bit().constData(), 1);
    // QUORBEL_BENCH_NEWS names a file that keeps the corpus between runs
    // (made when missing), so that a profile sees the start-up alone.
    const int feeds = static_cast<int>(state.range(0));
    const QString kept = qEnvironmentVariable("QUORBEL_BENCH_NEWS");
    if (kept.isEmpty() || !QFile::exists(kept)) {
        TTreeList list;
        TNewsCorpus corpus;
        corpus.SpreadDays = 4.9;
        corpus.Fill(list, feeds, 99);
        list.SaveContainer(kept.isEmpty() ? folder + "News.qbx" : kept);
    }
    if (!kept.isEmpty())
        QFile::copy(kept, folder + "News.qbx");
    TCorpusWeekClock clock;
    SetClock(&clock);
    // Forget the memory of making the file.
    const long before = ResetPeakKb();
    int nodes = 0;
    long loadKb = 0, tickKb = 0, startUpPeakKb = 0;
    double mergeMs = 0, expandMs = 0;
    long expandedKb = 0;
    double loadMs = 0, windowsMs = 0, tickMs = 0, viewsMs = 0, queueMs = 0;
    for (auto _ : state) {
        QElapsedTimer phase;
        phase.start();
        auto data = std::make_unique<TNewsData>(folder);
        loadMs = phase.nsecsElapsed() / 1e6;
        loadKb = StatusKb("VmRSS:");
        phase.restart();
        std::unique_ptr<TNewsFeeder> organiser;
        auto ticker = std::make_unique<TRSSView>([&organiser](TRSSView* view) {
            organiser = std::make_unique<TNewsFeeder>(view);
            return organiser.get();
        });
        organiser->Timer1->stop();
        windowsMs = phase.nsecsElapsed() / 1e6;
        phase.restart();
        organiser->Timer1Timer();
        organiser->Timer1->stop();
        tickMs = phase.nsecsElapsed() / 1e6;
        tickKb = StatusKb("VmRSS:");
        startUpPeakKb = StatusKb("VmHWM:");
        // The two builds the first tick ran, once more each on the full tree.
        phase.restart();
        BuildCategoryViews(organiser->Views(), organiser->NewsStorageDuration);
        viewsMs = phase.nsecsElapsed() / 1e6;
        phase.restart();
        ticker->RebuildQueue(organiser->tvTree);
        queueMs = phase.nsecsElapsed() / 1e6;
        nodes = data->NewsList.Count();
        state.PauseTiming();
        int timed = 0;
        for (int g = 0; g < organiser->tvTime->topLevelItemCount(); ++g)
            timed += ChildCountOf(organiser->tvTime->topLevelItem(g));
        if (organiser->tvTree->topLevelItemCount() != feeds || organiser->tvWeb->topLevelItemCount() == 0
            || timed != organiser->tvWeb->topLevelItemCount())
            fprintf(stderr, "tree not built: %d top-level nodes, %d in WWW, %d in Time\n",
                    organiser->tvTree->topLevelItemCount(), organiser->tvWeb->topLevelItemCount(), timed);
        state.ResumeTiming();
        phase.restart();
        RealizeAllChildren(organiser->tvTheme);
        RealizeAllChildren(organiser->tvTime);
        expandMs = phase.nsecsElapsed() / 1e6;
        expandedKb = StatusKb("VmRSS:");
        state.PauseTiming();
        // A merge into the full tree: a feed of 10,000 items is added, then
        // a 1,000-item document with 500 new items is merged into it.
        {
            TTreeItem feedItem(kFeed, "Bench feed", "http://bench.test/rss", "", "NSD=0", "0");
            QTreeWidgetItem* feed = AddViewNode(organiser->tvTree, nullptr, feedItem.Title,
                                                data->NewsList.AddCopy(feedItem));
            for (int i = 0; i < 10000; ++i) {
                TTreeItem item(kNewsItem, BenchTitle(i), QStringLiteral("http://bench.test/%1").arg(i), "d", "",
                               "2024-04-20 10:00:00");
                AddViewNode(organiser->tvTree, feed, item.Title, data->NewsList.AddCopy(item));
            }
            BuildCategoryViews(organiser->Views(), organiser->NewsStorageDuration);
            const IXMLRssType rss = LoadRss(WriteBenchDocument(home.path(), 9500, 1000));
            QElapsedTimer merge;
            merge.start();
            QTreeWidgetItem* merged = MergeRssChannel(organiser->Views(), organiser->NewsStorageDuration, feed,
                                                      "http://bench.test/rss", rss);
            mergeMs = merge.nsecsElapsed() / 1e6;
            if (merged != feed || feed->childCount() != 10500)
                fprintf(stderr, "merge went wrong: %d items\n", feed ? feed->childCount() : -1);
        }
        organiser.reset();
        ticker.reset();
        data.reset();
        state.ResumeTiming();
    }
    SetClock(nullptr);
    state.counters["nodes"] = nodes;
    // Reading News.qbx, making the windows, and the first tick's tree, views and queue.
    state.counters["load_ms"] = loadMs;
    state.counters["windows_ms"] = windowsMs;
    state.counters["first_tick_ms"] = tickMs;
    state.counters["category_views_ms"] = viewsMs;
    state.counters["rebuild_queue_ms"] = queueMs;
    state.counters["merge_1000_into_10000_ms"] = mergeMs;
    state.counters["expand_all_ms"] = expandMs;
    state.counters["rss_all_expanded_kB"] = static_cast<double>(expandedKb);
    state.counters["rss_before_kB"] = static_cast<double>(before);
    state.counters["rss_after_load_kB"] = static_cast<double>(loadKb);
    state.counters["rss_after_tick_kB"] = static_cast<double>(tickKb);
    // The start-up's own peak, before the builds timed again below.
    state.counters["start_up_peak_kB"] = static_cast<double>(startUpPeakKb);
    state.counters["peak_rss_kB"] = static_cast<double>(StatusKb("VmHWM:"));
}
// 100,000 and 300,000 news items (99 per feed).
BENCHMARK(BM_StartUp)->Arg(1000)->Arg(3000)->Unit(benchmark::kMillisecond)->Iterations(1);
} // namespace

int main(int argc, char** argv) { return RunBenchmarks(argc, argv, false); }
