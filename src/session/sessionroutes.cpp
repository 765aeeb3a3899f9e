// Which signal each message from the host goes to: the message is decoded
// by its definition and emitted; a message that does not decode, or whose
// name the session does not know, is ignored.

#include "session/clientsession.h"

#include "protocol/wire.h"

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
    to<msg::NextPlayer, &ClientSession::nextPlayer>(),
    to<msg::Winner, &ClientSession::winner>(),
    to<msg::RoundStart, &ClientSession::roundStarted>(),
    to<msg::TheLetters, &ClientSession::lettersDealt>(),
    to<msg::Invalid, &ClientSession::wordRejected>(),
    to<msg::HisWord, &ClientSession::wordAccepted>(),
    {msg::EndRound::Name, [](ClientSession &s, const QByteArray &) { emit s.roundEnded(); }},
    to<msg::LockThemUp, &ClientSession::locksChanged>(),
    to<msg::TimeUp, &ClientSession::timeUp>(),
    to<msg::LoadStats, &ClientSession::statsLoaded>(),
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
