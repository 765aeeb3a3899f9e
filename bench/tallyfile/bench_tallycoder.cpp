// Coding and decoding a 1 MB table text, the size of a tally with some
// twelve thousand opponents: the cost of saving after every game.

#include "tallyfile/lzrw1kh.h"
#include "tallyfile/scoretable.h"

#include <benchmark/benchmark.h>

namespace {

using namespace glyphon::tally;

const QByteArray &tableText()
{
    static const QByteArray text = [] {
        ScoreTable table;
        int n = 0;
        while (table.toText().size() < 1'000'000) {
            for (int i = 0; i < 500; ++i, ++n) {
                const int row = table.addRow(QStringLiteral("Player%1").arg(n * 7919 % 100003));
                for (int c = 1; c < ScoreTable::Columns; ++c)
                    table.setCell(c, row, QString::number((n * c * 31) % 250));
            }
        }
        return table.toText().left(1'000'000);
    }();
    return text;
}

void BM_Compress(benchmark::State &state)
{
    const QByteArray &text = tableText();
    qsizetype packed = 0;
    for (auto _ : state) {
        const QByteArray file = compressContainer(text);
        packed = file.size();
        benchmark::DoNotOptimize(file.constData());
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * text.size());
    state.counters["ratio"] = double(packed) / double(text.size());
}

void BM_Expand(benchmark::State &state)
{
    const QByteArray &text = tableText();
    const QByteArray file = compressContainer(text);
    for (auto _ : state) {
        const Expansion back = expandContainer(reinterpret_cast<const uint8_t *>(file.constData()), size_t(file.size()));
        if (back.data.size() != text.size())
            state.SkipWithError("expansion failed");
        benchmark::DoNotOptimize(back.data.constData());
    }
    // Measured on the text produced, so both directions compare.
    state.SetBytesProcessed(int64_t(state.iterations()) * text.size());
}

} // namespace

BENCHMARK(BM_Compress)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Expand)->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();
