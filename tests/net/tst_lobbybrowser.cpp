// The lobby list poller against a loopback HTTP server that answers what the
// test tells it and keeps every request's head.

#include "net/lobbybrowser.h"

#include <QSignalSpy>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>

using glyphon::LobbyBrowser;

namespace {

class ListServer : public QTcpServer
{
public:
    ListServer()
    {
        listen(QHostAddress::LocalHost, 0);
        connect(this, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket *peer = nextPendingConnection()) {
                connect(peer, &QTcpSocket::readyRead, peer, [this, peer] {
                    m_partial[peer] += peer->readAll();
                    if (!m_partial[peer].contains("\r\n\r\n"))
                        return;
                    heads.append(m_partial.take(peer));
                    peer->write(answer);
                    peer->disconnectFromHost();
                });
                connect(peer, &QTcpSocket::disconnected, peer, &QObject::deleteLater);
            }
        });
    }
    QUrl url() const { return QUrl(QStringLiteral("http://127.0.0.1:%1").arg(serverPort())); }

    QByteArray answer;
    QList<QByteArray> heads;

private:
    QHash<QTcpSocket *, QByteArray> m_partial;
};

QByteArray listAnswer(const QByteArray &etag, const QByteArray &json)
{
    return "HTTP/1.1 200 OK\r\nContent-Type: application/json\r\nETag: " + etag
           + "\r\nConnection: close\r\nContent-Length: " + QByteArray::number(json.size()) + "\r\n\r\n" + json;
}

QByteArray header(const QByteArray &head, const QByteArray &name)
{
    for (const QByteArray &line : head.split('\n')) {
        const int colon = line.indexOf(':');
        if (colon > 0 && line.left(colon).trimmed().compare(name, Qt::CaseInsensitive) == 0)
            return line.mid(colon + 1).trimmed();
    }
    return {};
}

} // namespace

class TstLobbyBrowser : public QObject
{
    Q_OBJECT
private slots:
    void anUnchangedListCostsOneShortAnswer();
};

// Each poll after the first asks with the last ETag: a lobby that says 304
// keeps the rows as they were and sends no list at all.
void TstLobbyBrowser::anUnchangedListCostsOneShortAnswer()
{
    ListServer server;
    server.answer = listAnswer("\"v1\"", R"({"games": [{"id": "g1", "name": "Ann", "address": "192.0.2.7",
        "port": 7772, "players": 1, "spectators": 0, "running": false, "version": "1.0.2"}]})");
    LobbyBrowser browser(QStringLiteral("1.0.2"));
    QSignalSpy changed(&browser, &LobbyBrowser::rowsChanged);
    browser.setPollMs(3600 * 1000); // the test polls by starting again
    browser.setLobby(server.url());
    browser.start();
    QTRY_COMPARE(changed.count(), 1);
    QCOMPARE(browser.rows().size(), 1);
    QCOMPARE(header(server.heads.at(0), "If-None-Match"), QByteArray());

    server.answer = "HTTP/1.1 304 Not Modified\r\nETag: \"v1\"\r\nConnection: close\r\n\r\n";
    browser.stop();
    browser.start();
    QTRY_COMPARE(server.heads.size(), 2);
    QCOMPARE(header(server.heads.at(1), "If-None-Match"), QByteArray("\"v1\""));
    QTRY_VERIFY(browser.errorString().isEmpty());
    QCOMPARE(browser.rows().size(), 1);
    QCOMPARE(changed.count(), 1);
}

QTEST_GUILESS_MAIN(TstLobbyBrowser)
#include "tst_lobbybrowser.moc"
