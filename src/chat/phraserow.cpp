#include "chat/phraserow.h"

#include <QAction>
#include <QElapsedTimer>
#include <QEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QToolButton>
#include <algorithm>
#include <cmath>
#include <memory>

namespace glyphon {

namespace {

constexpr int RowY = 231;
constexpr std::array<int, PhraseRow::PhraseCount + 1> RowX{420, 451, 482, 513, 544, 576, 607, 638, 669, 700};
constexpr int PictureWidth = 21;
constexpr int PictureHeight = 15;

const char *const Phrases[PhraseRow::PhraseCount] = {
    "Way To Go!", "Good One!", "Nice Try!", "Excellent!", "Brilliant!",
    "Wow, WTG!", "Thanks!", "Way To Go Teamie!", "Good Game Everyone!",
};

const char *const SoundCaptions[PhraseRow::SoundCount] = {
    "Doh", "Cough", "Hello", "Thank You", "Where have you been?",
    "Snoring", "Sneezing", "Sorry", "Welcome", "Yeehaa",
    "Yippee", "Oh No", "Applause", "Honk", "Oooh",
    "Razzberry", "Cheer", "Woman Laughing", "Man Laughing", "Crying",
};

QPainterPath arrowUp(qreal x, qreal y, qreal w, qreal h)
{
    QPainterPath p;
    p.moveTo(x + w / 2, y);
    p.lineTo(x + w, y + h * 0.5);
    p.lineTo(x + w * 0.68, y + h * 0.5);
    p.lineTo(x + w * 0.68, y + h);
    p.lineTo(x + w * 0.32, y + h);
    p.lineTo(x + w * 0.32, y + h * 0.5);
    p.lineTo(x, y + h * 0.5);
    p.closeSubpath();
    return p;
}

QPainterPath star(QPointF centre, qreal outer, qreal inner)
{
    QPainterPath p;
    for (int i = 0; i < 10; ++i) {
        const qreal r = i % 2 ? inner : outer;
        const qreal a = -M_PI / 2 + i * M_PI / 5;
        const QPointF point(centre.x() + r * std::cos(a), centre.y() + r * std::sin(a));
        i ? p.lineTo(point) : p.moveTo(point);
    }
    p.closeSubpath();
    return p;
}

void drawSymbol(QPainter &p, int number)
{
    const QColor ink(0x44, 0x42, 0x7e);
    const QColor gold(0xe0, 0xa8, 0x20);
    const QColor green(0x2e, 0x8b, 0x46);
    const QColor red(0xc8, 0x30, 0x3a);
    p.setPen(Qt::NoPen);
    switch (number) {
    case 1:
        p.setBrush(green);
        p.drawPath(arrowUp(6, 1.5, 9, 12));
        break;
    case 2: {
        p.setPen(QPen(green, 2.4, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        p.drawPolyline(QPolygonF({QPointF(5.5, 7.5), QPointF(9, 11.5), QPointF(15.5, 3)}));
        break;
    }
    case 3: {
        p.setPen(QPen(ink, 1.8, Qt::SolidLine, Qt::RoundCap));
        p.setBrush(Qt::NoBrush);
        p.drawEllipse(QRectF(4, 2, 11, 11));
        p.drawLine(QPointF(13.5, 11.5), QPointF(17, 13.5));
        break;
    }
    case 4:
        p.setBrush(gold);
        p.drawPath(star(QPointF(10.5, 8), 6.8, 2.8));
        break;
    case 5: {
        p.setPen(QPen(gold, 1.4, Qt::SolidLine, Qt::RoundCap));
        for (int i = 0; i < 8; ++i) {
            const qreal a = i * M_PI / 4;
            p.drawLine(QPointF(10.5 + 4.2 * std::cos(a), 7.5 + 4.2 * std::sin(a)),
                       QPointF(10.5 + 6.6 * std::cos(a), 7.5 + 6.6 * std::sin(a)));
        }
        p.setPen(Qt::NoPen);
        p.setBrush(gold);
        p.drawEllipse(QPointF(10.5, 7.5), 3.2, 3.2);
        break;
    }
    case 6:
        p.setBrush(red);
        p.drawRoundedRect(QRectF(9, 1.5, 3, 8.5), 1.2, 1.2);
        p.drawEllipse(QPointF(10.5, 12.5), 1.7, 1.7);
        break;
    case 7: {
        QPainterPath heart;
        heart.moveTo(10.5, 13.5);
        heart.cubicTo(3, 8.5, 4, 1.5, 10.5, 4.5);
        heart.cubicTo(17, 1.5, 18, 8.5, 10.5, 13.5);
        p.setBrush(red);
        p.drawPath(heart);
        break;
    }
    case 8:
        p.setBrush(green);
        p.drawPath(arrowUp(2.5, 2.5, 8, 11));
        p.drawPath(arrowUp(10.5, 1.5, 8, 11));
        break;
    case 9: {
        QFont f(QStringLiteral("Arial"));
        f.setPixelSize(10);
        f.setBold(true);
        p.setFont(f);
        p.setPen(ink);
        p.drawText(QRectF(0, 0, PictureWidth, PictureHeight), Qt::AlignCenter, QStringLiteral("GG"));
        break;
    }
    default: {
        // Two quavers joined by a beam: the chatter sounds.
        p.setBrush(ink);
        p.drawEllipse(QPointF(6.5, 11.5), 2.6, 2);
        p.drawEllipse(QPointF(14.5, 10), 2.6, 2);
        p.setPen(QPen(ink, 1.3));
        p.drawLine(QPointF(8.8, 11.3), QPointF(8.8, 2.8));
        p.drawLine(QPointF(16.8, 9.8), QPointF(16.8, 1.3));
        p.setPen(QPen(ink, 2.4));
        p.drawLine(QPointF(8.8, 3.2), QPointF(16.8, 1.7));
        break;
    }
    }
}

} // namespace

PhraseRow::PhraseRow(QWidget *parent)
    : QObject(parent)
{
    m_clock = [timer = std::make_shared<QElapsedTimer>()] {
        if (!timer->isValid())
            timer->start();
        return timer->elapsed();
    };
    const QStringList phrases = defaultPhrases();
    for (int n = 1; n <= PhraseCount + 1; ++n) {
        auto *button = new QToolButton(parent);
        button->setObjectName(QStringLiteral("b_phrase%1").arg(n));
        button->setGeometry(RowX[n - 1], RowY, 25, 19);
        button->setAutoRaise(true);
        button->setFocusPolicy(Qt::NoFocus);
        if (n <= PhraseCount) {
            button->setToolTip(phrases.at(n - 1));
            // A picture button says nothing to a screen reader by itself.
            button->setAccessibleName(phrases.at(n - 1));
            connect(button, &QToolButton::clicked, this, [this, n] { emit phraseClicked(n); });
        } else {
            button->setToolTip(QStringLiteral("Chatter Sounds"));
            button->setAccessibleName(QStringLiteral("Chatter sound"));
            // Released over the button with any mouse button, as a click
            // would only report the left one.
            button->installEventFilter(this);
        }
        m_buttons[n - 1] = button;
    }
    fitPictures();

    popup_sounds = new QMenu(parent);
    popup_sounds->setObjectName(QStringLiteral("popup_sounds"));
    QAction *cancel = popup_sounds->addAction(QStringLiteral("<Cancel>"));
    cancel->setData(0);
    for (int n = 1; n <= SoundCount; ++n) {
        QAction *item = popup_sounds->addAction(soundCaption(n));
        item->setObjectName(QStringLiteral("wave%1").arg(n));
        item->setData(n);
    }
    connect(popup_sounds, &QMenu::triggered, this, [this](QAction *item) { emit soundChosen(item->data().toInt()); });
}

QStringList PhraseRow::defaultPhrases()
{
    QStringList list;
    for (const char *phrase : Phrases)
        list << QString::fromLatin1(phrase);
    return list;
}

QString PhraseRow::soundCaption(int number)
{
    if (number < 1 || number > SoundCount)
        return {};
    return QString::fromLatin1(SoundCaptions[number - 1]);
}

QString PhraseRow::captionOfSound(const QString &name) const
{
    for (QAction *item : popup_sounds->actions())
        if (!item->objectName().isEmpty() && item->objectName().compare(name, Qt::CaseInsensitive) == 0)
            return item->text();
    return {};
}

QToolButton *PhraseRow::button(int number) const
{
    return number >= 1 && number <= PhraseCount + 1 ? m_buttons[number - 1] : nullptr;
}

QString PhraseRow::phrase(int number) const
{
    return number >= 1 && number <= PhraseCount ? m_buttons[number - 1]->toolTip() : QString();
}

void PhraseRow::setPhrase(int number, const QString &text)
{
    if (number >= 1 && number <= PhraseCount) {
        m_buttons[number - 1]->setToolTip(text);
        m_buttons[number - 1]->setAccessibleName(text);
    }
}

QStringList PhraseRow::phrases() const
{
    QStringList list;
    for (int n = 1; n <= PhraseCount; ++n)
        list << phrase(n);
    return list;
}

bool PhraseRow::takePhrase()
{
    const qint64 now = m_clock();
    if (m_blocked && now - m_blockedSince < BlockMs)
        return false;
    m_blocked = true;
    m_blockedSince = now;
    return true;
}

void PhraseRow::popUpSounds()
{
    QToolButton *chatter = m_buttons[PhraseCount];
    popup_sounds->popup(chatter->mapToGlobal(QPoint(chatter->width(), chatter->height())));
}

void PhraseRow::fitPictures()
{
    // The button's frame takes 2 pixels on each side, whatever its size.
    const QSize room = m_buttons[0]->size() - QSize(4, 4);
    const qreal factor = std::max(0.25, std::min(qreal(room.width()) / PictureWidth, qreal(room.height()) / PictureHeight));
    const QSize shown(qRound(PictureWidth * factor), qRound(PictureHeight * factor));
    for (int n = 1; n <= PhraseCount + 1; ++n) {
        // Sharp on ordinary and high-resolution screens alike: an icon never
        // enlarges its pictures, so each is drawn at the size shown.
        QIcon icon;
        for (const qreal ratio : {1.0, 2.0}) {
            // Scaled by the painter: a device pixel ratio below 1 would not
            // shrink the drawing, only cut it.
            QPixmap pixmap(shown * ratio);
            pixmap.fill(Qt::transparent);
            QPainter p(&pixmap);
            p.setRenderHint(QPainter::Antialiasing);
            p.scale(factor * ratio, factor * ratio);
            drawSymbol(p, n);
            p.end();
            pixmap.setDevicePixelRatio(ratio);
            icon.addPixmap(pixmap);
        }
        m_buttons[n - 1]->setIcon(icon);
        m_buttons[n - 1]->setIconSize(shown);
    }
}

QPixmap PhraseRow::picture(int number, qreal devicePixelRatio)
{
    QPixmap pixmap(QSize(qRound(PictureWidth * devicePixelRatio), qRound(PictureHeight * devicePixelRatio)));
    pixmap.setDevicePixelRatio(devicePixelRatio);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    drawSymbol(p, number);
    return pixmap;
}

bool PhraseRow::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_buttons[PhraseCount] && event->type() == QEvent::MouseButtonRelease) {
        auto *mouse = static_cast<QMouseEvent *>(event);
        if (m_buttons[PhraseCount]->rect().contains(mouse->position().toPoint()))
            emit chatterButtonReleased();
    }
    return QObject::eventFilter(watched, event);
}

} // namespace glyphon
