// HTMLToText over long descriptions: throughput in MB/s and, across the
// sizes, whether the time grows linearly (ns_per_char should stay flat).
//
// Kinds: 0 an article as feeds send it (paragraphs, links, images, emphasis,
// a few entities, CR LF between blocks); 1 tag-dense markup; 2 entity-dense
// text.
#include "NewsCorpus.h"
#include "text/TextTools.h"

#include <benchmark/benchmark.h>

#include <ctime>

namespace {
double CpuSeconds()
{
    timespec ts{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return ts.tv_sec + ts.tv_nsec / 1e9;
}

QString Article(int kind, int size)
{
    TNewsCorpus words(50, 777);
    QString s;
    s.reserve(size + 512);
    while (s.size() < size) {
        switch (kind) {
        case 0:
            s += QStringLiteral("<p>") + words.Words(180) + QStringLiteral(" <a href=\"https://www.")
                 + words.Word() + QStringLiteral(".example/") + words.Word()
                 + QStringLiteral("?id=42&amp;ref=rss\">") + words.Words(25)
                 + QStringLiteral("</a> ") + words.Words(120, false) + QStringLiteral(" <b>")
                 + words.Word() + QStringLiteral("</b> &quot;") + words.Words(30, false)
                 + QStringLiteral("&quot;.</p>\r\n<img src=\"https://img.example/")
                 + words.Word() + QStringLiteral(".jpg\" alt=\"") + words.Words(20)
                 + QStringLiteral("\" /><br/>\r\n");
            break;
        case 1:
            s += QStringLiteral("<span class=\"x\">") + words.Word() + QStringLiteral("</span><i>")
                 + words.Word() + QStringLiteral("</i><br/>");
            break;
        default:
            s += words.Word() + QStringLiteral(" &amp; &lt;") + words.Word()
                 + QStringLiteral("&gt; &nbsp;&auml;&ouml;&uuml; &#39;") + words.Word()
                 + QStringLiteral("&#39; ");
            break;
        }
    }
    s.truncate(size);
    return s;
}

void BM_HTMLToText(benchmark::State& state)
{
    const int kind = static_cast<int>(state.range(0));
    const int size = static_cast<int>(state.range(1));
    const QString html = Article(kind, size);
    qsizetype out = 0;
    double spent = 0; // CPU seconds: the machine may be shared
    for (auto _ : state) {
        const double start = CpuSeconds();
        const QString text = HTMLToText(html);
        spent += CpuSeconds() - start;
        out = text.size();
        benchmark::DoNotOptimize(text.constData());
    }
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(size));
    state.counters["ns_per_char"] =
        spent * 1e9 / (static_cast<double>(state.iterations()) * size);
    state.counters["text_share"] = static_cast<double>(out) / size;
}
BENCHMARK(BM_HTMLToText)
    ->ArgNames({"kind", "chars"})
    ->ArgsProduct({{0}, {10 << 10, 100 << 10, 1 << 20, 4 << 20}})
    ->ArgsProduct({{1, 2}, {100 << 10, 1 << 20}})
    ->Unit(benchmark::kMicrosecond);
} // namespace

BENCHMARK_MAIN();
