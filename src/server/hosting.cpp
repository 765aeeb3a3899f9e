#include "server/hosting.h"

#include "core/messages.h"
#include "net/lobbyregistration.h"
#include "protocol/gamelink.h"
#include "protocol/wire.h"
#include "protocol/peertext.h"
#include "server/serverannouncement.h"
#include "server/soloport.h"
#include "server/tserver.h"

#include <QElapsedTimer>
#include <QNetworkInterface>
#include <QSysInfo>

#include <utility>

namespace glyphon {

namespace {

const char16_t SeeHelp[] = u"see Help \u25B8 Connecting";

// Addresses no one on the internet can reach: private, shared by a
// provider's own router (the forwarding then does not help), link-local, or
// kept for documentation and test networks, which the internet never routes.
bool unreachableFromInternet(const QString &text)
{
    const QHostAddress a(text);
    for (const char *net : {"10.0.0.0/8", "100.64.0.0/10", "172.16.0.0/12", "192.168.0.0/16", "169.254.0.0/16",
                            "192.0.2.0/24", "198.51.100.0/24", "203.0.113.0/24"}) {
        if (a.isInSubnet(QHostAddress::parseSubnet(QString::fromLatin1(net))))
            return true;
    }
    return false;
}

} // namespace

Hosting::Hosting(const HostConfig &config, const lan::DiscoveryConfig &discovery, Reader reader, QObject *parent)
    : QObject(parent)
    , m_reader(reader)
    , m_discovery(discovery)
    , m_server(std::make_unique<TServer>(config))
    , m_announcement(std::make_unique<ServerAnnouncement>(*m_server, discovery))
{
    setMapper(std::make_unique<PortMapper>());
    m_realRouter = true;
    TServer *server = m_server.get();
    // Without a window of its own, nobody at the table is the host.
    server->setSeatOneHosts(reader == Reader::Window);
    connect(server, &TServer::gameStarted, this, [this] {
        emit gameStarted();
        emit hintChanged();
    });
    connect(server, &TServer::turnStarted, this, &Hosting::hintChanged);
    connect(server, &TServer::timeUp, this, &Hosting::hintChanged);
    connect(server, &TServer::wordAccepted, this, &Hosting::hintChanged);
    connect(server, &TServer::roundEnded, this, &Hosting::hintChanged);
    connect(server, &TServer::gameWon, this, &Hosting::hintChanged);
    connect(server, &TServer::playerArrived, this, &Hosting::hintChanged);
    connect(server, &TServer::seatFreed, this, &Hosting::hintChanged);
    connect(server, &TServer::strongIndexBuilt, this, &Hosting::hintReady);
    // Queued: the server signals from inside its handler, mid-change.
    connect(server, &TServer::playerArrived, this, &Hosting::refreshLobby, Qt::QueuedConnection);
    connect(server, &TServer::gameStarted, this, &Hosting::refreshLobby, Qt::QueuedConnection);
    connect(server, &TServer::seatFreed, this, &Hosting::refreshLobby, Qt::QueuedConnection);
    connect(server, &TServer::gameWon, this, &Hosting::refreshLobby, Qt::QueuedConnection);
    m_cap.setSingleShot(true);
    m_cap.setTimerType(Qt::PreciseTimer); // "at most" the cap, not 5 % either way
    connect(&m_cap, &QTimer::timeout, this, &Hosting::finishNow);
}

Hosting::~Hosting()
{
    tellSeatsTheHostLeaves();
}

// The host's own window leaves with it: the others hear that seat 1 left
// before their connections close, so that they can tell the host's end
// from their own removal, which comes without a word.
void Hosting::tellSeatsTheHostLeaves()
{
    if (!m_server || m_reader != Reader::Window || m_saidGoodbye)
        return;
    m_saidGoodbye = true;
    const TSeat &own = m_server->seats[1];
    if (!own.connected || !own.loggedin)
        return;
    const QByteArray left = msg::PlayerDisconnected{1, own.name}.encode();
    for (int seat = 2; seat <= TServer::SeatCount; ++seat)
        m_server->sendTo(seat, left);
}

void Hosting::setMapper(std::unique_ptr<PortMapper> mapper)
{
    if (m_started)
        return;
    m_mapper = std::move(mapper);
    m_realRouter = false;
    connect(m_mapper.get(), &PortMapper::stateChanged, this, &Hosting::mappingChanged);
}

TServer &Hosting::server()
{
    Q_ASSERT(m_server);
    return *m_server;
}

void Hosting::listen()
{
    m_server->Sock1->setListen(true);
}

void Hosting::listenSolo(std::optional<quint16> wanted)
{
    listenForSoloGame(*m_server->Sock1, wanted);
}

bool Hosting::listening() const
{
    return m_server && m_server->Sock1->Listen();
}

quint16 Hosting::port() const
{
    return listening() ? m_server->Sock1->localPort() : 0;
}

QString Hosting::portName() const
{
    return m_server ? m_server->Sock1->PortName() : QString();
}

void Hosting::stopAccepting()
{
    if (m_server)
        m_server->Sock1->setListen(false);
}

QString Hosting::localAddress()
{
    for (const QNetworkInterface &iface : QNetworkInterface::allInterfaces()) {
        const auto flags = iface.flags();
        if (!(flags & QNetworkInterface::IsUp) || !(flags & QNetworkInterface::IsRunning)
            || (flags & QNetworkInterface::IsLoopBack))
            continue;
        for (const QNetworkAddressEntry &entry : iface.addressEntries()) {
            if (entry.ip().protocol() == QAbstractSocket::IPv4Protocol && !entry.ip().isLinkLocal())
                return entry.ip().toString();
        }
    }
    return {};
}

QString Hosting::withPort(const QString &address) const
{
    // No colon: the chat pane sets off what comes before a line's first
    // colon as a speaker's name (a link's "://" it knows to leave alone).
    return m_port == 7772 ? address : QStringLiteral("%1, port %2").arg(address).arg(m_port);
}

void Hosting::start(const Reach &reach)
{
    if (m_started || !m_server)
        return;
    m_started = true;
    m_port = port();
    m_announced = reach.announce;
    if (reach.announce)
        m_announcement->start();
    if (m_reader == Reader::Window) {
        const QString local = localAddress();
        if (local.isEmpty())
            emit statusLine(QStringLiteral("This computer has no network address: only players on this computer "
                                           "can join."));
        else
            emit statusLine(QStringLiteral("Players on your network find this game in Play with Others, or join "
                                           "at %1 or by the link %2")
                                .arg(withPort(local), gameLink(local, m_port)));
    }
    m_mapper->setPort(m_port);
    setOpenPort(reach.openPort);
    m_lobby = reach.lobby;
    startLobby();
}

void Hosting::setOpenPort(bool on)
{
    if (!m_started)
        return;
    const bool window = m_reader == Reader::Window;
    if (on && m_discovery.loopbackOnly && m_realRouter) {
        emit statusLine(window ? QStringLiteral("The router is not asked for a port here (GLYPHON_LOOPBACK_ONLY is set).")
                               : QStringLiteral("Not asking the router for a port: GLYPHON_LOOPBACK_ONLY is set."));
        return;
    }
    if (!on && window && m_mapper->state() == PortMapper::State::Unmapped) {
        emit statusLine(QStringLiteral("Open Port on Router is off: friends on the internet can join only if port "
                                       "%1 is forwarded to this computer by hand (%2).")
                            .arg(m_port).arg(QStringView(SeeHelp)));
    }
    m_mapper->setEnabled(on);
}

void Hosting::reserveOwnSeat(quint16 peerPort)
{
    if (m_server)
        m_server->reserveSeatFor(peerPort);
}

void Hosting::setBotSpeed(int ms)
{
    if (m_server)
        m_server->setBotSpeed(ms);
}

void Hosting::setRiziLevel(RiziLevel level)
{
    for (int seat : {1, 2})
        setRiziLevel(seat, level);
}

void Hosting::setRiziLevel(int seat, RiziLevel level)
{
    if (m_server)
        m_server->setRiziLevel(seat, level);
}

bool Hosting::hintAvailable(int seat) const
{
    if (!m_server || (seat != 1 && seat != 2))
        return false;
    const TSeat &other = m_server->seats[seat == 1 ? 2 : 1];
    // Somebody else plays: a hint would be help against a person.
    if (other.connected && !other.watching)
        return false;
    return m_server->game().inTurn() && m_server->game().currentPlayer() == seat && !m_server->seats[seat].watching;
}

bool Hosting::hintPending()
{
    return m_server && !m_server->strongIndex() && m_server->prepareStrong();
}

std::optional<QList<int>> Hosting::hintTiles(int seat)
{
    if (!m_server)
        return std::nullopt;
    const std::optional<RiziMove> move = m_server->strongMove(seat);
    if (!move)
        return std::nullopt;
    return move->positions;
}

QString Hosting::whyNotReachable(const QString &localAddress, PortMapper::State state, const QString &publicAddress,
                                 const QString &openPortHint)
{
    if (!localAddress.isEmpty() && !unreachableFromInternet(localAddress))
        return {};
    switch (state) {
    case PortMapper::State::Mapping:
        return QStringLiteral("your router has not answered yet, and this computer has no public address");
    case PortMapper::State::Mapped:
        if (!unreachableFromInternet(publicAddress))
            return {};
        return QStringLiteral("your router's own outside address %1 is private, so players on the internet could "
                              "not reach the game").arg(publicAddress);
    case PortMapper::State::Error:
        return QStringLiteral("your router did not open the port, and this computer has no public address");
    case PortMapper::State::Unmapped:
    case PortMapper::State::Unmapping:
        break;
    }
    return QStringLiteral("this computer has no public address and the router has not opened the port (%1)")
        .arg(openPortHint);
}

QString Hosting::reachNow() const
{
    const QString hint = m_reader == Reader::Window ? QStringLiteral("Options \u25B8 Open Port on Router")
                                                    : QStringLiteral("--open-port");
    return whyNotReachable(localAddress(), m_mapper->state(), m_mapper->publicAddress(), hint);
}

void Hosting::startLobby()
{
    if (m_lobby.isEmpty())
        return;
    m_registration = std::make_unique<LobbyRegistration>(m_lobby);
    m_registration->setVersion(QString::fromLatin1(VersionText));
    const QString machine = QSysInfo::machineHostName();
    m_registration->setFallbackName(m_reader == Reader::Console && !machine.isEmpty() ? machine
                                                                                      : QStringLiteral("Glyphon"));
    connect(m_registration.get(), &LobbyRegistration::registered, this, &Hosting::lobbyRegistered);
    connect(m_registration.get(), &LobbyRegistration::refused, this, &Hosting::lobbyRefused);
    m_lobbyReach = reachNow();
    refreshLobby();
    m_registration->start();
}

// The lobby has the game; its probe decides whether it lists it, and the
// line says what that probe will find.
void Hosting::lobbyRegistered(const QString &id)
{
    m_lobbyRefusal.clear();
    m_lobbyReach = reachNow();
    const QString where = m_lobby.toDisplayString(QUrl::RemoveUserInfo);
    if (m_reader == Reader::Console) {
        emit statusLine(QStringLiteral("Listed on the lobby %1 as game %2").arg(where, id));
        if (!m_lobbyReach.isEmpty())
            emit statusLine(QStringLiteral("The lobby %1 lists the game only once players on the internet can "
                                           "reach it: %2").arg(where, m_lobbyReach));
    } else if (m_lobbyReach.isEmpty()) {
        emit statusLine(QStringLiteral("The game is listed on the internet lobby %1: players anywhere find it in "
                                       "Play with Others.").arg(where));
    } else {
        emit statusLine(QStringLiteral("The internet lobby %1 lists the game only once players on the internet can "
                                       "reach it: %2.").arg(where, m_lobbyReach));
    }
}

void Hosting::lobbyRefused(const QString &why)
{
    // One line per reason until the lobby takes the game again.
    if (why == std::exchange(m_lobbyRefusal, why))
        return;
    const QString where = m_lobby.toDisplayString(QUrl::RemoveUserInfo);
    emit statusLine(m_reader == Reader::Console
                        ? QStringLiteral("The lobby %1 does not list the game: %2").arg(where, logText(why))
                        : QStringLiteral("The internet lobby %1 does not list the game (%2).").arg(where, why));
}

// The router's answer changes what the lobby's probe finds. Once the port
// is open the game registers anew, so that the lobby probes it at once
// rather than at its next look a minute later.
void Hosting::reachChanged()
{
    if (!m_registration || !m_registration->started())
        return;
    const QString why = reachNow();
    if (why == m_lobbyReach)
        return;
    m_lobbyReach = why;
    if (why.isEmpty()) {
        m_registration->registerAgain(); // its answer says so
        return;
    }
    if (!m_registration->listed())
        return; // said when the lobby answers
    const QString where = m_lobby.toDisplayString(QUrl::RemoveUserInfo);
    emit statusLine(m_reader == Reader::Console
                        ? QStringLiteral("The lobby %1 lists the game only once players on the internet can reach "
                                         "it: %2").arg(where, why)
                        : QStringLiteral("The internet lobby %1 lists the game only once players on the internet can "
                                         "reach it: %2.").arg(where, why));
}

void Hosting::refreshLobby()
{
    if (!m_registration || !m_server)
        return;
    LanGame game = describeGame(*m_server);
    if (m_announced)
        game.id = m_announcement->announcer().id(); // one row where both lists are heard
    m_registration->setGame(game);
}

void Hosting::mappingChanged(PortMapper::State state)
{
    // Once hosting has ended the router's last answers are not worth a line.
    if (!m_started)
        return;
    if (m_reader == Reader::Window) {
        const quint16 port = m_port;
        switch (state) {
        case PortMapper::State::Mapping:
            emit statusLine(QStringLiteral("Asking your router to open port %1 for friends on the internet...")
                                .arg(port));
            break;
        case PortMapper::State::Mapped: {
            const QString address = m_mapper->publicAddress();
            emit statusLine(QStringLiteral("Friends on the internet can join at %1 or by the link %2")
                                .arg(withPort(address), gameLink(address, port)));
            if (unreachableFromInternet(address))
                emit statusLine(QStringLiteral("But %1 is itself a private address: your provider puts another "
                                               "router in front of yours, so friends on the internet may still not "
                                               "reach you (%2).").arg(address, QStringView(SeeHelp)));
            break;
        }
        case PortMapper::State::Error:
            emit statusLine(QStringLiteral("Your router did not open port %1 (%2). Friends on the internet can join "
                                           "only if the port is forwarded to this computer by hand (%3).")
                                .arg(port).arg(m_mapper->errorString(), QStringView(SeeHelp)));
            break;
        case PortMapper::State::Unmapped:
            emit statusLine(QStringLiteral("Your router no longer forwards port %1.").arg(port));
            break;
        case PortMapper::State::Unmapping:
            break;
        }
    }
    reachChanged();
}

void Hosting::shutDown()
{
    if (m_shuttingDown)
        return;
    m_shuttingDown = true;
    m_started = false;
    // The last datagram takes the game off others' lists at once; then the
    // port and every connection close without a word, so that another copy
    // can host on the port straight away.
    m_announcement.reset();
    tellSeatsTheHostLeaves();
    m_server.reset();
    m_cap.start(ShutDownCapMs);
    // Counted first: a router that answers at once is done inside the call.
    m_goodbyes = m_registration ? 2 : 1;
    connect(m_mapper.get(), &PortMapper::finished, this, &Hosting::goodbyeDone, Qt::SingleShotConnection);
    m_mapper->finishAsync();
    if (m_registration) {
        connect(m_registration.get(), &LobbyRegistration::finished, this, &Hosting::goodbyeDone,
                Qt::SingleShotConnection);
        m_registration->finishAsync(ShutDownCapMs);
    }
}

void Hosting::shutDownWhenSent()
{
    if (m_shuttingDown || !m_server)
        return shutDown();
    auto *wait = new QTimer(this);
    auto clock = std::make_shared<QElapsedTimer>();
    clock->start();
    connect(wait, &QTimer::timeout, this, [this, wait, clock] {
        if (m_server && m_server->pendingOutput() > 0 && clock->elapsed() < LastLinesMs)
            return;
        wait->deleteLater();
        shutDown();
    });
    wait->start(10);
}

void Hosting::goodbyeDone()
{
    if (--m_goodbyes == 0)
        finishNow();
}

void Hosting::finishNow()
{
    if (m_finished)
        return;
    m_finished = true;
    m_cap.stop();
    emit finished();
}

} // namespace glyphon
