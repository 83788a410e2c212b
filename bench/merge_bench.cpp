// Merging a 1,000-item document, half of it new, into a feed that already has
// 10,000 items, with the derived views kept in step: RSS, and the same as Atom.
#include "BenchMain.h"
#include "MergeScene.h"
#include "app/NewsGlobals.h"
#include "feeds/AtomFeed.h"
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

// The same items as an Atom document.
QString WriteAtomBenchDocument(const QString& folder, int first, int count)
{
    QString xml = QStringLiteral("<?xml version=\"1.0\"?><feed xmlns=\"http://www.w3.org/2005/Atom\"><title>Feed</title>");
    for (int i = first; i < first + count; ++i)
        xml += QStringLiteral("<entry><title>%1</title><link href=\"http://bench.test/%2\"/><id>tag:bench.test,2026:%2</id>"
                              "<summary type=\"html\">&lt;p&gt;Text of item %2&lt;/p&gt;</summary>"
                              "<updated>2026-12-09T10:00:00Z</updated></entry>")
                   .arg(BenchTitle(i))
                   .arg(i);
    xml += QStringLiteral("</feed>");
    const QString name = folder + "/bench-atom.xml";
    QFile f(name);
    f.open(QIODevice::WriteOnly);
    f.write(xml.toUtf8());
    return name;
}

// Reading the entries into the neutral form is timed with the merge, as the
// RSS binding's reads are above.
void BM_MergeAtomFeed(benchmark::State& state)
{
    const int existing = static_cast<int>(state.range(0));
    QTemporaryDir dir;
    const QString file = WriteAtomBenchDocument(dir.path(), existing - 500, 1000);
    TMergeScene scene;
    for (auto _ : state) {
        state.PauseTiming();
        scene.Build(existing, "http://bench.test/atom", "NSD=0");
        TXMLDocument document;
        document.LoadFromFile(file);
        state.ResumeTiming();
        QTreeWidgetItem* result = MergeFeedChannel(scene.views, 0, scene.feed, "http://bench.test/atom",
                                                   ReadAtomFeed(document.DocumentElement()));
        state.PauseTiming();
        if (result != scene.feed || scene.feed->childCount() != existing + 500)
            state.SkipWithError("unexpected merge result");
        state.ResumeTiming();
    }
}
BENCHMARK(BM_MergeAtomFeed)->Arg(10000)->Unit(benchmark::kMillisecond)->Iterations(5);

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
