// Where each message from the host goes: the message is decoded by its
// definition, taken into the game model, and told as news; a message that
// does not decode, or whose name the session does not know, is ignored.

#include "session/clientsession.h"
#include "session/serverlink.h"

#include "protocol/wire.h"

#include <algorithm>
#include <iterator>
#include <utility>

namespace glyphon {

struct SessionRoutes
{
    using Handler = void (*)(ClientSession &, const QByteArray &);
    struct Route
    {
        const char *name;
        Handler handler;
    };

    // Decodes the data as message M and hands it on; a message that does
    // not decode is ignored.
    template<typename M, void (*take)(ClientSession &, const M &)>
    static Route on()
    {
        return {M::Name, [](ClientSession &s, const QByteArray &d) {
                    if (const std::optional<M> m = M::decode(d))
                        take(s, *m);
                }};
    }

    static void seatOffered(ClientSession &s, const msg::SendLoginInfo &m) { emit s.seatOffered(m); }
    static void soundPlayed(ClientSession &s, const msg::PlayASound &m) { emit s.soundPlayed(m); }

    // CMD_newplayerinfo and CMD_existingplayers both list seat, name and
    // watching groups.
    static void playersArrived(ClientSession &s, const msg::ExistingPlayers &m)
    {
        for (const msg::SeatEntry &entry : m.players) {
            SeatNews news{SeatNews::Arrived, entry, entry.seat == s.m_game->mySeat()};
            if (entry.seat == 1)
                s.m_seatOneLeft = false;
            s.m_game->playerArrived(entry);
            // Back after a lost connection, the window keeps this session's
            // choices; they were read when it first came.
            if (news.me) {
                news.firstTime = !s.takeRejoined();
                s.m_history = ClientSession::History::Open;
            }
            emit s.seatNews(news);
        }
        emit s.soundCue(QStringLiteral("entered"));
    }

    static void playerLeft(ClientSession &s, const msg::PlayerDisconnected &m)
    {
        // A connection that closes now was closed by a host that left.
        if (m.seat == 1 && s.m_game->mySeat() != 1)
            s.m_seatOneLeft = true;
        // Nobody is announced for a free seat, the computer player or a
        // spectator nobody knew.
        if (const std::optional<QByteArray> name = s.m_game->playerLeft(m))
            emit s.seatNews({SeatNews::Left, {m.seat, *name, false}, m.seat == s.m_game->mySeat()});
    }

    static void justWatching(ClientSession &s, const msg::JustWatching &m)
    {
        if (!s.m_game->justWatching(m))
            return;
        const ClientGame::Seat &seat = s.m_game->seat(m.seat);
        emit s.seatNews({SeatNews::Watching, {m.seat, seat.name, m.watching}, m.seat == s.m_game->mySeat()});
    }

    static void gameStarted(ClientSession &s, const msg::StartGame &m)
    {
        // Asked before the computer player may take the second seat.
        const bool mine = s.m_game->holds(s.m_game->mySeat(), m.starter);
        const bool computerJoins = s.m_game->gameStarted(m);
        s.dropWord();
        GameNews news = GameNews::of(GameNews::Started, m.starter, mine);
        news.computerJoins = computerJoins;
        emit s.gameNews(news);
    }

    static void turnStarted(ClientSession &s, const msg::NextPlayer &m)
    {
        s.m_game->turnStarted(m);
        s.startTurn();
        TurnNews news = TurnNews::of(TurnNews::Started, m.seat);
        news.readAt = s.m_link->readAt();
        emit s.turnNews(news);
    }

    static void gameWon(ClientSession &s, const msg::Winner &m)
    {
        const bool mine = s.m_game->gameWon(m);
        emit s.gameNews(GameNews::of(GameNews::Won, m.name, mine));
    }

    static void roundStarted(ClientSession &s, const msg::RoundStart &m)
    {
        s.m_game->roundStarted(m);
        emit s.gameNews(GameNews::of(GameNews::RoundStarted));
    }

    static void lettersDealt(ClientSession &s, const msg::TheLetters &m)
    {
        s.m_game->lettersDealt(m);
        // A tile dealt anew leaves the word being built.
        QList<int> dealt;
        for (const msg::TileGroup &group : m.tiles)
            dealt.append(group.position);
        s.takeTiles(dealt);
    }

    static void wordRejected(ClientSession &s, const msg::Invalid &m)
    {
        s.m_game->wordRejected(m);
        TurnNews news = TurnNews::of(TurnNews::WordRefused, m.seat);
        news.word = m.word;
        news.reason = m.reason;
        emit s.turnNews(news);
    }

    static void wordAccepted(ClientSession &s, const msg::HisWord &m)
    {
        if (s.m_history != ClientSession::History::Closed) {
            wordReplayed(s, m);
            return;
        }
        // A word for a seat that does not play is no news.
        if (!s.m_game->wordAccepted(m))
            return;
        s.dropWord();
        TurnNews news = TurnNews::of(TurnNews::WordPlayed, m.seat);
        news.word = m.word;
        news.points = m.points;
        emit s.turnNews(news);
    }

    // The replay holds the whole round: what the lists showed before (a
    // player back after a lost line) is in it again.
    static void wordReplayed(ClientSession &s, const msg::HisWord &m)
    {
        if (std::exchange(s.m_history, ClientSession::History::Replaying) == ClientSession::History::Open)
            s.m_game->clearWords();
        if (!s.m_game->wordReplayed(m))
            return;
        TurnNews news = TurnNews::of(TurnNews::WordPlayed, m.seat);
        news.word = m.word;
        news.points = m.points;
        news.history = true;
        emit s.turnNews(news);
    }

    static void locksChanged(ClientSession &s, const msg::LockThemUp &m) { s.m_game->locksChanged(m); }

    static void timeUp(ClientSession &s, const msg::TimeUp &m)
    {
        TurnNews news = TurnNews::of(TurnNews::TimeUp, m.seat);
        news.passed = s.m_game->computerPlays(m.seat);
        s.m_game->timeRanOut(m);
        // The own tiles go back to the board; another seat's time leaves
        // the own word alone.
        if (m.seat == s.m_game->mySeat())
            s.clearWord();
        emit s.turnNews(news);
    }

    static void stateLoaded(ClientSession &s, const msg::LoadStats &m)
    {
        // No words replayed: the lists still hold a round this window saw
        // before its line was lost; another round has none yet.
        if (s.m_history == ClientSession::History::Open && m.round != s.m_game->round())
            s.m_game->clearWords();
        s.m_game->stateLoaded(m);
        // The tiles go back in their holders' colours now.
        s.dropWord();
        TurnNews news = TurnNews::of(TurnNews::Restored, m.currentplayer);
        news.pauseTicks = m.pauseTicks;
        news.turnRunning = m.pending == PaceAction::TimeUp;
        news.readAt = s.m_link->readAt();
        emit s.turnNews(news);
    }

    static const Route *find(const QByteArray &name);
};

namespace {

using R = SessionRoutes;

const R::Route routes[] = {
    R::on<msg::SendLoginInfo, R::seatOffered>(),
    {msg::Chat::Name, [](ClientSession &s, const QByteArray &d) { emit s.chatLine(d); }},
    {msg::Action::Name, [](ClientSession &s, const QByteArray &d) { emit s.chatLine(d); }},
    R::on<msg::PlayASound, R::soundPlayed>(),
    {msg::NewPlayerInfo::Name, [](ClientSession &s, const QByteArray &d) {
         if (const std::optional<msg::ExistingPlayers> m = msg::ExistingPlayers::decode(d))
             R::playersArrived(s, *m);
     }},
    {msg::HaveWrongVersion::Name, [](ClientSession &s, const QByteArray &d) {
         emit s.statusLine(fromWire(d) + QStringLiteral(" has a different version of the game then you."));
     }},
    {msg::WrongVersion::Name, [](ClientSession &s, const QByteArray &) {
         emit s.statusLine(QStringLiteral("You have a differnt version of the game then the host."));
     }},
    R::on<msg::ExistingPlayers, R::playersArrived>(),
    R::on<msg::PlayerDisconnected, R::playerLeft>(),
    {msg::Full::Name, [](ClientSession &s, const QByteArray &) { emit s.gameNews(GameNews::of(GameNews::Full)); }},
    R::on<msg::JustWatching, R::justWatching>(),
    R::on<msg::StartGame, R::gameStarted>(),
    R::on<msg::NextPlayer, R::turnStarted>(),
    R::on<msg::Winner, R::gameWon>(),
    R::on<msg::RoundStart, R::roundStarted>(),
    R::on<msg::TheLetters, R::lettersDealt>(),
    R::on<msg::Invalid, R::wordRejected>(),
    R::on<msg::HisWord, R::wordAccepted>(),
    {msg::EndRound::Name, [](ClientSession &s, const QByteArray &) { emit s.gameNews(GameNews::of(GameNews::RoundEnded)); }},
    R::on<msg::LockThemUp, R::locksChanged>(),
    R::on<msg::TimeUp, R::timeUp>(),
    R::on<msg::LoadStats, R::stateLoaded>(),
};

} // namespace

const SessionRoutes::Route *SessionRoutes::find(const QByteArray &name)
{
    for (const Route &route : routes)
        if (name == route.name)
            return &route;
    return nullptr;
}

bool ClientSession::dispatch(const QByteArray &message)
{
    const Command command = splitCommand(message);
    if (command.name.isEmpty())
        return false;
    const SessionRoutes::Route *route = SessionRoutes::find(command.name);
    if (!route)
        return false;
    // Game news ends the replay of the round's words; lists of who is there
    // and chat come between the own arrival and the replay.
    static const char *const quiet[] = {msg::HisWord::Name,  msg::NewPlayerInfo::Name, msg::ExistingPlayers::Name,
                                        msg::HaveWrongVersion::Name, msg::WrongVersion::Name, msg::Chat::Name,
                                        msg::Action::Name, msg::PlayASound::Name, msg::PlayerDisconnected::Name,
                                        msg::JustWatching::Name};
    const bool endsHistory = std::none_of(std::begin(quiet), std::end(quiet),
                                          [&](const char *name) { return command.name == name; });
    route->handler(*this, command.data);
    if (endsHistory)
        m_history = History::Closed;
    return true;
}

void ClientSession::requestStart(const QString &playToScore, const QString &timePerTurn)
{
    send(buildMessage(msg::StartGameRequest::Name, {toWire(m_name), toWire(playToScore), toWire(timePerTurn), {}}));
}

} // namespace glyphon
