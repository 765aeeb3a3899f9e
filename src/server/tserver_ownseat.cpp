// The seat a new connection takes, and seat 1 kept for the hosting window's
// own connection.

#include "server/tserver.h"

#include <algorithm>

void TServer::reserveSeatFor(quint16 peerPort, int ms)
{
    m_ownPort = peerPort;
    m_ownPortUntil.setRemainingTime(std::max(0, ms));
    // The own window's login is the first need of the strong index: hints
    // and a Strong Rizi will ask for it, and by then it is built.
    connect(this, &TServer::playerArrived, this, &TServer::ownSeatArrived, Qt::UniqueConnection);
}

void TServer::ownSeatArrived(int seat)
{
    if (seat == m_ownSeat)
        prepareStrong();
}

int TServer::seatFor(ConnectionId id)
{
    bool own = false;
    bool keepSeatOne = false;
    if (m_ownPort != 0 && !m_ownPortUntil.hasExpired()) {
        const TSock *sock = m_hub->socket(id);
        own = sock && sock->peerPort() == m_ownPort && m_hub->address(id).startsWith(QLatin1String("127."));
        keepSeatOne = !own;
    }
    const auto taken = [&](int seat) { return seats[seat].connected || (seat == 1 && keepSeatOne); };
    // The first free seat among those used so far, else the next one.
    int seat = 1;
    while (seat < slotsused && taken(seat))
        ++seat;
    if (taken(seat)) {
        if (seat >= MaxSeats)
            return 0;
        seat = std::max(slotsused, 1) + 1;
    }
    if (own) {
        m_ownPort = 0;
        m_ownSeat = seat;
    }
    return seat;
}
