#include "server/computerplayer.h"

#include "dictionary/letters.h"
#include "dictionary/random.h"

#include <bit>
#include <cstdint>

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

// For a scan starting at board index start (1..66): the bit of the first
// tile at or after it, i.e. how many tiles lie before it.
const std::array<int, 67> &firstTileFrom()
{
    static const std::array<int, 67> table = [] {
        std::array<int, 67> t{};
        for (int start = 0; start <= 66; ++start) {
            int n = 0;
            for (int p : tilePositions())
                if (p < start)
                    ++n;
            t[start] = n;
        }
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
        m_entries.push_back({i, int(m_codes.size()), int(w.size())});
        for (QChar ch : w) {
            const int code = LetterCode(ch);
            m_codes.push_back(quint8(code >= 1 && code <= 26 ? code : 0));
        }
    }
}

bool ComputerPlayer::computercheckforlock(const Board &board, int position, int seat)
{
    const TCell &c = board.cell(position);
    return c.locked == 1 && c.owner != seat;
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
    }
    return layout;
}

std::optional<QList<int>> ComputerPlayer::search(const Layout &layout, const UsedCheck &checkforused) const
{
    if (m_entries.empty())
        return std::nullopt; // nothing could ever be drawn
    const auto &from = firstTileFrom();
    const int entryCount = int(m_entries.size());
    std::array<int, 64> chosen; // tile bits of the word being laid
    // The working copy of the owners only ever differs from the board by the
    // *taken* marks, so the marks are all it needs to hold.
    std::uint64_t taken = 0;

    for (int attempt = 0; attempt < AttemptsPerSearch; ++attempt) {
        const Entry &entry = m_entries[randomBelow(entryCount)];
        const quint8 *codes = m_codes.data() + entry.offset;
        bool laid = entry.length <= int(chosen.size());
        for (int k = 0; laid && k < entry.length; ++k) {
            const auto &ranks = layout.masks[codes[k]];
            std::uint64_t avail = 0;
            for (int r = 0; r < Ranks && avail == 0; ++r)
                avail = ranks[r] & ~taken;
            if (avail == 0) {
                laid = false;
                break;
            }
            const int start = randomBelow(66) + 1;
            const std::uint64_t onward = avail & (~std::uint64_t(0) << from[start]);
            const int bit = std::countr_zero(onward != 0 ? onward : avail);
            taken |= std::uint64_t(1) << bit;
            chosen[k] = bit;
        }
        if (!laid) {
            taken = 0; // the owners are copied in again
            continue;
        }
        // A played word keeps its marks for the rest of this search.
        if (checkforused && checkforused(m_words.at(entry.word)))
            continue;
        QList<int> positions;
        positions.reserve(entry.length);
        for (int k = 0; k < entry.length; ++k)
            positions.append(tilePositions()[chosen[k]]);
        return positions;
    }
    return std::nullopt;
}

std::optional<QList<int>> ComputerPlayer::computerfindword(const Board &board, int seat, const UsedCheck &checkforused) const
{
    return search(layoutFor(board, seat), checkforused);
}

std::optional<QList<int>> ComputerPlayer::computerplay(const Board &board, int seat, const UsedCheck &checkforused) const
{
    // The board does not change during a move: lay it out once for all searches.
    const Layout layout = layoutFor(board, seat);
    for (int i = 0; i < MaxSearches; ++i)
        if (auto found = search(layout, checkforused))
            return found;
    return std::nullopt;
}

} // namespace glyphon
