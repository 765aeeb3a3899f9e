#pragma once
// LobbyRegistration: keeps one game listed on an internet lobby. Registers
// (POST), renews as often as the lobby asks and at once when the game
// changes (PUT with the secret it was given), registers again when the lobby
// no longer knows the game (404), and deletes it when the host ends. A lobby
// that cannot be reached is tried again at the next renewal; nothing here
// ever blocks the host, nor waits for the lobby.

#include "net/lanannouncement.h"

#include <QByteArray>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QUrl>

class QNetworkAccessManager;
class QNetworkReply;
class QTimer;

namespace glyphon {

class LobbyRegistration : public QObject
{
    Q_OBJECT
public:
    static constexpr int DefaultRenewSeconds = 30;

    // lobby: the lobby's base address, such as https://lobby.example.org.
    explicit LobbyRegistration(const QUrl &lobby, QObject *parent = nullptr);
    ~LobbyRegistration() override;

    // What the lobby lists: hostName is the game's name; an empty one is
    // listed as fallbackName; a non-empty id is the game's LAN announcement ID.
    void setGame(const LanGame &game);
    void setFallbackName(const QString &name) { m_fallbackName = name; }
    void setVersion(const QString &version) { m_version = version; }
    void start();
    // Registers the game anew (the old entry deleted), so that the lobby
    // probes it again at once: its port has just been opened, and the
    // lobby would otherwise look again only a minute later.
    void registerAgain();
    // Deletes the game at the lobby without waiting: finished() follows the
    // answer, or comes after timeoutMs at most, or on the next turn of the
    // event loop when the game was not registered.
    void finishAsync(int timeoutMs);
    // Deletes the game at the lobby without waiting, while the host goes on;
    // start() lists it again.
    void withdraw();
    bool started() const { return m_started; }

    QString id() const { return m_id; }
    bool listed() const { return !m_id.isEmpty(); }

signals:
    // The lobby took the game (or took it again after forgetting it).
    void registered(const QString &id);
    // The lobby took a renewal.
    void renewed();
    // Why the lobby did not take or keep it, in words for a log.
    void refused(const QString &why);
    // After finishAsync(): the lobby answered the deletion, or it timed out.
    void finished();

private:
    void send();
    void answered(QNetworkReply *reply);
    QByteArray body() const;
    // Stops renewing and asks the lobby to delete the game; null when it was
    // not listed.
    QNetworkReply *sendDelete(int timeoutMs);

    QNetworkAccessManager *m_network;
    QTimer *m_renew;
    QPointer<QNetworkReply> m_pending;
    QUrl m_lobby;
    LanGame m_game;
    QString m_fallbackName;
    QString m_version;
    QString m_id;
    QByteArray m_secret;
    bool m_started = false;
    bool m_changed = false; // the game changed while a request was out
    bool m_again = false;   // registerAgain() while the registration was out
};

} // namespace glyphon
