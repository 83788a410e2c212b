// Saving and loading a news file of 100,000 nodes (1,000 feeds of 99 items),
// each against plain zlib at level 9 over the same payload in the same run.
// The counters "x_plain" give the CPU-time ratio to the plain zlib baseline
// (targets: load within 3x plain inflate, save within 1.3x plain deflate).
//
// The argument is the share of descriptions with markup (percent): loading
// such a description runs HTMLToText for its plain form, so /0 shows the
// container's own cost and /50 a realistic mix.
#include "NewsCorpus.h"
#include "model/Container.h"

#include <QFile>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

#include <algorithm>
#include <ctime>
#include <malloc.h>
#include <map>
#include <memory>
#include <zlib.h>

namespace {
// Ratios use CPU time: the benchmarks share the machine with builds, and CPU
// time is what the work costs (a save's wait for the disk sync is left out).
class TStopwatch {
public:
    TStopwatch() : start(Now()) {}
    double Cpu() const { return Now() - start; }

private:
    static double Now()
    {
        timespec ts{};
        clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
        return ts.tv_sec + ts.tv_nsec / 1e9;
    }
    double start;
};

struct TCorpusFile {
    explicit TCorpusFile(int markupPercent)
    {
        TNewsCorpus corpus(markupPercent);
        corpus.Fill(list, 1000, 99);
        file = dir.path() + QStringLiteral("/News.qbx");
        if (!list.SaveContainer(file))
            qFatal("cannot write %s", qPrintable(file));
        QFile f(file);
        f.open(QIODevice::ReadOnly);
        compressed = f.readAll();
        payload = Inflate(compressed);
    }

    static QByteArray Inflate(const QByteArray& in)
    {
        z_stream zs{};
        inflateInit(&zs);
        zs.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(in.constData()));
        zs.avail_in = static_cast<uInt>(in.size());
        QByteArray out;
        QByteArray chunk(256 * 1024, Qt::Uninitialized);
        int rc = Z_OK;
        while (rc == Z_OK) {
            zs.next_out = reinterpret_cast<Bytef*>(chunk.data());
            zs.avail_out = static_cast<uInt>(chunk.size());
            rc = inflate(&zs, Z_NO_FLUSH);
            out.append(chunk.constData(), chunk.size() - zs.avail_out);
        }
        inflateEnd(&zs);
        return out;
    }

    QTemporaryDir dir;
    TTreeList list;
    QString file;
    QByteArray compressed;
    QByteArray payload;
};

TCorpusFile& Corpus(int markupPercent)
{
    static std::map<int, std::unique_ptr<TCorpusFile>> files;
    auto& file = files[markupPercent];
    if (!file)
        file = std::make_unique<TCorpusFile>(markupPercent);
    return *file;
}

// Plain streaming deflate at level 9 of the payload, output discarded.
qint64 PlainDeflate(const QByteArray& payload)
{
    z_stream zs{};
    deflateInit(&zs, 9);
    zs.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(payload.constData()));
    zs.avail_in = static_cast<uInt>(payload.size());
    static char out[256 * 1024];
    qint64 produced = 0;
    int rc = Z_OK;
    while (rc != Z_STREAM_END) {
        zs.next_out = reinterpret_cast<Bytef*>(out);
        zs.avail_out = sizeof out;
        rc = deflate(&zs, Z_FINISH);
        produced += static_cast<qint64>(sizeof out - zs.avail_out);
    }
    deflateEnd(&zs);
    return produced;
}

// Plain streaming inflate of the file, read from disk like a load does.
qint64 PlainInflate(const QString& file)
{
    QFile f(file);
    f.open(QIODevice::ReadOnly);
    const QByteArray in = f.readAll();
    z_stream zs{};
    inflateInit(&zs);
    zs.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(in.constData()));
    zs.avail_in = static_cast<uInt>(in.size());
    static char out[256 * 1024];
    qint64 produced = 0;
    int rc = Z_OK;
    while (rc == Z_OK) {
        zs.next_out = reinterpret_cast<Bytef*>(out);
        zs.avail_out = sizeof out;
        rc = inflate(&zs, Z_NO_FLUSH);
        produced += static_cast<qint64>(sizeof out - zs.avail_out);
    }
    inflateEnd(&zs);
    return produced;
}

// Best time of the plain baselines per corpus, measured by their own
// benchmarks or on first use.
std::map<int, double> bestDeflate;
std::map<int, double> bestInflate;

void KeepBest(std::map<int, double>& best, int key, double t)
{
    auto found = best.find(key);
    if (found == best.end() || t < found->second)
        best[key] = t;
}

double DeflateBaseline(int markup)
{
    if (!bestDeflate.count(markup)) {
        const TStopwatch watch;
        PlainDeflate(Corpus(markup).payload);
        KeepBest(bestDeflate, markup, watch.Cpu());
    }
    return bestDeflate[markup];
}

double InflateBaseline(int markup)
{
    if (!bestInflate.count(markup)) {
        for (int i = 0; i < 3; ++i) {
            const TStopwatch watch;
            PlainInflate(Corpus(markup).file);
            KeepBest(bestInflate, markup, watch.Cpu());
        }
    }
    return bestInflate[markup];
}

void ReportSizes(benchmark::State& state, const TCorpusFile& corpus)
{
    state.SetBytesProcessed(state.iterations() * corpus.payload.size());
    state.counters["payload_MB"] = corpus.payload.size() / 1e6;
    state.counters["file_MB"] = corpus.compressed.size() / 1e6;
}

// Resident memory a loaded list adds. Both corpora are made first and free
// heap is handed back before measuring, so the growth is the list's own.
void BM_LoadedMemory(benchmark::State& state)
{
    Corpus(50);
    Corpus(0);
    const TCorpusFile& corpus = Corpus(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        malloc_trim(0);
        const long before = ResidentKb();
        auto list = std::make_unique<TTreeList>();
        list->LoadContainer(corpus.file);
        const long after = ResidentKb();
        state.counters["nodes"] = list->Count();
        state.counters["rss_MB"] = (after - before) / 1024.0;
        state.counters["bytes_per_node"] = (after - before) * 1024.0 / std::max(1, list->Count());
        state.PauseTiming();
        list.reset();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_LoadedMemory)->Arg(50)->Arg(0)->Iterations(1)->Unit(benchmark::kMillisecond);

void BM_PlainInflate(benchmark::State& state)
{
    const int markup = static_cast<int>(state.range(0));
    const TCorpusFile& corpus = Corpus(markup);
    for (auto _ : state) {
        const TStopwatch watch;
        benchmark::DoNotOptimize(PlainInflate(corpus.file));
        KeepBest(bestInflate, markup, watch.Cpu());
    }
    ReportSizes(state, corpus);
}
BENCHMARK(BM_PlainInflate)->Arg(50)->Arg(0)->Unit(benchmark::kMillisecond);

void BM_LoadContainer(benchmark::State& state)
{
    const int markup = static_cast<int>(state.range(0));
    const TCorpusFile& corpus = Corpus(markup);
    double best = 0;
    for (auto _ : state) {
        auto list = std::make_unique<TTreeList>();
        const TStopwatch watch;
        if (!list->LoadContainer(corpus.file))
            state.SkipWithError("load failed");
        const double t = watch.Cpu();
        best = best == 0 ? t : std::min(best, t);
        state.PauseTiming();
        list.reset();
        state.ResumeTiming();
    }
    ReportSizes(state, corpus);
    state.counters["x_plain"] = best / InflateBaseline(markup);
}
BENCHMARK(BM_LoadContainer)->Arg(50)->Arg(0)->Unit(benchmark::kMillisecond)->MinTime(2.0);

void BM_PlainDeflate(benchmark::State& state)
{
    const int markup = static_cast<int>(state.range(0));
    const TCorpusFile& corpus = Corpus(markup);
    for (auto _ : state) {
        const TStopwatch watch;
        benchmark::DoNotOptimize(PlainDeflate(corpus.payload));
        KeepBest(bestDeflate, markup, watch.Cpu());
    }
    ReportSizes(state, corpus);
}
BENCHMARK(BM_PlainDeflate)->Arg(50)->Unit(benchmark::kMillisecond)->Iterations(3);

// Includes the temporary file, the sync to disk and the rename.
void BM_SaveContainer(benchmark::State& state)
{
    const int markup = static_cast<int>(state.range(0));
    const TCorpusFile& corpus = Corpus(markup);
    const QString target = corpus.dir.path() + QStringLiteral("/Saved.qbx");
    double best = 0;
    for (auto _ : state) {
        const TStopwatch watch;
        if (!corpus.list.SaveContainer(target))
            state.SkipWithError("save failed");
        const double t = watch.Cpu();
        best = best == 0 ? t : std::min(best, t);
    }
    ReportSizes(state, corpus);
    state.counters["x_plain"] = best / DeflateBaseline(markup);
}
BENCHMARK(BM_SaveContainer)->Arg(50)->Unit(benchmark::kMillisecond)->Iterations(3);
} // namespace

BENCHMARK_MAIN();
