// Times the computer player's move on boards from real play: seeded games,
// computer against computer, each turn one computerplay on the board as it
// stands, the word then judged as the host judges it (locks, dictionary,
// words played in the round). Rounds that stall, where neither side can lay
// a word, are where the 63,000-attempt moves come from; after a run of turns
// without a word such a round is dealt anew, as a host would see those turns
// time out again and again. Prints median, 99th percentile and maximum.

#include "dictionary/random.h"
#include "core/board.h"
#include "server/computerplayer.h"

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

namespace {

struct Options
{
    long moves = 20000;
    quint32 seed = 1;
    int playToScore = 200;
    int idleTurnsPerRound = 8;
    QString candidates = QStringLiteral(GLYPHON_WORDS_DIR "/candidates.txt");
    QString dictionary = QStringLiteral(GLYPHON_WORDS_DIR "/dictionary.txt");
};

QStringList readWords(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "cannot read %s\n", qPrintable(path));
        std::exit(2);
    }
    QStringList words;
    for (const QByteArray &line : file.readAll().split('\n')) {
        const QByteArray w = line.trimmed();
        if (!w.isEmpty())
            words << QString::fromLatin1(w);
    }
    return words;
}

void report(const char *what, std::vector<double> micros)
{
    if (micros.empty()) {
        std::printf("%-28s %8d moves\n", what, 0);
        return;
    }
    std::sort(micros.begin(), micros.end());
    const auto at = [&micros](double q) {
        const size_t i = size_t(std::ceil(q * double(micros.size())));
        return micros[std::min(micros.size() - 1, i == 0 ? 0 : i - 1)];
    };
    double sum = 0;
    for (double m : micros)
        sum += m;
    std::printf("%-28s %8zu moves  median %8.1f us  p99 %8.1f us  max %8.1f us  mean %8.1f us\n", what,
                micros.size(), at(0.5), at(0.99), micros.back(), sum / double(micros.size()));
}

Options parse(int argc, char **argv)
{
    Options o;
    for (int i = 1; i + 1 < argc; i += 2) {
        const char *key = argv[i];
        const char *value = argv[i + 1];
        if (!std::strcmp(key, "--moves"))
            o.moves = std::atol(value);
        else if (!std::strcmp(key, "--seed"))
            o.seed = quint32(std::strtoul(value, nullptr, 10));
        else if (!std::strcmp(key, "--candidates"))
            o.candidates = QString::fromLocal8Bit(value);
        else if (!std::strcmp(key, "--dictionary"))
            o.dictionary = QString::fromLocal8Bit(value);
        else {
            std::fprintf(stderr, "unknown option %s\n", key);
            std::exit(2);
        }
    }
    return o;
}

// Wall-clock and thread CPU time of one call, in microseconds. The CPU time
// leaves out the time the thread was not running (other processes).
struct Timing
{
    std::vector<double> wall, cpu;
    template<typename F>
    auto operator()(F &&f)
    {
        timespec c0, c1;
        clock_gettime(CLOCK_THREAD_CPUTIME_ID, &c0);
        const auto w0 = std::chrono::steady_clock::now();
        auto result = f();
        const auto w1 = std::chrono::steady_clock::now();
        clock_gettime(CLOCK_THREAD_CPUTIME_ID, &c1);
        wall.push_back(std::chrono::duration<double, std::micro>(w1 - w0).count());
        cpu.push_back((c1.tv_sec - c0.tv_sec) * 1e6 + (c1.tv_nsec - c0.tv_nsec) / 1e3);
        return result;
    }
    void print(const char *what) const
    {
        report(what, wall);
        report("  (thread CPU time)", cpu);
    }
};

// The tiles seat may use, per letter code.
std::array<int, 27> usableLetters(const Board &board, int seat)
{
    std::array<int, 27> count{};
    for (int p : glyphon::tilePositions())
        if (!ComputerPlayer::computercheckforlock(board, p, seat))
            ++count[board.cell(p).letter];
    return count;
}

bool fitsLetters(const QString &word, std::array<int, 27> count)
{
    for (QChar ch : word)
        if (--count[ch.unicode() - 'a' + 1] < 0)
            return false;
    return true;
}

} // namespace

int main(int argc, char **argv)
{
    const Options options = parse(argc, argv);
    const QStringList candidates = readWords(options.candidates);
    const ComputerPlayer player(candidates);
    const QStringList dictionaryWords = readWords(options.dictionary);
    const QSet<QString> dictionary(dictionaryWords.begin(), dictionaryWords.end());

    Timing all, found, nothing, lateInRound;
    // Every tenth board as the mover saw it, for the nothing-fits runs below.
    std::vector<std::pair<Board, int>> samples;
    long games = 0, rounds = 0, stalledRounds = 0, accepted = 0, rejected = 0;
    qsizetype mostWords = 0; // words accepted in the longest round

    QStringList usedwords; // compared one by one, as the host does
    const ComputerPlayer::UsedCheck checkforused = [&usedwords](const QString &w) { return usedwords.contains(w); };

    std::mt19937 generator;

    while (long(all.wall.size()) < options.moves) {
        generator.seed(options.seed + quint32(games));
        ++games;
        int score[3] = {0, 0, 0};
        int seat = 2; // the first turn of a game is seat 1's
        for (int round = 1; round <= 100; ++round) {
            ++rounds;
            Board board;
            board.deal(generator);
            usedwords.clear();
            int idle = 0;
            while (!board.checkforfull()) {
                seat = seat == 1 ? 2 : 1;
                int free = 0;
                for (int p : glyphon::tilePositions())
                    free += board.cell(p).owner == 0;
                if (all.wall.size() % 10 == 0)
                    samples.emplace_back(board, seat);

                const auto move = all([&] { return player.computerplay(board, seat, checkforused, generator); });
                Timing &kind = move ? found : nothing;
                kind.wall.push_back(all.wall.back());
                kind.cpu.push_back(all.cpu.back());
                if (free <= 6) {
                    lateInRound.wall.push_back(all.wall.back());
                    lateInRound.cpu.push_back(all.cpu.back());
                }

                bool ok = false;
                if (move) {
                    const Board::Reading r = board.read(seat, *move);
                    if (r.outcome == Board::Reading::Ok && dictionary.contains(r.word) && !usedwords.contains(r.word)) {
                        usedwords << r.word;
                        mostWords = std::max(mostWords, usedwords.size());
                        score[seat] += r.points;
                        board.take(seat, *move);
                        board.lockthemup();
                        ok = true;
                    }
                }
                ok ? ++accepted : ++rejected;
                idle = ok ? 0 : idle + 1;
                if (idle >= options.idleTurnsPerRound) {
                    ++stalledRounds;
                    break;
                }
            }
            const int s1 = score[1], s2 = score[2];
            if ((s1 >= options.playToScore || s2 >= options.playToScore) && s1 != s2)
                break;
        }
    }

    std::printf("%ld games, %ld rounds (%ld stalled), %ld words accepted, %ld turns without one, "
                "at most %lld words in a round\n",
                games, rounds, stalledRounds, accepted, rejected, qlonglong(mostWords));
    all.print("all moves");
    found.print("word found");
    nothing.print("nothing fits");
    lateInRound.print("six or fewer free tiles");

    // Natural play seldom leaves nothing to lay, so force it on the sampled
    // boards: each of these moves spends its 63,000 attempts in vain.
    long nothingFound = 0, tooMany = 0;
    Timing allPlayed;
    for (const auto &[board, mover] : samples) {
        // Every candidate that fits the board was played this round; the
        // host's list has 500 places, so only boards with that few qualify.
        const auto count = usableLetters(board, mover);
        QStringList played;
        for (const QString &w : candidates)
            if (w.size() >= 3 && fitsLetters(w, count))
                played << w;
        if (played.size() > 500) {
            ++tooMany;
            continue;
        }
        const auto move = allPlayed([&] {
            return player.computerplay(board, mover, [&played](const QString &w) { return played.contains(w); }, generator);
        });
        nothingFound += !move;
    }
    std::printf("\nsampled boards: %zu; %ld with more than 500 fitting words left out\n", samples.size(), tooMany);
    allPlayed.print("all fitting words played");

    Timing everything;
    for (const auto &[board, mover] : samples)
        nothingFound += !everything([&] { return player.computerplay(board, mover, [](const QString &) { return true; }, generator); });
    everything.print("check says every word played");

    // The opponent holds every vowel, locked: most words break off early.
    Timing vowels;
    for (const auto &[sample, mover] : samples) {
        Board board = sample;
        for (int p : glyphon::tilePositions()) {
            glyphon::TCell &c = board.cell(p);
            if (std::strchr("aeiouy", 'a' + c.letter - 1)) {
                c.owner = mover == 1 ? 2 : 1;
                c.locked = 1;
            }
        }
        nothingFound += !vowels([&] { return player.computerplay(board, mover, checkforused, generator); });
    }
    vowels.print("vowels locked by opponent");
    std::printf("\nforced runs: %ld moves found nothing\n", nothingFound);
    return 0;
}
