#pragma once
// TServer: the game's authority. On top of its connection hub it gives
// every connection a seat, takes logins, relays chat, actions and sounds,
// and runs the game: board deals, turns, the pace timer, the word check,
// locks and the computer player.
//
// Every request is bound to the seat of the connection it arrived on; a
// request that names another seat is ignored. The hub queues each
// connection's messages apart and hands them out in turn, one per 10 ms
// dispatch tick, so one busy peer cannot hold up the others.

#include "protocol/tsock.h"
#include "protocol/wire.h"
#include "core/board.h"
#include "core/servergame.h"
#include "server/connectionhub.h"
#include "server/computerplayer.h"
#include "server/gentleplayer.h"
#include "server/rizilevel.h"
#include "server/strongindex.h"
#include "server/strongindexbuild.h"
#include "server/hostconfig.h"

#include <QByteArray>
#include <QDeadlineTimer>
#include <QHash>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QTimer>
#include <array>
#include <memory>

class TDictn;

struct TSeat
{
    // The name the host gave the login: cleaned, mended, cut and made unique
    // at the table; otherwise the bytes the player sent.
    QByteArray name;
    bool connected = false;
    glyphon::ConnectionHub::ConnectionId conn = 0; // 0 while empty
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
    static constexpr int MaxQueuedPerConnection = glyphon::ConnectionHub::DefaultMaxQueued;
    static constexpr qsizetype MaxUnsentBytes = glyphon::ConnectionHub::DefaultMaxUnsentBytes;
    static constexpr int DispatchIntervalMs = glyphon::ConnectionHub::DefaultDispatchMs;
    // A connection must log in this soon after taking its seat, or it goes:
    // otherwise silent connections could hold every seat.
    static constexpr int DefaultLoginTimeoutMs = glyphon::HostConfig::DefaultLoginTimeoutMs;
    // Connections from one address that may wait for their login at once;
    // logged-in ones are not counted (several players may share a router).
    static constexpr int MaxWaitingPerAddress = glyphon::ConnectionHub::DefaultMaxWaitingPerAddress;
    // The origin of a request made by the program that owns the server (a
    // game started from its command line), not by any connection.
    static constexpr int LocalRequest = glyphon::ServerGame::LocalRequest;
    // A spectator removed by the host cannot come back from its address this soon.
    static constexpr int RemovedSpectatorBanMs = 60000;

    explicit TServer(const glyphon::HostConfig &config = {}, QObject *parent = nullptr);
    ~TServer() override;

    // Components. Sock1, tempsock and socktimer are the hub's.
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

    // The game: phase, round, turn, pace, scores, board and the words played.
    const glyphon::ServerGame &game() const { return m_game; }
    // Tests and replays lay scores and tiles as they need them.
    glyphon::ServerGame &game() { return m_game; }
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
    void setLoginTimeoutMs(int ms) { m_hub->setLoginTimeoutMs(ms); }
    int loginTimeoutMs() const { return m_hub->loginTimeoutMs(); }
    glyphon::ConnectionHub &hub() { return *m_hub; }
    const glyphon::ConnectionHub &hub() const { return *m_hub; }

    // How Rizi plays each player seat (Classic unless set).
    void setRiziLevel(int seat, glyphon::RiziLevel level);
    glyphon::RiziLevel riziLevel(int seat) const;
    // Starts building the strong index from the dictionary's word file on a
    // worker thread, unless it is built or being built; strongIndexBuilt()
    // tells when it is in place. True while it is being built. Nothing
    // builds it before it is needed (a Strong turn, a hint) or the hosting
    // window's own connection has logged in: starting up waits for nothing.
    // A Strong turn whose index is not in place yet waits for it, and the
    // turn's clock with it, so the game goes as if it had been there.
    bool prepareStrong();
    bool strongIndexPending() const;
    // Null until built.
    const std::shared_ptr<const glyphon::StrongIndex> &strongIndex() const { return m_strong; }
    // The strong engine's word for seat on the board as it stands, checked
    // against the words played and the dictionary; nullopt when none fits
    // or the index is not in place.
    std::optional<glyphon::RiziMove> strongMove(int seat);

    // Seat 1 is kept for ms for the connection from this loopback port (the
    // hosting window's own, which connects just after listening starts): a
    // joiner whose connection is accepted first takes the next free seat.
    static constexpr int OwnSeatKeptMs = 3000;
    void reserveSeatFor(quint16 peerPort, int ms = OwnSeatKeptMs);
    // Whether seat 1 holds the host's powers (removing, setting the other
    // player to just-watch, starting over a running game). Off on a host
    // with no window of its own: there seat 1 is a stranger, who may only
    // start a game while none runs, with values the start dialog offers.
    void setSeatOneHosts(bool on) { m_seatOneHosts = on; }
    bool seatOneHosts() const { return m_seatOneHosts; }
    static constexpr int StrangerPlayToScoreMin = 50;
    static constexpr int StrangerPlayToScoreMax = 1000;
    static constexpr int StrangerTimePerTurnMin = 30;
    static constexpr int StrangerTimePerTurnMax = 120;

    // Timer handlers, as the hub and the game run them.
    void socktimerTimer() { m_hub->tick(); }
    // The dispatch tick's length (DispatchIntervalMs unless a test slows it).
    void setDispatchMs(int ms) { m_hub->setDispatchMs(ms); }
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

    // Game flow: the turn in progress passes on, or its time is up now.
    void findplayer() { m_game.passTurn(); }
    void timeup() { m_game.endTurn(); }

    // Words and the board.
    bool checkforused(const QString &word) const;
    bool checkforfull() const;
    void computerplay(int seat);
    // The move of a Gentle or Strong Rizi; nullopt lets the turn pass.
    std::optional<QList<int>> levelMove(int seat, glyphon::RiziLevel level);
    // True while the computer's submission is being checked, so that those
    // who watch the word signals can tell its words from the players'.
    bool computerMoving() const { return m_game.computerMoving(); }

    // Introspection for owners, tests and benchmarks.
    int queuedMessages() const { return m_hub->queuedMessages(); }
    qsizetype pendingOutput() const { return m_hub->pendingOutput(); }
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
    // The strong index has been built (null when the word file could not be read).
    void strongIndexBuilt();

private:
    using ConnectionId = glyphon::ConnectionHub::ConnectionId;
    void seatConnection(ConnectionId id);
    bool mayRelay(int fromSeat);
    void freeSeat(ConnectionId id, int seat, const QString &address);
    void loadCandidates();
    void dispatch(int fromSeat, const QByteArray &message);
    // The seat a new connection takes, 0 when every seat is taken.
    int seatFor(ConnectionId id);
    void ownSeatArrived(int seat);
    bool strongMoveWaits();
    void strongIndexArrived(const std::shared_ptr<const glyphon::StrongIndex> &index);

    glyphon::ConnectionHub *m_hub = nullptr;
    int m_tickMs = 1000;
    int m_botSpeed = 1000;
    std::array<glyphon::RiziLevel, 3> m_riziLevels{glyphon::RiziLevel::Classic, glyphon::RiziLevel::Classic,
                                                   glyphon::RiziLevel::Classic};
    glyphon::GentlePlayer m_gentle;
    std::shared_ptr<const glyphon::StrongIndex> m_strong;
    glyphon::StrongIndexBuild *m_strongBuild = nullptr; // made when first needed
    bool m_strongWait = false; // the computer's strong move waits for the index
    quint16 m_ownPort = 0;     // see reserveSeatFor()
    QDeadlineTimer m_ownPortUntil;
    int m_ownSeat = 0;
    bool m_seatOneHosts = true;

    // The game's view of this host: seats, dictionary, clocks, signals.
    class GameHost : public glyphon::ServerGame::Host
    {
    public:
        explicit GameHost(TServer &server) : m_server(server) {}
        void broadcast(const QByteArray &message) override { m_server.broadcast(message); }
        void sendTo(int seat, const QByteArray &message) override { m_server.sendTo(seat, message); }
        bool playsItself(int seat) const override;
        QByteArray shownName(int seat) const override { return m_server.seats[seat].shownName(); }
        bool isWord(const QString &word) override;
        void newGame() override;
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
