#include "core/servergame.h"

#include "protocol/wire.h"

#include <algorithm>
#include <limits>

namespace glyphon {

ServerGame::ServerGame(Host &host, std::mt19937 &random)
    : m_host(host)
    , m_random(random)
{
}

PaceAction ServerGame::pendingAction() const
{
    switch (m_phase) {
    case Phase::Turn:
        return PaceAction::TimeUp;
    case Phase::PauseBeforeTurn:
        return PaceAction::NextTurn;
    case Phase::PauseBeforeWinnerTest:
        return PaceAction::WinnerTest;
    case Phase::PauseBeforeRound:
        return PaceAction::NextRound;
    case Phase::NoGame:
        break;
    }
    return PaceAction::None;
}

bool ServerGame::start(int fromSeat, const msg::StartGame &request)
{
    if (!mayStart(fromSeat))
        return false;
    m_host.newGame();
    m_scores.fill(0);
    m_host.stopPace();
    m_host.armComputer(false);
    m_computerDue = false;
    m_playToScore = request.playtoscore;
    m_timePerTurn = request.timeperturn;
    m_host.broadcast(request.encode());
    m_current = 0;
    m_round = 0;
    m_host.gameStarted(m_playToScore, m_timePerTurn);
    startRound();
    return true;
}

void ServerGame::reset()
{
    m_host.stopPace();
    m_host.armComputer(false);
    m_phase = Phase::NoGame;
    m_round = m_current = m_breakcount = m_computerTicks = 0;
    m_playToScore = m_timePerTurn = 0;
    m_computerDue = false;
    m_scores.fill(0);
    m_used.clear();
    m_roundWords.clear();
}

void ServerGame::startRound()
{
    ++m_round;
    m_host.broadcast(msg::RoundStart{m_round}.encode());
    m_host.roundStarted(m_round);
    createBoard();
    findPlayer();
}

void ServerGame::createBoard()
{
    m_used.clear();
    m_roundWords.clear();
    msg::TheLetters letters;
    const QList<int> groups = m_board.deal(m_random);
    for (qsizetype i = 0; i + 2 < groups.size(); i += 3)
        letters.tiles << msg::TileGroup{groups[i], groups[i + 1], 0, groups[i + 2], 0};
    m_host.broadcast(letters.encode());
}

void ServerGame::findPlayer()
{
    m_current = m_current + 1;
    if (m_current > PlayerCount)
        m_current = 1;
    ++m_turnSerial;
    // A move still pending belongs to the turn that has just ended.
    m_host.armComputer(false);
    m_computerDue = false;

    m_host.broadcast(msg::NextPlayer{m_current}.encode());
    setPace(Phase::Turn, qint64(m_timePerTurn) + TurnExtraTicks);

    if (!m_host.playsItself(m_current)) {
        m_computerDue = true;
        m_computerTicks = 1;
        m_host.armComputer(true);
    }
    m_host.turnStarted(m_current);
}

void ServerGame::setPace(Phase phase, qint64 ticks)
{
    m_phase = phase;
    m_breakcount = int(std::clamp<qint64>(ticks, std::numeric_limits<int>::min(), std::numeric_limits<int>::max()));
    holdPace();
    m_host.restartPace();
}

void ServerGame::setPaceClock(std::function<qint64()> clock, int tickMs)
{
    m_paceClock = std::move(clock);
    m_tickMs = std::max(1, tickMs);
    holdPace();
}

void ServerGame::holdPace()
{
    if (m_paceClock)
        m_paceDeadline = m_paceClock() + qint64(m_breakcount) * m_tickMs;
}

void ServerGame::tick()
{
    if (m_phase == Phase::NoGame)
        return;
    --m_breakcount;
    const bool overdue = m_paceClock && m_paceClock() >= m_paceDeadline;
    if (m_breakcount > 0 && !overdue)
        return;
    m_host.stopPace();
    switch (m_phase) {
    case Phase::PauseBeforeTurn:
        findPlayer();
        break;
    case Phase::PauseBeforeRound:
        startRound();
        break;
    case Phase::PauseBeforeWinnerTest:
        checkForWin();
        break;
    case Phase::Turn:
        timeUp();
        break;
    case Phase::NoGame:
        break;
    }
}

void ServerGame::timeUp()
{
    m_host.armComputer(false);
    m_host.broadcast(msg::TimeUp{m_current}.encode());
    m_host.timeUp(m_current);
    setPace(Phase::PauseBeforeTurn, 2);
}

void ServerGame::endRound()
{
    m_host.armComputer(false);
    m_host.broadcast(msg::EndRound{}.encode());
    m_host.roundEnded(m_round);
    setPace(Phase::PauseBeforeWinnerTest, 2);
}

void ServerGame::checkForWin()
{
    const int s1 = score(1);
    const int s2 = score(2);
    int w = 0;
    if (s1 >= m_playToScore)
        w = 1;
    if (s2 >= m_playToScore)
        w = 2;
    if (w == 0 || s1 == s2) {
        setPace(Phase::PauseBeforeRound, 10);
        return;
    }
    // Once anybody has reached the target, the higher score wins.
    if (w == 1 && s2 > s1)
        w = 2;
    if (w == 2 && s1 > s2)
        w = 1;
    const QByteArray name = m_host.shownName(w);
    m_host.broadcast(msg::Winner{name}.encode());
    m_phase = Phase::NoGame;
    m_host.stopPace();
    m_host.armComputer(false);
    m_computerDue = false;
    m_host.gameWon(w, name);
}

void ServerGame::submit(int fromSeat, const msg::SubmitIt &request)
{
    if (request.seat != fromSeat)
        return;
    // Only the player whose turn is running may change the board.
    if (m_phase != Phase::Turn || fromSeat != m_current)
        return;
    const int seat = fromSeat;

    // Positions up to the first one that cannot be part of a word: not a
    // tile, used twice, or beyond the longest submission read.
    QList<int> positions;
    bool malformed = false;
    for (int p : request.positions) {
        if (!isTilePosition(p) || positions.contains(p) || positions.size() >= MaxSubmissionTiles) {
            malformed = true;
            break;
        }
        positions.append(p);
    }

    const Board::Reading reading = m_board.read(seat, positions);
    if (reading.outcome == Board::Reading::Locked) {
        reject(seat, RejectReason::LockedTile, reading.word);
        return;
    }
    if (malformed || !m_host.isWord(reading.word)) {
        reject(seat, RejectReason::NotAWord, reading.word);
        return;
    }
    if (isUsed(reading.word)) {
        reject(seat, RejectReason::AlreadyPlayed, reading.word);
        return;
    }

    m_used.append(reading.word);
    const int total = score(seat) + reading.points;
    setScore(seat, total);
    m_board.take(seat, positions);
    const QByteArray word = msg::HisWord{seat, toWire(reading.word.toUpper()), reading.points, total, positions}.encode();
    m_roundWords.append(word);
    m_host.broadcast(word);
    m_host.wordAccepted(seat, reading.word, reading.points);

    lockThemUp();
    if (m_board.checkforfull())
        endRound();
    else
        setPace(Phase::PauseBeforeTurn, 2);
}

void ServerGame::reject(int seat, RejectReason reason, const QString &word)
{
    m_host.sendTo(seat, msg::Invalid{seat, reason, toWire(word)}.encode());
    m_host.wordRejected(seat, reason, word);
}

void ServerGame::lockThemUp()
{
    const QList<QPair<int, int>> changes = m_board.lockthemup();
    if (changes.isEmpty())
        return;
    msg::LockThemUp message;
    for (const auto &change : changes)
        message.changes << msg::LockThemUp::Change{change.first, change.second};
    m_host.broadcast(message.encode());
}

void ServerGame::playerGone(int seat)
{
    if (m_phase == Phase::Turn && seat == m_current)
        findPlayer();
}

void ServerGame::passTurn()
{
    if (m_phase == Phase::Turn)
        findPlayer();
}

void ServerGame::endTurn()
{
    if (m_phase == Phase::Turn)
        timeUp();
}

void ServerGame::computerTick()
{
    --m_computerTicks;
    if (m_computerTicks >= 1)
        return;
    m_host.armComputer(false);
    if (m_computerDue) {
        m_computerDue = false;
        computerPlay(m_current);
    }
}

void ServerGame::computerPlay(int seat)
{
    // One submission per turn, whatever the check then decides.
    if (m_computerMovedTurn == m_turnSerial || m_phase != Phase::Turn || seat != m_current)
        return;
    m_computerMovedTurn = m_turnSerial;
    const ComputerMove move = m_host.computerMove(seat);
    if (move.kind == ComputerMove::Pass) {
        // A player that knows it passes ends the turn at once rather than
        // by its time running out.
        timeUp();
        return;
    }
    if (move.kind != ComputerMove::Word)
        return;
    m_computerMoving = true;
    submit(seat, msg::SubmitIt{seat, move.positions});
    m_computerMoving = false;
}

msg::LoadStats ServerGame::loadStats(int seat) const
{
    msg::LoadStats m;
    m.seat = seat;
    m.score1 = score(1);
    m.score2 = score(2);
    m.timeperturn = m_timePerTurn;
    m.playtoscore = m_playToScore;
    m.round = m_round;
    m.pauseTicks = m_breakcount;
    m.pending = pendingAction();
    m.currentplayer = m_current;
    for (int position : tilePositions()) {
        const TCell &cell = m_board.cell(position);
        m.tiles << msg::TileGroup{position, cell.letter, cell.owner, cell.value, cell.locked};
    }
    return m;
}

} // namespace glyphon
