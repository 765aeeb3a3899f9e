// Tchat: the chat pane's glue — sending, received lines, smilies and links.
// The input and the view keep their own menus (paste, select all, copy,
// clear, scroll off).

#include "client/tchat.h"

#include "client/closingcoordinator.h"
#include "client/playwithotherscoordinator.h"
#include "session/clientsession.h"

#include "chat/chatinput.h"
#include "chat/chatview.h"
#include "protocol/colourtext.h"

#include <QMenu>
#include <QToolButton>

using glyphon::toWire;

void Tchat::sendit()
{
    if (m_session->refuseWhileReconnecting())
        return; // the typed line stays for later
    if (!isconnected())
        return;
    const glyphon::OutgoingChat out = glyphon::chatOutgoing(mychat->text());
    const glyphon::msg::ChatText line{toWire(out.text), toWire(glyphon::colourToText(settings.textColour))};
    switch (out.kind) {
    case glyphon::OutgoingChat::Chat:
        if (!m_session->sendChat(line))
            return; // too fast: the line stays typed
        break;
    case glyphon::OutgoingChat::Action:
        if (!m_session->sendAction(line))
            return;
        break;
    case glyphon::OutgoingChat::Nothing:
        break;
    }
    if (out.clearInput)
        mychat->clear();
}

void Tchat::chatrecieved(const QByteArray &data)
{
    // The seat, "+" and the relay's line, then the colour.
    const glyphon::msg::ChatText line = glyphon::msg::ChatText::decode(data);
    addlinetochat(glyphon::fromWire(line.line), line.colourValue());
}

void Tchat::addlinetochat(const QString &msg, quint32 colour)
{
    mainchat->addLine(msg, colour);
}

void Tchat::statusLine(const QString &text)
{
    addlinetochat(QStringLiteral("0+") + text, glyphon::StatusLineColour);
}

void Tchat::mainchatJump(int, const QString &text)
{
    if (const std::optional<glyphon::GameAddress> game = glyphon::chatGameLink(text)) {
        // Another game: offered in Play with Others, which the menu also
        // opens only once leaving this one is agreed.
        if (m_closer->confirmLeaving())
            m_lobby->openAt(*game);
        return;
    }
    if (!glyphon::openChatLink(text))
        showMessageBox(QStringLiteral("Cannot open Webpage"));
}

void Tchat::button_smiliesClick()
{
    popup_smilies->popup(button_smilies->mapToGlobal(QPoint(button_smilies->width(), button_smilies->height())));
}

void Tchat::N271Click(int code)
{
    mychat->insertSmileyCode(code);
    // Choosing a smiley means chatting: what is typed next belongs to the
    // line, not to the board.
    mychat->setFocus(Qt::PopupFocusReason);
}
