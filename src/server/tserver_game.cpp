// Game flow: the host's side of the game. The game itself lives in
// ServerGame; here its requests arrive from seats, its clocks run, and what
// it decides goes out to the seats and to the signals.

#include "server/tserver.h"

#include "dictionary/tdictn.h"

#include <QTimer>
#include <algorithm>

using namespace glyphon;

void TServer::startgame(int fromSeat, const QByteArray &data)
{
    if (const std::optional<msg::StartGame> request = msg::StartGame::decode(data))
        startgame(fromSeat, *request);
}

void TServer::startgame(int fromSeat, const msg::StartGame &request)
{
    if (fromSeat != 1 || m_seatOneHosts)
        return void(m_game.start(fromSeat, request));
    // A stranger on seat 1 may not end a running game, nor pass for
    // anybody else or ask for a game the start dialog could not.
    if (m_game.isOn() || !seats[1].loggedin)
        return;
    msg::StartGame settled = request;
    settled.starter = seats[1].name;
    settled.playtoscore = std::clamp(request.playtoscore, StrangerPlayToScoreMin, StrangerPlayToScoreMax);
    settled.timeperturn = std::clamp(request.timeperturn, StrangerTimePerTurnMin, StrangerTimePerTurnMax);
    m_game.start(fromSeat, settled);
}

void TServer::submitit(int fromSeat, const QByteArray &data)
{
    if (const std::optional<msg::SubmitIt> request = msg::SubmitIt::decode(data))
        m_game.submit(fromSeat, *request);
}

void TServer::timer_breaksTimer()
{
    if (m_strongWait) {
        m_game.holdPace(); // the turn's clock waits with the computer's strong move
        return;
    }
    m_game.tick();
}

bool TServer::checkforused(const QString &word) const
{
    return m_game.isUsed(word);
}

bool TServer::checkforfull() const
{
    return m_game.board().checkforfull();
}

void TServer::computertimerTimer()
{
    if (strongMoveWaits())
        return;
    m_game.computerTick();
}

void TServer::computerplay(int seat)
{
    m_game.computerPlay(seat);
}

QByteArray TServer::loadstatsMessage(int seat) const
{
    return m_game.loadStats(seat).encode();
}

bool TServer::GameHost::playsItself(int seat) const
{
    // A connection that has not logged in is nobody yet: it may only be
    // trying whether a host is there, and close again at once.
    const TSeat &s = m_server.seats[seat];
    return s.connected && s.loggedin && !s.watching;
}

// A new game is played by whoever sits: nobody just watches any more.
void TServer::GameHost::newGame()
{
    for (int seat = 1; seat <= m_server.playercount; ++seat)
        m_server.seats[seat].watching = false;
}

bool TServer::GameHost::isWord(const QString &word)
{
    try {
        return m_server.spell->CheckWord(word);
    } catch (const std::exception &) {
        return false; // an unreadable word file knows no words
    }
}

void TServer::GameHost::restartPace()
{
    m_server.timer_breaks->stop();
    m_server.timer_breaks->start();
}

void TServer::GameHost::stopPace()
{
    m_server.timer_breaks->stop();
}

void TServer::GameHost::armComputer(bool on)
{
    m_server.m_strongWait = false; // a move that waited belonged to a turn now over
    m_server.computertimer->stop();
    if (on) {
        m_server.computertimer->setInterval(m_server.botDelayMs());
        m_server.computertimer->start();
    }
}

void TServer::GameHost::gameStarted(int playtoscore, int timeperturn)
{
    emit m_server.gameStarted(playtoscore, timeperturn);
}

void TServer::GameHost::roundStarted(int round)
{
    emit m_server.roundStarted(round);
}

void TServer::GameHost::turnStarted(int seat)
{
    emit m_server.turnStarted(seat);
}

void TServer::GameHost::timeUp(int seat)
{
    emit m_server.timeUp(seat);
}

void TServer::GameHost::wordAccepted(int seat, const QString &word, int points)
{
    emit m_server.wordAccepted(seat, word, points);
}

void TServer::GameHost::wordRejected(int seat, RejectReason reason, const QString &word)
{
    emit m_server.wordRejected(seat, int(reason), word);
}

void TServer::GameHost::roundEnded(int round)
{
    emit m_server.roundEnded(round);
}

void TServer::GameHost::gameWon(int seat, const QByteArray &name)
{
    emit m_server.gameWon(seat, fromWire(name));
}
