// Tchat: the settings file's thin handlers and the Options menu's handlers.

#include "client/tchat.h"

#include "chat/chatinput.h"
#include "chat/chatview.h"
#include "chat/colours.h"
#include "client/closingcoordinator.h"
#include "client/glyphoncontext.h"
#include "client/optionsmenu.h"
#include "client/windowsettings.h"
#include "server/hosting.h"

#include <QAction>
#include <QColorDialog>
#include <QMoveEvent>

void Tchat::loadinifile()
{
    m_windowSettings->load();
}

void Tchat::saveinifile()
{
    m_windowSettings->save();
}

void Tchat::moveEvent(QMoveEvent *event)
{
    QMainWindow::moveEvent(event);
    m_windowSettings->moved();
}

void Tchat::ResetScreenLocation1Click()
{
    m_windowSettings->resetPlacement();
}

void Tchat::PlaySounds1Click()
{
    settings.playSounds = !settings.playSounds;
    m_options->show(settings);
    saveinifile();
}

void Tchat::PlayerPhraseSounds1Click()
{
    settings.playerPhraseSounds = !settings.playerPhraseSounds;
    m_options->show(settings);
    saveinifile();
}

void Tchat::Classic1Click(int turnSound)
{
    settings.turnSound = turnSound;
    m_options->show(settings);
    saveinifile();
}

void Tchat::Fast1Click(int botSpeed)
{
    settings.botSpeed = botSpeed;
    m_context.hosting->setBotSpeed(botSpeed);
    m_options->show(settings);
    saveinifile();
}

void Tchat::RiziLevel1Click(const QString &level)
{
    const glyphon::RiziLevel chosen = glyphon::riziLevelFromName(level).value_or(glyphon::RiziLevel::Classic);
    settings.riziLevel = glyphon::riziLevelName(chosen);
    // Like the bot speed, it changes only this window's own server: a
    // joining window's choice never reaches the host.
    m_context.hosting->setRiziLevel(chosen);
    m_options->show(settings);
    saveinifile();
}

void Tchat::TextColor1Click()
{
    m_closer->beginModal();
    const QColor chosen = QColorDialog::getColor(glyphon::toQColor(settings.textColour), this);
    if (chosen.isValid()) {
        settings.textColour = glyphon::fromQColor(chosen);
        mychat->setTextColour(settings.textColour);
        saveinifile();
    }
    m_closer->endModal();
}

void Tchat::N14Click(int textSize)
{
    settings.textSize = textSize;
    mainchat->setTextSize(textSize);
    m_options->checkTextSize(textSize);
    saveinifile();
}
