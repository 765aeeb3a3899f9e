#include "board/boardcontrols.h"

#include "board/countdown.h"
#include "board/fittinglabel.h"
#include "board/turnwidgets.h"

#include <QFrame>

#include <algorithm>

namespace glyphon {

namespace {

QFont arialPixels(int pixels)
{
    QFont font(QStringLiteral("Arial"));
    font.setPixelSize(pixels);
    font.setBold(true);
    return font;
}

// Names and words that other players chose: plain text, never cut off.
FittingLabel *makeLabel(QWidget *parent, const QString &text, const QRect &geometry, int pixels,
                        Qt::Alignment alignment = Qt::AlignLeft | Qt::AlignVCenter)
{
    auto *label = new FittingLabel(text, parent);
    label->setGeometry(geometry);
    label->setFont(arialPixels(pixels));
    label->setAlignment(alignment);
    return label;
}

void setTextColour(QWidget *widget, const QColor &colour)
{
    QPalette pal = widget->palette();
    pal.setColor(QPalette::WindowText, colour);
    widget->setPalette(pal);
}

PictureButton *makeButton(QWidget *parent, const QString &caption, QPoint at)
{
    auto *button = new PictureButton(caption, parent);
    button->move(at);
    button->setFocusPolicy(Qt::NoFocus);
    return button;
}

} // namespace

BoardControls::BoardControls(QWidget *parent)
    : roundnum(makeLabel(parent, QStringLiteral("Round: 0"), QRect(52, 38, 130, 18), 13))
    , playtoscore(makeLabel(parent, QStringLiteral("Play to Score: 0"), QRect(196, 38, 140, 18), 13,
                            Qt::AlignRight | Qt::AlignVCenter))
    // Long names and words shrink rather than run off the shelf.
    , status(makeLabel(parent, QStringLiteral("Welcome to Glyphon"), QRect(10, 382, 369, 20), 15, Qt::AlignCenter))
    , word(makeLabel(parent, QString(), QRect(10, 402, 369, 34), 24, Qt::AlignCenter))
    , timer(makeLabel(parent, QStringLiteral("Time: 0:00"), QRect(10, 436, 369, 20), 16, Qt::AlignCenter))
    , timeBar(new TimeBar(parent))
    , clear(makeButton(parent, QStringLiteral("CLEAR"), {26, 483}))
    , submit(makeButton(parent, QStringLiteral("SUBMIT"), {205, 483}))
    // Below the winner panel, so a finished game shows both.
    , start(makeButton(parent, QStringLiteral("START GAME"), {194 - 79, 226}))
    , winnerPanel(new QFrame(parent))
{
    for (FittingLabel *label : {roundnum, playtoscore})
        setTextColour(label, Ink);
    status->setMinimumPixelSize(10);
    status->setObjectName(QStringLiteral("label_status"));
    word->setMinimumPixelSize(14);
    word->setObjectName(QStringLiteral("label_word"));
    word->setCursor(Qt::PointingHandCursor);
    setTextColour(word, QColor(0x2e, 0x3b, 0x50));
    timer->setObjectName(QStringLiteral("label_timer"));
    setTextColour(timer, DarkBlue);
    timeBar->setGeometry(10, 458, 369, 19);
    timeBar->setBarWidth(0);
    clear->hide();
    submit->hide();
    start->setCursor(Qt::PointingHandCursor);

    winnerPanel->setObjectName(QStringLiteral("panel_winner"));
    winnerPanel->setGeometry(5, 166, 379, 41);
    winnerPanel->setFrameShape(QFrame::Box);
    winnerPanel->setLineWidth(1);
    winnerPanel->setAutoFillBackground(true);
    QPalette pal = winnerPanel->palette();
    pal.setColor(QPalette::Window, QColor(0xf4, 0xee, 0xe0));
    pal.setColor(QPalette::WindowText, Ink);
    winnerPanel->setPalette(pal);
    winner2 = makeLabel(winnerPanel, QStringLiteral("Winner!"), QRect(2, 9, 375, 22), 16, Qt::AlignCenter);
    winner1 = makeLabel(winnerPanel, QStringLiteral("Winner!"), QRect(1, 10, 375, 22), 16, Qt::AlignCenter);
    // Both shrink alike, so the shadow stays under the text, and keep clear
    // of the panel's border.
    for (FittingLabel *winner : {winner1, winner2}) {
        winner->setMinimumPixelSize(10);
        winner->setContentsMargins(6, 0, 6, 0);
    }
    setTextColour(winner2, QColor(0x9a, 0x9a, 0x9a));
    setTextColour(winner1, DarkBlue);
    winner1->raise();
    winnerPanel->hide();
}

void BoardControls::setClockColour(const QColor &colour)
{
    setTextColour(timer, colour);
}

void BoardControls::showClock(int seconds, int barstep)
{
    const int shown = std::max(seconds, 0);
    timeBar->setBarWidth(barstep * shown);
    setClockColour(countdownColour(shown));
    timer->setText(countdownText(shown));
}

void BoardControls::showClockAtRest(int turnLength, int barstep)
{
    timeBar->setBarWidth(barstep * std::max(turnLength, 0));
    setClockColour(DarkBlue);
    timer->setText(countdownText(turnLength));
}

void BoardControls::showWinner(const QString &text)
{
    winner1->setText(text);
    winner2->setText(text);
    winnerPanel->show();
    winnerPanel->raise();
}

} // namespace glyphon
