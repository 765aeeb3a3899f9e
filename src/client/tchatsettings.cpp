// Tchat: loading and saving the settings file, the Options menu's handlers
// and the window's placement.

#include "client/tchat.h"

#include "chat/chatinput.h"
#include "chat/chatview.h"
#include "chat/colours.h"
#include "client/glyphoncontext.h"
#include "client/optionsmenu.h"
#include "chat/phraserow.h"
#include "client/tilesetmenu.h"
#include "server/tserver.h"
#include "windows/gamestart.h"
#include "windows/quickinstructions.h"

#include <QAction>
#include <QColorDialog>
#include <QGuiApplication>
#include <QMoveEvent>
#include <QScreen>

#include <utility>

void Tchat::loadinifile()
{
    const glyphon::StoredSettings stored = m_store.load();

    settings.textSize = stored.textSize;
    mainchat->setTextSize(stored.textSize);
    m_options->checkTextSize(stored.textSize);

    applyPlacement(stored.placement);

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
    savePlacementAndSettings(placement());
}

void Tchat::savePlacementAndSettings(const glyphon::WindowPlacement &where)
{
    if (!m_settingsLoaded)
        return;
    m_placement = where;
    settings.textSize = mainchat->textSize();
    settings.playToScore = m_context.gamestart->playtoscore();
    settings.timePerTurn = m_context.gamestart->timeperturn();
    m_store.save(settings, where);
}

glyphon::WindowPlacement Tchat::placement() const
{
    return {x(), y(), width(), height()};
}

void Tchat::applyPlacement(const glyphon::WindowPlacement &where)
{
    const bool asStored = placeFrame(where);
    // What the window really got (the board's minimum size may have won),
    // so that closing an untouched window saves nothing; a place that had to
    // be brought onto the screen is saved corrected at the next close.
    m_placement = asStored ? placement() : where;
}

bool Tchat::placeFrame(const glyphon::WindowPlacement &where)
{
    // Left and Top are the frame's corner, Width and Height the inside's.
    const QRect inside = geometry();
    const QRect frame = frameGeometry();
    const QMargins margins(inside.left() - frame.left(), inside.top() - frame.top(), frame.right() - inside.right(),
                           frame.bottom() - inside.bottom());
    QList<QRect> areas;
    for (const QScreen *screen : QGuiApplication::screens())
        areas << screen->availableGeometry();
    // A huge size would have the window ask the display for gigabytes; the
    // title bar must stay where the user can take hold of it.
    constexpr int TitleBarGuess = 24; // until the window manager has framed the window
    constexpr int Far = 1 << 20; // beyond any screen, and far from overflowing
    const QRect wanted(QPoint(std::clamp(where.left, -Far, Far), std::clamp(where.top, -Far, Far)),
                       QSize(std::clamp(where.width, 1, Far), std::clamp(where.height, 1, Far)).grownBy(margins));
    const QRect outer = glyphon::placeOnWorkAreas(wanted, std::max(margins.top(), TitleBarGuess), areas);
    resize(outer.size().shrunkBy(margins));
    move(outer.topLeft());
    // Framed later, a window manager may keep the inside where the frame was
    // asked to go (its title bar then above the screen): the frame is moved
    // where it belongs once the frame is known.
    if (margins.isNull())
        m_frameCornerWanted = outer.topLeft();
    return outer == wanted;
}

void Tchat::moveEvent(QMoveEvent *event)
{
    QMainWindow::moveEvent(event);
    if (!m_frameCornerWanted || frameGeometry() == geometry())
        return;
    const QPoint wanted = *std::exchange(m_frameCornerWanted, std::nullopt);
    if (frameGeometry().topLeft() != wanted)
        QMetaObject::invokeMethod(this, [this, wanted] { move(wanted); }, Qt::QueuedConnection);
}

void Tchat::ResetScreenLocation1Click()
{
    placeFrame(glyphon::WindowPlacement{});
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
    beginModal();
    const QColor chosen = QColorDialog::getColor(glyphon::toQColor(settings.textColour), this);
    endModal();
    if (chosen.isValid()) {
        settings.textColour = glyphon::fromQColor(chosen);
        mychat->setTextColour(settings.textColour);
        saveinifile();
    }
    modalFinished();
}

void Tchat::N14Click(int textSize)
{
    settings.textSize = textSize;
    mainchat->setTextSize(textSize);
    m_options->checkTextSize(textSize);
    saveinifile();
}
