#include "client/leaveguard.h"

#include <QMessageBox>

namespace glyphon {

QString LeaveGuard::question(bool host)
{
    return host ? QStringLiteral("A game is in progress. Do you want to leave it? The game ends for everybody.")
                : QStringLiteral("A game is in progress. Do you want to leave it? The computer player takes your seat.");
}

bool LeaveGuard::askToLeave(QWidget *parent, bool host) const
{
    if (m_ask)
        return m_ask(question(host));
    // No is the default: an Enter pressed by chance keeps the game.
    return QMessageBox::question(parent, QStringLiteral("Glyphon"), question(host), QMessageBox::Yes | QMessageBox::No,
                                 QMessageBox::No)
        == QMessageBox::Yes;
}

} // namespace glyphon
