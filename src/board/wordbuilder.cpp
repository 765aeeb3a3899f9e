#include "board/wordbuilder.h"

#include "board/keyboardpicker.h"
#include "dictionary/letters.h"
#include "session/clientsession.h"

#include <QKeyEvent>

namespace glyphon {

WordBuilder::WordBuilder(ClientSession &session)
    : m_session(session)
{
}

bool WordBuilder::spellLetter(QChar letter)
{
    const ClientGame &game = *m_session.game();
    if (LetterCode(letter.toLower()) == 0 || !game.myTurn() || m_session.wordFull())
        return false;
    const int position = pickTileForLetter(game.board(), m_session.chosen(), letter, game.mySeat());
    if (position == 0) {
        m_session.letterRefused(letter);
        return false;
    }
    m_session.chooseTile(position);
    return true;
}

bool WordBuilder::keyPressed(const QKeyEvent &event)
{
    const bool plain = !(event.modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier));
    const QString typed = event.text();
    const bool letter = typed.size() == 1 && typed.at(0).isLetter();
    if (plain && letter && m_session.waitingForOwnTurn()) {
        m_session.typedTooEarly();
        return true;
    }
    if (!m_session.game()->myTurn() || !plain)
        return false;
    switch (event.key()) {
    case Qt::Key_Backspace:
        m_session.forgetRefusedLetter();
        m_session.takeBack();
        return true;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        m_session.enterTyped();
        return true;
    case Qt::Key_Escape:
        m_session.forgetRefusedLetter();
        m_session.clearWord();
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
