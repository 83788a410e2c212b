// Writing and reading a news XML file of 100,000 nodes (1,000 feeds of 99
// items, the feeds kept for ever so that their items are written).
// Targets: each under 3 s, and under 2 KB of memory per node.
//
// Memory counters, per node, from the resident set (/proc/self/status) with
// the peak reset before each measured run:
//  - read_peak_B: the peak a read adds, the list it makes included;
//  - list_B: what the same nodes take as a list alone, loaded from a
//    container (fresh strings, as a read makes them);
//  - read_extra_B: read_peak_B less list_B, the reader's own share;
//  - save_peak_B: the peak a save adds over the tree it writes.
#include "BenchMain.h"
#include "NewsCorpus.h"
#include "model/Container.h"
#include "model/NewsXml.h"

#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTreeWidget>
#include <benchmark/benchmark.h>

#include <cstring>
#include <malloc.h>
#include <memory>

namespace {
constexpr int kFeeds = 1000;
constexpr int kItemsPerFeed = 99;
constexpr int kNodes = kFeeds * (kItemsPerFeed + 1);


struct TXmlCorpus {
    TXmlCorpus()
    {
        TNewsCorpus corpus;
        corpus.Fill(list, kFeeds, kItemsPerFeed);
        for (int i = 0; i < list.Count(); ++i)
            if (list.Items(i)->IsKind(kFeed))
                list.Items(i)->SetOption(kOptStorageDays, QStringLiteral("0"));
        list.BuildTreeView(&view);
        file = dir.path() + QStringLiteral("/news.xml");
        container = dir.path() + QStringLiteral("/news.qbx");
        if (!list.SaveContainer(container))
            qFatal("cannot write %s", qPrintable(container));
        QString error;
        if (!SaveToXml(&view, list, file, false, 7, &error))
            qFatal("cannot write %s: %s", qPrintable(file), qPrintable(error));
    }
    QTemporaryDir dir;
    TTreeList list;
    QTreeWidget view;
    QString file;
    QString container;
};

TXmlCorpus& Corpus()
{
    static TXmlCorpus corpus;
    return corpus;
}

void BM_SaveToXml(benchmark::State& state)
{
    TXmlCorpus& corpus = Corpus();
    const QString target = corpus.dir.path() + QStringLiteral("/saved.xml");
    const long before = ResetPeakKb();
    for (auto _ : state) {
        QString error;
        if (!SaveToXml(&corpus.view, corpus.list, target, false, 7, &error))
            state.SkipWithError(qPrintable(error));
    }
    state.counters["nodes"] = kNodes;
    state.counters["file_MB"] = QFileInfo(target).size() / 1e6;
    state.counters["save_peak_B"] = (StatusKb("VmHWM:") - before) * 1024.0 / kNodes;
}
BENCHMARK(BM_SaveToXml)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_ReadNewsXml(benchmark::State& state)
{
    TXmlCorpus& corpus = Corpus();
    int nodes = 0;
    for (auto _ : state) {
        auto list = std::make_unique<TTreeList>();
        QString error;
        if (!ReadNewsXml(corpus.file, *list, &error))
            state.SkipWithError(qPrintable(error));
        nodes = list->Count();
        state.PauseTiming();
        list.reset();
        state.ResumeTiming();
    }
    state.counters["nodes"] = nodes;
    state.counters["file_MB"] = QFileInfo(corpus.file).size() / 1e6;
}
BENCHMARK(BM_ReadNewsXml)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_ReadMemory(benchmark::State& state)
{
    TXmlCorpus& corpus = Corpus();
    for (auto _ : state) {
        long before = ResetPeakKb();
        auto list = std::make_unique<TTreeList>();
        list->LoadContainer(corpus.container);
        const double listBytes = (StatusKb("VmRSS:") - before) * 1024.0 / kNodes;
        list.reset();

        before = ResetPeakKb();
        list = std::make_unique<TTreeList>();
        ReadNewsXml(corpus.file, *list);
        const double peakBytes = (StatusKb("VmHWM:") - before) * 1024.0 / kNodes;
        state.counters["nodes"] = list->Count();
        state.counters["list_B"] = listBytes;
        state.counters["read_peak_B"] = peakBytes;
        state.counters["read_extra_B"] = peakBytes - listBytes;
        state.PauseTiming();
        list.reset();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_ReadMemory)->Unit(benchmark::kMillisecond)->Iterations(1);
} // namespace

int main(int argc, char** argv) { return RunBenchmarks(argc, argv, false); }
