#include "server/strongindex.h"

#include <QFile>
#include <QFileInfo>
#include <QDateTime>
#include <algorithm>
#include <array>
#include <bit>
#include <cstring>
#include <mutex>
#include <string>
#include <utility>

namespace glyphon {

namespace {

constexpr int Tiles = 36;
constexpr int Side = 6;
constexpr std::uint64_t AllTiles = (std::uint64_t(1) << Tiles) - 1;

std::uint64_t columnMask(int column)
{
    std::uint64_t m = 0;
    for (int row = 0; row < Side; ++row)
        m |= std::uint64_t(1) << (row * Side + column);
    return m;
}

// Bits whose neighbour in each direction is in set, or who have none there.
std::uint64_t surroundedBy(std::uint64_t set)
{
    static const std::uint64_t firstColumn = columnMask(0);
    static const std::uint64_t lastColumn = columnMask(Side - 1);
    constexpr std::uint64_t firstRow = (1u << Side) - 1;
    constexpr std::uint64_t lastRow = firstRow << (Tiles - Side);
    const std::uint64_t up = (set << Side) | firstRow;
    const std::uint64_t down = (set >> Side) | lastRow;
    const std::uint64_t left = ((set << 1) & ~firstColumn) | firstColumn;
    const std::uint64_t right = ((set >> 1) & ~lastColumn) | lastColumn;
    return set & up & down & left & right & AllTiles;
}

std::uint64_t nextTo(std::uint64_t set)
{
    static const std::uint64_t firstColumn = columnMask(0);
    static const std::uint64_t lastColumn = columnMask(Side - 1);
    return ((set << Side) | (set >> Side) | ((set << 1) & ~firstColumn) | ((set >> 1) & ~lastColumn)) & AllTiles;
}

// The tree orders each word's letters rarest first (fewest faces on the
// letter dice, then fewest in the word list), so that a word missing a rare
// letter on the board is cut off near the root. The order changes only the
// work, never the move chosen.
constexpr char RarestFirst[] = "jqxzvfywbgmpuckhdlonraiste";

const std::array<std::uint8_t, 27> &rankOfLetter()
{
    static const std::array<std::uint8_t, 27> table = [] {
        std::array<std::uint8_t, 27> t{};
        for (int r = 0; r < 26; ++r)
            t[size_t(RarestFirst[r] - 'a' + 1)] = std::uint8_t(r + 1);
        return t;
    }();
    return table;
}

// A word's letters as ranks 1..26, in rank order.
std::string keyOf(const std::string &word)
{
    std::string key;
    for (char ch : word)
        key.push_back(char(rankOfLetter()[size_t(ch - 'a' + 1)]));
    std::sort(key.begin(), key.end());
    return key;
}

// The word of one record as the dictionary reads it: byte 0 limits the text
// of bytes 1..14, zero bytes count as blanks, blanks around it go.
std::string recordWord(const char *record)
{
    const int length = std::min<int>(std::uint8_t(record[0]), StrongIndex::MaxLetters);
    std::string word(record + 1, size_t(length));
    for (char &ch : word)
        if (ch == 0)
            ch = ' ';
    const size_t first = word.find_first_not_of(' ');
    if (first == std::string::npos)
        return {};
    return word.substr(first, word.find_last_not_of(' ') - first + 1);
}

} // namespace

struct StrongIndex::Entry
{
    // Zero bytes after the letters: a key sorts before its extensions.
    std::array<char, MaxLetters> key{};
    std::array<char, MaxLetters> word{};
    std::uint8_t length = 0;

    bool operator<(const Entry &o) const
    {
        const int k = std::memcmp(key.data(), o.key.data(), key.size());
        return k != 0 ? k < 0 : std::memcmp(word.data(), o.word.data(), word.size()) < 0;
    }
    bool operator==(const Entry &o) const { return key == o.key && word == o.word; }
};

void StrongIndex::addEntry(std::vector<Entry> &entries, const char *word, size_t length)
{
    if (length < size_t(MinLetters) || length > size_t(MaxLetters))
        return;
    Entry e;
    for (size_t i = 0; i < length; ++i) {
        char ch = word[i];
        if (ch >= 'A' && ch <= 'Z')
            ch = char(ch - 'A' + 'a');
        if (ch < 'a' || ch > 'z')
            return;
        e.word[i] = ch;
    }
    e.length = std::uint8_t(length);
    const std::string key = keyOf(std::string(e.word.data(), length));
    std::copy(key.begin(), key.end(), e.key.begin());
    entries.push_back(e);
}

StrongIndex::StrongIndex(const QList<QByteArray> &words)
{
    std::vector<Entry> entries;
    entries.reserve(size_t(words.size()));
    for (const QByteArray &w : words)
        addEntry(entries, w.constData(), size_t(w.size()));
    *this = StrongIndex(entries);
}

StrongIndex::StrongIndex(std::vector<Entry> &entries)
{
    std::sort(entries.begin(), entries.end());
    entries.erase(std::unique(entries.begin(), entries.end()), entries.end());
    m_nodes.reserve(entries.size() * 5 / 2);
    m_wordStart.reserve(entries.size() + 1);
    m_letters.reserve(entries.size() * 10);
    m_nodes.emplace_back();
    m_wordStart.push_back(0);
    build(entries, 0, entries.size(), 0, 0);
    m_nodes.shrink_to_fit();
    m_wordStart.shrink_to_fit();
    m_letters.shrink_to_fit();
}

// Each node's children are laid out side by side, right before the subtree
// of its first child: the walk then reads memory mostly in order.
void StrongIndex::build(const std::vector<Entry> &entries, size_t lo, size_t hi, size_t depth, std::uint32_t node)
{
    size_t i = lo;
    m_nodes[node].firstWord = std::uint32_t(m_wordStart.size() - 1);
    int ending = 0;
    for (; i < hi && entries[i].length == depth; ++i) {
        // More anagrams than a node can count would be a strange list; the
        // rest are left out rather than overflow.
        if (ending == 255)
            continue;
        ++ending;
        m_letters.insert(m_letters.end(), entries[i].word.begin(), entries[i].word.begin() + depth);
        m_wordStart.push_back(std::uint32_t(m_letters.size()));
    }
    m_nodes[node].wordCount = std::uint8_t(ending);

    struct Group
    {
        size_t lo, hi;
    };
    std::array<Group, 26> groups;
    int count = 0;
    while (i < hi) {
        const char letter = entries[i].key[depth];
        size_t j = i;
        while (j < hi && entries[j].key[depth] == letter)
            ++j;
        groups[size_t(count++)] = {i, j};
        i = j;
    }
    const std::uint32_t first = std::uint32_t(m_nodes.size());
    m_nodes[node].firstChild = first;
    m_nodes[node].childCount = std::uint8_t(count);
    for (int g = 0; g < count; ++g) {
        Node child;
        child.letter = std::uint8_t(entries[groups[size_t(g)].lo].key[depth]);
        m_nodes.push_back(child);
    }
    std::uint8_t rest = 0;
    for (int g = 0; g < count; ++g) {
        build(entries, groups[size_t(g)].lo, groups[size_t(g)].hi, depth + 1, first + std::uint32_t(g));
        rest = std::max<std::uint8_t>(rest, std::uint8_t(m_nodes[first + std::uint32_t(g)].maxRest + 1));
    }
    m_nodes[node].maxRest = rest;
}

std::shared_ptr<const StrongIndex> StrongIndex::fromWordFile(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return nullptr;
    constexpr int RecordSize = 1 + MaxLetters;
    // The built-in list is 3.6 MB; a file far beyond any word list is not
    // read into memory.
    constexpr qint64 MostBytes = qint64(64) * 1024 * 1024;
    if (file.size() > MostBytes)
        return nullptr;
    const QByteArray bytes = file.readAll();
    std::vector<Entry> entries;
    entries.reserve(size_t(bytes.size() / RecordSize));
    for (qsizetype at = 0; at + RecordSize <= bytes.size(); at += RecordSize) {
        const std::string word = recordWord(bytes.constData() + at);
        addEntry(entries, word.data(), word.size());
    }
    return std::shared_ptr<const StrongIndex>(new StrongIndex(entries));
}

std::shared_ptr<const StrongIndex> StrongIndex::shared(const QString &path)
{
    static std::mutex lock;
    static QString stamp;
    static std::shared_ptr<const StrongIndex> index;
    const QFileInfo info(path);
    const QString now = info.absoluteFilePath() + QLatin1Char('|') + QString::number(info.size()) + QLatin1Char('|')
        + QString::number(info.lastModified().toMSecsSinceEpoch());
    const std::lock_guard<std::mutex> guard(lock);
    if (!index || stamp != now) {
        index = fromWordFile(path);
        stamp = now;
    }
    return index;
}

size_t StrongIndex::memoryBytes() const
{
    return sizeof(*this) + m_nodes.capacity() * sizeof(Node) + m_wordStart.capacity() * sizeof(std::uint32_t)
        + m_letters.capacity();
}

QString StrongIndex::wordAt(std::uint32_t id) const
{
    return QString::fromLatin1(m_letters.data() + m_wordStart[id], qsizetype(m_wordStart[id + 1] - m_wordStart[id]));
}

std::optional<std::uint32_t> StrongIndex::find(const QString &word) const
{
    const std::string text = word.toLatin1().toStdString();
    if (text.size() < size_t(MinLetters) || text.size() > size_t(MaxLetters)
        || !std::all_of(text.begin(), text.end(), [](char ch) { return ch >= 'a' && ch <= 'z'; }))
        return std::nullopt;
    const std::string key = keyOf(text);
    std::uint32_t node = 0;
    for (char ch : key) {
        const Node &n = m_nodes[node];
        const std::uint8_t letter = std::uint8_t(ch);
        std::uint32_t next = 0;
        for (std::uint32_t c = n.firstChild; c < n.firstChild + n.childCount; ++c)
            if (m_nodes[c].letter == letter)
                next = c;
        if (next == 0)
            return std::nullopt;
        node = next;
    }
    const Node &n = m_nodes[node];
    for (std::uint32_t id = n.firstWord; id < n.firstWord + n.wordCount; ++id)
        if (text.compare(0, std::string::npos, m_letters.data() + m_wordStart[id], m_wordStart[id + 1] - m_wordStart[id]) == 0)
            return id;
    return std::nullopt;
}

// One walk of the tree for one board and mover.
struct StrongIndex::Search
{
    explicit Search(const StrongIndex &owner)
        : index(owner)
    {
    }

    const StrongIndex &index;
    // Per letter (by its rank in the tree's order), the tiles the mover may
    // use (bit numbers), best first, and what each scores; count[r] of them.
    std::array<std::array<std::uint8_t, Tiles>, 27> tiles{};
    std::array<std::array<int, Tiles>, 27> points{};
    std::array<int, 27> count{};
    // best[r][m]: the most m tiles of letters of rank r or later can score
    // together, an upper bound for the rest of a word from rank r on.
    std::array<std::array<int, Tiles + 1>, 28> best{};
    std::uint64_t own = 0, opponent = 0;
    std::vector<std::uint32_t> skipped; // played or refused words, sorted

    // The best move so far: its score, then what breaks ties.
    int top = -1;
    struct Choice
    {
        std::uint32_t word = 0;
        int locked = 0, exposed = 0, length = 0;
    } choice;

    bool skip(std::uint32_t id) const { return std::binary_search(skipped.begin(), skipped.end(), id); }

    // Whether a is a better move than b of the same score.
    bool better(const Choice &a, const Choice &b) const
    {
        if (a.locked != b.locked)
            return a.locked > b.locked;
        if (a.exposed != b.exposed)
            return a.exposed < b.exposed;
        if (a.length != b.length)
            return a.length > b.length;
        return std::memcmp(index.m_letters.data() + index.m_wordStart[a.word],
                           index.m_letters.data() + index.m_wordStart[b.word], size_t(a.length)) < 0;
    }

    void consider(std::uint32_t id, int score, std::uint64_t taken, int length)
    {
        const std::uint64_t mine = own | taken;
        const std::uint64_t theirs = opponent & ~taken;
        const Choice c{id, std::popcount(surroundedBy(mine)),
                       std::popcount(theirs & ~surroundedBy(theirs) & nextTo(mine)), length};
        if (score > top || better(c, choice)) {
            top = score;
            choice = c;
        }
    }

    void walk(std::uint32_t n, int score, int run, std::uint64_t taken, int depth)
    {
        const Node &node = index.m_nodes[n];
        if (node.wordCount > 0 && score >= top) {
            // Anagrams score and take alike: the first that may be played stands for them.
            for (std::uint32_t id = node.firstWord; id < node.firstWord + node.wordCount; ++id) {
                if (!skip(id)) {
                    consider(id, score, taken, depth);
                    break;
                }
            }
        }
        for (std::uint32_t c = node.firstChild; c < node.firstChild + node.childCount; ++c) {
            const Node &child = index.m_nodes[c];
            const int letter = child.letter;
            const int k = letter == node.letter ? run + 1 : 1;
            if (k > count[letter])
                continue;
            const int gain = points[letter][k - 1];
            if (score + gain + best[letter][child.maxRest] < top)
                continue;
            const std::uint64_t bit = gain > 0 ? std::uint64_t(1) << tiles[letter][k - 1] : 0;
            walk(c, score + gain, k, taken | bit, depth + 1);
        }
    }
};

std::optional<RiziMove> StrongIndex::bestMove(const Board &board, int seat, const QStringList &played,
                                              const Accepts &accepts) const
{
    if (m_nodes.size() <= 1)
        return std::nullopt;
    const int opponent = seat == 1 ? 2 : 1;
    Search s(*this);
    const auto &positions = tilePositions();
    std::array<int, Tiles> ownNeighbours{};
    std::array<int, Tiles> worth{};
    for (int i = 0; i < Tiles; ++i) {
        const TCell &c = board.cell(positions[i]);
        if (c.owner == seat)
            s.own |= std::uint64_t(1) << i;
        else if (c.owner == opponent)
            s.opponent |= std::uint64_t(1) << i;
        worth[i] = board.pointsFor(seat, positions[i]);
        for (int q : neighbours()[positions[i]])
            ownNeighbours[i] += q != 0 && board.cell(q).owner == seat;
        if (c.letter < 1 || c.letter > 26 || (c.locked == 1 && c.owner != seat))
            continue;
        const int rank = rankOfLetter()[size_t(c.letter)];
        s.tiles[rank][s.count[rank]++] = std::uint8_t(i);
    }
    for (int letter = 1; letter <= 26; ++letter) {
        auto &list = s.tiles[letter];
        // Of tiles that score alike, the one with more of the mover's tiles
        // around it comes first: it is the nearer to locking.
        std::stable_sort(list.begin(), list.begin() + s.count[letter], [&](std::uint8_t a, std::uint8_t b) {
            return worth[a] != worth[b] ? worth[a] > worth[b] : ownNeighbours[a] > ownNeighbours[b];
        });
        for (int k = 0; k < s.count[letter]; ++k)
            s.points[letter][k] = worth[list[k]];
    }
    std::array<int, Tiles> pool{};
    int pooled = 0;
    for (int letter = 26; letter >= 1; --letter) {
        for (int k = 0; k < s.count[letter]; ++k)
            pool[size_t(pooled++)] = s.points[letter][k];
        std::sort(pool.begin(), pool.begin() + pooled, std::greater<int>());
        for (int m = 1; m <= Tiles; ++m)
            s.best[letter][m] = s.best[letter][m - 1] + (m <= pooled ? pool[size_t(m - 1)] : 0);
    }

    for (const QString &word : played)
        if (const std::optional<std::uint32_t> id = find(word))
            s.skipped.push_back(*id);
    std::sort(s.skipped.begin(), s.skipped.end());

    // A word the dictionary refuses (a word file out of order, say) is passed
    // over and the walk made again; a few such walks at most.
    for (int walks = 0; walks < 8; ++walks) {
        s.top = -1;
        s.walk(0, 0, 0, 0, 0);
        if (s.top < 0)
            return std::nullopt;
        const QString word = wordAt(s.choice.word);
        if (accepts && !accepts(word)) {
            s.skipped.insert(std::lower_bound(s.skipped.begin(), s.skipped.end(), s.choice.word), s.choice.word);
            continue;
        }
        RiziMove move;
        move.word = word;
        move.points = s.top;
        std::array<int, 27> used{};
        for (QChar ch : word) {
            const int rank = rankOfLetter()[size_t(ch.unicode() - 'a' + 1)];
            move.positions.append(positions[s.tiles[rank][size_t(used[rank]++)]]);
        }
        return move;
    }
    return std::nullopt;
}

} // namespace glyphon
