#pragma once
// The tiles of the last accepted word, which every window outlines in the
// mover's colour. The mark lasts through the turn that follows the word, so
// the player who answers it can see what changed, and goes when a newer
// word is accepted, when the turn after that starts, or with a new board.

#include <QList>
#include <utility>

namespace glyphon {

class LastMove
{
public:
    // Returns the positions marked until now, which lose their mark.
    QList<int> wordAccepted(int seat, const QList<int> &positions)
    {
        QList<int> old = clear();
        m_seat = seat;
        m_positions = positions;
        m_turns = 0;
        return old;
    }
    // A turn starts; returns the positions whose mark ends with it.
    QList<int> turnStarted()
    {
        if (m_positions.isEmpty() || ++m_turns < 2)
            return {};
        return clear();
    }
    QList<int> clear()
    {
        m_seat = 0;
        return std::exchange(m_positions, {});
    }

    bool contains(int position) const { return m_positions.contains(position); }
    int seat() const { return m_seat; }
    const QList<int> &positions() const { return m_positions; }

private:
    QList<int> m_positions;
    int m_seat = 0;
    int m_turns = 0;
};

} // namespace glyphon
