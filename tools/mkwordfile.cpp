// mkwordfile: turns a word list (one word a line) into the word file the game
// searches: 15-byte records, byte 0 = 30, bytes 1..14 the word in capitals
// padded with blanks, in ascending byte order of the padded words.
//
//   mkwordfile dictionary.txt TEXT_DEMO
//
// Plain C++ so it builds before anything else; it refuses input the game could
// never match (characters other than a-z) rather than writing a list with holes.

#include <algorithm>
#include <array>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <string>
#include <vector>

namespace {

constexpr std::size_t WordWidth = 14;
constexpr char LengthByte = 30;
using Record = std::array<char, 1 + WordWidth>;

bool plainWord(const std::string &word)
{
    return !word.empty()
        && std::all_of(word.begin(), word.end(), [](char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); });
}

} // namespace

int main(int argc, char **argv)
{
    if (argc != 3) {
        std::cerr << "usage: mkwordfile WORDLIST OUTPUT\n";
        return 2;
    }
    std::ifstream in(argv[1], std::ios::binary);
    if (!in) {
        std::cerr << "mkwordfile: cannot read " << argv[1] << "\n";
        return 1;
    }

    std::vector<std::string> words;
    std::string line;
    for (int lineNo = 1; std::getline(in, line); ++lineNo) {
        while (!line.empty() && (line.back() == '\r' || line.back() == ' '))
            line.pop_back();
        if (line.empty())
            continue;
        if (!plainWord(line)) {
            std::cerr << argv[1] << ":" << lineNo << ": not a plain a-z word: " << line << "\n";
            return 1;
        }
        // Longer words keep their first 14 letters, the most a record holds.
        line.resize(std::min(line.size(), WordWidth));
        std::transform(line.begin(), line.end(), line.begin(),
                       [](char c) { return c >= 'a' && c <= 'z' ? char(c - 'a' + 'A') : c; });
        line.resize(WordWidth, ' ');
        words.push_back(line);
    }
    // Blank-padded comparison is exactly what the lookup does, so sort on that.
    std::sort(words.begin(), words.end());
    words.erase(std::unique(words.begin(), words.end()), words.end());

    std::ofstream out(argv[2], std::ios::binary | std::ios::trunc);
    for (const std::string &word : words) {
        Record record;
        record[0] = LengthByte;
        std::copy(word.begin(), word.end(), record.begin() + 1);
        out.write(record.data(), record.size());
    }
    out.close();
    if (!out) {
        std::cerr << "mkwordfile: cannot write " << argv[2] << "\n";
        std::remove(argv[2]);
        return 1;
    }
    std::cout << "mkwordfile: " << words.size() << " records\n";
    return 0;
}
