#include "windows/windowutil.h"

#include <QDate>
#include <QEvent>
#include <QFontMetrics>
#include <QPointer>
#include <QGuiApplication>
#include <QLinearGradient>
#include <QMessageBox>
#include <QPainter>
#include <QPolygonF>
#include <QScreen>
#include <QTimer>
#include <QWidget>

namespace glyphon {

void paintPaper(QPainter &p, const QRect &area)
{
    p.save();
    QLinearGradient paper(0, area.top(), 0, area.bottom() + 1);
    paper.setColorAt(0.0, QColor(0xf4, 0xee, 0xe0));
    paper.setColorAt(1.0, QColor(0xdc, 0xd0, 0xb6));
    p.fillRect(area, paper);

    // Woven diamonds, barely there, to give the paper some texture.
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(120, 96, 60, 14));
    for (int y = 0; y < area.height() + 16; y += 16) {
        for (int x = ((y / 16) % 2) * 16; x < area.width() + 32; x += 32) {
            const QPointF c(area.left() + x, area.top() + y);
            p.drawPolygon(QPolygonF({c + QPointF(0, -5), c + QPointF(5, 0), c + QPointF(0, 5), c + QPointF(-5, 0)}));
        }
    }
    p.restore();
}

namespace {

// Keeps a window centred on its parent while the parent is being placed.
class ParentFollower : public QObject
{
public:
    static constexpr int PlacingMs = 2000;
    static constexpr const char *Name = "glyphon_parentfollower";

    explicit ParentFollower(QWidget *window)
        : QObject(window)
        , m_window(window)
        , m_parent(window->parentWidget()->window())
    {
        setObjectName(QLatin1String(Name));
        m_parent->installEventFilter(this);
        QTimer::singleShot(PlacingMs, this, &QObject::deleteLater);
    }

    ~ParentFollower() override
    {
        if (m_parent)
            m_parent->removeEventFilter(this);
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (watched == m_parent && m_window->isVisible()
            && (event->type() == QEvent::Move || event->type() == QEvent::Resize))
            centreOnParent(m_window);
        return false;
    }

private:
    QWidget *m_window;
    QPointer<QWidget> m_parent;
};

void followParentWhilePlaced(QWidget *window)
{
    if (window->parentWidget() && !window->findChild<QObject *>(QLatin1String(ParentFollower::Name), Qt::FindDirectChildrenOnly))
        new ParentFollower(window);
}

} // namespace

void centreOnParentWhilePlaced(QWidget *window)
{
    if (!window)
        return;
    centreOnParent(window);
    followParentWhilePlaced(window);
}

int captionWidth(const QWidget *window)
{
    QFont title = window->font();
    title.setBold(true);
    title.setPointSizeF(title.pointSizeF() * 1.1);
    // The icon on the left, three buttons on the right, and the borders.
    constexpr int Decoration = 140;
    return QFontMetrics(title).horizontalAdvance(window->windowTitle()) + Decoration;
}

int execOnTop(QMessageBox &box)
{
    // Qt centres it on its window when it shows; a box at start-up may come
    // before that window has found its place, so it follows.
    followParentWhilePlaced(&box);
    box.setWindowModality(Qt::ApplicationModal);
    box.setWindowFlag(Qt::WindowStaysOnTopHint, true);
    // Once it is mapped: a window manager may otherwise leave the keyboard
    // with the window that had it.
    QTimer::singleShot(0, &box, [&box] {
        box.raise();
        box.activateWindow();
    });
    return box.exec();
}

void centreOnParent(QWidget *window)
{
    if (!window)
        return;
    QRect area;
    if (QWidget *parent = window->parentWidget()) {
        area = parent->window()->frameGeometry();
    } else {
        QScreen *screen = window->screen() ? window->screen() : QGuiApplication::primaryScreen();
        if (!screen)
            return;
        area = screen->availableGeometry();
    }
    QRect frame = window->frameGeometry();
    // Before the first show the frame is not known yet; the client size is
    // the best estimate and keeps the window centred within a few pixels.
    if (!window->isVisible())
        frame.setSize(window->size());
    frame.moveCenter(area.center());
    window->move(frame.topLeft());
}

QString currentYearText()
{
    return QString::number(QDate::currentDate().year());
}

} // namespace glyphon
