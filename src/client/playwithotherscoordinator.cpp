#include "client/playwithotherscoordinator.h"

#include "settings/profilefile.h"
#include "settings/settingsstore.h"
#include "windows/playwithothersdialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QProcessEnvironment>
#include <QSignalBlocker>
#include <QPushButton>
#include <QTcpServer>
#include <QUrl>

namespace glyphon {

namespace {

QString section()
{
    return QString::fromLatin1(SettingsStore::Section);
}

bool saveOne(const SettingsStore &store, const char *key, const QString &value)
{
    return ProfileFile(store.path()).write(section(), {{QString::fromLatin1(key), value}});
}

} // namespace

LobbySettings LobbySettings::load(const SettingsStore &store)
{
    const ProfileText text = ProfileFile(store.path()).read();
    LobbySettings s;
    s.name = text.value(section(), QString::fromLatin1(NameKey)).value_or(QString()).trimmed().left(20);
    const QString hosts = text.value(section(), QString::fromLatin1(RecentHostsKey)).value_or(QString());
    for (const QString &h : hosts.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
        QString host;
        quint16 port = 0;
        // What a hand-edited file holds is checked like typed text.
        if (PlayWithOthersWindow::parseAddress(h, &host, &port) && s.recentHosts.size() < PlayWithOthersWindow::MaxRecentHosts)
            s.recentHosts.append(h);
    }
    s.openPort = text.value(section(), QString::fromLatin1(OpenPortKey)).value_or(QString()) != QLatin1String("false");
    const QString lobby = text.value(section(), QString::fromLatin1(LobbyAddressKey)).value_or(QString()).trimmed();
    if (validLobbyAddress(lobby))
        s.lobbyAddress = lobby;
    s.listOnLobby = text.value(section(), QString::fromLatin1(ListOnLobbyKey)).value_or(QString()) == QLatin1String("true");
    return s;
}

bool LobbySettings::saveName(const SettingsStore &store, const QString &name)
{
    return saveOne(store, NameKey, name);
}

bool LobbySettings::saveRecentHosts(const SettingsStore &store, const QStringList &hosts)
{
    return saveOne(store, RecentHostsKey, hosts.join(QLatin1Char(' ')));
}

bool LobbySettings::saveOpenPort(const SettingsStore &store, bool on)
{
    return saveOne(store, OpenPortKey, on ? QStringLiteral("true") : QStringLiteral("false"));
}

bool LobbySettings::saveLobbyAddress(const SettingsStore &store, const QString &address)
{
    return saveOne(store, LobbyAddressKey, address);
}

bool LobbySettings::saveListOnLobby(const SettingsStore &store, bool on)
{
    return saveOne(store, ListOnLobbyKey, on ? QStringLiteral("true") : QStringLiteral("false"));
}

bool LobbySettings::validLobbyAddress(const QString &address)
{
    if (address.isEmpty())
        return true;
    const QUrl url(address, QUrl::StrictMode);
    return address.size() <= 255 && url.isValid() && (url.scheme() == u"http" || url.scheme() == u"https")
        && !url.host().isEmpty() && !url.hasQuery() && !url.hasFragment();
}

QStringList LobbySettings::remember(QStringList hosts, const QString &address)
{
    hosts.removeAll(address);
    hosts.prepend(address);
    return hosts.mid(0, PlayWithOthersWindow::MaxRecentHosts);
}

PlayWithOthers::PlayWithOthers(quint16 hostingPort, const lan::DiscoveryConfig &discovery, const SettingsStore &store,
                               QWidget *parentWindow)
    : QObject(parentWindow)
    , m_parent(parentWindow)
    , m_hostingPort(hostingPort)
    , m_discovery(discovery)
    , m_store(store)
    , m_launch(&PlayWithOthers::launchProgram)
    , m_portFree(&PlayWithOthers::portFree)
{
}

void PlayWithOthers::open()
{
    if (!m_window) {
        m_window = new PlayWithOthersWindow(m_discovery, m_parent);
        connect(m_window, &PlayWithOthersWindow::joinRequested, this, &PlayWithOthers::join);
        connect(m_window, &PlayWithOthersWindow::hostRequested, this, &PlayWithOthers::host);
        // Closing the window gives up a join being tried.
        connect(m_window, &QDialog::finished, this, [this] {
            m_probe.abort();
            setAsking(false);
        });
        connect(&m_probe, &HostProbe::finished, this, &PlayWithOthers::hostAnswered);
        connect(m_window->check_lobby, &QCheckBox::toggled, this,
                [this](bool on) { LobbySettings::saveListOnLobby(m_store, on); });
    }
    const LobbySettings stored = LobbySettings::load(m_store);
    m_window->setPlayerName(stored.name.isEmpty() ? PlayWithOthersWindow::accountName() : stored.name);
    m_window->setRecentHosts(stored.recentHosts);
    m_window->setLobbyAddress(stored.lobbyAddress);
    {
        const QSignalBlocker quiet(m_window->check_lobby);
        m_window->check_lobby->setChecked(stored.listOnLobby);
    }
    m_window->button_joinaddress->setDefault(false);
    m_window->show();
    m_window->raise();
    m_window->activateWindow();
}

void PlayWithOthers::askLobbyAddress()
{
    QString address = LobbySettings::load(m_store).lobbyAddress;
    QString note;
    for (;;) {
        bool ok = false;
        address = QInputDialog::getText(m_parent, QStringLiteral("Glyphon - Internet Lobby"),
                                        note + QStringLiteral("The internet lobby's address, such as "
                                                              "https://lobby.example.org\n(empty: no lobby is contacted):"),
                                        QLineEdit::Normal, address, &ok).trimmed();
        if (!ok)
            return;
        if (LobbySettings::validLobbyAddress(address))
            break;
        note = QStringLiteral("That is no http or https address.\n");
    }
    LobbySettings::saveLobbyAddress(m_store, address);
    if (m_window)
        m_window->setLobbyAddress(address);
}

void PlayWithOthers::openAt(const GameAddress &address)
{
    open();
    const QString shown = PlayWithOthersWindow::addressText(address.host, address.port);
    m_window->edit_address->setCurrentText(shown);
    // The name is what is asked: Enter in it joins.
    m_window->button_joinaddress->setDefault(true);
    m_window->edit_name->setFocus(Qt::OtherFocusReason);
    m_window->edit_name->selectAll();
    m_window->label_info->setText(QStringLiteral("Check your name, then choose Join Address to join the game at %1.")
                                      .arg(shown));
}

void PlayWithOthers::openLink(const QString &link)
{
    if (const std::optional<GameAddress> address = parseGameLink(link)) {
        openAt(*address);
        return;
    }
    open();
    // The link itself is not repeated: it may be long or made to mislead.
    m_window->label_info->setText(QStringLiteral("The game's link could not be read (a link looks like "
                                                 "glyphon://address:port). Type the address below, or host a game."));
}

bool PlayWithOthers::launchProgram(const QStringList &args, quint16 port)
{
    QProcess process;
    process.setProgram(QCoreApplication::applicationFilePath());
    process.setArguments(args);
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    if (port == PlayWithOthersWindow::DefaultPort)
        environment.remove(QStringLiteral("GLYPHON_PORT"));
    else
        environment.insert(QStringLiteral("GLYPHON_PORT"), QString::number(port));
    process.setProcessEnvironment(environment);
    return process.startDetached();
}

void PlayWithOthers::join(const QString &name, const QString &host, quint16 port)
{
    LobbySettings::saveName(m_store, name);
    // The host is asked first: a copy started for a host that is not there
    // could only say so and end, and this game would be gone for nothing.
    m_pending = {name, host, port};
    setAsking(true);
    m_window->label_info->setText(QStringLiteral("Connecting\u2026"));
    m_probe.start(host, port);
}

void PlayWithOthers::hostAnswered(HostProbe::Result result)
{
    setAsking(false);
    const Pending p = m_pending;
    switch (result) {
    case HostProbe::Result::Greeted:
        LobbySettings::saveRecentHosts(m_store, LobbySettings::remember(LobbySettings::load(m_store).recentHosts,
                                                                        PlayWithOthersWindow::addressText(p.host, p.port)));
        launch({p.name, p.host, QStringLiteral("false")}, p.port);
        return;
    case HostProbe::Result::Full:
        m_window->label_info->setText(QStringLiteral("That game is full."));
        return;
    case HostProbe::Result::Unreachable:
    case HostProbe::Result::Silent:
        m_window->label_info->setText(QStringLiteral("Could not reach %1, port %2.").arg(p.host).arg(p.port));
        return;
    }
}

void PlayWithOthers::setAsking(bool asking)
{
    if (!m_window)
        return;
    // A button that is disabled hands the keyboard on, to the name field
    // with its text selected: what the user types next would replace the
    // name. It goes back where it was.
    if (asking)
        m_focusBefore = m_window->focusWidget();
    for (QPushButton *button : {m_window->button_join, m_window->button_host, m_window->button_joinaddress})
        button->setEnabled(!asking);
    if (!asking && m_focusBefore)
        m_focusBefore->setFocus(Qt::OtherFocusReason);
}

bool PlayWithOthers::portFree(quint16 port)
{
    QTcpServer probe;
    return probe.listen(QHostAddress::AnyIPv4, port);
}

void PlayWithOthers::host(const QString &name)
{
    LobbySettings::saveName(m_store, name);
    // A new copy that cannot listen could only show a box and end, and this
    // game would be gone for nothing.
    if (!m_portFree(m_hostingPort)) {
        m_window->label_info->setText(QStringLiteral("Cannot host a game: another program already uses port %1 "
                                                     "(another copy of Glyphon hosting, or glyphon-server). Join "
                                                     "its game from the list, or end that program first.")
                                          .arg(m_hostingPort));
        return;
    }
    // The address is not used by a host, but the command line wants one.
    launch({name, QStringLiteral("0.0.0.0"), QStringLiteral("true")}, m_hostingPort);
}

void PlayWithOthers::launch(const QStringList &args, quint16 port)
{
    emit aboutToHandOver();
    if (!m_launch(args, port)) {
        m_window->label_info->setText(QStringLiteral("Glyphon could not be started again (%1).")
                                          .arg(QCoreApplication::applicationFilePath()));
        return;
    }
    m_window->hide();
    emit handedOver();
}

} // namespace glyphon
