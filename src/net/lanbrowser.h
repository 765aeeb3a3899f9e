#pragma once
// Listens for game announcements while a window wants them and keeps one row
// per game heard in the last six seconds. Every datagram is hostile: one that
// does not decode, a sender that floods, games past the cap, all are dropped
// without a trace. A row only lists: nothing here ever connects anywhere.
// A row belongs to the address it was heard from: a machine on the network
// can forge rows of its own, never change, close or push out another's.

#include "net/lanannouncement.h"

#include <QElapsedTimer>
#include <QHash>
#include <QHostAddress>
#include <QList>
#include <QObject>
#include <QTimer>
#include <QUdpSocket>

namespace glyphon {

struct LanRow
{
    LanGame game;
    QHostAddress address; // whence the announcement came, never from its text
    qint64 heardMs = 0;
};

class LanBrowser : public QObject
{
    Q_OBJECT
public:
    static constexpr int MaxGames = 50;
    static constexpr int MaxGamesPerSender = 4;
    static constexpr qint64 ExpireMs = 6000;
    // One host sends one datagram per target every two seconds, plus one per
    // change; more than this from one address in a window is a flood.
    static constexpr int MaxPerSenderWindow = 32;
    static constexpr qint64 SenderWindowMs = 2000;
    static constexpr int MaxSenders = 256;

    // Only the port matters here: a listener hears what reaches it.
    explicit LanBrowser(const lan::DiscoveryConfig &config, QObject *parent = nullptr);

    // Binds the discovery port (shared with other listeners on this
    // computer); false, with the reason in errorString(), when it cannot.
    bool start();
    void stop();
    bool listening() const { return m_socket.state() == QAbstractSocket::BoundState; }
    QString errorString() const { return m_socket.errorString(); }

    // This computer's own addresses: a game heard on loopback and on one of
    // them is one game (set from the network interfaces at construction).
    void setLocalAddresses(const QList<QHostAddress> &addresses) { m_local = addresses; }

    // Oldest first; a game keeps its place while it is heard.
    const QList<LanRow> &rows() const { return m_rows; }

    // The decision on one datagram and the ageing, on an explicit clock so
    // tests can drive them; true when the rows changed.
    bool receive(const QByteArray &datagram, const QHostAddress &from, qint64 nowMs);
    bool expire(qint64 nowMs);

signals:
    void rowsChanged();

private:
    struct Sender
    {
        qint64 windowStart = 0;
        int count = 0;
    };

    void readPending();
    bool admitSender(const QHostAddress &from, qint64 nowMs);
    bool isLocal(const QHostAddress &address) const;
    bool sameSource(const QHostAddress &row, const QHostAddress &from) const;
    bool makeRoomFor(const QHostAddress &from);

    QUdpSocket m_socket;
    QTimer m_ageing;
    QElapsedTimer m_clock;
    QList<LanRow> m_rows;
    QHash<QHostAddress, Sender> m_senders;
    QList<QHostAddress> m_local;
    const quint16 m_port;
};

} // namespace glyphon
