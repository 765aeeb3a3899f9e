#pragma once
// The keyboard's way of building the word during the own turn. Typing a
// letter chooses a usable tile with that letter that is not in the word
// yet, Backspace takes back the last letter, Enter submits and Escape
// clears. The session keeps the word, so a click and a key behave alike.

#include <QChar>

class QKeyEvent;

namespace glyphon {

class ClientSession;

class WordBuilder
{
public:
    explicit WordBuilder(ClientSession &session);

    // A key the window got while its chat input does not have the focus;
    // false when the key is not the word's.
    bool keyPressed(const QKeyEvent &event);
    // Chooses a usable tile for the letter (a..z); false when none fits.
    bool spellLetter(QChar letter);

private:
    ClientSession &m_session;
};

} // namespace glyphon
