#pragma once
// Rizi's gentle play, for children and beginners: short everyday words (three
// to five letters from Rizi's own list), laid on free plain tiles before free
// bonus tiles, then on its own tiles, and on the player's tiles only when
// nothing else carries the letter; and about one turn in five it lets the
// turn pass. Draws from the generator given, so a seeded game replays.

#include "core/board.h"

#include <QList>
#include <QStringList>
#include <functional>
#include <optional>
#include <vector>

namespace glyphon {

class GentlePlayer
{
public:
    static constexpr int MinLetters = 3;
    static constexpr int MaxLetters = 5;
    static constexpr int PassOneIn = 5;

    // Rizi's candidate list; only words of MinLetters to MaxLetters letters
    // "a".."z" are kept.
    explicit GentlePlayer(const QStringList &words = {});
    void setWords(const QStringList &words);
    qsizetype wordCount() const { return qsizetype(m_words.size()); }

    using UsedCheck = std::function<bool(const QString &word)>;
    // The positions of the word chosen, in letter order, or nullopt to let
    // the turn pass (by choice, or because no word fits).
    std::optional<QList<int>> move(const Board &board, int seat, const UsedCheck &checkforused,
                                   std::mt19937 &random) const;

    // Where a tile stands in the order of preference for seat: 0 free plain,
    // 1 free bonus, 2 seat's own, 3 the opponent's; -1 not usable.
    static int rank(const Board &board, int position, int seat);

private:
    std::vector<QString> m_words;
};

} // namespace glyphon
