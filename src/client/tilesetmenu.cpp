#include "client/tilesetmenu.h"

#include "artwork/tilesets.h"
#include "settings/userfiles.h"

#include <QAction>
#include <QActionGroup>
#include <QMenu>

namespace glyphon {

TileSetMenu::TileSetMenu(TileArt &art, const UserFiles &files, QWidget *parent)
    : QObject(parent)
    , m_art(art)
    , m_menu(new QMenu(QStringLiteral("&Tiles"), parent))
    , m_group(new QActionGroup(this))
    , m_folders(files.searchFolders(QStringLiteral("glyphontiles")))
{
    m_menu->setObjectName(QStringLiteral("grouptilesitem"));
    m_menu->setToolTipsVisible(true);
    m_group->setExclusionPolicy(QActionGroup::ExclusionPolicy::Exclusive);
}

QString TileSetMenu::build()
{
    // The way back to the built-in pictures comes first, whatever else is found.
    addItem(QString::fromLatin1(BuiltinSetName));
    m_menu->addSeparator();
    const TileSetListing listing = listTileSets(m_folders);
    for (const TileSetFile &set : listing.sets)
        addItem(set.name);
    return listing.error;
}

QAction *TileSetMenu::addItem(const QString &name)
{
    auto *action = m_menu->addAction(name);
    action->setObjectName(name + QLatin1Char('3'));
    action->setToolTip(name);
    action->setStatusTip(name);
    action->setCheckable(true);
    m_group->addAction(action);
    connect(action, &QAction::triggered, this, [this, name] { emit chosen(name); });
    return action;
}

QAction *TileSetMenu::item(const QString &name) const
{
    const QString registered = name + QLatin1Char('3');
    for (QAction *action : m_group->actions()) {
        if (action->objectName().compare(registered, Qt::CaseInsensitive) == 0)
            return action;
    }
    return nullptr;
}

QAction *TileSetMenu::checkedItem() const
{
    return m_group->checkedAction();
}

void TileSetMenu::check(const QString &name)
{
    if (QAction *action = item(name))
        action->setChecked(true);
    else if (QAction *checked = m_group->checkedAction())
        checked->setChecked(false);
}

TileSetMenu::Outcome TileSetMenu::load(const QString &name, QString *error)
{
    if (name.compare(QLatin1String(BuiltinSetName), Qt::CaseInsensitive) == 0) {
        m_art.setArtwork(nullptr);
        check(name);
        return Outcome::Loaded;
    }
    const QString path = findTileSet(m_folders, name);
    if (path.isEmpty())
        return Outcome::NoFile;
    const StripResult strip = artworkFromBitmapFile(path);
    if (!strip.artwork) {
        if (error)
            *error = strip.error;
        return Outcome::Unreadable;
    }
    m_art.setArtwork(strip.artwork);
    check(name);
    return Outcome::Loaded;
}

} // namespace glyphon
