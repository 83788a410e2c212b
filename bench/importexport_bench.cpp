// Load and Merge of a news XML file of 100,000 nodes (1,000 feeds of 99
// items, kept for ever so that the items are in the file) through the
// organiser, into a tree of the same size built at start-up. Offline, so no
// site icon is fetched. Reports the time and the memory each adds per node.
#include "BenchMain.h"
#include "NewsCorpus.h"
#include "app/NewsGlobals.h"
#include "model/NewsXml.h"
#include "organiser/NewsFeeders.h"
#include "app/ProgramSetup.h"

#include <QTemporaryDir>
#include <QTimer>
#include <QTreeWidget>
#include <QTreeWidgetItemIterator>
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <memory>

namespace {
constexpr int kFeeds = 1000;
constexpr int kItemsPerFeed = 99;
constexpr int kNodes = kFeeds * (kItemsPerFeed + 1);

// A program folder whose News.qbx holds the tree, and the same tree as news XML.
struct TImportCorpus {
    TImportCorpus()
    {
        setenv("QUORBEL_HOME", home.path().toLocal8Bit().constData(), 1);
        TTreeList list;
        TNewsCorpus corpus;
        corpus.Fill(list, kFeeds, kItemsPerFeed);
        for (int i = 0; i < list.Count(); ++i)
            if (list.Items(i)->IsKind(kFeed))
                list.Items(i)->SetOption(kOptStorageDays, QStringLiteral("0"));
        list.SaveContainer(home.path() + QStringLiteral("/News.qbx"));
        QTreeWidget view;
        list.BuildTreeView(&view);
        xml = home.path() + QStringLiteral("/import.xml");
        if (!SaveToXml(&view, list, xml, false, 7))
            qFatal("cannot write %s", qPrintable(xml));
    }
    QTemporaryDir home;
    QString xml;
};

// The running program's state after start-up: data module and organiser.
struct TRunning {
    explicit TRunning(const QString& folder) : data(std::make_unique<TNewsData>(folder))
    {
        organiser = std::make_unique<TNewsFeeder>(nullptr);
        organiser->Timer1->stop();
        organiser->Timer1Timer();
        organiser->Timer1->stop();
    }
    TQuietDialogs dialogs; // a message would go to the trace
    std::unique_ptr<TNewsData> data;
    std::unique_ptr<TNewsFeeder> organiser;
};

void Run(benchmark::State& state, bool merge)
{
    static TImportCorpus corpus;
    int treeNodes = 0;
    double addedBytes = 0;
    for (auto _ : state) {
        state.PauseTiming();
        auto running = std::make_unique<TRunning>(corpus.home.path() + '/');
        const long before = ResetPeakKb();
        state.ResumeTiming();
        const bool ok = merge ? running->organiser->MergeNewsFile(corpus.xml)
                              : running->organiser->LoadNewsFile(corpus.xml);
        state.PauseTiming();
        if (!ok)
            state.SkipWithError("the file was not taken");
        addedBytes = (StatusKb("VmHWM:") - before) * 1024.0 / kNodes;
        treeNodes = 0;
        for (QTreeWidgetItemIterator it(running->organiser->tvTree); *it; ++it)
            ++treeNodes;
        running.reset();
        state.ResumeTiming();
    }
    state.counters["file_nodes"] = kNodes;
    state.counters["tree_nodes_after"] = treeNodes;
    state.counters["peak_added_B_per_file_node"] = addedBytes;
}

void BM_LoadXml(benchmark::State& state) { Run(state, false); }
void BM_MergeXml(benchmark::State& state) { Run(state, true); }
BENCHMARK(BM_LoadXml)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_MergeXml)->Unit(benchmark::kMillisecond)->Iterations(1);
} // namespace

int main(int argc, char** argv) { return RunBenchmarks(argc, argv, false); }
