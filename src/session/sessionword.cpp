// ClientSession: the word being built during the own turn, by clicks and by
// the keyboard.

#include "session/clientsession.h"

#include "dictionary/letters.h"

#include <utility>

namespace glyphon {

QString ClientSession::wordText() const
{
    QString text;
    for (int position : m_chosen) {
        QString letter;
        LetterOfCode(m_game->board()[position].letter, letter);
        text += letter.toUpper();
    }
    return text;
}

void ClientSession::chooseTile(int position)
{
    if (!m_game->myTurn() || isChosen(position) || wordFull() || !isTilePosition(position))
        return;
    if (!canUse(m_game->board()[position], m_game->mySeat())) {
        // The box first: the sound follows once it is answered.
        emit refusal(QStringLiteral("letter is locked"));
        emit soundCue(QStringLiteral("badword"));
        return;
    }
    m_chosen.append(position);
    emit wordChanged({position});
}

void ClientSession::takeBack()
{
    if (!m_game->myTurn() || m_chosen.isEmpty())
        return;
    emit wordChanged({m_chosen.takeLast()});
    emit soundCue(QStringLiteral("clear"));
}

void ClientSession::clearWord()
{
    if (m_chosen.isEmpty())
        return;
    dropWord();
    emit soundCue(QStringLiteral("clear"));
}

void ClientSession::dropWord()
{
    takeTiles(m_chosen);
}

void ClientSession::takeTiles(const QList<int> &positions)
{
    QList<int> gone;
    for (int position : positions)
        if (m_chosen.removeOne(position))
            gone.append(position);
    if (!gone.isEmpty())
        emit wordChanged(gone);
}

void ClientSession::submitWord()
{
    forgetRefusedLetter();
    if (!m_game->myTurn())
        return;
    if (m_chosen.size() < 2) {
        emit refusal(QStringLiteral("You must create a word first"));
        return;
    }
    if (m_connected)
        send(msg::SubmitIt{m_game->mySeat(), m_chosen}.encode());
    // No more input until the server answers; the tiles stay gaps until then.
    m_game->closeInput();
}

void ClientSession::startTurn()
{
    dropWord();
    m_refusedLetter = QChar();
    m_toldTooEarly = false;
}

bool ClientSession::waitingForOwnTurn() const
{
    return m_game->running() && m_game->iPlay() && !m_game->myTurn();
}

void ClientSession::typedTooEarly()
{
    if (!std::exchange(m_toldTooEarly, true))
        emit statusLine(QStringLiteral("It is not your turn yet: letters typed now are not taken."));
}

void ClientSession::letterRefused(QChar letter)
{
    emit statusLine(QStringLiteral("No tile you can use carries the letter %1.").arg(letter.toUpper()));
    emit soundCue(QStringLiteral("badword"));
    m_refusedLetter = letter.toUpper();
}

void ClientSession::enterTyped()
{
    if (m_refusedLetter.isNull()) {
        submitWord();
        return;
    }
    if (m_chosen.size() < 2) {
        // Nothing that could be sent: the missing letter is all there is to say,
        // and a second Enter must not bring the box about an empty word.
        emit statusLine(QStringLiteral("No tile you can use carries the letter %1.").arg(m_refusedLetter));
        emit soundCue(QStringLiteral("badword"));
        return;
    }
    // The word on show lacks a letter the user typed: only a second Enter
    // (or SUBMIT) sends it as it is.
    emit statusLine(QStringLiteral("No tile you can use carries the letter %1, so the word is \"%2\". "
                                   "Press Enter again to submit it.")
                        .arg(std::exchange(m_refusedLetter, QChar()), wordText()));
    emit soundCue(QStringLiteral("badword"));
}

} // namespace glyphon
