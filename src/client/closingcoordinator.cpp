#include "client/closingcoordinator.h"

#include "protocol/messagepump.h"
#include "protocol/tsock.h"
#include "session/clientsession.h"
#include "session/serverlink.h"
#include "windows/windowutil.h"

#include <QMessageBox>
#include <QWidget>

namespace glyphon {

ClosingCoordinator::ClosingCoordinator(QWidget *window, ClientSession &session)
    : QObject(window)
    , m_window(window)
    , m_session(session)
    , m_pump(session.link()->pump())
{
    connect(m_pump, &MessagePump::rested, this, [this] {
        if (m_connectionClosed)
            closeWhenConnectionEnds();
    });
    // Leaving asks first while the game runs.
    connect(session.game(), &ClientGame::runningChanged, this, [this](bool running) { m_leave.setGameRunning(running); });
    connect(&m_session, &ClientSession::reconnectionGaveUp, this, [this] {
        connectionFailed();
        if (!m_session.game()->iPlay()) {
            // A spectator leaves nobody a seat short: the window stays, with
            // the chat still readable, until the user closes it.
            m_staysAfterLoss = true;
            m_session.link()->socket()->Close();
            const QString lost = QStringLiteral("The connection to the host was lost.");
            emit statusLine(lost);
            showMessage(lost);
            return;
        }
        showMessage(QStringLiteral("The connection to the host could not be restored. The window will close."));
        m_session.link()->socket()->Close();
        scheduleClose();
    });
}

void ClosingCoordinator::showMessage(const QString &text)
{
    QMessageBox box(QMessageBox::NoIcon, QStringLiteral("Glyphon"), text, QMessageBox::Ok, m_window);
    beginModal();
    execOnTop(box);
    endModal();
}

void ClosingCoordinator::beginModal()
{
    if (m_modalDepth++ == 0)
        m_pump->setPaused(true);
}

void ClosingCoordinator::endModal()
{
    --m_modalDepth;
    modalFinished();
}

void ClosingCoordinator::modalFinished()
{
    if (m_modalDepth > 0)
        return;
    if (m_closeAfterModal) {
        m_closeAfterModal = false;
        scheduleClose();
        return;
    }
    if (!m_closing)
        m_pump->setPaused(false); // wakes when messages wait
    if (m_connectionClosed && (m_closing || m_pump->queued() == 0))
        closeWhenConnectionEnds();
}

bool ClosingCoordinator::confirmLeaving()
{
    if (!m_leave.needsQuestion(m_session.isconnected() && m_session.game()->iPlay()))
        return true;
    beginModal();
    const ClientSession::Role role = m_session.role();
    const bool leave = m_leave.askToLeave(m_window, role == ClientSession::Role::Solo   ? LeaveGuard::Role::Solo
                                                    : role == ClientSession::Role::Host ? LeaveGuard::Role::Host
                                                                                        : LeaveGuard::Role::Joiner);
    endModal();
    return leave;
}

bool ClosingCoordinator::mayClose()
{
    return m_closing || m_closeWithoutAsking || confirmLeaving();
}

void ClosingCoordinator::closeAccepted()
{
    m_closing = true;
    m_session.setClosing();
    m_pump->setPaused(true);
}

void ClosingCoordinator::closeWithoutAsking()
{
    m_closeWithoutAsking = true;
    m_window->close();
}

void ClosingCoordinator::scheduleClose()
{
    if (m_closing || m_closeQueued)
        return;
    // A box still on screen closes first; the window follows when it is gone.
    if (m_modalDepth > 0) {
        m_closeAfterModal = true;
        return;
    }
    m_closeWithoutAsking = true;
    m_closeQueued = true;
    QMetaObject::invokeMethod(m_window, &QWidget::close, Qt::QueuedConnection);
}

void ClosingCoordinator::endWithMessage(const QString &text)
{
    if (m_endingWithMessage)
        return;
    m_endingWithMessage = true;
    // Counted as a box already, so nothing closes the window before it shows.
    beginModal();
    QMetaObject::invokeMethod(this, [this, text] {
        --m_modalDepth;
        emit statusLine(text);
        showMessage(text + QStringLiteral(" The window will close."));
        scheduleClose();
    }, Qt::QueuedConnection);
}

void ClosingCoordinator::connectionReported(bool error, bool closed)
{
    if (error)
        m_connectionFailed = true;
    // Messages that arrived before the close are still handled (a "Game is
    // full" box, a last chat line); the window closes once they are done.
    if (closed) {
        m_connectionClosed = true;
        if (m_pump->queued() == 0)
            closeWhenConnectionEnds();
    }
}

void ClosingCoordinator::closeWhenConnectionEnds()
{
    if (m_staysAfterLoss && !m_closing)
        return;
    // An orderly close by the host ends the game for those who joined it;
    // they are told, rather than see the window vanish.
    // A host that left said so first (seat 1 left); a removal comes without
    // a word.
    const bool hostLeft = m_session.seatOneLeft();
    if (!m_session.ishost() && m_session.isconnected() && (!m_connectionFailed || hostLeft) && !m_closing) {
        m_session.setDisconnected();
        QMetaObject::invokeMethod(this, [this, hostLeft] {
            // The window closes when the box is gone (see modalFinished).
            showMessage(hostLeft ? QStringLiteral("The host has ended the game.")
                                 : QStringLiteral("The host has closed your connection."));
        }, Qt::QueuedConnection);
        return;
    }
    scheduleClose();
}

} // namespace glyphon
