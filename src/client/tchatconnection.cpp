// Tchat: command line, hosting and joining, login, framing and dispatch,
// players arriving and leaving.

#include "client/tchat.h"

#include "client/glyphoncontext.h"
#include "client/closingcoordinator.h"
#include "client/mainmenus.h"
#include "client/playwithotherscoordinator.h"
#include "client/windowsettings.h"
#include "client/hintcontrol.h"
#include "client/seatcontrol.h"
#include "session/serverlink.h"
#include "session/clientsession.h"
#include "board/playercard.h"
#include "board/turnwidgets.h"
#include "protocol/tsock.h"
#include "server/hosting.h"
#include "windows/download.h"
#include "windows/gamestart.h"
#include "windows/spylist.h"

#include <QAction>
#include <QLabel>
#include <QTimer>
#include <QUrl>
#include <utility>


using glyphon::fromWire;
using glyphon::toWire;

void Tchat::processparams()
{
    button_start->hide();
    m_menus->StartGame1->setEnabled(false);
    // One parameter with a colon is a glyphon:// link from a web page or the
    // desktop: a solo game starts as without one, and Play with Others asks
    // for the name to join with (or says the link cannot be read). A name
    // alone still leaves the window idle.
    const bool link = m_params.size() == 1 && m_params.constFirst().contains(QLatin1Char(':'));
    const QString linkText = link ? m_params.takeFirst() : QString();
    if (m_params.isEmpty()) {
        statusLine(QStringLiteral("Loading Solo Game..Please wait."));
        // The lobby's window stays on top: it would hide the one a link
        // opens, which offers the same choices.
        if (!link)
            m_context.download->show();
        m_session->setSolo();
        hostpress();
        if (link)
            m_lobby->openLink(linkText);
        return;
    }
    statusLine(QStringLiteral("Loading Multi-player Game.. Please Wait."));
    if (m_params.size() < 3)
        return; // a name and an address alone leave the window idle
    m_session->setPlayer(m_params.at(0), m_params.at(1));
    if (m_params.at(2) == QLatin1String("true"))
        hostpress();
    else
        joinpress();
    // The lobby's line: whether it connects makes no difference.
    try {
        Sock11->Open();
    } catch (const std::exception &) {
    }
}

void Tchat::hostpress()
{
    glyphon::Hosting &host = *m_context.hosting;
    try {
        if (m_params.isEmpty()) {
            const glyphon::ClientConfig &config = m_context.config;
            host.listenSolo(config.portGiven ? std::optional(config.gamePortNumber()) : std::nullopt);
        } else {
            host.listen();
        }
    } catch (const ESockException &) {
        // Mostly a second copy, or another program, on the same port. The
        // window stays, unconnected, so that the user can host elsewhere.
        const QString text = QStringLiteral("Cannot host a game: another program already uses port %1. Close "
                                            "the other program, or host on another port (Play with Others).")
                                 .arg(host.portName());
        statusLine(text);
        // Not from inside start-up: the box waits for its answer.
        QMetaObject::invokeMethod(this, [this, text] { showMessageBox(text); }, Qt::QueuedConnection);
        return;
    }
    m_hints->attach(&host);
    // A solo game is nobody else's business; a copy hosting for others is
    // announced, and its port opened on the router if the user wants that.
    if (!m_params.isEmpty() && !m_hosting) {
        m_hosting = &host;
        connect(m_hosting, &glyphon::Hosting::statusLine, this, &Tchat::statusLine);
        const glyphon::LobbySettings lobby = glyphon::LobbySettings::load(m_windowSettings->store());
        glyphon::Hosting::Reach reach;
        reach.openPort = OpenPortOnRouter1->isChecked();
        if (lobby.listOnLobby && lobby.lobbyAddress.isEmpty())
            statusLine(QStringLiteral("The game is not listed on the internet lobby: no lobby is set "
                                      "(Options \u25B8 Internet Lobby...)."));
        else if (lobby.listOnLobby)
            reach.lobby = QUrl(lobby.lobbyAddress);
        m_hosting->start(reach);
    }
    m_session->connectToOwnHost(QString::number(host.port()));
    // The own window plays seat 1, even when a joiner's connection is accepted first.
    host.reserveOwnSeat(m_session->link()->socket()->localPort());
    button_start->show();
    m_menus->StartGame1->setEnabled(true);
    m_context.spylist->setRemoveEnabled(true);
}

void Tchat::joinpress()
{
    m_session->join();
    button_start->hide();
    m_menus->StartGame1->setEnabled(false);
}

void Tchat::PlayWithOthers1Click()
{
    // Going to another game leaves this one: asked as leaving is.
    if (m_closer->confirmLeaving())
        m_lobby->open();
}

// The session has logged in at the seat offered.
void Tchat::sendloginfo(const glyphon::SeatNews &news)
{
    m_cards->paintMarkers(news.who.seat);
    // Seat 1 starts the game, wherever the host is: a host with no window
    // of its own has nobody else to do it.
    if (news.who.seat == 1) {
        m_menus->StartGame1->setEnabled(true);
        if (!m_game->running())
            button_start->show();
    }
}

void Tchat::sockInfo(TSocketInfo info, const QString &msg)
{
    // What reconnecting and a joiner without a seat take never comes here.
    if (m_closer->endingWithMessage())
        return; // the box says what happened; the window closes after it
    m_closer->connectionReported(info == TSocketInfo::Error, msg == QLatin1String("Socket Closed"));
}

void Tchat::processsocktimer(const QByteArray &message)
{
    m_session->dispatch(message);
}

void Tchat::showSeatNews(const glyphon::SeatNews &news)
{
    switch (news.kind) {
    case glyphon::SeatNews::LoggedIn:
        sendloginfo(news);
        break;
    case glyphon::SeatNews::Arrived:
        newplayerinfo(news);
        break;
    case glyphon::SeatNews::Left:
        playerdisconnected(news);
        break;
    case glyphon::SeatNews::Watching:
        justwatching(news);
        break;
    }
}

// CMD_newplayerinfo and CMD_existingplayers: one for each seat listed.
void Tchat::newplayerinfo(const glyphon::SeatNews &news)
{
    const glyphon::msg::SeatEntry &entry = news.who;
    const QString name = fromWire(entry.name);
    if (news.me) {
        statusLine(QStringLiteral("You are Connected."));
        if (news.firstTime)
            loadinifile();
        m_cards->showOwnListLight(m_game->mySeat());
        if (glyphon::ClientGame::isPlayerSeat(entry.seat))
            m_seats->setOwnJustWatching(entry.watching);
    } else {
        statusLine(name + QStringLiteral(" is Connected."));
    }
    if (!glyphon::ClientGame::isPlayerSeat(entry.seat))
        statusLine(news.me ? QStringLiteral("You are spying.") : name + QStringLiteral(" is spying."));
}

void Tchat::playerdisconnected(const glyphon::SeatNews &news)
{
    const QString name = fromWire(news.who.name);
    if (glyphon::ClientGame::isPlayerSeat(news.who.seat))
        statusLine(name + QStringLiteral(" disconnected."));
    else
        statusLine(name + QStringLiteral(" has left."));
}

void Tchat::gameisfull()
{
    showMessageBox(QStringLiteral("Game is full"));
    close();
}

void Tchat::justwatching(const glyphon::SeatNews &news)
{
    const QString name = shownName(news.who.seat);
    if (news.me)
        m_seats->setOwnJustWatching(news.who.watching);
    if (news.who.watching)
        statusLine(name + QStringLiteral(" is just watching"));
    else
        statusLine(name + QStringLiteral(" is now playing again"));
}

void Tchat::button_startClick()
{
    if (!isconnected()) {
        showMessageBox(QStringLiteral("You are not connected"));
        return;
    }
    m_context.gamestart->show();
    m_context.gamestart->raise();
    m_context.gamestart->activateWindow();
}

void Tchat::startGameRequested(const QString &scoreText, const QString &timeText)
{
    // Remembered for the session, so the dialog offers them again.
    if (const auto score = glyphon::parseInt(scoreText.toLatin1()))
        settings.playToScore = *score;
    if (const auto time = glyphon::parseInt(timeText.toLatin1()))
        settings.timePerTurn = *time;
    m_session->requestStart(scoreText, timeText);
    saveinifile();
}

void Tchat::Exit1Click()
{
    close();
}

void Tchat::bindSession()
{
    using glyphon::ClientSession;
    glyphon::ServerLink *link = m_session->link();
    sock = link->socket();
    Sock11 = link->lobbySocket();
    Timer1 = link->pump()->timer();
    connect(m_session, &ClientSession::socketInfo, this, &Tchat::sockInfo);
    connect(m_session, &ClientSession::sessionEnded, this, [this](const QString &text) { m_closer->endWithMessage(text); });
    connect(m_session, &ClientSession::wordChanged, this, [this](const QList<int> &positions) {
        label_word->setText(m_session->wordText());
        redrawTiles(positions);
        if (const QString refusal = std::exchange(m_refusalShown, {});
            !refusal.isEmpty() && label_status->text() == refusal)
            label_status->setText(myTurn() ? QStringLiteral("Your Turn.") : QString());
    });
    connect(m_session, &ClientSession::statusLine, this, &Tchat::statusLine);
    connect(m_session, &ClientSession::soundCue, this, &Tchat::playsounds);
    connect(m_session, &ClientSession::refusal, this, &Tchat::showMessageBox);
    connect(m_session, &ClientSession::chatLine, this, &Tchat::chatrecieved);
    connect(m_session, &ClientSession::soundPlayed, this, &Tchat::playasound);
    connect(m_session, &ClientSession::seatNews, this, &Tchat::showSeatNews);
    connect(m_session, &ClientSession::turnNews, this, &Tchat::showTurnNews);
    connect(m_session, &ClientSession::gameNews, this, &Tchat::showGameNews);
}

bool Tchat::isconnected() const
{
    return m_session->isconnected();
}

bool Tchat::ishost() const
{
    return m_session->ishost();
}

QString Tchat::myname() const
{
    return m_session->myname();
}

QString Tchat::hostaddress() const
{
    return m_session->hostaddress();
}

glyphon::ClientGame *Tchat::game() const
{
    return m_game;
}

bool Tchat::myTurn() const
{
    return m_game->myTurn();
}
