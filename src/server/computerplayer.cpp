#include "server/computerplayer.h"

#include "dictionary/letters.h"
#include "dictionary/random.h"

#include <algorithm>
#include <bit>
#include <cstdint>
#include <random>

// The move runs on the host's GUI thread, and a board on which nothing fits
// costs 63,000 attempts, so the search works on bit masks over the 36 tiles
// (bit i is tilePositions()[i]; bit order is board order). A tile's rank is
// the first of the four passes that would accept it:
//   0: a bonus tile held by the opponent or by nobody,
//   1: the opponent's unlocked tile,
//   2: a free tile,
//   3: anything else not locked against the seat (its own tiles).
// For one letter the passes pick the first fitting tile from the random start
// onward in the lowest rank that still has one; the masks give the same
// answer without scanning.

namespace glyphon {

namespace {

constexpr int Ranks = 4;
constexpr int TileCount = 36;
// Attempts drawn one by one before the search looks at which entries can fit
// at all; nearly every move that finds a word finds it well within these.
constexpr int DirectAttempts = 256;

// For a scan starting at board index start (1..66): the bit of the first
// tile at or after it, i.e. how many tiles lie before it.
const std::array<int, 67> &firstTileFrom()
{
    static const std::array<int, 67> table = [] {
        std::array<int, 67> t{};
        for (int start = 0; start <= 66; ++start)
            t[start] = int(std::count_if(tilePositions().begin(), tilePositions().end(),
                                         [start](int p) { return p < start; }));
        return t;
    }();
    return table;
}

} // namespace

struct ComputerPlayer::Layout
{
    // masks[letter code][rank]; code 0 stays empty, so a character outside
    // "a".."z" fails like a letter that no tile carries.
    std::array<std::array<std::uint64_t, Ranks>, 27> masks{};
    std::array<int, 27> count{}; // usable tiles per letter
    quint32 present = 0;         // bit c set when count[c] > 0
};

ComputerPlayer::ComputerPlayer(QStringList words)
{
    setWords(std::move(words));
}

void ComputerPlayer::setWords(QStringList words)
{
    m_words = std::move(words);
    m_entries.clear();
    m_codes.clear();
    // Drawing among all entries but the last and drawing again below three
    // letters is a uniform draw among the entries kept here.
    for (int i = 0; i + 1 < m_words.size(); ++i) {
        const QString &w = m_words.at(i);
        if (w.size() < 3)
            continue;
        Entry entry{i, int(m_codes.size()), int(w.size()), 0, false};
        for (QChar ch : w) {
            int code = LetterCode(ch);
            if (code < 1 || code > 26)
                code = 0;
            entry.repeats = entry.repeats || (entry.letters & (1u << code));
            entry.letters |= 1u << code;
            m_codes.push_back(quint8(code));
        }
        m_entries.push_back(entry);
    }
}

bool ComputerPlayer::computercheckforlock(const Board &board, int position, int seat)
{
    return !canUse(board.cell(position), seat);
}

ComputerPlayer::Layout ComputerPlayer::layoutFor(const Board &board, int seat) const
{
    const int opponent = seat == 1 ? 2 : 1;
    Layout layout;
    const auto &positions = tilePositions();
    for (int i = 0; i < TileCount; ++i) {
        const int p = positions[i];
        const TCell &c = board.cell(p);
        if (c.letter < 1 || c.letter > 26 || computercheckforlock(board, p, seat))
            continue;
        int rank = 3;
        if ((c.owner == opponent || c.owner == 0) && c.value >= 2)
            rank = 0;
        else if (c.owner == opponent)
            rank = 1;
        else if (c.owner == 0)
            rank = 2;
        layout.masks[c.letter][rank] |= std::uint64_t(1) << i;
        ++layout.count[c.letter];
        layout.present |= 1u << c.letter;
    }
    return layout;
}

// Whether the entry can be laid on the board with no tile marked taken. Each
// tile carries one letter, so letter by letter picking then never fails.
bool ComputerPlayer::fits(const Layout &layout, const Entry &entry) const
{
    if (entry.letters & ~layout.present)
        return false;
    if (!entry.repeats)
        return true;
    std::array<int, 27> need{};
    const quint8 *codes = m_codes.data() + entry.offset;
    for (int k = 0; k < entry.length; ++k)
        if (++need[codes[k]] > layout.count[codes[k]])
            return false;
    return true;
}

std::optional<QList<int>> ComputerPlayer::search(const Layout &layout, const UsedCheck &checkforused,
                                                 int searches, std::mt19937 &g) const
{
    const int total = int(m_entries.size());
    if (total == 0)
        return std::nullopt; // nothing could ever be drawn
    const auto &from = firstTileFrom();
    const long budget = long(searches) * AttemptsPerSearch;
    // The working copy of the owners only ever differs from the board by the
    // *taken* marks, so the marks are all it needs to hold.
    std::uint64_t taken = 0;
    std::array<int, TileCount> chosen; // never more letters laid than tiles

    // Lays the entry on top of the marks; false when a letter finds no tile.
    const auto lay = [&](const Entry &entry) {
        const quint8 *codes = m_codes.data() + entry.offset;
        for (int k = 0; k < entry.length; ++k) {
            const auto &ranks = layout.masks[codes[k]];
            std::uint64_t avail = 0;
            for (int r = 0; r < Ranks && avail == 0; ++r)
                avail = ranks[r] & ~taken;
            if (avail == 0)
                return false;
            const int start = randomBelow(g, 66) + 1;
            const std::uint64_t onward = avail & (~std::uint64_t(0) << from[start]);
            const int bit = std::countr_zero(onward != 0 ? onward : avail);
            taken |= std::uint64_t(1) << bit;
            chosen[k] = bit;
        }
        return true;
    };
    const auto positionsOf = [&](const Entry &entry) {
        QList<int> positions;
        positions.reserve(entry.length);
        for (int k = 0; k < entry.length; ++k)
            positions.append(tilePositions()[chosen[k]]);
        return positions;
    };

    long attempt = 0;
    for (; attempt < std::min<long>(budget, DirectAttempts); ++attempt) {
        if (attempt % AttemptsPerSearch == 0)
            taken = 0; // every search copies the owners afresh
        const Entry &entry = m_entries[randomBelow(g, total)];
        if (!lay(entry)) {
            taken = 0; // the owners are copied in again
            continue;
        }
        // A played word keeps its marks for the rest of this search.
        if (checkforused && checkforused(m_words.at(entry.word)))
            continue;
        return positionsOf(entry);
    }
    if (attempt >= budget)
        return std::nullopt;

    // A long run of failures: most entries cannot be laid here at all, or
    // every one that can was played. Drawing an entry that cannot be laid
    // fails the attempt and clears the marks, so while there are no marks
    // such attempts change nothing, and a run of them is drawn in one go as a
    // geometric count. The outcome has the same distribution as drawing each.
    enum : quint8 { Unfit, Unknown, Played, Unplayed };
    std::vector<quint8> state(size_t(total), Unfit);
    std::vector<int> fitting;
    for (int i = 0; i < total; ++i) {
        if (fits(layout, m_entries[size_t(i)])) {
            state[size_t(i)] = Unknown;
            fitting.push_back(i);
        }
    }
    const int fittingCount = int(fitting.size());
    if (fittingCount == 0)
        return std::nullopt;
    // The played check can be slow (the host compares with every word of the
    // round), so each fitting word is asked about once, when first drawn.
    // Should the played ones keep coming, the rest are asked about all at
    // once, so a board on which every fitting word was played ends early.
    int unknown = fittingCount;
    int unplayed = 0;
    const auto ask = [&](int i) {
        const bool used = checkforused && checkforused(m_words.at(m_entries[size_t(i)].word));
        state[size_t(i)] = used ? Played : Unplayed;
        --unknown;
        unplayed += !used;
    };
    long playedDraws = 0;
    std::geometric_distribution<long> unfitRun(double(fittingCount) / total);

    while (attempt < budget) {
        if (attempt % AttemptsPerSearch == 0)
            taken = 0;
        int i;
        if (taken == 0) {
            if (fittingCount < total)
                attempt += unfitRun(g);
            if (attempt >= budget)
                break;
            i = fitting[size_t(randomBelow(g, fittingCount))];
        } else {
            i = randomBelow(g, total);
        }
        ++attempt;
        const Entry &entry = m_entries[size_t(i)];
        if (state[size_t(i)] == Unfit || !lay(entry)) {
            taken = 0;
            continue;
        }
        if (state[size_t(i)] == Unknown)
            ask(i);
        if (state[size_t(i)] == Unplayed)
            return positionsOf(entry);
        if (++playedDraws == 32 && unknown > 0) {
            for (int j : fitting)
                if (state[size_t(j)] == Unknown)
                    ask(j);
        }
        if (unknown == 0 && unplayed == 0)
            return std::nullopt; // every word that could be laid was played
    }
    return std::nullopt;
}

std::optional<QList<int>> ComputerPlayer::computerplay(const Board &board, int seat, const UsedCheck &checkforused,
                                                       std::mt19937 &random) const
{
    // Searches differ only in starting from fresh marks; the board does not
    // change during a move, so one layout serves all 21.
    return search(layoutFor(board, seat), checkforused, MaxSearches, random);
}

} // namespace glyphon
