#include "board/playercard.h"

#include "artwork/boardtiles.h"
#include "board/fittinglabel.h"
#include "board/readabletext.h"
#include "board/boardscale.h"
#include "board/turnwidgets.h"
#include "board/wordlist.h"

namespace glyphon {

namespace {

QFont arialPixels(int pixels, bool bold)
{
    QFont font(QStringLiteral("Arial"));
    font.setPixelSize(pixels);
    font.setBold(bold);
    return font;
}

FittingLabel *rowLabel(QWidget *parent, const QString &text, const QRect &geometry, int pixels,
                       const QString &objectName)
{
    auto *label = new FittingLabel(text, parent);
    label->setGeometry(geometry);
    label->setFont(arialPixels(pixels, true));
    label->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    label->setObjectName(objectName);
    return label;
}

} // namespace

PlayerCard::PlayerCard(QWidget *parent, int seat, int x, const QString &waiting)
    : marker(new TurnMarker(parent))
    , eyes(new EyesPicture(parent))
    , name(rowLabel(parent, waiting, QRect(x + 31, 40, 80, 24), 15, QStringLiteral("label_playername%1").arg(seat)))
    , score(rowLabel(parent, QStringLiteral("0"), QRect(x + 115, 40, 30, 24), 15,
                     QStringLiteral("label_score%1").arg(seat)))
    , bonus(rowLabel(parent, QStringLiteral("0"), QRect(x + 149, 40, 30, 24), 13, QStringLiteral("label_bonus%1").arg(seat)))
    , words(new WordList(parent))
{
    marker->setGeometry(x, 38, 168, 28);
    marker->hide();
    eyes->setGeometry(x + 5, 47, 23, 10);
    eyes->hide();
    name->setMinimumPixelSize(12);

    words->setObjectName(QStringLiteral("memo_thewords%1").arg(seat));
    words->setGeometry(x, 70, 168, 154);
    words->setReadOnly(true);
    words->setFrameShape(QFrame::NoFrame);
    words->setFont(arialPixels(15, false));
    words->setFocusPolicy(Qt::NoFocus);
    words->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    realign();
}

void PlayerCard::show(const QString &shownName, int points, std::optional<int> lastPoints, bool watching)
{
    name->setText(shownName);
    score->setText(QString::number(points));
    bonus->setText(lastPoints ? QStringLiteral("+%1").arg(*lastPoints) : QString());
    eyes->setVisible(watching);
    realign();
}

void PlayerCard::realign()
{
    for (QLabel *label : {static_cast<QLabel *>(name), static_cast<QLabel *>(score), static_cast<QLabel *>(bonus)})
        label->resize(qMax(1, label->fontMetrics().horizontalAdvance(label->text()) + 2), label->height());
    const int rowEnd = marker->geometry().right() + 1 - 4;
    const int nameRoom = rowEnd - name->x() - 4 - score->width() - 4 - bonus->width();
    if (name->width() > nameRoom)
        name->resize(qMax(24, nameRoom), name->height());
    score->move(name->geometry().right() + 1 + 4, score->y());
    bonus->move(score->geometry().right() + 1 + 4, bonus->y());
    keepReadable();
}

void PlayerCard::keepReadable()
{
    const QList<const QWidget *> under{marker};
    const QColor ink(0x20, 0x1e, 0x4a);
    glyphon::keepReadable(name, {ink}, under);
    glyphon::keepReadable(score, {ink}, under);
    // Green says "points won"; a light green where the marker is dark.
    glyphon::keepReadable(bonus, {QColor(0x15, 0x5e, 0x2b), QColor(0x9b, 0xe8, 0xa8)}, under);
}

void PlayerCard::setListColours(const QColor &background, const QColor &text)
{
    QPalette pal = words->palette();
    pal.setColor(QPalette::Base, background);
    pal.setColor(QPalette::Text, text);
    words->setPalette(pal);
}

void PlayerCard::describe(const QString &who)
{
    name->setAccessibleDescription(QStringLiteral("Name of ") + who);
    score->setAccessibleDescription(QStringLiteral("Score of ") + who);
    bonus->setAccessibleDescription(QStringLiteral("Points of the last word of ") + who);
    marker->setAccessibleName(QStringLiteral("Turn of ") + who);
    eyes->setAccessibleName(who.mid(4, 1).toUpper() + who.mid(5) + QStringLiteral(" is just watching"));
    words->setAccessibleName(QStringLiteral("Words of ") + who);
}

PlayerCards::PlayerCards(QWidget *parent, const TileArt *art, const QString &waiting)
{
    for (int seat = 1; seat <= 2; ++seat) {
        m_cards[seat - 1] = std::make_unique<PlayerCard>(parent, seat, seat == 1 ? 389 : 587, waiting);
        m_cards[seat - 1]->marker->setArt(art);
    }
}

PlayerCards::~PlayerCards() = default;

void PlayerCards::scaleWith(ScaledLayout &scaling)
{
    using namespace boardscale;
    for (int seat = 1; seat <= 2; ++seat) {
        const Rooms onCard = seat == 2 ? SecondCard : Scaled;
        PlayerCard &card = (*this)[seat];
        scaling.add(card.marker, onCard | CardWide);
        scaling.add(card.words, onCard | CardWide);
        // The row's labels fit themselves to their texts once placed.
        for (QWidget *control : {static_cast<QWidget *>(card.eyes), static_cast<QWidget *>(card.name),
                                 static_cast<QWidget *>(card.score), static_cast<QWidget *>(card.bonus)})
            scaling.add(control, onCard);
    }
}

void PlayerCards::showOwnListLight(int mySeat)
{
    const QColor darkBlue(0x44, 0x41, 0x7e); // own text on the light list, other player's list
    const QColor lightGrey(0xc8, 0xc8, 0xca); // own list's background
    const int own = mySeat == 2 ? 2 : 1;
    for (int seat = 1; seat <= 2; ++seat) {
        const bool light = seat == own;
        (*this)[seat].setListColours(light ? lightGrey : darkBlue, light ? darkBlue : lightGrey);
    }
}

void PlayerCards::paintMarkers(int mySeat)
{
    for (int seat = 1; seat <= 2; ++seat) {
        (*this)[seat].marker->setSlot(viewcolour(seat, mySeat));
        (*this)[seat].marker->update(); // the slot may stay while the pictures change
    }
}

void PlayerCards::showTurnOf(int seat, int mySeat)
{
    paintMarkers(mySeat);
    for (int each = 1; each <= 2; ++each)
        (*this)[each].marker->setVisible(each == seat);
    keepReadable();
}

void PlayerCards::showBothMarkers()
{
    for (int seat = 1; seat <= 2; ++seat)
        (*this)[seat].marker->show();
    keepReadable();
}

void PlayerCards::keepReadable()
{
    for (int seat = 1; seat <= 2; ++seat)
        (*this)[seat].keepReadable();
}

void PlayerCards::describe()
{
    (*this)[1].describe(QStringLiteral("the first player"));
    (*this)[2].describe(QStringLiteral("the second player"));
}

} // namespace glyphon
