#include "client/windowsettings.h"

#include "chat/chatinput.h"
#include "chat/chatview.h"
#include "chat/phraserow.h"
#include "client/glyphoncontext.h"
#include "client/optionsmenu.h"
#include "client/tchat.h"
#include "client/tilesetmenu.h"
#include "server/hosting.h"
#include "windows/gamestart.h"
#include "windows/quickinstructions.h"

namespace glyphon {

namespace {

// The board shrinks with a smaller window, and the default size counts the
// menu bar in: at the default the board keeps its full design size.
WindowPlacement withRoomForBoard(WindowPlacement where, const QWidget &window)
{
    const WindowPlacement standard;
    if (where.width == standard.width && where.height == standard.height) {
        const QSize natural = QSize(where.width, where.height).expandedTo(window.sizeHint());
        where.width = natural.width();
        where.height = natural.height();
    }
    return where;
}

} // namespace

WindowSettings::WindowSettings(Tchat &window, GlyphonContext &context)
    : m_window(window)
    , m_context(context)
    , m_store(context.config.files)
    , m_placer(&window)
    , m_placeClaim(m_store.path())
{
}

void WindowSettings::load()
{
    const StoredSettings stored = m_store.load();
    ClientSettings &settings = m_window.settings;

    settings.textSize = stored.textSize;
    m_window.mainchat->setTextSize(stored.textSize);
    m_window.optionsMenu()->checkTextSize(stored.textSize);

    WindowPlacement where = stored.placement;
    where.left += m_placeClaim.offset().x();
    where.top += m_placeClaim.offset().y();
    m_placer.apply(withRoomForBoard(where, m_window));

    settings.textColour = stored.textColour;
    m_window.mychat->setTextColour(stored.textColour);

    settings.tiles = stored.tiles;
    bool tilesFellBack = false;
    if (stored.tiles.compare(QLatin1String("classic"), Qt::CaseInsensitive) == 0) {
        m_window.tileSets()->check(stored.tiles); // the built-in pictures are still in use
    } else if (!m_window.loadgrouptiles(stored.tiles)) {
        // A saved set that has gone or broken would complain at every start
        // with nothing ticked: the built-in pictures take over, and are saved.
        m_window.loadgrouptiles(QStringLiteral("Classic"));
        tilesFellBack = true;
    }

    Tgamestart *dialog = m_context.gamestart;
    dialog->setValues(stored.playToScore.value_or(dialog->playtoscore()),
                      stored.timePerTurn.value_or(dialog->timeperturn()));
    settings.playToScore = dialog->playtoscore();
    settings.timePerTurn = dialog->timeperturn();

    settings.botSpeed = stored.botSpeed;
    m_context.hosting->setBotSpeed(stored.botSpeed);
    settings.riziLevel = stored.riziLevel;
    m_context.hosting->setRiziLevel(riziLevelFromName(settings.riziLevel).value_or(RiziLevel::Classic));
    settings.turnSound = stored.turnSound;

    for (int n = 1; n <= StoredSettings::PhraseCount; ++n)
        if (!stored.phrases[n - 1].isEmpty())
            m_window.phraseRow()->setPhrase(n, stored.phrases[n - 1]);

    settings.playSounds = stored.playSounds;
    settings.playerPhraseSounds = stored.playerPhraseSounds;
    m_window.optionsMenu()->show(settings);

    if (stored.showHelp)
        m_window.panel_help->showInstructions();
    m_store.markHelpShown();
    m_loaded = true;
    if (tilesFellBack)
        save();
}

void WindowSettings::resetPlacement()
{
    m_placer.place(withRoomForBoard(WindowPlacement{}, m_window));
}

QSize WindowSettings::startingSize() const
{
    const WindowPlacement where = withRoomForBoard(m_placer.saved(), m_window);
    return {where.width, where.height};
}

void WindowSettings::saveOnClose()
{
    if (const std::optional<WindowPlacement> moved = m_placer.toSaveOnClose())
        save(*moved);
}

void WindowSettings::save(const WindowPlacement &where)
{
    if (!m_loaded)
        return;
    m_placer.setSaved(where);
    ClientSettings &settings = m_window.settings;
    settings.textSize = m_window.mainchat->textSize();
    settings.playToScore = m_context.gamestart->playtoscore();
    settings.timePerTurn = m_context.gamestart->timeperturn();
    m_store.save(settings, where);
}

} // namespace glyphon
