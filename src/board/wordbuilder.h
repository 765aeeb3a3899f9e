#pragma once
// The word being built during the own turn: the tiles chosen, in order, and
// the keyboard's way of choosing them. Typing a letter chooses a usable tile
// with that letter that is not in the word yet, Backspace takes back the last
// letter, Enter submits and Escape clears. The window does the choosing and
// the submitting, so a click and a key behave alike.

#include <QChar>
#include <QList>
#include <QString>
#include <QStringList>
#include <functional>
#include <utility>

class QKeyEvent;

namespace glyphon {

class ClientGame;

class WordBuilder
{
public:
    static constexpr int MaxTiles = 20; // the server reads no more than this

    // What the keys do in the window.
    struct Hooks
    {
        std::function<void(int position)> choose;  // as a left click on the tile
        std::function<void()> takeBack;            // the last letter back
        std::function<void()> submit;
        std::function<void()> clear;
        std::function<QString()> shownWord;        // the word as the window shows it
        std::function<void(const QString &)> say;  // a status line
        std::function<void()> refusedSound;        // the bad-word sound
    };

    WordBuilder(const ClientGame &game, Hooks hooks);

    // The positions "11".."66" in the order chosen.
    const QStringList &theword() const { return m_theword; }
    QList<int> positions() const;
    int wordcount() const { return int(m_theword.size()); }
    bool full() const { return wordcount() >= MaxTiles; }
    void add(int position) { m_theword.append(QString::number(position)); }
    // The last tile chosen, 0 when none.
    int takeLast() { return m_theword.isEmpty() ? 0 : m_theword.takeLast().toInt(); }
    QList<int> takeAll();

    // A new turn: no word, no refused letter, nothing typed too early.
    void startTurn();
    // SUBMIT, or a second Enter: the user means the word as it stands.
    void forgetRefusedLetter() { m_refusedLetter = QChar(); }

    // A key the window got while its chat input does not have the focus;
    // false when the key is not the word's.
    bool keyPressed(const QKeyEvent &event);
    // Chooses a usable tile for the letter (a..z); false when none fits.
    bool spellLetter(QChar letter);

private:
    bool waitingForOwnTurn() const;

    const ClientGame &m_game;
    Hooks m_hooks;
    QStringList m_theword;
    QChar m_refusedLetter;        // a typed letter had no tile; Enter warns once
    bool m_toldTooEarly = false;  // letters typed before the own turn were reported
};

} // namespace glyphon
