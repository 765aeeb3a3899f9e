// Tchat: the window's hooks for coming back to the game after the connection
// to the host ended with an error; ReconnectionCoordinator does the work.

#include "client/tchat.h"

#include "client/closingcoordinator.h"
#include "client/glyphoncontext.h"
#include "client/reconnectioncoordinator.h"
#include "session/clientsession.h"
#include "session/serverlink.h"
#include "protocol/tsock.h"

#include <QLabel>
#include <QTimer>

void Tchat::createReconnector()
{
    glyphon::ReconnectionCoordinator::Hooks hooks;
    hooks.closeSocket = [this] { sock->Close(); };
    hooks.openSocket = [this] { m_session->link()->open(hostaddress(), m_context.config.gamePort, true); };
    hooks.status = [this](const QString &text) { statusLine(text); };
    hooks.mayReconnect = [this] { return !ishost() && isconnected() && m_game->iPlay() && !m_closer->closing(); };
    hooks.mySeat = [this] { return m_game->mySeat(); };
    hooks.pauseTurn = [this] {
        m_session->dropWord();
        m_game->closeInput();
        turntime->stop();
    };
    hooks.gaveUp = [this] {
        // Not logged in and failed: the close that follows is not the host's.
        m_session->setDisconnected();
        m_closer->connectionFailed();
        showMessageBox(QStringLiteral("The connection to the host could not be restored. The window will close."));
        sock->Close();
        m_closer->scheduleClose();
    };
    m_reconnection = new glyphon::ReconnectionCoordinator(std::move(hooks), this);
}

glyphon::Reconnector *Tchat::reconnector() const
{
    return m_reconnection->reconnector();
}

bool Tchat::reconnecting() const
{
    return m_reconnection->active();
}

bool Tchat::refuseWhileReconnecting()
{
    return m_reconnection->refuseInput();
}
