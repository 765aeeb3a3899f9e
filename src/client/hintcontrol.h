#pragma once
// View > Hint: in a game against the computer only, during the own turn,
// the host's strong engine puts the tiles of a good word into the word
// being built, for the user to submit, change or clear. Greyed when another
// person plays, in a joining window, and outside the own turn. Counts the
// hints of the game for the winner panel.

#include <QObject>
#include <QString>

class QAction;
class QMenu;

namespace glyphon {

class ClientSession;
class Hosting;

class HintControl : public QObject
{
    Q_OBJECT
public:
    // Adds "Hint" (Ctrl+H) to view; the hint's tiles go into the session's
    // word as clicks would.
    HintControl(QMenu *view, ClientSession &session, QObject *parent = nullptr);

    // The window's own host, once the window hosts: the hint asks it for
    // the word, and its game events grey or free the item.
    void attach(Hosting *hosting);

    QAction *Hint1 = nullptr;
    void Hint1Click();
    // Greys or frees the item as the game stands now.
    void refresh();

    int hintsTaken() const { return m_taken; }
    // A line about the user's hints this game ("You took 2 hints."), empty
    // when none were taken; kept apart from the winner's line, which may be
    // about somebody else.
    QString takenLine() const;

signals:
    // A line for the chat pane's status.
    void statusLine(const QString &text);

private:
    bool available() const;

    ClientSession &m_session;
    Hosting *m_hosting = nullptr;
    int m_taken = 0;
    bool m_waiting = false; // a hint asked for waits for the strong index
};

} // namespace glyphon
