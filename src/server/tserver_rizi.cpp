// Rizi's levels on the host: which level plays each seat, the strong index
// and the moves of the Gentle and Strong players; the move the game asks for.

#include "server/tserver.h"

#include "dictionary/tdictn.h"

#include <QTimer>
#include <utility>

using namespace glyphon;

void TServer::setRiziLevel(int seat, RiziLevel level)
{
    if (seat == 1 || seat == 2)
        m_riziLevels[size_t(seat)] = level;
}

RiziLevel TServer::riziLevel(int seat) const
{
    return (seat == 1 || seat == 2) ? m_riziLevels[size_t(seat)] : RiziLevel::Classic;
}

bool TServer::prepareStrong()
{
    if (m_strong)
        return false;
    if (strongIndexPending())
        return true;
    if (!spell->isOpen())
        return false;
    if (!m_strongBuild) {
        m_strongBuild = new StrongIndexBuild(this);
        connect(m_strongBuild, &StrongIndexBuild::built, this, &TServer::strongIndexArrived);
    }
    return m_strongBuild->start(spell->filePath());
}

bool TServer::strongIndexPending() const
{
    return m_strongBuild && m_strongBuild->running();
}

void TServer::strongIndexArrived(const std::shared_ptr<const StrongIndex> &index)
{
    m_strong = index;
    emit strongIndexBuilt();
    if (std::exchange(m_strongWait, false))
        m_game.computerTick();
}

// The computer's Strong move is due and its index is being built: the move
// and the turn's clock wait for it (a new turn or game ends the wait), so a
// game plays the same whatever the build's speed.
bool TServer::strongMoveWaits()
{
    if (m_strongWait)
        return true;
    const int seat = m_game.currentPlayer();
    if (m_strong || !m_game.inTurn() || !m_game.computerDue() || m_game.computerTicks() > 1
        || riziLevel(seat) != RiziLevel::Strong || !prepareStrong())
        return false;
    computertimer->stop();
    m_strongWait = true;
    return true;
}

std::optional<RiziMove> TServer::strongMove(int seat)
{
    if (!m_strong || (seat != 1 && seat != 2))
        return std::nullopt;
    return m_strong->bestMove(m_game.board(), seat, m_game.usedWords(), [this](const QString &word) {
        try {
            return spell->CheckWord(word);
        } catch (const std::exception &) {
            return false;
        }
    });
}

std::optional<QList<int>> TServer::levelMove(int seat, RiziLevel level)
{
    if (level == RiziLevel::Gentle)
        return m_gentle.move(m_game.board(), seat, [this](const QString &word) { return checkforused(word); },
                             m_random);
    const std::optional<RiziMove> move = strongMove(seat);
    if (!move)
        return std::nullopt;
    return move->positions;
}

ServerGame::ComputerMove TServer::GameHost::computerMove(int seat)
{
    ServerGame::ComputerMove move;
    const RiziLevel level = m_server.riziLevel(seat);
    const std::optional<QList<int>> positions = level == RiziLevel::Classic
        ? m_server.listbox_words.computerplay(
              m_server.board(), seat, [this](const QString &word) { return m_server.checkforused(word); },
              m_server.m_random)
        : m_server.levelMove(seat, level);
    if (positions) {
        move.kind = ServerGame::ComputerMove::Word;
        move.positions = *positions;
    } else {
        // No word found: pass at once rather than sit out the clock.
        move.kind = ServerGame::ComputerMove::Pass;
    }
    return move;
}
