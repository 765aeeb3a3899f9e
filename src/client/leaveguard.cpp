#include "client/leaveguard.h"

#include "windows/windowutil.h"

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
    QMessageBox box(QMessageBox::Question, QStringLiteral("Glyphon"), question(host),
                    QMessageBox::Yes | QMessageBox::No, parent);
    box.setDefaultButton(QMessageBox::No);
    return execOnTop(box) == QMessageBox::Yes;
}

} // namespace glyphon
