#include "client/hostingcoordinator.h"

#include "net/lobbyregistration.h"
#include "protocol/gamelink.h"
#include "protocol/wire.h"
#include "server/serverannouncement.h"
#include "server/tserver.h"

#include <QNetworkInterface>

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

HostingCoordinator::HostingCoordinator(TServer &server, const lan::DiscoveryConfig &discovery, QObject *parent,
                                       std::unique_ptr<PortMapper> mapper)
    : QObject(parent)
    , m_server(server)
    , m_discovery(discovery)
    , m_announcement(std::make_unique<ServerAnnouncement>(server, discovery))
    , m_realRouter(!mapper)
    , m_mapper(mapper ? std::move(mapper) : std::make_unique<PortMapper>())
{
    connect(m_mapper.get(), &PortMapper::stateChanged, this, &HostingCoordinator::mappingChanged);
    // The program's server may go before the window that owns this: hosting
    // ends with it, and nothing here may reach for it afterwards.
    connect(&server, &QObject::destroyed, this, &HostingCoordinator::stop);
    // Queued: the server signals from inside its handler, mid-change.
    connect(&server, &TServer::playerArrived, this, &HostingCoordinator::refreshLobby, Qt::QueuedConnection);
    connect(&server, &TServer::gameStarted, this, &HostingCoordinator::refreshLobby, Qt::QueuedConnection);
    connect(&server, &TServer::seatFreed, this, &HostingCoordinator::refreshLobby, Qt::QueuedConnection);
    connect(&server, &TServer::gameWon, this, &HostingCoordinator::refreshLobby, Qt::QueuedConnection);
}

HostingCoordinator::~HostingCoordinator()
{
    stop();
}

QString HostingCoordinator::localAddress()
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

QString HostingCoordinator::withPort(const QString &address) const
{
    // No colon: the chat pane sets off what comes before a line's first
    // colon as a speaker's name (a link's "://" it knows to leave alone).
    const quint16 port = m_port;
    return port == 7772 ? address : QStringLiteral("%1, port %2").arg(address).arg(port);
}

void HostingCoordinator::start(bool openPort)
{
    if (m_started)
        return;
    m_started = true;
    m_port = m_server.Sock1->localPort();
    m_announcement->start();
    const QString local = localAddress();
    if (local.isEmpty())
        emit statusLine(QStringLiteral("This computer has no network address: only players on this computer can join."));
    else
        emit statusLine(QStringLiteral("Players on your network find this game in Play with Others, or join at %1 "
                                       "or by the link %2")
                            .arg(withPort(local), gameLink(local, m_port)));
    m_mapper->setPort(m_port);
    setOpenPort(openPort);
    listWhenReachable();
}

std::optional<QString> HostingCoordinator::whyNotReachable(const QString &localAddress, PortMapper::State state,
                                                           const QString &publicAddress)
{
    if (!localAddress.isEmpty() && !unreachableFromInternet(localAddress))
        return QString();
    switch (state) {
    case PortMapper::State::Mapping:
        return std::nullopt;
    case PortMapper::State::Mapped:
        if (!unreachableFromInternet(publicAddress))
            return QString();
        return QStringLiteral("your router's own outside address %1 is private, so players on the internet could "
                              "not reach the game").arg(publicAddress);
    case PortMapper::State::Error:
        return QStringLiteral("your router did not open the port, and this computer has no public address");
    case PortMapper::State::Unmapped:
    case PortMapper::State::Unmapping:
        break;
    }
    return QStringLiteral("this computer has no public address and the router has not opened the port "
                          "(Options \u25B8 Open Port on Router)");
}

bool HostingCoordinator::listedOnLobby() const
{
    return m_registration && m_registration->listed();
}

// The lobby lists only what it can reach: registering sooner would only be
// refused, and the chat pane says which of the two is missing.
void HostingCoordinator::listWhenReachable()
{
    if (!m_started || m_lobby.isEmpty() || (m_registration && m_registration->started()))
        return;
    const std::optional<QString> whyNot = whyNotReachable(localAddress(), m_mapper->state(), m_mapper->publicAddress());
    if (!whyNot)
        return; // the router's answer decides
    if (!whyNot->isEmpty()) {
        if (*whyNot != std::exchange(m_lobbyWhyNot, *whyNot))
            emit statusLine(QStringLiteral("The game is not listed on the internet lobby: %1.").arg(*whyNot));
        return;
    }
    if (!m_registration) {
        m_registration = std::make_unique<LobbyRegistration>(m_lobby);
        m_registration->setVersion(QString::fromLatin1(VersionText));
        m_registration->setFallbackName(QStringLiteral("Glyphon"));
        const QString where = m_lobby.toDisplayString(QUrl::RemoveUserInfo);
        connect(m_registration.get(), &LobbyRegistration::registered, this, [this, where] {
            m_lobbyWhyNot.clear();
            emit statusLine(QStringLiteral("The game is listed on the internet lobby %1: players anywhere find it in "
                                           "Play with Others.").arg(where));
        });
        connect(m_registration.get(), &LobbyRegistration::refused, this, [this, where](const QString &why) {
            if (why != std::exchange(m_lobbyWhyNot, why))
                emit statusLine(QStringLiteral("The internet lobby %1 does not list the game (%2).").arg(where, why));
        });
    }
    refreshLobby();
    m_registration->start();
}

// The router closed the port again: a game listed through it leaves the
// lobby now, not at the lobby's next probe a minute later.
void HostingCoordinator::withdrawWhenUnreachable()
{
    if (!m_registration || !m_registration->started())
        return;
    const std::optional<QString> whyNot = whyNotReachable(localAddress(), m_mapper->state(), m_mapper->publicAddress());
    if (!whyNot || whyNot->isEmpty())
        return;
    m_registration->withdraw();
    m_lobbyWhyNot = *whyNot;
    emit statusLine(QStringLiteral("The game left the internet lobby: %1.").arg(*whyNot));
}

void HostingCoordinator::refreshLobby()
{
    if (!m_registration || !m_started)
        return;
    LanGame game = describeGame(m_server);
    game.id = m_announcement->announcer().id(); // one row where both lists are heard
    m_registration->setGame(game);
}

void HostingCoordinator::setOpenPort(bool on)
{
    if (!m_started)
        return;
    if (on && m_discovery.loopbackOnly && m_realRouter) {
        emit statusLine(QStringLiteral("The router is not asked for a port here (GLYPHON_LOOPBACK_ONLY is set)."));
        return;
    }
    if (!on && m_mapper->state() == PortMapper::State::Unmapped) {
        emit statusLine(QStringLiteral("Open Port on Router is off: friends on the internet can join only if port "
                                       "%1 is forwarded to this computer by hand (%2).")
                            .arg(m_port).arg(QStringView(SeeHelp)));
    }
    m_mapper->setEnabled(on);
}

void HostingCoordinator::stop()
{
    if (!m_started)
        return;
    m_started = false;
    m_announcement->stop();
    if (m_registration) {
        m_registration->finish(3000);
        m_registration.reset();
    }
    m_mapper->finish(3000);
}

void HostingCoordinator::mappingChanged(PortMapper::State state)
{
    // Once hosting has stopped the window is closing or gone: the router's
    // last answers are not worth a line.
    if (!m_started)
        return;
    const quint16 port = m_port;
    switch (state) {
    case PortMapper::State::Mapping:
        emit statusLine(QStringLiteral("Asking your router to open port %1 for friends on the internet...").arg(port));
        break;
    case PortMapper::State::Mapped: {
        const QString address = m_mapper->publicAddress();
        emit statusLine(QStringLiteral("Friends on the internet can join at %1 or by the link %2")
                            .arg(withPort(address), gameLink(address, port)));
        if (unreachableFromInternet(address))
            emit statusLine(QStringLiteral("But %1 is itself a private address: your provider puts another router in "
                                           "front of yours, so friends on the internet may still not reach you (%2).")
                                .arg(address, QStringView(SeeHelp)));
        listWhenReachable();
        break;
    }
    case PortMapper::State::Error:
        emit statusLine(QStringLiteral("Your router did not open port %1 (%2). Friends on the internet can join only "
                                       "if the port is forwarded to this computer by hand (%3).")
                            .arg(port).arg(m_mapper->errorString(), QStringView(SeeHelp)));
        withdrawWhenUnreachable();
        listWhenReachable();
        break;
    case PortMapper::State::Unmapped:
        emit statusLine(QStringLiteral("Your router no longer forwards port %1.").arg(port));
        withdrawWhenUnreachable();
        break;
    case PortMapper::State::Unmapping:
        break;
    }
}

} // namespace glyphon
