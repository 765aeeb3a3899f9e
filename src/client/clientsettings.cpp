// Tchat: applying the user's preferences. The values are those of a first
// run; the settings file will feed them later.

#include "client/clientsettings.h"

#include "client/chatinput.h"
#include "client/chatview.h"
#include "client/glyphoncontext.h"
#include "client/tchat.h"
#include "server/tserver.h"
#include "windows/gamestart.h"

void Tchat::loadinifile()
{
    mainchat->setTextSize(settings.textSize);
    mychat->setTextColour(settings.textColour);
    m_context.gamestart->setValues(settings.playToScore, settings.timePerTurn);
    m_context.server->setBotSpeed(settings.botSpeed);
}

void Tchat::saveinifile()
{
    // Nothing to write yet: the settings live for the session.
}
