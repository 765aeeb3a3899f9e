#pragma once
// "Glyphon - Play with Others": join a game found on the local network, on an
// internet lobby or at an address, or host one. The window only lists and asks; starting the
// program again with the chosen role is its owner's business. It listens
// for announcements, and polls the lobby, only while it is shown.

#include "net/lanannouncement.h"

#include <QDialog>
#include <QStringList>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTreeWidget;

namespace glyphon {

class LanBrowser;
class LobbyBrowser;

class PlayWithOthersWindow : public QDialog
{
    Q_OBJECT
public:
    static constexpr int MaxRecentHosts = 5;
    static constexpr quint16 DefaultPort = 7772;

    // discovery: where games on the local network are heard.
    explicit PlayWithOthersWindow(const lan::DiscoveryConfig &discovery, QWidget *parent = nullptr);

    void setPlayerName(const QString &name);
    QString playerName() const;
    void setRecentHosts(const QStringList &hosts);
    LanBrowser *browser() const { return m_browser; }
    LobbyBrowser *lobbyBrowser() const { return m_lobby; }
    // The internet lobby's address (settings key LobbyAddress); empty: no
    // lobby is contacted.
    void setLobbyAddress(const QString &address);

    // "host", "host:port", "[v6]:port" or a glyphon:// link; the port is
    // DefaultPort when none is given. false for anything else (blanks, a port
    // out of range, digits and dots that are no dotted address).
    static bool parseAddress(const QString &text, QString *host, quint16 *port);
    // The address as it is remembered and shown: ":port" only when not 7772.
    static QString addressText(const QString &host, quint16 port);
    // The account's name for a first run: USER, LOGNAME, the user database.
    static QString accountName();

    QLineEdit *edit_name;
    QTreeWidget *list_games;
    QTreeWidget *list_internet;
    QLabel *label_lobby;
    QPushButton *button_join;
    QPushButton *button_host;
    QCheckBox *check_lobby;
    QPushButton *button_cancel;
    QComboBox *edit_address;
    QPushButton *button_joinaddress;
    QLabel *label_info;

signals:
    void joinRequested(const QString &name, const QString &host, quint16 port);
    void hostRequested(const QString &name);

public slots:
    void joinClick();
    void hostClick();
    void joinAddressClick();

protected:
    void showEvent(QShowEvent *event) override;
    void hideEvent(QHideEvent *event) override;

private:
    bool checkName();
    void refreshList();
    void refreshInternetList();
    void showLobbyState();

    LanBrowser *m_browser;
    LobbyBrowser *m_lobby;
};

} // namespace glyphon
