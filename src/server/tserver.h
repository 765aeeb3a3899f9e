#pragma once
// TServer: the game's authority. It gives every connection a seat, takes
// logins, relays chat, actions and sounds, and runs the game: board deals,
// turns, the pace timer, the word check, locks and the computer player.
//
// Every request is bound to the seat of the connection it arrived on; a
// request that names another seat is ignored. Each connection has its own
// bounded queue, and the 10 ms dispatch tick serves the queues in turn, one
// message per tick, so one busy peer cannot hold up the others. A message
// that arrives while the dispatch rests is handled at once.

#include "protocol/tsock.h"
#include "protocol/wire.h"
#include "core/board.h"
#include "core/messagepump.h"
#include "core/servergame.h"
#include "server/computerplayer.h"
#include "server/gentleplayer.h"
#include "server/rizilevel.h"
#include "server/strongindex.h"
#include "server/hostconfig.h"

#include <QByteArray>
#include <QElapsedTimer>
#include <QHash>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QTimer>
#include <array>
#include <deque>
#include <memory>

class TDictn;

struct TSeat
{
    // Names stay the bytes the player sent (mended, cut): the host never
    // reads them as text, so no two names can merge on the way through.
    QByteArray name;
    bool connected = false;
    TSock *sock = nullptr;
    qint32 score = 0;
    bool watching = false;
    QByteArray botname;
    // The login has arrived: only such seats are listed to others or
    // announced as leaving; a seat merely accepted has no name to show yet.
    bool loggedin = false;

    // The player's name, or the computer player's while the seat has none.
    QByteArray shownName() const { return name.isEmpty() ? botname : name; }
};

class TServer : public QObject
{
    Q_OBJECT
public:
    static constexpr int SeatCount = 11;        // seats[1..11]
    static constexpr int MaxSeats = 9;          // 1 and 2 play, 3..9 watch
    static constexpr int MaxQueuedPerConnection = 256;
    static constexpr qsizetype MaxUnsentBytes = 1024 * 1024;
    static constexpr int DispatchIntervalMs = 10;
    // A connection must log in this soon after taking its seat, or it goes:
    // otherwise silent connections could hold every seat.
    static constexpr int DefaultLoginTimeoutMs = glyphon::HostConfig::DefaultLoginTimeoutMs;
    // Connections from one address that may wait for their login at once;
    // logged-in ones are not counted (several players may share a router).
    static constexpr int MaxWaitingPerAddress = 2;
    // The origin of a request made by the program that owns the server (a
    // game started from its command line), not by any connection.
    static constexpr int LocalRequest = 0;

    explicit TServer(const glyphon::HostConfig &config = {}, QObject *parent = nullptr);
    ~TServer() override;

    // Components.
    TSock *Sock1 = nullptr;     // listening socket; the owner sets Listen
    TSock *tempsock = nullptr;  // never opened: carries the handlers of accepted sockets
    QTimer *socktimer = nullptr;
    QTimer *timer_breaks = nullptr;
    QTimer *computertimer = nullptr;
    TDictn *spell = nullptr;
    glyphon::ComputerPlayer listbox_words;

    // Seat table and game state; public so that owners and tests can look.
    std::array<TSeat, SeatCount + 1> seats{};
    int slotsused = 0;
    int playercount = 0;

    // The game: phase, round, turn, pace, board and the words played.
    const glyphon::ServerGame &game() const { return m_game; }
    // Tests and replays lay tiles on the board as they need them.
    glyphon::Board &board() { return m_game.board(); }
    const glyphon::Board &board() const { return m_game.board(); }
    // Back to no game at all, as a fresh host: nothing pending, no words.
    void resetGame() { m_game.reset(); }
    // The host's generator, seeded from its configuration: the deal and the
    // computer players draw from it.
    std::mt19937 &random() { return m_random; }

    // Pace: one tick of timer_breaks lasts tickMs (1000 in a real game); the
    // computer's delay is the Bot Speed scaled by tickMs / 1000.
    void setTickMs(int ms);
    int tickMs() const { return m_tickMs; }
    void setBotSpeed(int ms); // 2000, 1000 or 500; anything else counts as 1000
    int botSpeed() const { return m_botSpeed; }
    int botDelayMs() const;
    // Applies to the connections already waiting too.
    void setLoginTimeoutMs(int ms);
    int loginTimeoutMs() const { return m_loginTimeoutMs; }

    // How Rizi plays each player seat (Classic unless set).
    void setRiziLevel(int seat, glyphon::RiziLevel level);
    glyphon::RiziLevel riziLevel(int seat) const;
    // Builds the strong index from the dictionary's word file, once; hosts
    // call it when they start, so that no turn waits for it.
    void prepareStrong();
    const std::shared_ptr<const glyphon::StrongIndex> &strongIndex() const { return m_strong; }
    // The strong engine's word for seat on the board as it stands, checked
    // against the words played and the dictionary; nullopt when none fits.
    std::optional<glyphon::RiziMove> strongMove(int seat);

    // Socket and timer handlers.
    void Sock1Accept(TSock *sender);
    void Sock1Read(TSock *sender, int count);
    void tempsockDisconnect(TSock *sender);
    void tempsockInfo(TSock *sender, TSocketInfo info, const QString &msg);
    void socktimerTimer();
    // The dispatch tick's length (DispatchIntervalMs unless a test slows it).
    void setDispatchMs(int ms);
    void timer_breaksTimer();
    void computertimerTimer();

    // Requests, each with the seat of the connection it came from.
    void receivedlogininfo(int fromSeat, const QByteArray &data);
    void kickhim(int fromSeat, const QByteArray &data);
    void chat(int fromSeat, const QByteArray &data);
    void action(int fromSeat, const QByteArray &data);
    void playasound(int fromSeat, const QByteArray &data);
    void justwatch(int fromSeat, const QByteArray &data);
    void startgame(int fromSeat, const QByteArray &data);
    void startgame(int fromSeat, const glyphon::msg::StartGame &request);
    void submitit(int fromSeat, const QByteArray &data);

    void disconnectsock(int seat);
    void broadcast(const QByteArray &message);
    void sendTo(int seat, const QByteArray &message);

    // Game flow.
    void startround();
    void createboard();
    void findplayer();
    void timeup();
    void endround();
    void checkforwin();

    // Words and the board.
    bool checkforused(const QString &word) const;
    void lockthemup();
    bool checkforfull() const;
    void computerplay(int seat);
    // The move of a Gentle or Strong Rizi; nullopt lets the turn pass.
    std::optional<QList<int>> levelMove(int seat, glyphon::RiziLevel level);
    // True while the computer's submission is being checked, so that those
    // who watch the word signals can tell its words from the players'.
    bool computerMoving() const { return m_game.computerMoving(); }

    // Introspection for owners, tests and benchmarks.
    int queuedMessages() const;
    qsizetype pendingOutput() const;
    QByteArray loadstatsMessage(int seat) const;

signals:
    // A login arrived; name as it is shown to everyone, read in the code page.
    void playerArrived(int seat, const QString &name);
    // name is empty for a connection that never logged in.
    void seatFreed(int seat, const QString &name, const QString &address);
    // A connection closed by the server: for what it sent or failed to read,
    // for a login that did not come, or refused before it took a seat (seat 0).
    void connectionDropped(int seat, const QString &address, const QString &why);
    void gameStarted(int playtoscore, int timeperturn);
    void roundStarted(int round);
    void turnStarted(int seat);
    void timeUp(int seat);
    void wordAccepted(int seat, const QString &word, int points);
    void wordRejected(int seat, int reason, const QString &word);
    void roundEnded(int round);
    void gameWon(int seat, const QString &name);

private:
    struct Connection
    {
        TSock *sock = nullptr; // cleared once the socket has closed
        int seat = 0;
        glyphon::MessagePump::ConnectionId id = 0;
        QString address;       // the peer's, as accepted
        qint64 acceptedAt = 0; // on m_clock
        bool closing = false; // being dropped: nothing more goes to or comes from it
    };
    using ConnectionPtr = std::shared_ptr<Connection>;

    ConnectionPtr connectionOf(const TSock *sock) const { return m_connections.value(sock); }
    void drop(const ConnectionPtr &conn, const QString &why);
    void forgetQueued(int seat);
    bool isSendable(int seat) const;
    void loadCandidates();
    void dispatch(glyphon::MessagePump::ConnectionId from, const QByteArray &message);
    void refuse(TSock *sock, const QString &why);
    int waitingFrom(const QString &address) const;
    void expireLogins();

    QHash<const TSock *, ConnectionPtr> m_connections; // live sockets only
    // Every connection that is live or still has messages queued.
    QHash<glyphon::MessagePump::ConnectionId, ConnectionPtr> m_byId;
    glyphon::MessagePump::ConnectionId m_lastConnectionId = 0;
    glyphon::MessagePump *m_pump = nullptr;
    QElapsedTimer m_clock;
    QTimer *m_loginWatch = nullptr; // runs while a connection waits for its login
    int m_loginTimeoutMs = DefaultLoginTimeoutMs;
    int m_tickMs = 1000;
    int m_botSpeed = 1000;
    std::array<glyphon::RiziLevel, 3> m_riziLevels{glyphon::RiziLevel::Classic, glyphon::RiziLevel::Classic,
                                                   glyphon::RiziLevel::Classic};
    glyphon::GentlePlayer m_gentle;
    std::shared_ptr<const glyphon::StrongIndex> m_strong;

    // The game's view of this host: seats, dictionary, clocks, signals.
    class GameHost : public glyphon::ServerGame::Host
    {
    public:
        explicit GameHost(TServer &server) : m_server(server) {}
        void broadcast(const QByteArray &message) override { m_server.broadcast(message); }
        void sendTo(int seat, const QByteArray &message) override { m_server.sendTo(seat, message); }
        bool playsItself(int seat) const override;
        QByteArray shownName(int seat) const override { return m_server.seats[seat].shownName(); }
        int score(int seat) const override { return m_server.seats[seat].score; }
        void setScore(int seat, int score) override { m_server.seats[seat].score = score; }
        bool isWord(const QString &word) override;
        glyphon::ServerGame::ComputerMove computerMove(int seat) override;
        void restartPace() override;
        void stopPace() override;
        void armComputer(bool on) override;
        void gameStarted(int playtoscore, int timeperturn) override;
        void roundStarted(int round) override;
        void turnStarted(int seat) override;
        void timeUp(int seat) override;
        void wordAccepted(int seat, const QString &word, int points) override;
        void wordRejected(int seat, glyphon::RejectReason reason, const QString &word) override;
        void roundEnded(int round) override;
        void gameWon(int seat, const QByteArray &name) override;

    private:
        TServer &m_server;
    };
    std::mt19937 m_random;
    GameHost m_gameHost{*this};
    glyphon::ServerGame m_game{m_gameHost, m_random};
};
