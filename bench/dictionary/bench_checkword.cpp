// CheckWord on the built-in list, searched on disk, against an in-memory hash
// set of the same words: what the disk search costs per lookup. Run it from
// any folder; the word file is written into a temporary one.

#include "dictionary/tdictn.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <memory>
#include <random>
#include <string>
#include <unordered_set>
#include <vector>

namespace {

struct Fixture
{
    QTemporaryDir dir;
    std::unique_ptr<TDictn> dictn;
    std::unordered_set<std::string> set;
    std::vector<QString> queries;     // as the server passes them
    std::vector<std::string> stdQueries;
};

Fixture &fixture()
{
    static Fixture f = [] {
        Fixture f;
        QFile resource(QStringLiteral(":/TEXT_DEMO"));
        resource.open(QIODevice::ReadOnly);
        const QByteArray list = resource.readAll();
        std::vector<std::string> words;
        for (qsizetype at = 0; at + TDictn::RecordSize <= list.size(); at += TDictn::RecordSize) {
            std::string word = QByteArray(list.constData() + at + 1, TDictn::RecordSize - 1).trimmed().toLower().toStdString();
            f.set.insert(word);
            words.push_back(std::move(word));
        }
        // Half words of the list, half near misses (a word with one letter
        // changed), in a fixed shuffled order.
        std::mt19937 gen(7);
        std::uniform_int_distribution<std::size_t> pick(0, words.size() - 1);
        while (f.stdQueries.size() < 4096) {
            std::string word = words[pick(gen)];
            if (f.stdQueries.size() % 2) {
                word[gen() % word.size()] = char('a' + gen() % 26);
                if (f.set.count(word))
                    continue;
            }
            f.stdQueries.push_back(word);
            f.queries.push_back(QString::fromStdString(word));
        }
        const QString previous = QDir::currentPath();
        QDir::setCurrent(f.dir.path());
        f.dictn = std::make_unique<TDictn>();
        QDir::setCurrent(previous);
        return f;
    }();
    return f;
}

void BM_CheckWord(benchmark::State &state)
{
    Fixture &f = fixture();
    std::size_t i = 0, found = 0;
    const qint64 readsBefore = f.dictn->readCount();
    for (auto _ : state) {
        found += f.dictn->CheckWord(f.queries[i++ % f.queries.size()]);
    }
    benchmark::DoNotOptimize(found);
    state.counters["probes"] = benchmark::Counter(double(f.dictn->readCount() - readsBefore) / double(state.iterations()));
    state.counters["hit%"] = 100.0 * double(found) / double(state.iterations());
}
BENCHMARK(BM_CheckWord);

void BM_UnorderedSet(benchmark::State &state)
{
    Fixture &f = fixture();
    std::size_t i = 0, found = 0;
    for (auto _ : state) {
        found += f.set.count(f.stdQueries[i++ % f.stdQueries.size()]);
    }
    benchmark::DoNotOptimize(found);
    state.counters["hit%"] = 100.0 * double(found) / double(state.iterations());
}
BENCHMARK(BM_UnorderedSet);

// The hash set given the QString the server has, converted per lookup.
void BM_UnorderedSetFromQString(benchmark::State &state)
{
    Fixture &f = fixture();
    std::size_t i = 0, found = 0;
    for (auto _ : state) {
        found += f.set.count(f.queries[i++ % f.queries.size()].toStdString());
    }
    benchmark::DoNotOptimize(found);
}
BENCHMARK(BM_UnorderedSetFromQString);

// Console output as usual, plus the time per lookup kept for the ratio (the
// median when the runs are repeated).
class RatioReporter : public benchmark::ConsoleReporter
{
public:
    std::map<std::string, double> realNanos;
    std::map<std::string, double> cpuNanos;
    void ReportRuns(const std::vector<Run> &runs) override
    {
        for (const Run &run : runs) {
            if (run.run_type == Run::RT_Aggregate && run.aggregate_name != "median")
                continue;
            realNanos[run.run_name.function_name] = run.GetAdjustedRealTime();
            cpuNanos[run.run_name.function_name] = run.GetAdjustedCPUTime();
        }
        ConsoleReporter::ReportRuns(runs);
    }
};

} // namespace

int main(int argc, char **argv)
{
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    for (const auto *times : {&reporter.realNanos, &reporter.cpuNanos}) {
        auto at = [times](const char *name) {
            const auto it = times->find(name);
            return it == times->end() ? 0.0 : it->second;
        };
        const char *kind = times == &reporter.realNanos ? "real" : "CPU";
        const double disk = at("BM_CheckWord");
        if (disk > 0 && at("BM_UnorderedSet") > 0)
            std::printf("%s time, CheckWord / unordered_set lookup: %.1fx\n", kind, disk / at("BM_UnorderedSet"));
        if (disk > 0 && at("BM_UnorderedSetFromQString") > 0)
            std::printf("%s time, CheckWord / unordered_set lookup from QString: %.1fx\n", kind,
                        disk / at("BM_UnorderedSetFromQString"));
    }
    benchmark::Shutdown();
    return 0;
}
