#pragma once
// The window's controls over who plays: Options > Just Watch for the own
// seat, and the host's menu on the two player names (remove a player, set or
// unset just watching). Requests go to the server, which decides; the checks
// follow what the server announces.

#include <QObject>

class QAction;
class QLabel;
class QMenu;
class QWidget;

namespace glyphon {

class ClientSession;

class SeatControl : public QObject
{
    Q_OBJECT
public:
    static constexpr const char *Waiting = "<Waiting>";

    // The session tells who this copy is and takes the requests.
    SeatControl(ClientSession &session, QWidget *parent);

    QAction *JustWatch1;      // checkable; for the Options menu
    QMenu *popup_kick;        // the player names' context menu
    QAction *RemoveFromGame1;
    QAction *SettoJustWatch1;
    QAction *UnsetJustWatch1;

    // Gives a player name label the popup menu; label carries seat (1 or 2).
    void attachNameLabel(QLabel *label, int seat);

    void JustWatch1Click();
    // Before the popup opens on a name label: enables the items for the host
    // and remembers the seat.
    void label_playername1ContextPopup(const QLabel *label, int seat);
    int popupSeat() const { return m_popupSeat; }
    void RemoveFromGame1Click();
    void SettoJustWatch1Click();
    void UnsetJustWatch1Click();
    // The host's removal request; nothing for anybody else.
    void kicking(int seat);

    // The server says whether the own seat just watches.
    void setOwnJustWatching(bool watching);

private:
    ClientSession &m_session;
    int m_popupSeat = 0;
};

} // namespace glyphon
