#include "windows/updown.h"

#include <QKeyEvent>
#include <QLineEdit>
#include <QRegularExpressionValidator>
#include <QToolButton>
#include <QVBoxLayout>
#include <QWheelEvent>

#include <algorithm>

namespace glyphon {

UpDown::UpDown(QWidget *parent)
    : QWidget(parent)
    , m_up(new QToolButton(this))
    , m_down(new QToolButton(this))
{
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    for (QToolButton *button : {m_up, m_down}) {
        button->setAutoRepeat(true);
        button->setFocusPolicy(Qt::NoFocus);
        button->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Expanding);
        button->setFixedWidth(18);
        layout->addWidget(button);
    }
    m_up->setArrowType(Qt::UpArrow);
    m_down->setArrowType(Qt::DownArrow);
    connect(m_up, &QToolButton::clicked, this, &UpDown::stepUp);
    connect(m_down, &QToolButton::clicked, this, &UpDown::stepDown);
}

void UpDown::setRange(int minimum, int maximum)
{
    m_min = minimum;
    m_max = qMax(minimum, maximum);
}

void UpDown::setIncrement(int increment)
{
    m_increment = qMax(1, increment);
}

void UpDown::setAssociate(QLineEdit *edit)
{
    if (m_associate) {
        m_associate->removeEventFilter(this);
        m_associate->disconnect(this);
    }
    m_associate = edit;
    if (m_associate) {
        // Digits only, and no more than the largest value needs: a pasted
        // text of another kind does not get in at all. A regular expression
        // rather than an integer validator, which would hold back the end of
        // editing on a number still below the range.
        const int digits = int(QString::number(qMax(qAbs(m_min), qAbs(m_max))).size());
        m_associate->setValidator(new QRegularExpressionValidator(
            QRegularExpression(QStringLiteral("[0-9]{0,%1}").arg(digits)), m_associate));
        m_associate->installEventFilter(this);
        connect(m_associate, &QLineEdit::editingFinished, this, &UpDown::commitTyped);
        showPosition();
    }
}

void UpDown::commitTyped()
{
    // Only the value at the end counts: "1050" passes through 105 on its way.
    bool ok = false;
    const int value = m_associate ? m_associate->text().toInt(&ok) : 0;
    if (ok && value >= m_min && value <= m_max)
        m_position = value;
    showPosition();
}

void UpDown::setValue(int value)
{
    m_position = std::clamp(value, m_min, m_max);
    showPosition();
}

void UpDown::setPosition(int position)
{
    // 64-bit, so that positions near the ends of int cannot overflow.
    const qint64 clamped = std::clamp<qint64>(position, m_min, m_max);
    const qint64 steps = (clamped - m_min + m_increment / 2) / m_increment;
    m_position = int(std::min<qint64>(m_min + steps * m_increment, m_max));
    showPosition();
}

void UpDown::stepUp()
{
    stepBy(1);
}

void UpDown::stepDown()
{
    stepBy(-1);
}

void UpDown::stepBy(int steps)
{
    // From a typed value between two steps, the first step goes to the
    // neighbouring one on that side.
    commitTyped();
    const qint64 offset = qint64(m_position) - m_min;
    const qint64 below = offset / m_increment;
    const qint64 from = steps < 0 && offset % m_increment != 0 ? below + 1 : below;
    const qint64 target = m_min + (from + steps) * m_increment;
    setPosition(int(std::clamp<qint64>(target, m_min, m_max)));
}

void UpDown::showPosition()
{
    if (m_associate)
        m_associate->setText(QString::number(m_position));
}

bool UpDown::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_associate && isEnabled()) {
        if (event->type() == QEvent::KeyPress) {
            const int key = static_cast<QKeyEvent *>(event)->key();
            if (key == Qt::Key_Up || key == Qt::Key_Down) {
                stepBy(key == Qt::Key_Up ? 1 : -1);
                return true;
            }
        } else if (event->type() == QEvent::Wheel) {
            const int delta = static_cast<QWheelEvent *>(event)->angleDelta().y();
            if (delta != 0) {
                stepBy(delta > 0 ? 1 : -1);
                return true;
            }
        }
    }
    return QWidget::eventFilter(watched, event);
}

} // namespace glyphon
