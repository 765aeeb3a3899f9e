// Tchat: the Tiles menu and repainting the board with a tile set.

#include "client/tchat.h"

#include "client/tilesetmenu.h"
#include "board/tilewidget.h"
#include "board/playercard.h"

#include <QAction>
#include <QTimer>

void Tchat::grouptilesmenu()
{
    const QString error = m_tileSets->build();
    // The menu is built while the window is made; the box waits for the loop.
    if (!error.isEmpty())
        QTimer::singleShot(0, this, [this, error] { showMessageBox(error); });
}

void Tchat::creategrouptilesmenu(const QString &name)
{
    m_tileSets->addItem(name);
}

void Tchat::grouptilesmenuClick(QAction *item)
{
    if (!item)
        return;
    const QString name = item->text();
    // A set that cannot be read leaves the pictures, the check and the
    // setting as they were.
    if (!loadgrouptiles(name)) {
        m_tileSets->check(settings.tiles);
        return;
    }
    settings.tiles = name;
    saveinifile();
}

bool Tchat::loadgrouptiles(const QString &name)
{
    QString error;
    const auto outcome = m_tileSets->load(name, &error);
    if (outcome == glyphon::TileSetMenu::Outcome::NoFile)
        return false;
    if (outcome == glyphon::TileSetMenu::Outcome::Unreadable) {
        showMessageBox(QStringLiteral("Cannot load the tile set %1: %2. The tiles stay as they were.").arg(name, error));
        return false;
    }
    const QAction *item = m_tileSets->item(name);
    settings.tiles = item ? item->text() : name;
    // A tile taken into the word stays a gap.
    for (int position : glyphon::tilePositions())
        drawtile(position);
    m_cards->paintMarkers(m_game->mySeat());
    m_cards->keepReadable();
    return true;
}
