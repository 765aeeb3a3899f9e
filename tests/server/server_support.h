#pragma once
// A protocol client on a real loopback socket, a server fixture on a free
// port, a word file written for the test, and the opening of a test class
// that keeps one.

#include "server/tserver.h"

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QStringList>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <functional>
#include <memory>

namespace glyphon::test {

inline constexpr int WaitMs = 5000;

// Writes a word file of 15-byte records (length byte, then the word in
// capitals padded with blanks), sorted as the lookup expects.
bool writeWordFile(const QString &path, QStringList words);

// Runs the event loop until done() or the time-out; true when done.
bool spinUntil(const std::function<bool()> &done, int timeoutMs = WaitMs);

class TestClient : public QObject
{
    Q_OBJECT
public:
    TestClient();

    // from: a local address to connect from (127.0.0.2 ... are all loopback).
    bool connectTo(quint16 port, const QString &from = {});
    // Connects and reads CMD_sendlogininfo; returns the seat given, 0 if none.
    int join(quint16 port, const QString &from = {});
    // Sends CMD_logininfo for the seat given and waits for its announcement.
    bool login(const QByteArray &name, const QByteArray &version = "1.0.2");

    void sendRaw(const QByteArray &bytes);
    void send(const char *name, const QList<QByteArray> &fields);

    // The next message not looked at yet (without its terminator), waiting
    // for it; empty on time-out.
    QByteArray next(int timeoutMs = WaitMs);
    // Skips to the next message that starts with prefix; empty on time-out.
    QByteArray waitFor(const QByteArray &prefix, int timeoutMs = WaitMs);
    // Messages not looked at yet, without waiting; they count as looked at.
    QList<QByteArray> unread();
    // Sends a chat line and waits for its relay: everything this client sent
    // before has been handled by then. Returns the messages that arrived
    // before the relay (the relay itself excluded).
    QList<QByteArray> sync();
    // The text that the relay of this client's last sync() ends with.
    QByteArray lastSyncMarker() const;

    bool waitClosed(int timeoutMs = WaitMs);
    bool isOpen() const { return m_socket.state() == QAbstractSocket::ConnectedState; }
    const QByteArray &raw() const { return m_raw; }
    const QList<QByteArray> &messages() const { return m_messages; }
    QTcpSocket &socket() { return m_socket; }

    int seat = 0;

private:
    void onReadyRead();

    QTcpSocket m_socket;
    QByteArray m_raw;
    QByteArray m_partial;
    QList<QByteArray> m_messages;
    qsizetype m_cursor = 0;
    int m_syncCount = 0;
};

// A TServer listening on a free loopback port, with its pace left to the
// test: one tick lasts far longer than any test, so tests call the tick
// handlers themselves.
class ServerFixture
{
public:
    // The host's generator starts from seed, so every run deals alike.
    // adjust changes the host's configuration before the host is made.
    explicit ServerFixture(quint32 seed = 1, const std::function<void(HostConfig &)> &adjust = {});
    ~ServerFixture();

    TServer &server() { return *m_server; }
    quint16 port() const { return m_port; }
    // A connected client that has logged in under name; every client has
    // seen everything the login sent when it returns.
    TestClient *player(const QByteArray &name);
    // A connected client that has not logged in.
    TestClient *connection();
    // Starts a game from seat 1 and waits until client (if any) has seen the
    // first CMD_nextplayer.
    void startGame(int playto = 200, int seconds = 30, TestClient *client = nullptr);
    // Waits until every open client has received everything sent so far,
    // and marks it all as looked at.
    void settle();
    // Calls the pace tick n times.
    void ticks(int n);

private:
    std::unique_ptr<TServer> m_server;
    std::vector<std::unique_ptr<TestClient>> m_clients;
    quint16 m_port = 0;
};

// Changes into a temporary folder holding a word file of words, for the life
// of the object; the server's dictionary reads "English" from there.
class WordFolder
{
public:
    explicit WordFolder(const QStringList &words);
    ~WordFolder();
    QString path() const { return m_dir.path(); }

private:
    QTemporaryDir m_dir;
    QString m_previous;
};

// The opening of a host test class: its cases run in a word folder of
// words, made before the first case and gone after the last.
class HostTestCase : public QObject
{
    Q_OBJECT
protected:
    explicit HostTestCase(const QStringList &words = {QStringLiteral("tea")}) : m_wordList(words) {}

private slots:
    void initTestCase() { m_words = std::make_unique<WordFolder>(m_wordList); }
    void cleanupTestCase() { m_words.reset(); }

private:
    QStringList m_wordList;
    std::unique_ptr<WordFolder> m_words;
};

} // namespace glyphon::test
