#pragma once
// LobbyBrowser: the games an internet lobby lists, polled every few seconds
// while it runs. A poll that finds the list unchanged costs one short answer
// (If-None-Match with the last ETag). Only games of one version are kept, as
// only those can be joined; the lobby is a stranger too, so its answer is
// capped in size and rows.

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QUrl>

class QNetworkAccessManager;
class QNetworkReply;
class QTimer;

namespace glyphon {

struct LobbyRow
{
    QString id;
    QString name;
    QString address;
    quint16 port = 0;
    int players = 0;
    int spectators = 0;
    bool running = false;
    QByteArray lan; // the LAN announcement ID of the same game, or empty

    bool operator==(const LobbyRow &) const = default;
};

class LobbyBrowser : public QObject
{
    Q_OBJECT
public:
    static constexpr int DefaultPollMs = 5000;
    static constexpr qint64 MaxAnswer = 1024 * 1024;
    static constexpr int MaxRows = 500;

    explicit LobbyBrowser(const QString &version, QObject *parent = nullptr);
    ~LobbyBrowser() override;

    // The lobby's base address; an empty one lists nothing.
    void setLobby(const QUrl &lobby);
    QUrl lobby() const { return m_lobby; }
    void setPollMs(int ms);
    void start();
    void stop();

    const QList<LobbyRow> &rows() const { return m_rows; }
    // Why the last poll failed; empty after one that worked.
    QString errorString() const { return m_error; }

signals:
    void rowsChanged();
    void errorChanged();

private:
    void poll();
    void answered(QNetworkReply *reply);
    void setError(const QString &error);

    QNetworkAccessManager *m_network;
    QTimer *m_timer;
    QPointer<QNetworkReply> m_pending;
    QUrl m_lobby;
    QString m_version;
    QByteArray m_etag;
    QList<LobbyRow> m_rows;
    QString m_error;
};

} // namespace glyphon
