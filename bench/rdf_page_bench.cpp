// The RSS 1.0 merge of a 1,000-item document (half of it new) into a feed of
// 10,000 items, and a web-page node made from pages of 1 to 5 MB.
#include "BenchMain.h"
#include "MergeScene.h"
#include "app/NewsGlobals.h"
#include "feeds/RdfMerge.h"
#include "feeds/WebPageNode.h"
#include "feeds/XmlDocument.h"
#include "model/CategoryViews.h"
#include "model/ViewNodes.h"

#include <QTreeWidget>
#include <benchmark/benchmark.h>

namespace {
QByteArray RdfDocument(int first, int count)
{
    QString xml = QStringLiteral("<?xml version=\"1.0\"?><rdf:RDF xmlns:rdf=\"http://www.w3.org/1999/02/22-rdf-syntax-ns#\""
                                 " xmlns=\"http://purl.org/rss/1.0/\"><channel><title>Feed</title>"
                                 "<link>http://bench.test/</link></channel>");
    for (int i = first; i < first + count; ++i)
        xml += QStringLiteral("<item><title>%1</title><link>http://bench.test/%2</link>"
                              "<description>&lt;p&gt;Text of item %2&lt;/p&gt;</description></item>")
                   .arg(BenchTitle(i))
                   .arg(i);
    xml += QStringLiteral("</rdf:RDF>");
    return xml.toUtf8();
}

void BM_MergeRdfChannel(benchmark::State& state)
{
    const int existing = static_cast<int>(state.range(0));
    const QByteArray document = RdfDocument(existing - 500, 1000);
    TMergeScene scene;
    for (auto _ : state) {
        state.PauseTiming();
        scene.Build(existing, "http://bench.test/rdf", "");
        TXMLDocument xml;
        xml.LoadFromXML(document);
        state.ResumeTiming();
        QTreeWidgetItem* result =
            MergeRdfChannel(scene.views, 0, scene.feed, "http://bench.test/rdf", xml.DocumentElement());
        state.PauseTiming();
        if (result != scene.feed || scene.feed->childCount() != existing + 500)
            state.SkipWithError("unexpected merge result");
        state.ResumeTiming();
    }
}
BENCHMARK(BM_MergeRdfChannel)->Arg(10000)->Unit(benchmark::kMillisecond)->Iterations(5);

// A hostile size: a document of 100,000 items into an empty feed.
void BM_MergeRdfChannelHuge(benchmark::State& state)
{
    const QByteArray document = RdfDocument(0, 100000);
    TMergeScene scene;
    for (auto _ : state) {
        state.PauseTiming();
        scene.Build(0, "http://bench.test/rdf", "");
        TXMLDocument xml;
        xml.LoadFromXML(document);
        state.ResumeTiming();
        QTreeWidgetItem* result =
            MergeRdfChannel(scene.views, 0, scene.feed, "http://bench.test/rdf", xml.DocumentElement());
        if (!result || result->childCount() != 100000)
            state.SkipWithError("unexpected merge result");
    }
}
BENCHMARK(BM_MergeRdfChannelHuge)->Unit(benchmark::kMillisecond)->Iterations(1);

void BM_LoadRdfDocument(benchmark::State& state)
{
    const QByteArray document = RdfDocument(0, 1000);
    for (auto _ : state) {
        TXMLDocument xml;
        xml.LoadFromXML(document);
        benchmark::DoNotOptimize(xml.DocumentElement());
    }
}
BENCHMARK(BM_LoadRdfDocument)->Unit(benchmark::kMillisecond);

// A page of about n MB whose title stands at its end, behind markup full of
// "<" (the worst case for the tag search).
void BM_AddWebPageNode(benchmark::State& state)
{
    const int megabytes = static_cast<int>(state.range(0));
    QString page = QStringLiteral("<html><head>");
    const QString filler = QStringLiteral("<meta name=\"x\" content=\"<tit <titl <TITL\">\r\n");
    while (page.size() < megabytes * 1024 * 1024)
        page += filler;
    page += QStringLiteral("<title>The page</title></head><body></body></html>");
    TMergeScene scene;
    for (auto _ : state) {
        state.PauseTiming();
        scene.tree.clear();
        state.ResumeTiming();
        QTreeWidgetItem* node = AddWebPageNode(&scene.tree, "http://bench.test/page", page);
        if (!node || node->text(0) != "The page")
            state.SkipWithError("unexpected page node");
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * page.size() * 2);
}
BENCHMARK(BM_AddWebPageNode)->Arg(1)->Arg(5)->Arg(50)->Unit(benchmark::kMillisecond);
} // namespace

int main(int argc, char** argv) { return RunBenchmarks(argc, argv, true); }
