// The ticker's RebuildQueue over a tree of 100,000 news items (1,000 feeds of
// 100 items, every tenth feed inside a folder). Target: under 50 ms.
//
//   /0  every item passes (no age limit): 100,000 copies into the play list
//   /24 a 24 hour limit over items aged 0 to 48 hours, half of them shown
//       before, ShowNewsOnce off: about half pass
#include "app/NewsGlobals.h"
#include "model/ViewNodes.h"
#include "platform/Connectivity.h"
#include "ticker/RssViews.h"

#include <QApplication>
#include <QTemporaryDir>
#include <QTreeWidget>
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <memory>

namespace {
constexpr int kFeeds = 1000;
constexpr int kItemsPerFeed = 100;

class Online final : public IConnectivity {
public:
    bool IsConnected() override { return true; }
};

struct TTickerWorld {
    TTickerWorld() : data(home.path() + '/')
    {
        qputenv("QUORBEL_HOME", home.path().toLocal8Bit());
        SetConnectivity(&online);
        const TDateTime now = NowDateTime();
        data.NewsList.Reserve(kFeeds * (kItemsPerFeed + 1) + kFeeds / 10);
        QTreeWidgetItem* folder = nullptr;
        for (int f = 0; f < kFeeds; ++f) {
            QTreeWidgetItem* parent = nullptr;
            if (f % 10 == 0) {
                TTreeItem fld(kFolder, QStringLiteral("Folder %1").arg(f), "", "", "", "0");
                folder = AddViewNode(&tree, nullptr, fld.Title, data.NewsList.AddCopy(fld));
            }
            if (f % 10 < 3)
                parent = folder;
            TTreeItem feed(kFeed, QStringLiteral("Feed %1(100)").arg(f),
                           QStringLiteral("http://feeds.example.org/%1.rss").arg(f),
                           QStringLiteral("The channel of feed %1").arg(f), "NSD=7\r\nSDR=0", "0");
            feed.IconIdx = 10 + f % 50;
            QTreeWidgetItem* feedNode = AddViewNode(&tree, parent, feed.Title, data.NewsList.AddCopy(feed));
            for (int i = 0; i < kItemsPerFeed; ++i) {
                TTreeItem item(kNewsItem, QStringLiteral("Headline %1 of feed %2 with some words").arg(i).arg(f),
                               QStringLiteral("http://news.example.org/%1/%2.html").arg(f).arg(i),
                               QStringLiteral("<p>Description of item %1, <b>with markup</b> and text.</p>").arg(i),
                               "SDR=0", "0");
                item.TimeStamp = now - (i % 49) / 24.0;
                item.LastShown = i % 2 ? now : 0;
                AddViewNode(&tree, feedNode, item.Title, data.NewsList.AddCopy(item));
            }
        }
        ticker = std::make_unique<TRSSView>();
        ticker->hide();
        ticker->Timer1->stop();
    }
    ~TTickerWorld() { SetConnectivity(nullptr); }

    QTemporaryDir home;
    Online online;
    TNewsData data;
    QTreeWidget tree;
    std::unique_ptr<TRSSView> ticker;
};

TTickerWorld& World()
{
    static TTickerWorld world;
    return world;
}

void BM_RebuildQueue(benchmark::State& state)
{
    TTickerWorld& w = World();
    w.ticker->ShowNewsFor = static_cast<int>(state.range(0));
    w.ticker->ShowNewsOnce = false;
    for (auto _ : state) {
        w.ticker->RebuildQueue(&w.tree);
        benchmark::DoNotOptimize(w.ticker->Queue.data());
    }
    state.counters["played"] = w.ticker->PlayList.Count();
    state.counters["items/s"] =
        benchmark::Counter(static_cast<double>(kFeeds * kItemsPerFeed), benchmark::Counter::kIsIterationInvariantRate);
}
BENCHMARK(BM_RebuildQueue)->Arg(0)->Arg(24)->Unit(benchmark::kMillisecond)->MinTime(1.0);
} // namespace

int main(int argc, char** argv)
{
    if (!std::getenv("QT_QPA_PLATFORM"))
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
