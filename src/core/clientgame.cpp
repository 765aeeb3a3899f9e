#include "core/clientgame.h"

#include <algorithm>
#include <utility>

namespace glyphon {

ClientGame::ClientGame(QObject *parent)
    : QObject(parent)
{
}

QByteArray ClientGame::nameHint(int seat)
{
    return seat == 2 ? QByteArray(RiziName) : QByteArray();
}

const ClientGame::Seat &ClientGame::seat(int seat) const
{
    static const Seat none;
    return isPlayerSeat(seat) ? m_seats[seat] : none;
}

ClientGame::Seat *ClientGame::seatRecord(int seat)
{
    return isPlayerSeat(seat) ? &m_seats[seat] : nullptr;
}

const QList<ClientGame::PlayedWord> &ClientGame::words(int seat) const
{
    static const QList<PlayedWord> none;
    return isPlayerSeat(seat) ? m_words[seat] : none;
}

void ClientGame::clearWords()
{
    for (int s = 1; s <= PlayerSeats; ++s) {
        if (!m_words[s].isEmpty()) {
            m_words[s].clear();
            emit wordsChanged(s);
        }
    }
}

bool ClientGame::wordReplayed(const msg::HisWord &m)
{
    if (!isPlayerSeat(m.seat))
        return false;
    m_words[m.seat].append({m.word, m.points});
    emit wordsChanged(m.seat);
    return true;
}

bool ClientGame::computerPlays(int seat) const
{
    if (!isPlayerSeat(seat))
        return false;
    const Seat &s = m_seats[seat];
    return !s.filled || s.watching || s.name == nameHint(seat);
}

bool ClientGame::holds(int seat, const QByteArray &name) const
{
    return isPlayerSeat(seat) && m_seats[seat].filled && m_seats[seat].name == name;
}

QList<QByteArray> ClientGame::otherPlayers() const
{
    QList<QByteArray> others;
    for (int s = 1; s <= PlayerSeats; ++s)
        if (s != m_mySeat && m_seats[s].filled)
            others.append(m_seats[s].name);
    return others;
}

void ClientGame::loggedIn(const msg::SendLoginInfo &m)
{
    m_mySeat = m.seat;
}

void ClientGame::playerArrived(const msg::SeatEntry &entry)
{
    if (Seat *s = seatRecord(entry.seat)) {
        s->filled = true;
        s->name = entry.name;
        // The announcement says whether the seat watches, either way: a
        // newcomer plays even where the empty seat was set to watch.
        s->watching = entry.watching;
        emit seatChanged(entry.seat);
        return;
    }
    m_spectators.append(entry);
    emit spectatorChanged(entry, true);
}

void ClientGame::forgetSpectators()
{
    while (!m_spectators.isEmpty())
        emit spectatorChanged(m_spectators.takeLast(), false);
}

std::optional<QByteArray> ClientGame::playerLeft(const msg::PlayerDisconnected &m)
{
    Seat *s = seatRecord(m.seat);
    if (!s) {
        const auto known = std::find_if(m_spectators.cbegin(), m_spectators.cend(),
                                         [&](const msg::SeatEntry &e) { return e.seat == m.seat && e.name == m.name; });
        if (known == m_spectators.cend())
            return std::nullopt;
        const msg::SeatEntry gone = *known;
        m_spectators.erase(known);
        emit spectatorChanged(gone, false);
        return gone.name;
    }
    std::optional<QByteArray> announce;
    if (s->filled && s->name != nameHint(m.seat))
        announce = s->name;
    // Scores, board and turn stay as they are.
    s->filled = false;
    s->name.clear();
    s->watching = false;
    emit seatChanged(m.seat);
    return announce;
}

bool ClientGame::justWatching(const msg::JustWatching &m)
{
    Seat *s = seatRecord(m.seat);
    if (!s)
        return false;
    s->watching = m.watching;
    emit seatChanged(m.seat);
    return true;
}

void ClientGame::setRunning(bool running)
{
    if (std::exchange(m_running, running) != running)
        emit runningChanged(running);
}

void ClientGame::takeHintIfFree(int seat)
{
    Seat *s = seatRecord(seat);
    if (!s || s->filled)
        return;
    s->filled = true;
    s->name = nameHint(seat);
    emit seatChanged(seat);
}

bool ClientGame::gameStarted(const msg::StartGame &m)
{
    for (int s = 1; s <= PlayerSeats; ++s) {
        m_seats[s].score = 0;
        m_seats[s].lastPoints.reset();
        emit seatChanged(s);
    }
    m_playTo = m.playtoscore;
    emit playToChanged(m_playTo);
    m_turnLength = m.timeperturn;
    setRunning(true);
    // A second seat nobody took is the computer player's.
    const bool computerJoins = !m_seats[2].filled;
    takeHintIfFree(2);
    return computerJoins;
}

void ClientGame::roundStarted(const msg::RoundStart &m)
{
    m_round = m.round;
    emit roundChanged(m_round);
    m_board = {};
    // The old letters stay on show until the new ones come.
    emit tilesChanged(m_lastMove.clear());
    clearWords();
}

void ClientGame::lettersDealt(const msg::TheLetters &m)
{
    QList<int> changed;
    for (const msg::TileGroup &g : m.tiles) {
        if (!isTilePosition(g.position))
            continue;
        m_board[g.position] = TCell{g.value, g.letter, 0, 0};
        changed.append(g.position);
    }
    emit tilesChanged(changed);
}

void ClientGame::turnStarted(const msg::NextPlayer &m)
{
    for (int s = 1; s <= PlayerSeats; ++s)
        if (std::exchange(m_seats[s].lastPoints, std::nullopt))
            emit seatChanged(s);
    m_turn = m.seat;
    emit tilesChanged(m_lastMove.turnStarted());
    takeHintIfFree(m.seat);
}

bool ClientGame::wordAccepted(const msg::HisWord &m)
{
    Seat *s = seatRecord(m.seat);
    if (!s)
        return false;
    QList<int> taken;
    for (int position : m.positions) {
        if (!isTilePosition(position))
            continue;
        m_board[position].owner = m.seat;
        taken.append(position);
    }
    QList<int> changed = m_lastMove.wordAccepted(m.seat, taken);
    changed.append(taken);
    emit tilesChanged(changed);
    s->lastPoints = m.points;
    s->score = m.total;
    // Nobody plays until the next turn.
    m_turn = 0;
    emit seatChanged(m.seat);
    m_words[m.seat].append({m.word, m.points});
    emit wordsChanged(m.seat);
    return true;
}

void ClientGame::wordRejected(const msg::Invalid &m)
{
    // The submitter has the turn back, its tiles still chosen.
    m_turn = m.seat;
}

void ClientGame::locksChanged(const msg::LockThemUp &m)
{
    QList<int> changed;
    for (const msg::LockThemUp::Change &c : m.changes) {
        if (!isTilePosition(c.position))
            continue;
        m_board[c.position].locked = c.locked;
        changed.append(c.position);
    }
    emit tilesChanged(changed);
}

bool ClientGame::gameWon(const msg::Winner &m)
{
    setRunning(false);
    // The name the host gave the own seat, never the one asked for; and a
    // name that both seats show names nobody for sure (a host that let one
    // player pass for the other).
    const int other = m_mySeat == 1 ? 2 : 1;
    return holds(m_mySeat, m.name) && !holds(other, m.name);
}

void ClientGame::stateLoaded(const msg::LoadStats &m)
{
    m_seats[1].score = m.score1;
    m_seats[2].score = m.score2;
    m_playTo = m.playtoscore;
    emit playToChanged(m_playTo);
    m_round = m.round;
    emit roundChanged(m_round);
    m_turn = m.currentplayer;
    // A newcomer does not know which word came last.
    QList<int> changed = m_lastMove.clear();
    for (const msg::TileGroup &g : m.tiles) {
        if (!isTilePosition(g.position))
            continue;
        m_board[g.position] = TCell{g.value, g.letter, g.locked, g.owner};
        changed.append(g.position);
    }
    emit tilesChanged(changed);
    m_turnLength = m.timeperturn;
    setRunning(true);
    for (int s = 1; s <= PlayerSeats; ++s)
        emit seatChanged(s);
    takeHintIfFree(m_turn);
    // Between turns the seat only tells whose marker shows; nobody plays
    // until the next turn.
    if (m.pending != PaceAction::TimeUp)
        m_turn = 0;
}

} // namespace glyphon
