#pragma once
// How the main window ends. A player leaving a running game is asked first.
// A box of the window holds the message pump while it waits, since the
// handler that opened it has not finished; a close asked for meanwhile
// follows the box. When the connection ends, the messages that came before
// it are still handled, then the window closes; a joiner whose host closed
// in order is told so first, and so is a player whose session gave up
// reconnecting. A spectator's window that gave up says so and stays.

#include "client/leaveguard.h"

#include <QObject>
#include <QString>

class QWidget;

namespace glyphon {

class ClientSession;
class MessagePump;

class ClosingCoordinator : public QObject
{
    Q_OBJECT
public:
    // The window is the boxes' parent and is closed; the session's pump is
    // held, and the session tells who this copy is.
    ClosingCoordinator(QWidget *window, ClientSession &session);

    LeaveGuard *leaveGuard() { return &m_leave; }
    // The window has accepted its close.
    bool closing() const { return m_closing; }
    // A box says why the game cannot go on; the window closes after it.
    bool endingWithMessage() const { return m_endingWithMessage; }

    // An OK box over the window.
    void showMessage(const QString &text);
    // Around any box or dialog of the window.
    void beginModal();
    void endModal();

    // Asks a player in a running game; true to leave.
    bool confirmLeaving();
    // Whether a close asked for now goes ahead (it may ask the user).
    bool mayClose();
    // The window closes: nothing more is handed out.
    void closeAccepted();
    // Closes for the program (a signal, the session's end): no question.
    void closeWithoutAsking();
    // Closes without a question once the loop runs and no box is on screen.
    void scheduleClose();
    // Says why the game cannot go on in a box, then closes the window.
    void endWithMessage(const QString &text);

    // The socket's news: an error, or the line closed.
    void connectionReported(bool error, bool closed);
    // The connection broke and cannot come back: its close is not the host's.
    void connectionFailed() { m_connectionFailed = true; }

signals:
    // A line for the chat pane's status.
    void statusLine(const QString &text);

private:
    void modalFinished();
    void closeWhenConnectionEnds();

    QWidget *m_window;
    ClientSession &m_session;
    MessagePump *m_pump;
    LeaveGuard m_leave;
    int m_modalDepth = 0;
    bool m_closing = false;
    bool m_closeAfterModal = false;
    bool m_connectionClosed = false; // "Socket Closed" came; close when the queue is done
    bool m_closeWithoutAsking = false;
    bool m_closeQueued = false;
    bool m_connectionFailed = false; // an error came before "Socket Closed"
    bool m_endingWithMessage = false;
    bool m_staysAfterLoss = false; // a spectator's window outlives its connection
};

} // namespace glyphon
