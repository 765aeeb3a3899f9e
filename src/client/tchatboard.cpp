// Tchat: the board, choosing tiles, the turn and its countdown.

#include "client/tchat.h"

#include "chat/chatinput.h"
#include "board/countdown.h"
#include "chat/colours.h"
#include "client/leaveguard.h"
#include "board/tilewidget.h"
#include "board/turnwidgets.h"
#include "dictionary/letters.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTimer>

#include <algorithm>
#include <limits>

using glyphon::FieldReader;
using glyphon::fromWire;

namespace {

bool isTilePosition(int p)
{
    return p >= 11 && p <= 66 && p / 10 >= 1 && p / 10 <= 6 && p % 10 >= 1 && p % 10 <= 6;
}

QString capitalOf(int letterCode)
{
    QString letter;
    LetterOfCode(letterCode, letter);
    return letter.toUpper();
}

} // namespace

void Tchat::drawtile(int position)
{
    TileWidget *tile = tileAt(position);
    if (!tile)
        return;
    const glyphon::BoardTile &record = boardtiles[position];
    tile->setHolder(tileHolder(record.owner));
    tile->showTile(record, glyphon::viewcolour(record.owner, myseat));
    tile->setLastMoveSlot(m_lastMove.contains(position) ? glyphon::viewcolour(m_lastMove.seat(), myseat) : 0);
}

QString Tchat::tileHolder(int owner) const
{
    if (owner == 0)
        return QStringLiteral("free");
    if (owner == myseat)
        return QStringLiteral("yours");
    if (myseat >= 1 && myseat <= playerseats)
        return QStringLiteral("the opponent's");
    const QLabel *name = playerNameLabel(owner);
    return QStringLiteral("held by ") + (name ? name->text() : QString::number(owner));
}

void Tchat::redrawTiles(const QList<int> &positions)
{
    for (int position : positions)
        drawtile(position);
}

void Tchat::clearall()
{
    for (int seat = 1; seat <= playerseats; ++seat) {
        scoreLabel(seat)->setText(QStringLiteral("0"));
        bonusLabel(seat)->clear();
        realignPlayerRow(seat);
    }
}

void Tchat::startthegame(const QByteArray &data)
{
    FieldReader reader(data);
    const QString starter = fromWire(reader.next());
    const QString playTo = fromWire(reader.next());
    const std::optional<int> length = reader.nextInt();

    turntime->stop();
    button_start->hide();
    JustWatch1->setChecked(false);
    panel_winner->hide();
    clearall();
    label_playtoscore->setText(QStringLiteral("Play to Score: ") + playTo);

    if (myseat > playerseats)
        statusLine(starter + QStringLiteral(" has started a game."));
    else if (playerNameLabel(myseat) && playerNameLabel(myseat)->text() == starter)
        statusLine(QStringLiteral("You have started a game."));
    else
        statusLine(starter + QStringLiteral(" has started a game."));

    if (label_playername2->text() == QLatin1String(Waiting)) {
        label_playername2->setText(playerNameHint(2));
        realignPlayerRow(2);
        statusLine(QStringLiteral("I am Rizi the bot. Good Luck!"));
    }

    label_word->clear();
    turnlength = length.value_or(0);
    m_leave->setGameRunning(true);
    barstep = glyphon::barstep(turnlength);
}

void Tchat::roundstart(const QByteArray &data)
{
    turntime->stop();
    label_roundnum->setText(QStringLiteral("Round: ") + fromWire(FieldReader(data).next()));
    memo_thewords1->clear();
    memo_thewords2->clear();
    boardtiles = {};
    redrawTiles(m_lastMove.clear());
}

void Tchat::theletters(const QByteArray &data)
{
    FieldReader reader(data);
    while (!reader.atEnd()) {
        const std::optional<int> position = reader.nextInt();
        const std::optional<int> letter = reader.nextInt();
        const std::optional<int> value = reader.nextInt();
        if (!position || !letter || !value || !isTilePosition(*position))
            continue;
        glyphon::BoardTile &record = boardtiles[*position];
        record.letter = *letter;
        record.value = *value;
        record.owner = 0;
        record.locked = 0;
        tileAt(*position)->setTag(0);
        drawtile(*position);
    }
}

void Tchat::showTurnOf(int seat)
{
    paintTurnMarkers();
    image_Turn1->hide();
    image_turn2->hide();
    if (TurnMarker *marker = turnMarker(seat))
        marker->show();
    keepPlayerRowReadable(1);
    keepPlayerRowReadable(2);
    if (QLabel *name = playerNameLabel(seat); name && name->text() == QLatin1String(Waiting)) {
        name->setText(playerNameHint(seat));
        realignPlayerRow(seat);
    }
}

void Tchat::announceOwnTurnOrOther()
{
    if (myTurn()) {
        label_status->setText(QStringLiteral("Your Turn."));
        playsounds(settings.turnSoundName());
        button_clear->show();
        button_submit->show();
        // The keyboard spells at once, unless a chat line is half typed:
        // the rest of the sentence would become a word. The window's own
        // focus is asked, so this holds while another window is active too.
        const bool typingChat = focusWidget() == mychat && !mychat->text().isEmpty()
            && mychat->text() != QLatin1String(Placeholder);
        if (!typingChat)
            panel_board->setFocus(Qt::OtherFocusReason);
        // The task bar flags the window when the user is looking elsewhere.
        if (!isActiveWindow())
            QApplication::alert(this);
    } else if (QLabel *name = playerNameLabel(whoseturn)) {
        label_status->setText(name->text() + QStringLiteral("'s turn."));
    }
}

void Tchat::restartTurnTimer()
{
    turntime->stop();
    turntime->start();
}

void Tchat::getnextplayer(const QByteArray &data)
{
    const std::optional<int> seat = FieldReader(data).nextInt();
    if (!seat)
        return;
    button_clear->hide();
    button_submit->hide();
    whoseturn = *seat;
    m_refusedLetter = QChar();
    m_toldTooEarly = false;
    label_bonus1->clear();
    label_bonus2->clear();
    redrawTiles(m_lastMove.turnStarted());
    showTurnOf(whoseturn);
    announceOwnTurnOrOther();
    theword.clear();
    wordcount = 0;
    timeleft = turnlength;
    restartTurnTimer();
}

void Tchat::loadstats(const QByteArray &data)
{
    FieldReader reader(data);
    std::optional<int> fields[9];
    QByteArray texts[9];
    for (int i = 0; i < 9; ++i) {
        texts[i] = reader.next();
        fields[i] = glyphon::parseInt(texts[i]);
    }
    // recipient, score 1, score 2, turn length, play-to, round, pause ticks,
    // pending action, seat in turn
    if (!fields[0] || !fields[3] || !fields[6] || !fields[7] || !fields[8])
        return;
    // Whatever was on show belongs to before: the host's state replaces it
    // at once, buttons, clock and word included.
    turntime->stop();
    button_clear->hide();
    button_submit->hide();
    label_score1->setText(fromWire(texts[1]));
    label_score2->setText(fromWire(texts[2]));
    label_playtoscore->setText(QStringLiteral("Play to Score: ") + fromWire(texts[4]));
    label_roundnum->setText(QStringLiteral("Round: ") + fromWire(texts[5]));
    // The server counts four ticks more than the turn itself. A count at
    // the bottom of the int range must not wrap round into a long turn.
    timeleft = int(std::max<qint64>(qint64(*fields[6]) - 4, std::numeric_limits<int>::min()));
    whoseturn = *fields[8];
    // A newcomer does not know which word came last.
    redrawTiles(m_lastMove.clear());

    while (!reader.atEnd()) {
        const std::optional<int> position = reader.nextInt();
        const std::optional<int> letter = reader.nextInt();
        const std::optional<int> owner = reader.nextInt();
        const std::optional<int> value = reader.nextInt();
        const std::optional<int> locked = reader.nextInt();
        if (!position || !letter || !owner || !value || !locked || !isTilePosition(*position))
            continue;
        glyphon::BoardTile &record = boardtiles[*position];
        record.letter = *letter;
        record.owner = *owner;
        record.value = *value;
        record.locked = *locked;
        drawtile(*position);
    }

    // Tiles chosen before the message go back, in their holders' colours now.
    putBackChosenTiles();
    label_word->clear();
    wordcount = 0;

    turnlength = *fields[3];
    barstep = glyphon::barstep(turnlength);
    m_leave->setGameRunning(true);
    realignPlayerRow(1);
    realignPlayerRow(2);
    showTurnOf(whoseturn);
    if (*fields[7] == 4) {
        announceOwnTurnOrOther();
        showClock();
        restartTurnTimer();
    } else {
        showTurnPause();
        label_status->setText(QStringLiteral("Please wait for the next turn."));
    }
}

void Tchat::showClock()
{
    const int shown = std::max(timeleft, 0);
    image_timer->setBarWidth(barstep * shown);
    QPalette pal = label_timer->palette();
    pal.setColor(QPalette::WindowText, glyphon::countdownColour(shown));
    label_timer->setPalette(pal);
    label_timer->setText(glyphon::countdownText(shown));
}

void Tchat::showTurnPause()
{
    // Nobody plays until the next turn message; the clock shows the full
    // time of the turn to come in its resting colour, not the last turn's
    // seconds in red.
    whoseturn = 0;
    turntime->stop();
    button_clear->hide();
    button_submit->hide();
    image_timer->setBarWidth(barstep * std::max(turnlength, 0));
    QPalette pal = label_timer->palette();
    pal.setColor(QPalette::WindowText, glyphon::toQColor(DarkBlue));
    label_timer->setPalette(pal);
    label_timer->setText(glyphon::countdownText(turnlength));
}

void Tchat::image_word51MouseUp(TileWidget *sender, Qt::MouseButton button)
{
    if (refuseWhileReconnecting())
        return;
    if (!myTurn())
        return;
    if (button == Qt::RightButton) {
        hitdone();
        return;
    }
    if (sender->tag() == 4)
        return;
    if (wordcount >= MaxWordTiles)
        return; // the server reads no more than this
    const int position = sender->hint().toInt();
    if (!isTilePosition(position))
        return;
    const glyphon::BoardTile &record = boardtiles[position];
    if (record.owner != myseat && record.locked == 1) {
        playsounds(QStringLiteral("badword"));
        showMessageBox(QStringLiteral("letter is locked"));
        return;
    }
    sender->setTag(4);
    sender->showGap();
    theword.append(sender->hint());
    ++wordcount;
    label_word->setText(label_word->text() + capitalOf(record.letter));
}

void Tchat::label_wordClick()
{
    if (!myTurn()) {
        button_submit->hide();
        button_clear->hide();
        return;
    }
    if (wordcount == 0)
        return;
    putBackTile(theword.takeLast().toInt());
    QString word = label_word->text();
    word.chop(1);
    label_word->setText(word);
    --wordcount;
    playsounds(QStringLiteral("clear"));
}

// A chosen tile (a gap on the board) shows its letter again.
void Tchat::putBackTile(int position)
{
    if (TileWidget *tile = tileAt(position)) {
        tile->setTag(boardtiles[position].owner);
        drawtile(position);
    }
}

void Tchat::putBackChosenTiles()
{
    for (const QString &place : std::as_const(theword))
        putBackTile(place.toInt());
    theword.clear();
}

void Tchat::hitclear()
{
    if (!myTurn()) {
        button_submit->hide();
        button_clear->hide();
    }
    if (wordcount == 0)
        return;
    putBackChosenTiles();
    label_word->clear();
    wordcount = 0;
    playsounds(QStringLiteral("clear"));
}

void Tchat::hitdone()
{
    m_refusedLetter = QChar(); // SUBMIT, or a second Enter: the user means it
    if (!myTurn()) {
        button_submit->hide();
        button_clear->hide();
        return;
    }
    if (wordcount < 2) {
        showMessageBox(QStringLiteral("You must create a word first"));
        return;
    }
    if (isconnected) {
        QList<QByteArray> fields{glyphon::number(myseat)};
        for (const QString &place : std::as_const(theword))
            fields.append(place.toLatin1());
        sendMessage(glyphon::buildMessage("CMD_submitit", fields));
    }
    // No more input until the server answers.
    whoseturn = 0;
}

void Tchat::turntimeTimer()
{
    const glyphon::CountdownTick tick = glyphon::countdownTick(timeleft, barstep);
    timeleft = tick.timeleft;
    image_timer->setBarWidth(std::min(tick.barWidth, TimeBar::FullWidth));
    if (tick.expired) {
        label_timer->setText(tick.text);
        whoseturn = 0;
        return;
    }
    QPalette pal = label_timer->palette();
    pal.setColor(QPalette::WindowText, tick.colour);
    label_timer->setPalette(pal);
    if (tick.ticks)
        playsounds(QStringLiteral("tick"));
    label_timer->setText(tick.text);
}
