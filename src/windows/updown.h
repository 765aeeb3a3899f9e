#pragma once
// A pair of up/down arrows that steps a number shown in an associated line
// edit. The arrows (and the Up/Down keys and the wheel over the edit) step on
// the increment; a number typed within the range is taken as typed, and
// anything else typed gives way to the last good value when editing ends.

#include <QWidget>

class QLineEdit;
class QToolButton;

namespace glyphon {

class UpDown : public QWidget
{
    Q_OBJECT
public:
    explicit UpDown(QWidget *parent = nullptr);

    void setRange(int minimum, int maximum);
    void setIncrement(int increment);

    // The associated edit shows every position as a plain decimal number.
    void setAssociate(QLineEdit *edit);

    // Sets the position the arrows could have reached nearest to the one
    // given: within the range and on a step from its minimum. A settings file
    // may hold anything, and a game must not start with "-7" to play to.
    void setPosition(int position);
    // Brought into the range only: a value the user typed need not lie on a
    // step.
    void setValue(int value);
    int position() const { return m_position; }
    // Whatever the edit holds now becomes the position, or gives way to it.
    void commitTyped();

    QToolButton *upButton() const { return m_up; }
    QToolButton *downButton() const { return m_down; }

public slots:
    void stepUp();
    void stepDown();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void stepBy(int steps);
    void showPosition();

    QToolButton *m_up;
    QToolButton *m_down;
    QLineEdit *m_associate = nullptr;
    int m_min = 0;
    int m_max = 100;
    int m_increment = 1;
    int m_position = 0;
};

} // namespace glyphon
