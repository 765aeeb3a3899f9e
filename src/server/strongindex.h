#pragma once
// Rizi's strong play: among all the words of the host's dictionary, the word
// that scores most on the board as it stands, laid on the tiles that score
// most for it, never on a tile locked against the mover, never a word played
// in the round. Equal scores go to the move after which more of the mover's
// tiles are locked and fewer of the opponent's unlocked tiles lie next to the
// mover's, then to the longer word, then to the first in the alphabet.
//
// A word can take its letters from anywhere on the board, so its best score
// depends only on how many of each letter it has: for each letter, the best
// tiles of that letter. The index is therefore a tree of the words' letters in
// alphabetical order (anagrams share a node), walked with the board's letter
// counts and cut where even the best remaining tiles cannot reach the best
// score found so far. Built once; read-only afterwards, so one index may
// serve several hosts of one process.

#include "core/board.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

namespace glyphon {

struct RiziMove
{
    QList<int> positions; // board positions in the word's letter order
    QString word;         // lower case
    int points = 0;
};

class StrongIndex
{
public:
    static constexpr int MinLetters = 2;  // the window submits no shorter word
    static constexpr int MaxLetters = 14; // the word file holds no longer word

    // Words of MinLetters to MaxLetters letters "a".."z" (capitals are read
    // as small letters); anything else is left out, repeats count once.
    explicit StrongIndex(const QList<QByteArray> &words);
    // The words of a word file of 15-byte records, read as the dictionary
    // reads them; null when the file cannot be read.
    static std::shared_ptr<const StrongIndex> fromWordFile(const QString &path);
    // The index of the word file at path, built at most once for the same
    // file (path, size and modification time) in this process.
    static std::shared_ptr<const StrongIndex> shared(const QString &path);

    // Whether the host's dictionary takes the word: a word it refuses is
    // passed over for the next best. An empty check takes every word.
    using Accepts = std::function<bool(const QString &word)>;
    std::optional<RiziMove> bestMove(const Board &board, int seat, const QStringList &played,
                                     const Accepts &accepts = {}) const;

    qsizetype wordCount() const { return qsizetype(m_wordStart.size()) - 1; }
    // Bytes held by the index's tables.
    size_t memoryBytes() const;

private:
    struct Node
    {
        std::uint32_t firstChild = 0; // children are contiguous
        std::uint32_t firstWord = 0;  // the words spelled by exactly this node's letters
        std::uint8_t letter = 0;      // letter code; 0 for the root
        std::uint8_t childCount = 0;
        std::uint8_t wordCount = 0;
        std::uint8_t maxRest = 0;     // most letters below this node
    };
    struct Search;
    struct Entry; // a word and its letters in alphabetical order

    explicit StrongIndex(std::vector<Entry> &entries);
    static void addEntry(std::vector<Entry> &entries, const char *word, size_t length);
    void build(const std::vector<Entry> &entries, size_t lo, size_t hi, size_t depth, std::uint32_t node);
    QString wordAt(std::uint32_t id) const;
    std::optional<std::uint32_t> find(const QString &word) const;

    std::vector<Node> m_nodes;
    std::vector<std::uint32_t> m_wordStart; // offsets into m_letters, one past the end last
    std::vector<char> m_letters;
};

} // namespace glyphon
