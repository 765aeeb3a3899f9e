#include "client/windowroutes.h"

#include "client/tchat.h"
#include "core/messages.h"

using glyphon::fromWire;

namespace {

using Handler = void (*)(Tchat &, const QByteArray &);
struct Route
{
    const char *name;
    Handler handler;
};

// Decodes the data as message M and hands it on; a message that does not
// decode is ignored.
template<typename M, void (Tchat::*handle)(const M &)>
Route to()
{
    return {M::Name, [](Tchat &t, const QByteArray &d) {
                if (const std::optional<M> m = M::decode(d))
                    (t.*handle)(*m);
            }};
}

namespace msg = glyphon::msg;

// Both list seat, name and watching flag groups; the window reads either as
// a list.
void players(Tchat &t, const QByteArray &d)
{
    if (const std::optional<msg::ExistingPlayers> m = msg::ExistingPlayers::decode(d))
        t.newplayerinfo(m->players);
}

const Route routes[] = {
    to<msg::SendLoginInfo, &Tchat::sendloginfo>(),
    {msg::Chat::Name, [](Tchat &t, const QByteArray &d) { t.chatrecieved(d); }},
    {msg::Action::Name, [](Tchat &t, const QByteArray &d) { t.chatrecieved(d); }},
    to<msg::PlayASound, &Tchat::playasound>(),
    {msg::NewPlayerInfo::Name, players},
    {msg::HaveWrongVersion::Name,
     [](Tchat &t, const QByteArray &d) {
         t.statusLine(fromWire(d) + QStringLiteral(" has a different version of the game then you."));
     }},
    {msg::WrongVersion::Name,
     [](Tchat &t, const QByteArray &) {
         t.statusLine(QStringLiteral("You have a differnt version of the game then the host."));
     }},
    {msg::ExistingPlayers::Name, players},
    to<msg::PlayerDisconnected, &Tchat::playerdisconnected>(),
    {msg::Full::Name, [](Tchat &t, const QByteArray &) { t.gameisfull(); }},
    to<msg::JustWatching, &Tchat::justwatching>(),
    to<msg::StartGame, &Tchat::startthegame>(),
    to<msg::NextPlayer, &Tchat::getnextplayer>(),
    to<msg::Winner, &Tchat::winner>(),
    to<msg::RoundStart, &Tchat::roundstart>(),
    to<msg::TheLetters, &Tchat::theletters>(),
    to<msg::Invalid, &Tchat::invalid>(),
    to<msg::HisWord, &Tchat::hisword>(),
    {msg::EndRound::Name, [](Tchat &t, const QByteArray &) { t.endround(); }},
    to<msg::LockThemUp, &Tchat::lockthemup>(),
    to<msg::TimeUp, &Tchat::timeup>(),
    to<msg::LoadStats, &Tchat::loadstats>(),
};

} // namespace

namespace glyphon {

bool routeToWindow(Tchat &window, const QByteArray &message)
{
    const Command command = splitCommand(message);
    if (command.name.isEmpty())
        return false;
    for (const Route &route : routes) {
        if (command.name == route.name) {
            route.handler(window, command.data);
            return true;
        }
    }
    return false;
}

} // namespace glyphon
