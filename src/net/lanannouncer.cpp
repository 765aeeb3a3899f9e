#include "net/lanannouncer.h"

#include <QNetworkInterface>

namespace glyphon {

LanAnnouncer::LanAnnouncer(const lan::DiscoveryConfig &config, QObject *parent)
    : QObject(parent)
    , m_id(lan::newGameId())
    , m_config(config)
{
    m_timer.setInterval(IntervalMs);
    connect(&m_timer, &QTimer::timeout, this, &LanAnnouncer::send);
}

LanAnnouncer::~LanAnnouncer()
{
    stop();
}

void LanAnnouncer::announce(LanGame game)
{
    game.id = m_id;
    game.closing = false;
    const bool changed = !m_timer.isActive() || !(game == m_game);
    m_game = game;
    if (!m_timer.isActive())
        m_timer.start();
    if (changed)
        send();
}

void LanAnnouncer::stop()
{
    if (!m_timer.isActive())
        return;
    m_timer.stop();
    m_game.closing = true;
    send();
}

QList<QHostAddress> LanAnnouncer::targets() const
{
    QList<QHostAddress> out{QHostAddress(QHostAddress::LocalHost), QHostAddress(QStringLiteral("127.255.255.255"))};
    if (m_config.loopbackOnly)
        return out;
    const auto interfaces = QNetworkInterface::allInterfaces();
    for (const QNetworkInterface &iface : interfaces) {
        const auto flags = iface.flags();
        if (!(flags & QNetworkInterface::IsUp) || !(flags & QNetworkInterface::IsRunning)
            || !(flags & QNetworkInterface::CanBroadcast) || (flags & QNetworkInterface::IsLoopBack))
            continue;
        for (const QNetworkAddressEntry &entry : iface.addressEntries()) {
            if (entry.ip().protocol() == QAbstractSocket::IPv4Protocol && !entry.broadcast().isNull()
                && !out.contains(entry.broadcast()))
                out.append(entry.broadcast());
        }
    }
    return out;
}

void LanAnnouncer::send()
{
    const QByteArray datagram = lan::encode(m_game);
    // A full send buffer or an interface that just went away loses one
    // datagram; the next one follows in two seconds.
    for (const QHostAddress &target : targets())
        m_socket.writeDatagram(datagram, target, m_config.port);
}

} // namespace glyphon
