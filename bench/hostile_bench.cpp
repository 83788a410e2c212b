// Inputs a hostile or broken site can send, which must cost time in
// proportion to their size: bytes_per_second should stay flat across the
// sizes and the fitted complexity should come out as N.
//
//   BM_LinkTagPage      FindShortcutIcon over a home page made of nothing but
//                       link tags closed by a plain ">" (no "/>" anywhere),
//                       none of them a shortcut icon
//   BM_SingleHugeTag    FindShortcutIcon over one link tag with tens of
//                       thousands of attributes
//   BM_HostileDates     ParseNewsDate over 10,000 dates of the given length:
//                       long blank runs, long digit runs, long junk before a
//                       comma
#include "model/NewsDate.h"
#include "text/SiteIcons.h"

#include <benchmark/benchmark.h>

#include <QStringList>

namespace {
constexpr int kDates = 10000;

QString LinkTagPage(int size)
{
    QString s;
    s.reserve(size + 128);
    for (int n = 0; s.size() < size; ++n)
        s += QStringLiteral("<link rel=\"stylesheet\" href=\"/css/s%1.css\" type=\"text/css\">\n").arg(n);
    s.truncate(size);
    return s;
}

// Known attributes only: an unknown one's value runs into the next name and
// would hide every known one after it.
QString HugeTag(int size)
{
    QString s = QStringLiteral("<link");
    s.reserve(size + 64);
    for (int n = 0; s.size() < size; ++n)
        s += n % 2 ? QStringLiteral(" type=\"t%1\"").arg(n) : QStringLiteral(" href=\"h%1\"").arg(n);
    return s + QStringLiteral(" rel=\"shortcut icon\" href=\"/f.ico\">");
}

// Three kinds in turn, each about length characters long.
QStringList HostileDates(int length)
{
    const QString blanks(length, ' ');
    const QString digits(length, '7');
    const QString junk = QString(length, 'x');
    QStringList dates;
    for (int i = 0; i < kDates; ++i) {
        switch (i % 4) {
        case 0:
            dates << blanks + 'x';
            break;
        case 1:
            dates << QStringLiteral("2002-05-19") + blanks + QStringLiteral("12") + blanks + 'x';
            break;
        case 2:
            dates << QStringLiteral("Sun, ") + digits + QStringLiteral(" Mai ") + digits + ' ' + digits;
            break;
        default:
            dates << junk + QStringLiteral(", 19 May 2002 15:21:36 -0500");
            break;
        }
    }
    return dates;
}

void BM_LinkTagPage(benchmark::State& state)
{
    const int size = static_cast<int>(state.range(0));
    const QString page = LinkTagPage(size);
    for (auto _ : state)
        benchmark::DoNotOptimize(FindShortcutIcon(page));
    if (!FindShortcutIcon(page).isEmpty())
        state.SkipWithError("the page holds no shortcut icon");
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(size));
    state.SetComplexityN(size);
}
BENCHMARK(BM_LinkTagPage)
    ->RangeMultiplier(4)
    ->Range(32 << 10, 2 << 20)
    ->Complexity()
    ->Unit(benchmark::kMillisecond);

void BM_SingleHugeTag(benchmark::State& state)
{
    const int size = static_cast<int>(state.range(0));
    const QString page = HugeTag(size);
    for (auto _ : state)
        benchmark::DoNotOptimize(FindShortcutIcon(page));
    if (FindShortcutIcon(page) != QLatin1String("/f.ico"))
        state.SkipWithError("the shortcut icon at the tag's end was not found");
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(page.size()));
    state.SetComplexityN(size);
}
BENCHMARK(BM_SingleHugeTag)
    ->RangeMultiplier(4)
    ->Range(32 << 10, 2 << 20)
    ->Complexity()
    ->Unit(benchmark::kMillisecond);

void BM_HostileDates(benchmark::State& state)
{
    const int length = static_cast<int>(state.range(0));
    const QStringList dates = HostileDates(length);
    int64_t chars = 0;
    for (const QString& d : dates)
        chars += d.size();
    for (auto _ : state) {
        double sum = 0;
        for (const QString& d : dates)
            sum += ParseNewsDate(d);
        benchmark::DoNotOptimize(sum);
    }
    state.SetBytesProcessed(state.iterations() * chars);
    state.SetComplexityN(length);
}
BENCHMARK(BM_HostileDates)
    ->RangeMultiplier(4)
    ->Range(256, 16384)
    ->Complexity()
    ->Unit(benchmark::kMillisecond);
} // namespace

BENCHMARK_MAIN();
