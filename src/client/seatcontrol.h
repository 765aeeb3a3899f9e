#pragma once
// The window's controls over who plays: Options > Just Watch for the own
// seat, and the host's menu on the two player names (remove a player, set or
// unset just watching). Requests go to the server, which decides; the checks
// follow what the server announces.

#include <QByteArray>
#include <QObject>
#include <functional>

class QAction;
class QLabel;
class QMenu;
class QWidget;

namespace glyphon {

// What the requests depend on, read afresh at each request.
struct SeatSession
{
    int myseat = 0;
    bool isconnected = false;
    bool ishost = false;
};

class SeatControl : public QObject
{
    Q_OBJECT
public:
    static constexpr const char *Waiting = "<Waiting>";

    // session tells the window's state; send sends one framed message.
    SeatControl(std::function<SeatSession()> session, std::function<void(const QByteArray &)> send,
                QWidget *parent);

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
    void requestJustWatch(int seat, bool watch);

    std::function<SeatSession()> m_session;
    std::function<void(const QByteArray &)> m_send;
    int m_popupSeat = 0;
};

} // namespace glyphon
