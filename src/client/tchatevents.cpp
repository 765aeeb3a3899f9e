// Tchat: what the server decides during a game — accepted and rejected
// words, locks, time-outs, the end of a round and the winner.

#include "client/tchat.h"

#include "client/glyphoncontext.h"
#include "client/hintcontrol.h"
#include "client/leaveguard.h"
#include "board/tilewidget.h"
#include "board/turnwidgets.h"
#include "windows/tallylist.h"

#include <QFrame>
#include <QLabel>
#include <QPlainTextEdit>
#include <QTextCursor>
#include <QTimer>

using glyphon::FieldReader;
using glyphon::fromWire;

void Tchat::hisword(const QByteArray &data)
{
    FieldReader reader(data);
    const std::optional<int> seat = reader.nextInt();
    const QString word = fromWire(reader.next());
    const QString points = fromWire(reader.next());
    const QString total = fromWire(reader.next());
    if (!seat || *seat < 1 || *seat > playerseats || !glyphon::parseInt(points.toLatin1())
        || !glyphon::parseInt(total.toLatin1()))
        return;

    turntime->stop();
    button_clear->hide();
    button_submit->hide();
    QList<int> taken;
    while (!reader.atEnd()) {
        const std::optional<int> position = reader.nextInt();
        TileWidget *tile = position ? tileAt(*position) : nullptr;
        if (!tile)
            continue;
        boardtiles[*position].owner = *seat;
        tile->setTag(*seat);
        taken.append(*position);
    }
    redrawTiles(m_lastMove.wordAccepted(*seat, taken));
    redrawTiles(taken);
    label_word->clear();
    label_status->setText(playerNameLabel(*seat)->text() + QStringLiteral(" made: ") + word);
    QPlainTextEdit *list = wordList(*seat);
    list->appendPlainText(word + QStringLiteral(" (") + points + QStringLiteral(")"));
    list->moveCursor(QTextCursor::End); // the latest word in view
    list->ensureCursorVisible();
    bonusLabel(*seat)->setText(QStringLiteral("+") + points);
    scoreLabel(*seat)->setText(total);
    realignPlayerRow(*seat);
    showTurnPause();
    playsounds(QStringLiteral("goodword"));
}

void Tchat::invalid(const QByteArray &data)
{
    FieldReader reader(data);
    const std::optional<int> seat = reader.nextInt();
    const QByteArray reason = reader.next();
    const QString word = fromWire(reader.next());
    if (!seat)
        return;
    // The submitter has the turn back, its tiles still chosen.
    whoseturn = *seat;
    if (reason == "1")
        label_status->setText(QStringLiteral("Oops! ") + word + QStringLiteral(" is not a valid word."));
    else if (reason == "2")
        label_status->setText(QStringLiteral("That word has been already been used."));
    else if (reason == "3")
        label_status->setText(QStringLiteral("One of the letters you used is locked."));
    playsounds(QStringLiteral("badword"));
}

void Tchat::lockthemup(const QByteArray &data)
{
    FieldReader reader(data);
    while (!reader.atEnd()) {
        const std::optional<int> position = reader.nextInt();
        const std::optional<int> locked = reader.nextInt();
        if (!position || !locked || !tileAt(*position))
            continue;
        boardtiles[*position].locked = *locked;
        drawtile(*position);
    }
}

void Tchat::timeup(const QByteArray &data)
{
    const std::optional<int> seat = FieldReader(data).nextInt();
    if (!seat)
        return;
    label_status->setText(QStringLiteral("Time is Up."));
    turntime->stop();
    if (*seat == myseat)
        hitclear();
    showTurnPause();
    playsounds(QStringLiteral("timeup"));
}

void Tchat::endround()
{
    label_status->setText(QStringLiteral("Round has ended.. Please Wait."));
    image_Turn1->show();
    image_turn2->show();
    keepPlayerRowReadable(1);
    keepPlayerRowReadable(2);
    playsounds(QStringLiteral("roundover"));
}

void Tchat::winner(const QByteArray &data)
{
    const QString name = fromWire(FieldReader(data).next());
    turntime->stop();
    button_clear->hide();
    button_submit->hide();
    playsounds(QStringLiteral("gameover"));
    m_leave->setGameRunning(false);

    const bool player = myseat >= 1 && myseat <= playerseats;
    const bool iWon = player && playerNameLabel(myseat)->text() == name;
    const QString text = m_hints->withHints(
        iWon ? QStringLiteral("You have Won the Game!") : name + QStringLiteral(" has Won the Game!"), iWon);
    label_winner1->setText(text);
    label_winner2->setText(text);
    label_status->setText(QStringLiteral("Game Over!"));
    statusLine(text);
    panel_winner->show();
    panel_winner->raise();
    if (ishost)
        button_start->show();
    if (player) {
        loadchecklist();
        m_context.tallylist->addgame(iWon ? Ttallylist::AddToMine : name);
    }
}

void Tchat::loadchecklist()
{
    QStringList others;
    for (int seat = 1; seat <= playerseats; ++seat) {
        const QString other = playerNameLabel(seat)->text();
        if (seat != myseat && other != QLatin1String(Waiting))
            others.append(other);
    }
    m_context.tallylist->setCurrentGame(others);
}

void Tchat::ViewTally1Click()
{
    loadchecklist();
    m_context.tallylist->show();
    m_context.tallylist->raise();
}
