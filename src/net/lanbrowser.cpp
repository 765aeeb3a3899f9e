#include "net/lanbrowser.h"

#include <QNetworkDatagram>
#include <QNetworkInterface>

#include <algorithm>

namespace glyphon {

namespace {

QHostAddress plainIPv4(const QHostAddress &address)
{
    bool isV4 = false;
    const quint32 v4 = address.toIPv4Address(&isV4);
    return isV4 ? QHostAddress(v4) : address;
}

} // namespace

LanBrowser::LanBrowser(const lan::DiscoveryConfig &config, QObject *parent)
    : QObject(parent)
    , m_port(config.port)
{
    m_clock.start();
    for (const QHostAddress &address : QNetworkInterface::allAddresses())
        m_local.append(plainIPv4(address));
    m_ageing.setInterval(500);
    connect(&m_ageing, &QTimer::timeout, this, [this] {
        if (expire(m_clock.elapsed()))
            emit rowsChanged();
    });
    connect(&m_socket, &QUdpSocket::readyRead, this, &LanBrowser::readPending);
}

bool LanBrowser::start()
{
    if (listening())
        return true;
    // Shared, so that several windows (and a test's several copies) on one
    // computer all hear the broadcasts.
    if (!m_socket.bind(QHostAddress::AnyIPv4, m_port, QUdpSocket::ShareAddress | QUdpSocket::ReuseAddressHint))
        return false;
    m_ageing.start();
    return true;
}

void LanBrowser::stop()
{
    m_socket.close();
    m_ageing.stop();
    m_senders.clear();
    if (!m_rows.isEmpty()) {
        m_rows.clear();
        emit rowsChanged();
    }
}

void LanBrowser::readPending()
{
    bool changed = false;
    while (m_socket.hasPendingDatagrams()) {
        // Read capped: anything longer than an announcement is cut, and then
        // refused for its size.
        const QNetworkDatagram datagram = m_socket.receiveDatagram(lan::MaxBytes + 1);
        changed |= receive(datagram.data(), datagram.senderAddress(), m_clock.elapsed());
    }
    if (changed)
        emit rowsChanged();
}

bool LanBrowser::admitSender(const QHostAddress &from, qint64 nowMs)
{
    auto it = m_senders.find(from);
    if (it == m_senders.end()) {
        if (m_senders.size() >= MaxSenders) {
            // Forget those not heard lately; if all are recent, the newcomer waits.
            for (auto old = m_senders.begin(); old != m_senders.end();) {
                if (nowMs - old->windowStart > SenderWindowMs)
                    old = m_senders.erase(old);
                else
                    ++old;
            }
            if (m_senders.size() >= MaxSenders)
                return false;
        }
        it = m_senders.insert(from, Sender{nowMs, 0});
    }
    if (nowMs - it->windowStart >= SenderWindowMs) {
        it->windowStart = nowMs;
        it->count = 0;
    }
    return ++it->count <= MaxPerSenderWindow;
}

bool LanBrowser::isLocal(const QHostAddress &address) const
{
    return address.isLoopback() || m_local.contains(address);
}

// A row heard from row may be changed by a datagram from from: the same
// address, or this computer under another of its addresses.
bool LanBrowser::sameSource(const QHostAddress &row, const QHostAddress &from) const
{
    return row == from || (isLocal(row) && isLocal(from));
}

// The list is full: a row of the address with the most rows makes way, but
// only for an address that would still have fewer; never the other way.
bool LanBrowser::makeRoomFor(const QHostAddress &from)
{
    QHash<QHostAddress, int> counts;
    for (const LanRow &r : std::as_const(m_rows))
        ++counts[r.address];
    const int mine = counts.value(from);
    int mostRows = 0;
    for (const int n : std::as_const(counts))
        mostRows = std::max(mostRows, n);
    if (mostRows <= mine + 1)
        return false;
    // Of those with the most, the latest row heard goes: older games keep
    // their places.
    for (qsizetype i = m_rows.size() - 1; i >= 0; --i) {
        if (counts.value(m_rows[i].address) == mostRows) {
            m_rows.removeAt(i);
            return true;
        }
    }
    return false;
}

bool LanBrowser::receive(const QByteArray &datagram, const QHostAddress &fromAddress, qint64 nowMs)
{
    const QHostAddress from = plainIPv4(fromAddress);
    if (from.protocol() != QAbstractSocket::IPv4Protocol || !admitSender(from, nowMs))
        return false;
    const std::optional<LanGame> game = lan::decode(datagram);
    if (!game)
        return false;
    // Only the row of this game from this address: an id heard from another
    // address is another row, whatever it claims.
    const auto row = std::find_if(m_rows.begin(), m_rows.end(),
                                  [&](const LanRow &r) { return r.game.id == game->id && sameSource(r.address, from); });
    if (game->closing) {
        if (row == m_rows.end())
            return false;
        m_rows.erase(row);
        return true;
    }
    if (row != m_rows.end()) {
        const bool changed = !(row->game == *game);
        row->game = *game;
        row->heardMs = nowMs;
        // This computer's game heard on a network and on loopback: the
        // network address is the one others can use too.
        if (row->address.isLoopback() && !from.isLoopback()) {
            row->address = from;
            return true;
        }
        return changed;
    }
    const auto fromSender = std::count_if(m_rows.cbegin(), m_rows.cend(), [&](const LanRow &r) { return r.address == from; });
    if (fromSender >= MaxGamesPerSender)
        return false;
    if (m_rows.size() >= MaxGames && !makeRoomFor(from))
        return false;
    m_rows.append(LanRow{*game, from, nowMs});
    return true;
}

bool LanBrowser::expire(qint64 nowMs)
{
    return m_rows.removeIf([nowMs](const LanRow &r) { return nowMs - r.heardMs > ExpireMs; }) > 0;
}

} // namespace glyphon
