#pragma once
// View > Hint: in a game against the computer only, during the own turn,
// the host's strong engine puts the tiles of a good word into the word
// being built, for the user to submit, change or clear. Greyed when another
// person plays, in a joining window, and outside the own turn. Counts the
// hints of the game for the winner panel.

#include <QObject>
#include <QString>
#include <functional>

class QAction;
class QMenu;
class TServer;

namespace glyphon {

class HintControl : public QObject
{
    Q_OBJECT
public:
    // What the hint needs of the window.
    struct Hooks
    {
        std::function<int()> seat;                  // the own seat
        std::function<bool()> myTurn;               // the window takes tiles now
        std::function<void()> clearWord;            // every chosen tile back
        std::function<void(int position)> pickTile; // as a click on the tile
        std::function<void(const QString &)> say;   // a status line
    };

    // Adds "Hint" (Ctrl+H) to view.
    HintControl(QMenu *view, Hooks hooks, QObject *parent = nullptr);

    // The host's own server, once the window hosts: the hint asks it for
    // the word, and its game events grey or free the item.
    void attach(TServer *server);

    QAction *Hint1 = nullptr;
    void Hint1Click();
    // Greys or frees the item as the game stands now.
    void refresh();

    int hintsTaken() const { return m_taken; }
    // The winner panel's text, telling the hints of this game if any.
    QString withHints(const QString &text, bool won) const;

private:
    bool available() const;

    Hooks m_hooks;
    TServer *m_server = nullptr;
    int m_taken = 0;
    bool m_waiting = false; // a hint asked for waits for the strong index
};

} // namespace glyphon
