#pragma once
// The Tiles menu: one radio item per tile set found in the "glyphontiles"
// folders, and the loading of a chosen set into the copy's tile pictures. The window
// repaints its tiles and turn markers after a set has been put in place.

#include <QObject>
#include <QString>
#include <QStringList>

class QAction;
class QActionGroup;
class QMenu;
class QWidget;

namespace glyphon {

class TileArt;
class UserFiles;

class TileSetMenu : public QObject
{
    Q_OBJECT
public:
    // Creates the menu captioned "Tiles"; parent owns it. Sets are loaded
    // into art; files says where the "glyphontiles" folders are.
    TileSetMenu(TileArt &art, const UserFiles &files, QWidget *parent);

    QMenu *menu() const { return m_menu; }

    // Folders searched for sets; the "glyphontiles" folders of the files
    // given unless a test says otherwise.
    void setFolders(const QStringList &folders) { m_folders = folders; }
    QStringList folders() const { return m_folders; }

    // The built-in set's item, then the sets of the folders as items.
    // Returns the message naming the files left out, or an empty text.
    QString build();
    // One radio item for the set name; its object name is name + "3".
    QAction *addItem(const QString &name);
    // The item of a set, letter case ignored; nullptr when there is none.
    QAction *item(const QString &name) const;
    QAction *checkedItem() const;
    // Checks the item of name, or none when there is no such item.
    void check(const QString &name);

    enum class Outcome {
        NoFile,     // no file of that name: the pictures stay as they are
        Loaded,     // the set's pictures are in place
        Unreadable, // a file, but not one that decodes: the pictures stay
    };
    // Loads the set name into the tile pictures and checks its item; the
    // built-in name restores the built-in pictures. error receives the reason
    // when the file cannot be read; the pictures and the check then stay.
    Outcome load(const QString &name, QString *error = nullptr);

signals:
    // An item was clicked; the argument is the set's name.
    void chosen(const QString &name);

private:
    TileArt &m_art;
    QMenu *m_menu;
    QActionGroup *m_group;
    QStringList m_folders;
};

} // namespace glyphon
