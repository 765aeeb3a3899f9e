#include "dictionary/letters.h"

#include "dictionary/random.h"

int LetterCode(QChar ch)
{
    const char16_t u = ch.unicode();
    return (u >= u'a' && u <= u'z') ? int(u - u'a') + 1 : 0;
}

void LetterOfCode(int code, QString &text)
{
    if (code >= 1 && code <= 26)
        text = QString(QChar(u'a' + code - 1));
}

int RollLetter(std::mt19937 &generator)
{
    // Face before die: the order of the two draws is part of a replayable deal.
    const int face = glyphon::randomBelow(generator, 6);
    const int die = glyphon::randomBelow(generator, 10);
    return LetterCode(QLatin1Char(glyphon::letterDice()[die][face]));
}

namespace glyphon {

const std::array<std::array<char, 6>, 10> &letterDice()
{
    static const std::array<std::array<char, 6>, 10> dice = {{
        {'e', 'i', 'o', 'e', 'u', 'a'},
        {'q', 'f', 'j', 'w', 'k', 'x'},
        {'d', 'l', 'g', 'b', 'k', 'h'},
        {'n', 'p', 's', 'c', 'r', 'm'},
        {'v', 'h', 'l', 'd', 't', 'y'},
        {'o', 'u', 'e', 'o', 'e', 'i'},
        {'z', 'r', 'g', 'n', 'c', 'w'},
        {'a', 'p', 't', 'a', 'i', 's'},
        {'b', 'n', 't', 's', 'l', 'r'},
        {'m', 't', 'k', 'd', 'e', 'h'},
    }};
    return dice;
}

} // namespace glyphon
