// Tchat: loading and saving the settings file and the Options menu's
// handlers.

#include "client/tchat.h"

#include "chat/chatinput.h"
#include "chat/chatview.h"
#include "chat/colours.h"
#include "client/closingcoordinator.h"
#include "client/glyphoncontext.h"
#include "client/optionsmenu.h"
#include "chat/phraserow.h"
#include "client/tilesetmenu.h"
#include "server/tserver.h"
#include "windows/gamestart.h"
#include "windows/quickinstructions.h"

#include <QAction>
#include <QColorDialog>
#include <QMoveEvent>

void Tchat::loadinifile()
{
    const glyphon::StoredSettings stored = m_store.load();

    settings.textSize = stored.textSize;
    mainchat->setTextSize(stored.textSize);
    m_options->checkTextSize(stored.textSize);

    m_placer.apply(stored.placement);

    settings.textColour = stored.textColour;
    mychat->setTextColour(stored.textColour);

    settings.tiles = stored.tiles;
    if (stored.tiles.compare(QLatin1String("classic"), Qt::CaseInsensitive) != 0)
        loadgrouptiles(stored.tiles);
    else
        m_tileSets->check(stored.tiles); // the built-in pictures are still in use

    Tgamestart *dialog = m_context.gamestart;
    dialog->setValues(stored.playToScore.value_or(dialog->playtoscore()),
                      stored.timePerTurn.value_or(dialog->timeperturn()));
    settings.playToScore = dialog->playtoscore();
    settings.timePerTurn = dialog->timeperturn();

    settings.botSpeed = stored.botSpeed;
    m_context.server->setBotSpeed(stored.botSpeed);
    settings.riziLevel = stored.riziLevel;
    for (int seat : {1, 2})
        m_context.server->setRiziLevel(seat, glyphon::riziLevelFromName(settings.riziLevel).value_or(glyphon::RiziLevel::Classic));
    settings.turnSound = stored.turnSound;

    for (int n = 1; n <= glyphon::StoredSettings::PhraseCount; ++n)
        if (!stored.phrases[n - 1].isEmpty())
            m_phraseRow->setPhrase(n, stored.phrases[n - 1]);

    settings.playSounds = stored.playSounds;
    settings.playerPhraseSounds = stored.playerPhraseSounds;
    m_options->show(settings);

    if (stored.showHelp)
        panel_help->showInstructions();
    m_store.markHelpShown();
    m_settingsLoaded = true;
}

void Tchat::saveinifile()
{
    savePlacementAndSettings(m_placer.current());
}

void Tchat::savePlacementAndSettings(const glyphon::WindowPlacement &where)
{
    if (!m_settingsLoaded)
        return;
    m_placer.setSaved(where);
    settings.textSize = mainchat->textSize();
    settings.playToScore = m_context.gamestart->playtoscore();
    settings.timePerTurn = m_context.gamestart->timeperturn();
    m_store.save(settings, where);
}

void Tchat::moveEvent(QMoveEvent *event)
{
    QMainWindow::moveEvent(event);
    m_placer.moved();
}

void Tchat::ResetScreenLocation1Click()
{
    m_placer.place(glyphon::WindowPlacement{});
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
    m_context.server->setBotSpeed(botSpeed);
    m_options->show(settings);
    saveinifile();
}

void Tchat::RiziLevel1Click(const QString &level)
{
    const glyphon::RiziLevel chosen = glyphon::riziLevelFromName(level).value_or(glyphon::RiziLevel::Classic);
    settings.riziLevel = glyphon::riziLevelName(chosen);
    // Like the bot speed, it changes only this window's own server: a
    // joining window's choice never reaches the host.
    for (int seat : {1, 2})
        m_context.server->setRiziLevel(seat, chosen);
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
