// Which signal each message from the host goes to: the message is decoded
// by its definition and emitted; a message that does not decode, or whose
// name the session does not know, is ignored.

#include "session/clientsession.h"

#include "protocol/wire.h"

#include <type_traits>

namespace glyphon {

namespace {

using Handler = void (*)(ClientSession &, const QByteArray &);
struct Route
{
    const char *name;
    Handler handler;
};

// Decodes the data as message M and emits it; a message that does not
// decode is ignored.
template<typename M, void (ClientSession::*emitted)(const M &)>
Route to()
{
    return {M::Name, [](ClientSession &s, const QByteArray &d) {
                if (const std::optional<M> m = M::decode(d))
                    (s.*emitted)(*m);
            }};
}

// Decodes the data as message M, hands it to the game, then emits it; a
// message the game does not take (feed returns false) goes no further.
template<typename M, auto feed, void (ClientSession::*emitted)(const M &)>
Route fed()
{
    return {M::Name, [](ClientSession &s, const QByteArray &d) {
                const std::optional<M> m = M::decode(d);
                if (!m)
                    return;
                if constexpr (std::is_same_v<decltype((s.game()->*feed)(*m)), bool>) {
                    if (!(s.game()->*feed)(*m))
                        return;
                } else {
                    (s.game()->*feed)(*m);
                }
                (s.*emitted)(*m);
            }};
}

// Both list seat, name and watching flag groups; the session emits either
// as a list.
void players(ClientSession &s, const QByteArray &d)
{
    if (const std::optional<msg::ExistingPlayers> m = msg::ExistingPlayers::decode(d))
        emit s.playersListed(m->players);
}

const Route routes[] = {
    to<msg::SendLoginInfo, &ClientSession::seatOffered>(),
    {msg::Chat::Name, [](ClientSession &s, const QByteArray &d) { emit s.chatLine(d); }},
    {msg::Action::Name, [](ClientSession &s, const QByteArray &d) { emit s.chatLine(d); }},
    to<msg::PlayASound, &ClientSession::soundPlayed>(),
    {msg::NewPlayerInfo::Name, players},
    {msg::HaveWrongVersion::Name, [](ClientSession &s, const QByteArray &d) { emit s.otherHasWrongVersion(d); }},
    {msg::WrongVersion::Name, [](ClientSession &s, const QByteArray &) { emit s.ownWrongVersion(); }},
    {msg::ExistingPlayers::Name, players},
    to<msg::PlayerDisconnected, &ClientSession::playerLeft>(),
    {msg::Full::Name, [](ClientSession &s, const QByteArray &) { emit s.gameFull(); }},
    to<msg::JustWatching, &ClientSession::justWatching>(),
    to<msg::StartGame, &ClientSession::gameStarted>(),
    fed<msg::NextPlayer, &ClientGame::turnStarted, &ClientSession::nextPlayer>(),
    to<msg::Winner, &ClientSession::winner>(),
    fed<msg::RoundStart, &ClientGame::roundStarted, &ClientSession::roundStarted>(),
    fed<msg::TheLetters, &ClientGame::lettersDealt, &ClientSession::lettersDealt>(),
    fed<msg::Invalid, &ClientGame::wordRejected, &ClientSession::wordRejected>(),
    fed<msg::HisWord, &ClientGame::wordAccepted, &ClientSession::wordAccepted>(),
    {msg::EndRound::Name, [](ClientSession &s, const QByteArray &) { emit s.roundEnded(); }},
    fed<msg::LockThemUp, &ClientGame::locksChanged, &ClientSession::locksChanged>(),
    to<msg::TimeUp, &ClientSession::timeUp>(),
    fed<msg::LoadStats, &ClientGame::stateLoaded, &ClientSession::statsLoaded>(),
};

} // namespace

bool ClientSession::dispatch(const QByteArray &message)
{
    const Command command = splitCommand(message);
    if (command.name.isEmpty())
        return false;
    for (const Route &route : routes) {
        if (command.name == route.name) {
            route.handler(*this, command.data);
            return true;
        }
    }
    return false;
}

} // namespace glyphon
