// Tchat: the phrase buttons, the chatter sound button and its menu, and
// chatter sounds received.

#include "client/tchat.h"

#include "protocol/colourtext.h"
#include "client/glyphoncontext.h"
#include "chat/phraserow.h"
#include "client/sounds.h"
#include "session/clientsession.h"
#include "windows/phrases.h"

#include <QLabel>

using glyphon::toWire;

void Tchat::b_phrase1Click(int number)
{
    if (!m_phraseRow->takePhrase())
        return;
    const QString phrase = m_phraseRow->phrase(number);
    const QString text = phrase.startsWith(QLatin1String("/me ")) ? phrase.mid(4) : QStringLiteral("says: ") + phrase;
    m_session->sendAction(glyphon::msg::ChatText{toWire(text), toWire(glyphon::colourToText(settings.textColour))});
}

void Tchat::b_phrase10MouseUp()
{
    m_phraseRow->popUpSounds();
}

void Tchat::wave4Click(int number)
{
    if (number == 0 || !isconnected())
        return;
    m_session->sendSound(QByteArrayLiteral("wave") + glyphon::number(number));
}

void Tchat::PrhaseList1Click()
{
    m_context.phrases->setPhrases(m_phraseRow->phrases());
    m_context.phrases->show();
    m_context.phrases->raise();
    m_context.phrases->activateWindow();
}

void Tchat::playasound(const glyphon::msg::PlayASound &m)
{
    const QString name = glyphon::fromWire(m.sound());
    // Chatter sounds play whatever "Play Sounds" says.
    if (settings.playerPhraseSounds) {
        if (!name.isEmpty())
            m_sounds->play(name);
        return;
    }
    // Only a player is named; a spectator's sound shows nothing, and neither
    // does a sound the menu does not know.
    const QString caption = m_phraseRow->captionOfSound(name);
    if (!glyphon::ClientGame::isPlayerSeat(m.seat) || caption.isEmpty())
        return;
    statusLine(shownName(m.seat) + QStringLiteral(": <Chatter Sound> ") + caption);
}
