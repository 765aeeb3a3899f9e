#include "client/leaveguard.h"

#include "windows/windowutil.h"

#include <QMessageBox>

namespace glyphon {

QString LeaveGuard::question(Role role)
{
    switch (role) {
    case Role::Solo:
        return QStringLiteral("A game is in progress. Do you want to leave it?");
    case Role::Host:
        return QStringLiteral("A game is in progress. Do you want to leave it? The game ends for everybody.");
    case Role::Joiner:
        break;
    }
    return QStringLiteral("A game is in progress. Do you want to leave it? The computer player takes your seat.");
}

bool LeaveGuard::askToLeave(QWidget *parent, Role role) const
{
    if (m_ask)
        return m_ask(question(role));
    // No is the default: an Enter pressed by chance keeps the game.
    QMessageBox box(QMessageBox::Question, QStringLiteral("Glyphon"), question(role),
                    QMessageBox::Yes | QMessageBox::No, parent);
    box.setDefaultButton(QMessageBox::No);
    return execOnTop(box) == QMessageBox::Yes;
}

} // namespace glyphon
