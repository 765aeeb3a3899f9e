#include "board/wordbuilder.h"

#include "board/keyboardpicker.h"
#include "core/clientgame.h"
#include "dictionary/letters.h"

#include <QKeyEvent>

#include <utility>

namespace glyphon {

WordBuilder::WordBuilder(const ClientGame &game, Hooks hooks)
    : m_game(game)
    , m_hooks(std::move(hooks))
{
}

QList<int> WordBuilder::positions() const
{
    QList<int> positions;
    for (const QString &place : m_theword)
        positions.append(place.toInt());
    return positions;
}

QList<int> WordBuilder::takeAll()
{
    const QList<int> taken = positions();
    m_theword.clear();
    return taken;
}

void WordBuilder::startTurn()
{
    m_theword.clear();
    m_refusedLetter = QChar();
    m_toldTooEarly = false;
}

bool WordBuilder::waitingForOwnTurn() const
{
    return m_game.running() && m_game.iPlay() && !m_game.myTurn();
}

bool WordBuilder::spellLetter(QChar letter)
{
    if (LetterCode(letter.toLower()) == 0 || !m_game.myTurn() || full())
        return false;
    const int position = pickTileForLetter(m_game.board(), positions(), letter, m_game.mySeat());
    if (position == 0) {
        // Said aloud, so a word typed blind does not lose a letter unnoticed;
        // and the next Enter does not send what is left of the word.
        m_hooks.say(QStringLiteral("No tile you can use carries the letter %1.").arg(letter.toUpper()));
        m_hooks.refusedSound();
        m_refusedLetter = letter.toUpper();
        return false;
    }
    m_hooks.choose(position);
    return true;
}

bool WordBuilder::keyPressed(const QKeyEvent &event)
{
    const bool plain = !(event.modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier));
    const QString typed = event.text();
    const bool letter = typed.size() == 1 && typed.at(0).isLetter();
    if (plain && letter && waitingForOwnTurn()) {
        // Typed in the pause before the own turn: not kept, and said so once.
        if (!std::exchange(m_toldTooEarly, true))
            m_hooks.say(QStringLiteral("It is not your turn yet: letters typed now are not taken."));
        return true;
    }
    if (!m_game.myTurn() || !plain)
        return false;
    switch (event.key()) {
    case Qt::Key_Backspace:
        m_refusedLetter = QChar();
        m_hooks.takeBack();
        return true;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        if (!m_refusedLetter.isNull()) {
            // The word on show lacks a letter the user typed: only a second
            // Enter (or SUBMIT) sends it as it is.
            m_hooks.say(QStringLiteral("No tile you can use carries the letter %1, so the word is \"%2\". "
                                       "Press Enter again to submit it.")
                            .arg(std::exchange(m_refusedLetter, QChar()), m_hooks.shownWord()));
            m_hooks.refusedSound();
            return true;
        }
        m_hooks.submit();
        return true;
    case Qt::Key_Escape:
        m_refusedLetter = QChar();
        m_hooks.clear();
        return true;
    default:
        break;
    }
    if (letter) {
        spellLetter(typed.at(0));
        return true;
    }
    return false;
}

} // namespace glyphon
