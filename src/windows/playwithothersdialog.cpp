#include "windows/playwithothersdialog.h"

#include "net/lanbrowser.h"
#include "net/lobbybrowser.h"
#include "protocol/gamelink.h"
#include "protocol/wire.h"
#include "windows/windowutil.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSet>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <algorithm>
#include <optional>

#include <pwd.h>
#include <unistd.h>

namespace glyphon {

namespace {

constexpr int MaxAddressLength = 255;

enum Column { HostColumn, PlayersColumn, WatchingColumn, GameColumn, AddressColumn };

} // namespace

PlayWithOthersWindow::PlayWithOthersWindow(const lan::DiscoveryConfig &discovery, QWidget *parent)
    : QDialog(parent)
    , m_browser(new LanBrowser(discovery, this))
    , m_lobby(new LobbyBrowser(QString::fromLatin1(VersionText), this))
{
    setWindowTitle(QStringLiteral("Glyphon - Play with Others"));

    auto *nameLabel = new QLabel(QStringLiteral("Your Name:"), this);
    edit_name = new QLineEdit(this);
    edit_name->setMaxLength(MaxNameLength);
    nameLabel->setBuddy(edit_name);

    auto *gamesLabel = new QLabel(QStringLiteral("Games on your network"), this);
    list_games = new QTreeWidget(this);
    list_games->setRootIsDecorated(false);
    list_games->setUniformRowHeights(true);
    list_games->setHeaderLabels({QStringLiteral("Host"), QStringLiteral("Players"), QStringLiteral("Watching"),
                                 QStringLiteral("Game"), QStringLiteral("Address")});
    list_games->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    list_games->header()->setStretchLastSection(true);
    gamesLabel->setBuddy(list_games);

    auto *internetLabel = new QLabel(QStringLiteral("Games on the internet"), this);
    list_internet = new QTreeWidget(this);
    list_internet->setRootIsDecorated(false);
    list_internet->setUniformRowHeights(true);
    list_internet->setHeaderLabels({QStringLiteral("Host"), QStringLiteral("Players"), QStringLiteral("Watching"),
                                    QStringLiteral("Game"), QStringLiteral("Address")});
    list_internet->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    list_internet->header()->setStretchLastSection(true);
    internetLabel->setBuddy(list_internet);
    label_lobby = new QLabel(this);
    label_lobby->setWordWrap(true);
    // One chosen game across both lists: Join takes the one chosen last.
    connect(list_games, &QTreeWidget::itemSelectionChanged, this, [this] {
        if (!list_games->selectedItems().isEmpty())
            list_internet->clearSelection();
    });
    connect(list_internet, &QTreeWidget::itemSelectionChanged, this, [this] {
        if (!list_internet->selectedItems().isEmpty())
            list_games->clearSelection();
    });

    button_join = new QPushButton(QStringLiteral("Join"), this);
    button_host = new QPushButton(QStringLiteral("Host a Game"), this);
    button_cancel = new QPushButton(QStringLiteral("Cancel"), this);
    for (QPushButton *b : {button_join, button_host, button_cancel})
        b->setAutoDefault(false);
    check_lobby = new QCheckBox(QStringLiteral("List this game on the internet lobby (your address becomes public)"), this);

    auto *addressLabel = new QLabel(QStringLiteral("Address:"), this);
    edit_address = new QComboBox(this);
    edit_address->setEditable(true);
    edit_address->setInsertPolicy(QComboBox::NoInsert);
    edit_address->lineEdit()->setMaxLength(MaxAddressLength);
    edit_address->lineEdit()->setPlaceholderText(QStringLiteral("host name or address, :port if not 7772"));
    addressLabel->setBuddy(edit_address);
    button_joinaddress = new QPushButton(QStringLiteral("Join Address"), this);
    button_joinaddress->setAutoDefault(false);

    label_info = new QLabel(this);
    label_info->setWordWrap(true);

    auto *nameRow = new QHBoxLayout;
    nameRow->addWidget(nameLabel);
    nameRow->addWidget(edit_name, 1);
    auto *buttons = new QHBoxLayout;
    buttons->addWidget(button_join);
    buttons->addWidget(button_host);
    buttons->addStretch();
    buttons->addWidget(button_cancel);
    auto *addressRow = new QHBoxLayout;
    addressRow->addWidget(addressLabel);
    addressRow->addWidget(edit_address, 1);
    addressRow->addWidget(button_joinaddress);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(nameRow);
    layout->addSpacing(6);
    layout->addWidget(gamesLabel);
    layout->addWidget(list_games, 1);
    layout->addWidget(internetLabel);
    layout->addWidget(list_internet, 1);
    layout->addWidget(label_lobby);
    layout->addLayout(buttons);
    layout->addWidget(check_lobby);
    layout->addSpacing(6);
    layout->addLayout(addressRow);
    layout->addWidget(label_info);
    resize(560, 500);

    connect(button_join, &QPushButton::clicked, this, &PlayWithOthersWindow::joinClick);
    // Double-click and Enter on a row.
    connect(list_games, &QTreeWidget::itemActivated, this, &PlayWithOthersWindow::joinClick);
    connect(button_host, &QPushButton::clicked, this, &PlayWithOthersWindow::hostClick);
    connect(button_cancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(button_joinaddress, &QPushButton::clicked, this, &PlayWithOthersWindow::joinAddressClick);
    connect(edit_address->lineEdit(), &QLineEdit::returnPressed, this, &PlayWithOthersWindow::joinAddressClick);
    connect(m_browser, &LanBrowser::rowsChanged, this, &PlayWithOthersWindow::refreshList);
    connect(list_internet, &QTreeWidget::itemActivated, this, &PlayWithOthersWindow::joinClick);
    connect(m_lobby, &LobbyBrowser::rowsChanged, this, &PlayWithOthersWindow::refreshInternetList);
    // A game heard on the network leaves the internet list, and comes back when it goes quiet.
    connect(m_browser, &LanBrowser::rowsChanged, this, &PlayWithOthersWindow::refreshInternetList);
    connect(m_lobby, &LobbyBrowser::errorChanged, this, &PlayWithOthersWindow::showLobbyState);
    showLobbyState();
}

void PlayWithOthersWindow::setLobbyAddress(const QString &address)
{
    m_lobby->setLobby(QUrl(address.trimmed()));
    if (isVisible())
        m_lobby->start();
    showLobbyState();
}

void PlayWithOthersWindow::showLobbyState()
{
    if (m_lobby->lobby().isEmpty()) {
        label_lobby->setText(QStringLiteral("No internet lobby is set: Options \u25B8 Internet Lobby\u2026 sets one."));
    } else if (!m_lobby->errorString().isEmpty()) {
        label_lobby->setText(QStringLiteral("The lobby %1 cannot be read: %2.")
                                 .arg(m_lobby->lobby().toDisplayString(QUrl::RemoveUserInfo), m_lobby->errorString()));
    } else {
        label_lobby->setText(QStringLiteral("Games listed on %1.").arg(m_lobby->lobby().toDisplayString(QUrl::RemoveUserInfo)));
    }
}

void PlayWithOthersWindow::refreshInternetList()
{
    const QString chosen = list_internet->currentItem() && list_internet->currentItem()->isSelected()
        ? list_internet->currentItem()->data(HostColumn, Qt::UserRole).toString() : QString();
    list_internet->clear();
    // A game on both lists is shown once, on the network list, where it is nearer.
    QSet<QByteArray> heard;
    for (const LanRow &row : m_browser->rows())
        heard.insert(row.game.id);
    for (const LobbyRow &row : m_lobby->rows()) {
        if (!row.lan.isEmpty() && heard.contains(row.lan))
            continue;
        auto *item = new QTreeWidgetItem(list_internet);
        item->setText(HostColumn, row.name);
        item->setText(PlayersColumn, QStringLiteral("%1 of 2").arg(row.players));
        item->setText(WatchingColumn, QString::number(row.spectators));
        item->setText(GameColumn, row.running ? QStringLiteral("running") : QStringLiteral("not started"));
        item->setText(AddressColumn, addressText(row.address, row.port));
        item->setData(HostColumn, Qt::UserRole, row.id);
        if (!chosen.isEmpty() && row.id == chosen) {
            list_internet->setCurrentItem(item);
            item->setSelected(true);
        }
    }
}

void PlayWithOthersWindow::setPlayerName(const QString &name)
{
    edit_name->setText(name.left(MaxNameLength));
}

QString PlayWithOthersWindow::playerName() const
{
    return edit_name->text().trimmed();
}

void PlayWithOthersWindow::setRecentHosts(const QStringList &hosts)
{
    edit_address->clear();
    edit_address->addItems(hosts.mid(0, MaxRecentHosts));
    edit_address->setCurrentIndex(hosts.isEmpty() ? -1 : 0);
}

QString PlayWithOthersWindow::accountName()
{
    QString name = qEnvironmentVariable("USER");
    if (name.isEmpty())
        name = qEnvironmentVariable("LOGNAME");
    if (name.isEmpty()) {
        if (const passwd *entry = getpwuid(getuid()))
            name = QString::fromLocal8Bit(entry->pw_name);
    }
    return name.trimmed().left(MaxNameLength);
}

namespace {

bool looksNumeric(const QString &host)
{
    return !host.isEmpty() && std::all_of(host.cbegin(), host.cend(), [](QChar c) {
        return c == QLatin1Char('.') || (c >= QLatin1Char('0') && c <= QLatin1Char('9'));
    });
}

// Digits and dots are an address or nothing: a resolver would read
// "127.0.0.999" or "2130706433" as a name or an odd form and go elsewhere.
bool plainDottedQuad(const QString &host)
{
    const QStringList parts = host.split(QLatin1Char('.'));
    return parts.size() == 4 && std::all_of(parts.cbegin(), parts.cend(), [](const QString &part) {
        return !part.isEmpty() && part.size() <= 3 && part.toUInt() <= 255;
    });
}

bool isGameLink(const QString &text)
{
    return text.startsWith(QLatin1String("glyphon:"), Qt::CaseInsensitive);
}

} // namespace

bool PlayWithOthersWindow::parseAddress(const QString &input, QString *host, quint16 *port)
{
    const QString text = input.trimmed();
    if (text.isEmpty() || text.size() > MaxAddressLength)
        return false;
    // A link pasted from a page or a message joins the game it names.
    if (isGameLink(text)) {
        const std::optional<GameAddress> link = parseGameLink(text);
        if (!link)
            return false;
        *host = link->host;
        *port = link->port;
        return true;
    }
    QString h = text;
    QString portText;
    if (text.startsWith(QLatin1Char('['))) {
        const qsizetype close = text.indexOf(QLatin1Char(']'));
        if (close < 0)
            return false;
        h = text.mid(1, close - 1);
        const QString after = text.mid(close + 1);
        if (!after.isEmpty()) {
            if (!after.startsWith(QLatin1Char(':')))
                return false;
            portText = after.mid(1);
        }
    } else if (text.count(QLatin1Char(':')) == 1) {
        const qsizetype colon = text.indexOf(QLatin1Char(':'));
        h = text.left(colon);
        portText = text.mid(colon + 1);
        if (portText.isEmpty())
            return false;
    }
    if (h.isEmpty() || (looksNumeric(h) && !plainDottedQuad(h)))
        return false;
    for (QChar c : h) {
        if (c.isSpace() || !c.isPrint() || c == QLatin1Char('/') || c == QLatin1Char('['))
            return false;
    }
    quint16 p = DefaultPort;
    if (!portText.isEmpty()) {
        bool ok = false;
        const uint n = portText.toUInt(&ok);
        for (QChar c : portText) {
            if (!c.isDigit())
                ok = false;
        }
        if (!ok || n < 1 || n > 65535)
            return false;
        p = quint16(n);
    }
    *host = h;
    *port = p;
    return true;
}

QString PlayWithOthersWindow::addressText(const QString &host, quint16 port)
{
    const QString shown = host.contains(QLatin1Char(':')) ? QStringLiteral("[%1]").arg(host) : host;
    return port == DefaultPort ? shown : QStringLiteral("%1:%2").arg(shown).arg(port);
}

bool PlayWithOthersWindow::checkName()
{
    if (!playerName().isEmpty())
        return true;
    label_info->setText(QStringLiteral("Type your name first."));
    edit_name->setFocus();
    return false;
}

void PlayWithOthersWindow::joinClick()
{
    if (!checkName())
        return;
    if (QTreeWidgetItem *item = list_internet->currentItem(); item && item->isSelected()) {
        // Some lobby rows are not shown: find the chosen one by its id.
        const QString id = item->data(HostColumn, Qt::UserRole).toString();
        for (const LobbyRow &row : m_lobby->rows()) {
            if (row.id == id) {
                emit joinRequested(playerName(), row.address, row.port);
                return;
            }
        }
    }
    const auto &rows = m_browser->rows();
    QTreeWidgetItem *chosen = list_games->currentItem();
    if (!chosen || !chosen->isSelected())
        chosen = list_games->topLevelItem(0); // nothing selected: the first row counts
    const int index = chosen ? list_games->indexOfTopLevelItem(chosen) : -1;
    if (index < 0 || index >= rows.size()) {
        label_info->setText(QStringLiteral("No game on your network to join yet. Type an address above, or host a game."));
        return;
    }
    const LanRow &row = rows.at(index);
    emit joinRequested(playerName(), row.address.toString(), row.game.port);
}

void PlayWithOthersWindow::hostClick()
{
    if (checkName())
        emit hostRequested(playerName());
}

void PlayWithOthersWindow::joinAddressClick()
{
    if (!checkName())
        return;
    QString host;
    quint16 port = DefaultPort;
    if (!parseAddress(edit_address->currentText(), &host, &port)) {
        const QString typed = edit_address->currentText().trimmed();
        const QString typedHost = typed.section(QLatin1Char(':'), 0, 0);
        if (isGameLink(typed))
            label_info->setText(QStringLiteral("That glyphon:// link cannot be read: ask for it again, or type the "
                                               "host's address."));
        else if (looksNumeric(typedHost))
            label_info->setText(QStringLiteral("%1 is no address: an address is four numbers from 0 to 255, such "
                                               "as 192.168.1.5.").arg(typedHost.left(40)));
        else
            label_info->setText(QStringLiteral("Type a host name or address, with \":port\" after it if the game is not on port 7772."));
        edit_address->setFocus();
        return;
    }
    emit joinRequested(playerName(), host, port);
}

void PlayWithOthersWindow::refreshList()
{
    // Rows are rebuilt in the browser's order; the chosen game stays chosen.
    const QString chosenAddress = list_games->currentItem() && list_games->currentItem()->isSelected()
        ? list_games->currentItem()->data(AddressColumn, Qt::UserRole).toString() : QString();
    list_games->clear();
    for (const LanRow &row : m_browser->rows()) {
        const LanGame &g = row.game;
        const QString address = addressText(row.address.toString(), g.port);
        auto *item = new QTreeWidgetItem(list_games);
        item->setText(HostColumn, g.hostName.isEmpty() ? QStringLiteral("<Waiting>") : g.hostName);
        item->setText(PlayersColumn, QStringLiteral("%1 of 2").arg(g.seatsTaken));
        item->setText(WatchingColumn, QString::number(g.watchers));
        item->setText(GameColumn, g.running ? QStringLiteral("running") : QStringLiteral("not started"));
        item->setText(AddressColumn, address);
        item->setData(AddressColumn, Qt::UserRole, address + QLatin1Char('/') + QString::fromLatin1(g.id));
        if (!chosenAddress.isEmpty() && item->data(AddressColumn, Qt::UserRole).toString() == chosenAddress) {
            list_games->setCurrentItem(item);
            item->setSelected(true);
        }
    }
}

void PlayWithOthersWindow::showEvent(QShowEvent *event)
{
    // Opened by a link at start, the main window is still being placed:
    // follow it, as when the window is opened from the menu.
    glyphon::centreOnParentWhilePlaced(this);
    QDialog::showEvent(event);
    if (!m_browser->start()) {
        label_info->setText(QStringLiteral("Cannot listen for games on your network (%1). You can still join an "
                                           "address or host a game.").arg(m_browser->errorString()));
    } else {
        label_info->clear();
    }
    refreshList();
    m_lobby->start();
    showLobbyState();
}

void PlayWithOthersWindow::hideEvent(QHideEvent *event)
{
    m_browser->stop();
    m_lobby->stop();
    QDialog::hideEvent(event);
}

} // namespace glyphon
