// Word submission, scoring, locks and the computer player's turn.

#include "server/tserver.h"

#include "dictionary/tdictn.h"

#include <QTimer>

using namespace glyphon;

void TServer::submitit(int fromSeat, const QByteArray &data)
{
    FieldReader fields(data);
    if (fields.nextInt() != fromSeat)
        return;
    // Only the player whose turn is running may change the board.
    if (!gameon || pendingAction != TimeUp || fromSeat != currentplayer)
        return;
    const int seat = fromSeat;

    // Positions up to the first one that cannot be part of a word: not a
    // tile, used twice, or beyond the longest submission read.
    QList<int> positions;
    bool malformed = false;
    while (!fields.atEnd()) {
        const std::optional<int> p = fields.nextInt();
        if (!p || !isTilePosition(*p) || positions.contains(*p) || positions.size() >= MaxSubmissionTiles) {
            malformed = true;
            break;
        }
        positions.append(*p);
    }

    const Board::Reading reading = board.read(seat, positions);
    if (reading.outcome == Board::Reading::Locked) {
        reject(seat, LockedTile, reading.word);
        return;
    }
    bool known = false;
    if (!malformed) {
        try {
            known = spell->CheckWord(reading.word);
        } catch (const std::exception &) {
            known = false; // an unreadable word file knows no words
        }
    }
    if (!known) {
        reject(seat, NotAWord, reading.word);
        return;
    }
    if (checkforused(reading.word)) {
        reject(seat, AlreadyPlayed, reading.word);
        return;
    }

    usedwords.append(reading.word);
    seats[seat].score += reading.points;
    board.take(seat, positions);
    QList<QByteArray> out;
    out << number(seat) << toWire(reading.word.toUpper()) << number(reading.points) << number(seats[seat].score);
    for (int p : positions)
        out << number(p);
    broadcast(buildMessage("CMD_hisword", out));
    emit wordAccepted(seat, reading.word, reading.points);

    lockthemup();
    if (checkforfull())
        endround();
    else
        setPace(NextTurn, 2);
}

void TServer::reject(int seat, int reason, const QString &word)
{
    if (seats[seat].connected)
        sendTo(seat, buildMessage("CMD_invalid", {number(seat), number(reason), toWire(word), QByteArray()}));
    emit wordRejected(seat, reason, word);
}

bool TServer::checkforused(const QString &word) const
{
    return usedwords.contains(word);
}

void TServer::lockthemup()
{
    const QList<QPair<int, int>> changes = board.lockthemup();
    if (changes.isEmpty())
        return;
    QList<QByteArray> fields;
    for (const auto &change : changes)
        fields << number(change.first) << number(change.second);
    broadcast(buildMessage("CMD_lockthemup", fields));
}

bool TServer::checkforfull() const
{
    return board.checkforfull();
}

void TServer::computertimerTimer()
{
    --botcount;
    if (botcount >= 1)
        return;
    computertimer->stop();
    if (botAction == BotMove) {
        botAction = NoAction;
        computerplay(currentplayer);
    }
}

void TServer::computerplay(int seat)
{
    // One submission per turn, whatever the check then decides.
    if (m_botMovedTurn == m_turnSerial || !gameon || pendingAction != TimeUp || seat != currentplayer)
        return;
    m_botMovedTurn = m_turnSerial;
    const RiziLevel level = riziLevel(seat);
    const std::optional<QList<int>> move = level == RiziLevel::Classic
        ? listbox_words.computerplay(board, seat, [this](const QString &word) { return checkforused(word); })
        : levelMove(seat, level);
    if (!move) {
        // The other levels know when they pass: the turn ends at once
        // rather than by its time running out.
        if (level != RiziLevel::Classic)
            timeup();
        return;
    }
    QByteArray data = number(seat);
    for (int p : *move)
        data += '+' + number(p);
    m_computerMoving = true;
    submitit(seat, data);
    m_computerMoving = false;
}
