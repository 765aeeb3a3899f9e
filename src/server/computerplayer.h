#pragma once
// Rizi's move: pick candidate words at random and lay each on the board,
// preferring for every letter a bonus tile it can win, then a tile it can
// take from its opponent, then a free tile, and only last one of its own.
// At most 21 searches of 3000 attempts each; draws from the generator given.

#include "core/board.h"

#include <QList>
#include <QStringList>
#include <functional>
#include <optional>
#include <vector>

namespace glyphon {

class ComputerPlayer
{
public:
    static constexpr int AttemptsPerSearch = 3000;
    static constexpr int MaxSearches = 21;

    // The candidate list (lower-case words, sorted). Entries shorter than
    // three letters stay in the list but are never chosen.
    explicit ComputerPlayer(QStringList words = {});
    void setWords(QStringList words);
    const QStringList &words() const { return m_words; }

    // Must give the same answer for a word throughout one move (the words
    // played cannot change while the move runs); an empty check means none.
    using UsedCheck = std::function<bool(const QString &word)>;

    // A whole move for seat: the positions of the first word that fits, in
    // letter order, or nullopt when 21 searches found nothing.
    std::optional<QList<int>> computerplay(const Board &board, int seat, const UsedCheck &checkforused,
                                           std::mt19937 &random) const;
    // Locked and held by somebody other than seat (a free tile is never locked).
    static bool computercheckforlock(const Board &board, int position, int seat);

private:
    // Where each tile sits in the passes' order of preference for one seat.
    struct Layout;
    // A usable candidate: its index in m_words and its letter codes in m_codes.
    struct Entry
    {
        int word;
        int offset;
        int length;
        quint32 letters; // bit c set when letter code c occurs
        bool repeats;    // some letter occurs more than once
    };

    Layout layoutFor(const Board &board, int seat) const;
    bool fits(const Layout &layout, const Entry &entry) const;
    // Up to searches searches back to back; the first word found ends them.
    std::optional<QList<int>> search(const Layout &layout, const UsedCheck &checkforused, int searches,
                                     std::mt19937 &random) const;

    QStringList m_words;
    std::vector<Entry> m_entries;
    std::vector<quint8> m_codes;
};

} // namespace glyphon
