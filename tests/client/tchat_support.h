#pragma once
// Helpers for the client window tests: whole copies of the program on
// loopback ports of their own, a raw protocol client, message boxes that
// answer themselves, and a way to find a word on the server's board.

#include "board/turnclock.h"
#include "core/rules.h"
#include "session/clientsession.h"
#include "client/closingcoordinator.h"
#include "client/glyphoncontext.h"
#include "client/tchat.h"
#include "server/hosting.h"

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QStringList>
#include <QTcpSocket>
#include <map>
#include <memory>
#include <optional>

class QTimer;
class TServer;

namespace testsupport {

// Moves the process into a temporary folder, so word files written by the
// dictionary never land in the source or build tree; the settings file is
// kept there too, and starts out saying the quick instructions were seen.
// Call once.
void enterTemporaryWorkingFolder();

// The environment's configuration, with the temporary folder standing for
// the program's folder.
glyphon::ClientConfig copyConfig();

// A port that nothing listens on right now; also set as GLYPHON_PORT.
quint16 useFreePort();

// A copy of the program as main() builds it; started, so its window shows
// and reads its command line. The server's pace tick is tickMs.
std::unique_ptr<GlyphonContext> startCopy(const QStringList &params, int tickMs = 10,
                                          const glyphon::ClientConfig &config = copyConfig());

// Accepts every message box that opens, remembering its text and whether
// the window behind it was still open at the moment it was shown. It reacts
// to the box's showing, not to a poll, so a slow machine sees the same.
class BoxAnswerer : public QObject
{
public:
    BoxAnswerer();
    QStringList texts;
    QList<bool> ownerVisible;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
};

QString chatText(const Tchat *chat);
bool chatHas(const Tchat *chat, const QString &text);

// Hands one message to the window's dispatch as if the server had sent it.
void feed(Tchat *chat, const QByteArray &message);

// A protocol client without a window.
class RawClient : public QObject
{
public:
    // from: the loopback address to connect from; a hosting window takes
    // only a few connections from one address.
    bool connectTo(quint16 port, const QHostAddress &from = QHostAddress::LocalHost);
    // Waits for the seat, then logs in with name.
    bool login(const QString &name);
    void send(const QByteArray &message);
    // The first message not taken yet that starts with prefix; waits.
    std::optional<QByteArray> waitFor(const QByteArray &prefix, int timeoutMs = 5000);
    // Every message received so far that starts with prefix.
    QList<QByteArray> received(const QByteArray &prefix) const;

    QTcpSocket socket;
    int seat = 0;
    QList<QByteArray> messages;
    int taken = 0;

private:
    void readAll();
    QByteArray m_buffer;
};

// A word the dictionary knows that seat can lay on the server's board now.
std::optional<QList<int>> findWord(TServer *server, int seat);
// Two tiles that do not spell a word, neither locked by the other seat.
std::optional<QList<int>> findNonWord(TServer *server, int seat);

// Left-clicks the tiles of positions in order.
void clickTiles(Tchat *chat, const QList<int> &positions);

// A board message for the window: every tile letter "a", value 0.
QByteArray plainLetters();

// A tile of a CMD_loadstats the test writes.
struct Tile
{
    int letter = 1;
    int owner = 0;
    int value = 0;
    int locked = 0;
};

// A running turn of seat inTurn on a board of plain "a" tiles, with the
// tiles given changed.
QByteArray loadstats(int inTurn, const std::map<int, Tile> &tiles, int pauseTicks = 64, int action = 4,
                     int turnLength = 60);

// A window that stays unconnected (one parameter), active, for a test that
// plays the server by handing messages to its dispatch; null when it never
// became active.
std::unique_ptr<GlyphonContext> startUnconnectedWindow();

// A key pressed and released where the keyboard is (else on the window).
void typeKey(Tchat *chat, Qt::Key key, const QString &text = {});
void typeLetter(Tchat *chat, char letter);

} // namespace testsupport
