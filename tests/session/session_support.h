#pragma once
// Helpers for the session tests: a ClientSession on a real loopback line to
// a listening socket the test plays host with. It logs in at the seat the
// test gives, and whatever the session sends is read back message by message.

#include "core/rules.h"
#include "session/clientsession.h"

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QTcpServer>
#include <QTcpSocket>
#include <memory>

namespace testsupport {

class LoopbackHost : public QObject
{
    QTcpServer m_server; // first: the session is made with its port

public:
    // hosting: the session connects as the host's own window does;
    // otherwise it joins as a player named Ann.
    explicit LoopbackHost(bool hosting = false);

    glyphon::ClientSession session;

    // The session's connection has been accepted.
    bool accepted();
    // Offers the seat and waits for the session's login.
    bool logIn(int seat);
    // Writes bytes to the session over the line, end marks and all.
    void send(const QByteArray &bytes);
    // Hands one message to the session's dispatch at once.
    void feed(const QByteArray &message) { session.dispatch(message); }
    // What the session sent after its login, each message without its end mark.
    QList<QByteArray> sent();
    // Waits until the session has closed its end of the line.
    bool peerGone();
    // Drops the line with a reset, as a link that fails does.
    void resetLine();

private:
    QTcpSocket *m_peer = nullptr;
    QByteArray m_buffer;
    QList<QByteArray> m_received;
};

// A board message for the session: every tile letter "a", value 0.
QByteArray plainLettersMessage();

// A running turn of seat inTurn (a 60-second turn) on the board of tiles
// (board_support.h writes one).
QByteArray loadStatsMessage(int inTurn, const glyphon::TileGrid &tiles);

} // namespace testsupport
