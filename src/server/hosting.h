#pragma once
// Hosting: one game host and what makes it reachable, for both programs.
// It owns the server, announces the game on the local network, asks the
// home router to forward the port, keeps the game registered on an internet
// lobby, keeps seat 1 for the hosting window's own connection, and says
// what it does in status lines, one text each. A solo game uses it with all
// three ways of being found off. The window reaches its host only through
// this face: the own seat, the bot speed, Rizi's level and the hint.
//
// The lobby: when it is asked for, the game is registered as soon as
// hosting starts, and the lobby's probe decides whether it is listed; the
// status lines say why it may not be yet (the router has not answered,
// there is no public address, the lobby refused).
//
// Ending never waits: shutDown() closes the port and every game connection
// at once, then says goodbye to the network in the background (the last
// datagram, the router's unmapping, the lobby's removal) and emits
// finished() when those are done, or after ShutDownCapMs at most.

#include "net/lanannouncement.h"
#include "net/portmapper.h"
#include "server/hostconfig.h"
#include "server/rizilevel.h"

#include <QList>
#include <QObject>
#include <QString>
#include <QTimer>
#include <QUrl>
#include <memory>
#include <optional>

class TServer;

namespace glyphon {

class LobbyRegistration;
class ServerAnnouncement;

class Hosting : public QObject
{
    Q_OBJECT
public:
    // Who reads the status lines: the window's chat pane (which names its
    // menus) or glyphon-server's log (which names its options, and hears
    // the router from the network log itself).
    enum class Reader { Window, Console };
    static constexpr int ShutDownCapMs = 3000;
    // How long shutDownWhenSent() lets the connections take their last lines.
    static constexpr int LastLinesMs = 2000;

    // How others find the game, for start().
    struct Reach
    {
        bool announce = true; // on the local network
        bool openPort = false; // ask the router to forward the port
        QUrl lobby;           // register there; empty: no lobby
    };

    // Makes the server, which raises std::exception when it cannot be made.
    Hosting(const HostConfig &config, const lan::DiscoveryConfig &discovery, Reader reader,
            QObject *parent = nullptr);
    ~Hosting() override;

    // Before start(): the mapper that asks the router instead of the real
    // one (tests hand in their own, which loopback-only mode then does not
    // hold back).
    void setMapper(std::unique_ptr<PortMapper> mapper);

    // The server itself, for glyphon-server's log and for tests; gone after
    // shutDown().
    TServer &server();

    // Listens on every address, on the configured port; raises
    // ESockException when the port cannot be had.
    void listen();
    // Listens on 127.0.0.1 only, on wanted when it is free, else on a port
    // the system chooses.
    void listenSolo(std::optional<quint16> wanted);
    bool listening() const;
    quint16 port() const;     // the port listened on; 0 when none
    QString portName() const; // the port asked for, as the messages say it
    // Connections made stay; new ones are refused (another copy takes over).
    void stopAccepting();

    // Announces, forwards and registers, as reach asks; once.
    void start(const Reach &reach);
    void setOpenPort(bool on);
    bool started() const { return m_started; }
    // Seat 1 is kept a short while for the connection from this loopback port.
    void reserveOwnSeat(quint16 peerPort);

    void setBotSpeed(int ms);
    void setRiziLevel(RiziLevel level); // both seats
    void setRiziLevel(int seat, RiziLevel level);

    // View > Hint for seat: in a turn of its own, while nobody else plays.
    bool hintAvailable(int seat) const;
    // True when the strong engine is still being made: hintReady() follows.
    bool hintPending();
    // The board positions of the strong engine's word for seat; none when
    // no word fits.
    std::optional<QList<int>> hintTiles(int seat);

    // Whether players on the internet can reach the game: empty when they
    // can, else the reason in words. openPortHint: where the port is
    // opened (a menu item, an option).
    static QString whyNotReachable(const QString &localAddress, PortMapper::State state,
                                   const QString &publicAddress, const QString &openPortHint);
    // This computer's first network address, for players on the same network.
    static QString localAddress();
    PortMapper &mapper() { return *m_mapper; }

    // Closes the port and every connection now; the goodbyes follow, and
    // finished() after them. Once; never from inside the server's signals.
    void shutDown();
    // The same, once the connections have taken what they were sent (the
    // winner of the last game), or after LastLinesMs.
    void shutDownWhenSent();
    bool shuttingDown() const { return m_shuttingDown; }

signals:
    void statusLine(const QString &text);
    // The hint's answer may have changed (a turn, a seat, a word).
    void hintChanged();
    // The strong engine asked for by hintPending() is in place.
    void hintReady();
    void gameStarted();
    void finished();

private:
    void mappingChanged(PortMapper::State state);
    QString withPort(const QString &address) const;
    QString reachNow() const;
    void startLobby();
    void lobbyRegistered(const QString &id);
    void lobbyRefused(const QString &why);
    void reachChanged();
    void refreshLobby();
    void goodbyeDone();
    void finishNow();
    void tellSeatsTheHostLeaves();

    const Reader m_reader;
    const lan::DiscoveryConfig m_discovery;
    std::unique_ptr<TServer> m_server;
    std::unique_ptr<ServerAnnouncement> m_announcement;
    bool m_realRouter = true; // the mapper asks the network's own router
    std::unique_ptr<PortMapper> m_mapper;
    std::unique_ptr<LobbyRegistration> m_registration;
    QUrl m_lobby;
    bool m_announced = false;
    bool m_started = false;
    quint16 m_port = 0;      // the listening port when hosting started
    QString m_lobbyRefusal;  // said once per reason
    QString m_lobbyReach;    // what the lobby's probe finds, as last said
    bool m_shuttingDown = false;
    bool m_finished = false;
    bool m_saidGoodbye = false;
    int m_goodbyes = 0; // still to come
    QTimer m_cap;
};

} // namespace glyphon
