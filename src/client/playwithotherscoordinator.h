#pragma once
// Opens the Play with Others window and carries out its choice the way a
// lobby program would: the program is started again with a name, an address
// and "true" to host or "false" to join (another port through GLYPHON_PORT),
// and this copy ends once the new one runs. A game is joined only once its
// host has answered (the window says why not, and this game goes on); a game
// is hosted only on a free port. Remembers the name and the last addresses
// joined in the settings file.

#include "net/lanannouncement.h"
#include "protocol/gamelink.h"
#include "protocol/hostprobe.h"
#include "settings/settingsstore.h"

#include <QObject>
#include <QPointer>
#include <QStringList>
#include <functional>

class QWidget;

namespace glyphon {

class PlayWithOthersWindow;

// The keys this part keeps in the settings file's section.
struct LobbySettings
{
    static constexpr const char *NameKey = "Name";
    static constexpr const char *RecentHostsKey = "RecentHosts";
    static constexpr const char *OpenPortKey = "OpenPortOnRouter";
    static constexpr const char *LobbyAddressKey = "LobbyAddress";
    static constexpr const char *ListOnLobbyKey = "ListOnLobby";

    QString name;            // empty: never chosen
    QStringList recentHosts; // newest first, at most five
    bool openPort = true;
    QString lobbyAddress;    // the internet lobby; empty: none is contacted
    bool listOnLobby = false; // a hosted game is listed there (its address becomes public)

    static LobbySettings load(const SettingsStore &store);
    static bool saveName(const SettingsStore &store, const QString &name);
    static bool saveRecentHosts(const SettingsStore &store, const QStringList &hosts);
    static bool saveOpenPort(const SettingsStore &store, bool on);
    static bool saveLobbyAddress(const SettingsStore &store, const QString &address);
    static bool saveListOnLobby(const SettingsStore &store, bool on);
    // An internet lobby's whole address, with its scheme: http or https and
    // a host. Empty text is no lobby, and valid.
    static bool validLobbyAddress(const QString &address);
    // address put first, an older copy of it removed, cut to five.
    static QStringList remember(QStringList hosts, const QString &address);
};

class PlayWithOthers : public QObject
{
    Q_OBJECT
public:
    // Starts the program with args and GLYPHON_PORT = port (unset for 7772);
    // true once the new copy runs. Tests put their own in place.
    using Launcher = std::function<bool(const QStringList &args, quint16 port)>;

    // hostingPort: where a game this copy hosts is offered; discovery: where
    // the window hears games; store: the settings file that remembers the
    // name and addresses.
    PlayWithOthers(quint16 hostingPort, const lan::DiscoveryConfig &discovery, const SettingsStore &store,
                   QWidget *parentWindow);

    // Whether a game may be hosted on the port now; the window that owns
    // this counts a port it holds itself as free, since it lets it go.
    using PortCheck = std::function<bool(quint16 port)>;

    void setLauncher(Launcher launcher) { m_launch = std::move(launcher); }
    void setPortCheck(PortCheck check) { m_portFree = std::move(check); }
    // Shows the window (made on first use) with the remembered name and addresses.
    void open();
    // Options > Internet Lobby...: asks for the lobby's address and keeps it.
    void askLobbyAddress();
    // Shows the window with the game at address filled in and the name to confirm;
    // nothing is joined before the user chooses Join Address.
    void openAt(const GameAddress &address);
    // The same for a glyphon:// link the program was started with; one that
    // cannot be read is said so in the window.
    void openLink(const QString &link);
    PlayWithOthersWindow *window() const { return m_window; }

    static bool launchProgram(const QStringList &args, quint16 port);
    // Nothing on this computer listens on the port, on any address.
    static bool portFree(quint16 port);

signals:
    // The new copy is about to start: a game this copy hosts must free the
    // port, or the new host could not listen on it.
    void aboutToHandOver();
    // The new copy runs: this one should end now.
    void handedOver();

private:
    void join(const QString &name, const QString &host, quint16 port);
    void hostAnswered(HostProbe::Result result);
    void setAsking(bool asking);
    void host(const QString &name);
    void launch(const QStringList &args, quint16 port);

    QWidget *m_parent;
    quint16 m_hostingPort;
    lan::DiscoveryConfig m_discovery;
    SettingsStore m_store;
    PlayWithOthersWindow *m_window = nullptr;
    Launcher m_launch;
    PortCheck m_portFree;
    HostProbe m_probe;
    QPointer<QWidget> m_focusBefore; // had the keyboard when the try began
    struct Pending { QString name, host; quint16 port = 0; } m_pending; // the join being tried
};

} // namespace glyphon
