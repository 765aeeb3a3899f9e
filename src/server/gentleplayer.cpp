#include "server/gentleplayer.h"

#include "dictionary/letters.h"
#include "dictionary/random.h"

#include <array>

namespace glyphon {

GentlePlayer::GentlePlayer(const QStringList &words)
{
    setWords(words);
}

void GentlePlayer::setWords(const QStringList &words)
{
    m_words.clear();
    for (const QString &w : words) {
        if (w.size() < MinLetters || w.size() > MaxLetters)
            continue;
        if (std::all_of(w.begin(), w.end(), [](QChar ch) { return LetterCode(ch) > 0; }))
            m_words.push_back(w);
    }
}

int GentlePlayer::rank(const Board &board, int position, int seat)
{
    const TCell &c = board.cell(position);
    if (c.letter < 1 || c.letter > 26 || !canUse(c, seat))
        return -1;
    if (c.owner == 0)
        return c.value >= 2 ? 1 : 0;
    return c.owner == seat ? 2 : 3;
}

std::optional<QList<int>> GentlePlayer::move(const Board &board, int seat, const UsedCheck &checkforused,
                                               std::mt19937 &random) const
{
    if (randomBelow(random, PassOneIn) == 0)
        return std::nullopt;

    // Tiles per letter, in order of preference.
    std::array<std::array<QList<int>, 4>, 27> tiles;
    std::array<int, 27> count{};
    for (int p : tilePositions()) {
        const int r = rank(board, p, seat);
        if (r < 0)
            continue;
        tiles[board.cell(p).letter][r].append(p);
        ++count[board.cell(p).letter];
    }
    std::vector<int> fitting;
    for (int i = 0; i < int(m_words.size()); ++i) {
        std::array<int, 27> need{};
        bool fits = true;
        for (QChar ch : m_words[size_t(i)]) {
            const int c = LetterCode(ch);
            fits = fits && ++need[c] <= count[c];
        }
        if (fits && !(checkforused && checkforused(m_words[size_t(i)])))
            fitting.push_back(i);
    }
    if (fitting.empty())
        return std::nullopt;

    const QString &word = m_words[size_t(fitting[size_t(randomBelow(random, int(fitting.size())))])];
    QList<int> positions;
    for (QChar ch : word) {
        for (QList<int> &group : tiles[LetterCode(ch)]) {
            if (group.isEmpty())
                continue;
            positions.append(group.takeAt(randomBelow(random, int(group.size()))));
            break;
        }
    }
    return positions;
}

} // namespace glyphon
