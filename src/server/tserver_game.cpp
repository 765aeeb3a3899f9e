// Game flow: game start, rounds, the board deal, turns, the pace timer and
// the winner test.

#include "server/tserver.h"

#include <QTimer>
#include <limits>

using namespace glyphon;

void TServer::startgame(int fromSeat, const QByteArray &data)
{
    // Only the host may start (and so end) a game.
    if (fromSeat != 1 && fromSeat != LocalRequest)
        return;
    timer_breaks->stop();
    computertimer->stop();
    gameon = true;

    FieldReader fields(data);
    const QByteArray starter = fields.next();
    playtoscore = fields.nextInt().value_or(200);
    timeperturn = fields.nextInt().value_or(30);
    broadcast(buildMessage("CMD_startgame", {starter, number(playtoscore), number(timeperturn), QByteArray()}));

    for (int seat = 1; seat <= playercount; ++seat) {
        seats[seat].score = 0;
        seats[seat].watching = false;
    }
    currentplayer = 0;
    round = 0;
    emit gameStarted(playtoscore, timeperturn);
    startround();
}

void TServer::startround()
{
    ++round;
    broadcast(buildMessage("CMD_roundstart", {number(round), QByteArray()}));
    emit roundStarted(round);
    createboard();
    findplayer();
}

void TServer::createboard()
{
    usedwords.clear();
    QList<QByteArray> fields;
    for (int n : board.deal())
        fields << number(n);
    fields << QByteArray();
    broadcast(buildMessage("CMD_theletters", fields));
}

void TServer::findplayer()
{
    currentplayer = currentplayer + 1;
    if (currentplayer > playercount)
        currentplayer = 1;
    ++m_turnSerial;
    // A move still pending belongs to the turn that has just ended.
    computertimer->stop();
    botAction = NoAction;

    broadcast(buildMessage("CMD_nextplayer", {number(currentplayer), QByteArray()}));
    setPace(TimeUp, qint64(timeperturn) + 4);

    const TSeat &s = seats[currentplayer];
    if (!s.connected || s.watching) {
        computertimer->setInterval(botDelayMs());
        botAction = BotMove;
        botcount = 1;
        computertimer->start();
    }
    emit turnStarted(currentplayer);
}

void TServer::setPace(int action, qint64 ticks)
{
    timer_breaks->stop();
    pendingAction = action;
    breakcount = int(std::clamp<qint64>(ticks, std::numeric_limits<int>::min(), std::numeric_limits<int>::max()));
    timer_breaks->start();
}

void TServer::timer_breaksTimer()
{
    --breakcount;
    if (breakcount > 0)
        return;
    timer_breaks->stop();
    switch (pendingAction) {
    case NextTurn:
        findplayer();
        break;
    case NextRound:
        startround();
        break;
    case WinnerTest:
        checkforwin();
        break;
    case TimeUp:
        timeup();
        break;
    default:
        break;
    }
}

void TServer::timeup()
{
    computertimer->stop();
    broadcast(buildMessage("CMD_timeup", {number(currentplayer), QByteArray()}));
    emit timeUp(currentplayer);
    setPace(NextTurn, 2);
}

void TServer::endround()
{
    computertimer->stop();
    broadcast(buildMessage("CMD_endround", {QByteArray()}));
    emit roundEnded(round);
    setPace(WinnerTest, 2);
}

void TServer::checkforwin()
{
    const int s1 = seats[1].score;
    const int s2 = seats[2].score;
    int w = 0;
    if (s1 >= playtoscore)
        w = 1;
    if (s2 >= playtoscore)
        w = 2;
    if (w == 0 || s1 == s2) {
        setPace(NextRound, 10);
        return;
    }
    // Once anybody has reached the target, the higher score wins.
    if (w == 1 && s2 > s1)
        w = 2;
    if (w == 2 && s1 > s2)
        w = 1;
    const QByteArray name = seats[w].shownName();
    broadcast(buildMessage("CMD_winner", {name, QByteArray()}));
    gameon = false;
    computertimer->stop();
    emit gameWon(w, fromWire(name));
}

QByteArray TServer::loadstatsMessage(int seat) const
{
    QList<QByteArray> fields;
    fields << number(seat) << number(seats[1].score) << number(seats[2].score) << number(timeperturn)
           << number(playtoscore) << number(round) << number(breakcount) << number(pendingAction)
           << number(currentplayer);
    for (int position : tilePositions()) {
        const TCell &cell = board.cell(position);
        fields << number(position) << number(cell.letter) << number(cell.owner) << number(cell.value)
               << number(cell.locked);
    }
    return buildMessage("CMD_loadstats", fields);
}
