// Opening a note that is one long bulleted list, as the note window does it:
// the stored RTF read into the text area, links highlighted, the window sized
// to the text, and the first paint. "per_1000_bullets" shows whether the time
// grows linearly with the list (it should stay flat across the sizes).
//
// Argument: the number of bullet points.
#include "BenchMain.h"
#include "notes/Notes.h"
#include "notes/Rtf.h"

#include <QApplication>
#include <QTextDocument>
#include <QTextEdit>
#include <benchmark/benchmark.h>

#include <memory>

namespace {
// The RTF the note window stores for a list of count bullet points.
QString BulletNote(int count)
{
    QString rtf = QStringLiteral("{\\rtf1\\ansi\\ansicpg1252\\deff0{\\fonttbl{\\f0\\fnil\\fcharset0 Tahoma;}}\r\n"
                                 "\\viewkind4\\uc1");
    for (int i = 0; i < count; ++i)
        rtf += QStringLiteral("\\pard\\ql {\\pntext\\f0\\'b7\\tab}{\\*\\pn\\pnlvlblt\\pnf0\\pnindent0{\\pntxtb\\'b7}}"
                              "Point %1 of the list\\par\r\n")
                   .arg(i);
    return rtf + QLatin1Char('}');
}

// Only the reader: stored RTF into a document.
void BM_ReadBulletNote(benchmark::State& state)
{
    const int count = static_cast<int>(state.range(0));
    const QString rtf = BulletNote(count);
    for (auto _ : state) {
        QTextDocument document;
        RtfToDocument(rtf, document);
        if (document.blockCount() < count)
            state.SkipWithError("bullets lost");
    }
    state.counters["bullets"] = count;
    state.counters["per_1000_bullets"] = benchmark::Counter(
        count / 1000.0, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_ReadBulletNote)->Arg(10000)->Arg(50000)->Unit(benchmark::kMillisecond)->Iterations(1);

// The whole opening: LoadNote, show and the first paint.
void BM_OpenBulletNote(benchmark::State& state)
{
    const int count = static_cast<int>(state.range(0));
    const QString rtf = BulletNote(count);
    for (auto _ : state) {
        auto note = std::make_unique<TFrmNote>();
        note->LoadNote(QStringLiteral("Bullets"), rtf, nullptr);
        note->show();
        QApplication::processEvents();
        state.PauseTiming();
        if (note->RichEdit1->document()->blockCount() < count)
            state.SkipWithError("bullets lost");
        note.reset();
        state.ResumeTiming();
    }
    state.counters["bullets"] = count;
    state.counters["per_1000_bullets"] = benchmark::Counter(
        count / 1000.0, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_OpenBulletNote)->Arg(10000)->Arg(50000)->Unit(benchmark::kMillisecond)->Iterations(1);
} // namespace

int main(int argc, char** argv) { return RunBenchmarks(argc, argv, false); }
