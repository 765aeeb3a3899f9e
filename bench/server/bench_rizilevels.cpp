// Rizi's levels side by side: seeded games in which Strong (seat 1) meets
// Classic (seat 2); on every board both engines are timed for the mover,
// and the mover's own engine makes the move, judged as the host judges it.
// Prints the strong index's build time and size, then median, 99th
// percentile and maximum move times of Strong and Classic, plus the points
// each level made per word.
//
// Run: bench_rizilevels [--moves N] [--seed S] [--wordfile FILE]

#include "dictionary/random.h"
#include "core/board.h"
#include "server/computerplayer.h"
#include "server/strongindex.h"

#include <QFile>
#include <QSet>
#include <QStringList>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <vector>

using glyphon::Board;
using glyphon::ComputerPlayer;
using glyphon::StrongIndex;

namespace {

struct Options
{
    long moves = 20000;
    quint32 seed = 1;
    int playToScore = 200;
    QString wordFile = QStringLiteral(GLYPHON_WORD_FILE);
    QString candidates = QStringLiteral(GLYPHON_WORDS_DIR "/candidates.txt");
};

Options parse(int argc, char **argv)
{
    Options o;
    for (int i = 1; i + 1 < argc; i += 2) {
        if (!std::strcmp(argv[i], "--moves"))
            o.moves = std::atol(argv[i + 1]);
        else if (!std::strcmp(argv[i], "--seed"))
            o.seed = quint32(std::strtoul(argv[i + 1], nullptr, 10));
        else if (!std::strcmp(argv[i], "--wordfile"))
            o.wordFile = QString::fromLocal8Bit(argv[i + 1]);
        else {
            std::fprintf(stderr, "unknown option %s\n", argv[i]);
            std::exit(2);
        }
    }
    return o;
}

QStringList readLines(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "cannot read %s\n", qPrintable(path));
        std::exit(2);
    }
    QStringList words;
    for (const QByteArray &line : file.readAll().split('\n'))
        if (!line.trimmed().isEmpty())
            words << QString::fromLatin1(line.trimmed());
    return words;
}

long residentKiB()
{
    long pages = 0, resident = 0;
    if (FILE *f = std::fopen("/proc/self/statm", "r")) {
        if (std::fscanf(f, "%ld %ld", &pages, &resident) != 2)
            resident = 0;
        std::fclose(f);
    }
    return resident * 4;
}

double cpuMicros()
{
    timespec t;
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return t.tv_sec * 1e6 + t.tv_nsec / 1e3;
}

struct Times
{
    std::vector<double> wall, cpu;
    template<typename F>
    auto operator()(F &&f)
    {
        const double c0 = cpuMicros();
        const auto w0 = std::chrono::steady_clock::now();
        auto result = f();
        const auto w1 = std::chrono::steady_clock::now();
        cpu.push_back(cpuMicros() - c0);
        wall.push_back(std::chrono::duration<double, std::micro>(w1 - w0).count());
        return result;
    }
};

void report(const char *what, std::vector<double> micros)
{
    std::sort(micros.begin(), micros.end());
    if (micros.empty())
        return;
    const auto at = [&](double q) {
        const size_t i = size_t(std::ceil(q * double(micros.size())));
        return micros[std::min(micros.size() - 1, i == 0 ? 0 : i - 1)];
    };
    std::printf("%-24s %7zu moves  median %8.1f us  p99 %8.1f us  max %8.1f us\n", what, micros.size(), at(0.5),
                at(0.99), micros.back());
}

} // namespace

int main(int argc, char **argv)
{
    const Options options = parse(argc, argv);
    const ComputerPlayer classic(readLines(options.candidates));

    const long before = residentKiB();
    const double c0 = cpuMicros();
    const auto b0 = std::chrono::steady_clock::now();
    const std::shared_ptr<const StrongIndex> strong = StrongIndex::fromWordFile(options.wordFile);
    const auto b1 = std::chrono::steady_clock::now();
    const double c1 = cpuMicros();
    const long after = residentKiB();
    if (!strong) {
        std::fprintf(stderr, "cannot read %s\n", qPrintable(options.wordFile));
        return 2;
    }
    std::printf("strong index: %lld words, built in %.1f ms (%.1f ms thread CPU), %.1f MB in its tables, "
                "resident set grew %.1f MB\n",
                qlonglong(strong->wordCount()), std::chrono::duration<double, std::milli>(b1 - b0).count(),
                (c1 - c0) / 1000.0,
                double(strong->memoryBytes()) / 1e6, double(after - before) / 1024.0);

    // The host's dictionary is the index's own list here.
    QSet<QString> dictionary;
    {
        QFile file(options.wordFile);
        file.open(QIODevice::ReadOnly);
        const QByteArray bytes = file.readAll();
        for (qsizetype at = 0; at + 15 <= bytes.size(); at += 15)
            dictionary.insert(QString::fromLatin1(bytes.mid(at + 1, 14)).trimmed().toLower());
    }

    Times strongTimes, classicTimes;
    long words[3] = {0, 0, 0}, points[3] = {0, 0, 0}, wins[3] = {0, 0, 0}, games = 0;
    QStringList usedwords;
    const auto checkforused = [&usedwords](const QString &w) { return usedwords.contains(w); };
    std::mt19937 generator;
    while (long(strongTimes.wall.size()) < options.moves) {
        generator.seed(options.seed + quint32(games++));
        int score[3] = {0, 0, 0};
        int seat = 2;
        for (int round = 1; round <= 50; ++round) {
            Board board;
            board.deal(generator);
            usedwords.clear();
            int idle = 0;
            while (!board.checkforfull() && idle < 8 && usedwords.size() < 500) {
                seat = seat == 1 ? 2 : 1;
                const auto best = strongTimes([&] { return strong->bestMove(board, seat, usedwords); });
                const auto random = classicTimes([&] { return classic.computerplay(board, seat, checkforused, generator); });
                const std::optional<QList<int>> move = seat == 1 ? (best ? std::optional(best->positions) : std::nullopt) : random;
                bool ok = false;
                if (move) {
                    const Board::Reading r = board.read(seat, *move);
                    if (r.outcome == Board::Reading::Ok && dictionary.contains(r.word) && !usedwords.contains(r.word)) {
                        usedwords << r.word;
                        score[seat] += r.points;
                        points[seat] += r.points;
                        ++words[seat];
                        board.take(seat, *move);
                        board.lockthemup();
                        ok = true;
                    }
                }
                idle = ok ? 0 : idle + 1;
            }
            if ((score[1] >= options.playToScore || score[2] >= options.playToScore) && score[1] != score[2])
                break;
        }
        ++wins[score[1] > score[2] ? 1 : 2];
    }
    std::printf("%ld games: Strong won %ld, Classic %ld; points per word: Strong %.2f, Classic %.2f\n", games,
                wins[1], wins[2], double(points[1]) / std::max(1L, words[1]), double(points[2]) / std::max(1L, words[2]));
    report("strong (wall)", strongTimes.wall);
    report("strong (thread CPU)", strongTimes.cpu);
    report("classic (wall)", classicTimes.wall);
    report("classic (thread CPU)", classicTimes.cpu);
    return 0;
}
