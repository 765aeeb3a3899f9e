#pragma once
// Whether the main window may close: a player who leaves a running game
// hands the seat to the computer player, so the player is asked first.

#include <QString>
#include <functional>

class QWidget;

namespace glyphon {

class LeaveGuard
{
public:
    // Answers the question; true to leave. Tests put their own in place.
    using Ask = std::function<bool(const QString &question)>;

    // The host's leaving ends the game for everybody; a joiner's hands its
    // seat to the computer player; a solo game has nobody else to tell of.
    enum class Role { Solo, Host, Joiner };
    static QString question(Role role);

    void setAsk(Ask ask) { m_ask = std::move(ask); }
    void setGameRunning(bool running) { m_running = running; }
    bool gameRunning() const { return m_running; }

    // Whether leaving needs a question: only a player in a running game.
    bool needsQuestion(bool isPlayer) const { return m_running && isPlayer; }
    // Asks (a Yes/No box over parent unless an Ask was set); true to leave.
    bool askToLeave(QWidget *parent, Role role) const;

private:
    bool m_running = false;
    Ask m_ask;
};

} // namespace glyphon
