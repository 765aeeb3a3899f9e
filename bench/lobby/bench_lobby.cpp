// The lobby's list under load, next to nginx serving the same list as a
// static file (the floor a list service cannot beat on this machine).
//
// Registers N games from many 127.x addresses (each address may list only a
// few), with one greeter answering every probe; then C clients poll
// GET /v1/games as fast as answers come (half with a matching If-None-Match)
// while R games a second are renewed. The load comes from our own keep-alive
// HTTP/1.1 generator: plain sockets and poll(), one thread, so the numbers
// include its cost on a small machine; compare ratios more than times.

#include "hostclient.h"

#include <QCoreApplication>
#include <QScopeGuard>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QHostAddress>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QStandardPaths>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QThread>

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

constexpr int GamesPerAddress = 10; // the lobby's registrations a minute per address

double msSince(Clock::time_point start)
{
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

quint16 freePort()
{
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost, 0);
    return probe.serverPort();
}

// 127.<net>.x.y, never .0 or .255 in the last place.
std::string loopbackAddress(int net, int index)
{
    return "127." + std::to_string(net) + "." + std::to_string(index / 250) + "." + std::to_string(index % 250 + 1);
}

bool waitForPort(quint16 port, int timeoutMs)
{
    const auto start = Clock::now();
    while (msSince(start) < timeoutMs) {
        QTcpSocket socket;
        socket.connectToHost(QHostAddress::LocalHost, port);
        if (socket.waitForConnected(200))
            return true;
        QThread::msleep(50);
    }
    return false;
}

// One keep-alive HTTP/1.1 connection from a chosen loopback address.
struct Connection
{
    int fd = -1;
    std::string out;
    std::string in;
    Clock::time_point sent;
    bool busy = false;
    int target = 0; // which server it talks to
    bool conditional = false;
    std::string etag;
    // Parsed answer, valid when complete() says so.
    int status = 0;
    std::string body;
    std::string answerEtag;

    bool open(const std::string &from, quint16 port)
    {
        fd = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK, 0);
        if (fd < 0)
            return false;
        const int one = 1;
        ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
        sockaddr_in local{};
        local.sin_family = AF_INET;
        ::inet_pton(AF_INET, from.c_str(), &local.sin_addr);
        if (::bind(fd, reinterpret_cast<sockaddr *>(&local), sizeof local) != 0)
            return false;
        sockaddr_in remote{};
        remote.sin_family = AF_INET;
        remote.sin_port = htons(port);
        remote.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        const int rc = ::connect(fd, reinterpret_cast<sockaddr *>(&remote), sizeof remote);
        return rc == 0 || errno == EINPROGRESS;
    }
    void close()
    {
        if (fd >= 0)
            ::close(fd);
        fd = -1;
    }
    void request(const std::string &text)
    {
        out = text;
        in.clear();
        busy = true;
        sent = Clock::now();
        flush();
    }
    void flush()
    {
        while (!out.empty()) {
            const ssize_t n = ::send(fd, out.data(), out.size(), MSG_NOSIGNAL);
            if (n <= 0)
                return;
            out.erase(0, size_t(n));
        }
    }
    // Reads what is there; true once a whole answer is in.
    bool readSome()
    {
        char buffer[65536];
        for (;;) {
            const ssize_t n = ::recv(fd, buffer, sizeof buffer, 0);
            if (n <= 0)
                break;
            in.append(buffer, size_t(n));
        }
        const size_t end = in.find("\r\n\r\n");
        if (end == std::string::npos)
            return false;
        std::string head = in.substr(0, end);
        for (char &c : head)
            c = char(std::tolower(static_cast<unsigned char>(c)));
        size_t length = 0;
        const size_t cl = head.find("\r\ncontent-length:");
        if (cl != std::string::npos)
            length = std::stoul(head.substr(cl + 17));
        if (in.size() < end + 4 + length)
            return false;
        status = std::atoi(in.c_str() + 9);
        answerEtag.clear();
        const size_t et = head.find("\r\netag:");
        if (et != std::string::npos) {
            const size_t from = in.find_first_not_of(' ', et + 7);
            answerEtag = in.substr(from, in.find("\r\n", from) - from);
        }
        body = in.substr(end + 4, length);
        in.erase(0, end + 4 + length);
        busy = false;
        return true;
    }
};

// Waits until every connection has its answer (or the time is up).
bool drain(std::vector<Connection *> &connections, int timeoutMs)
{
    const auto start = Clock::now();
    std::vector<pollfd> fds;
    for (;;) {
        fds.clear();
        for (Connection *c : connections) {
            if (c->busy)
                fds.push_back({c->fd, short(POLLIN | (c->out.empty() ? 0 : POLLOUT)), 0});
        }
        if (fds.empty())
            return true;
        if (msSince(start) > timeoutMs)
            return false;
        ::poll(fds.data(), fds.size(), 100);
        for (Connection *c : connections) {
            if (c->busy) {
                c->flush();
                c->readSome();
            }
        }
    }
}

std::string gameBody(quint16 port)
{
    return "{\"name\":\"bench\",\"port\":" + std::to_string(port)
           + ",\"players\":1,\"spectators\":0,\"running\":false,\"version\":\"1.0\"}";
}

std::string withBody(const std::string &head, const std::string &body)
{
    return head + "Host: 127.0.0.1\r\nContent-Type: application/json\r\nContent-Length: "
           + std::to_string(body.size()) + "\r\n\r\n" + body;
}

const std::string ListRequest = "GET /v1/games HTTP/1.1\r\nHost: 127.0.0.1\r\n\r\n";

struct Game
{
    std::string id;
    std::string secret;
    quint16 port = 0; // where its host greets
};

qint64 residentKb(qint64 pid)
{
    QFile status(QStringLiteral("/proc/%1/status").arg(pid));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').first().toLongLong();
    }
    return -1;
}

// With its children (nginx serves from a worker process).
double cpuMs(const std::vector<QProcess *> &processes)
{
    double sum = 0;
    for (QProcess *p : processes) {
        const qint64 pid = p->processId();
        sum += glyphon::bench::cpuSeconds(pid) * 1000.0;
        QFile children(QStringLiteral("/proc/%1/task/%1/children").arg(pid));
        if (children.open(QIODevice::ReadOnly)) {
            for (const QByteArray &child : children.readAll().split(' ')) {
                if (!child.trimmed().isEmpty())
                    sum += glyphon::bench::cpuSeconds(child.trimmed().toLongLong()) * 1000.0;
            }
        }
    }
    return sum;
}

qint64 redisUsedMemory(quint16 port)
{
    QTcpSocket socket;
    socket.connectToHost(QHostAddress::LocalHost, port);
    if (!socket.waitForConnected(2000))
        return -1;
    socket.write("INFO memory\r\n");
    QByteArray answer;
    while (!answer.contains("used_memory:") || !answer.endsWith("\r\n\r\n")) {
        if (!socket.waitForReadyRead(2000))
            break;
        answer += socket.readAll();
    }
    const qsizetype at = answer.indexOf("used_memory:");
    return at < 0 ? -1 : answer.mid(at + 12, answer.indexOf('\r', at) - at - 12).toLongLong();
}

struct Options
{
    int games = 10000;
    int clients = 200;
    int seconds = 20;
    int renewals = 500;
    bool redis = false;
};

struct Result
{
    std::vector<double> full;      // 200 answers, ms
    std::vector<double> unchanged; // 304 answers, ms
    std::vector<long> perTarget;
    long renewed = 0;
    long failed = 0;
    double serverCpuMs = 0; // the servers' CPU time during the run (Redis not counted)
    double fullBytes = 0; // body bytes of the 200 answers
    double seconds = 0;
};

double percentile(std::vector<double> &v, double p)
{
    if (v.empty())
        return 0;
    std::sort(v.begin(), v.end());
    return v[std::min(v.size() - 1, size_t(p * double(v.size())))];
}

// C pollers spread over the targets, half of them conditional, plus renewals.
Result poll(const Options &options, const std::vector<quint16> &targets, const std::string &listPath,
            const std::vector<Game> &games, const std::vector<quint16> &renewTargets)
{
    Result result;
    result.perTarget.assign(targets.size(), 0);
    const std::string listRequest = "GET " + listPath + " HTTP/1.1\r\nHost: 127.0.0.1\r\n";
    std::vector<std::unique_ptr<Connection>> pollers;
    for (int i = 0; i < options.clients; ++i) {
        auto c = std::make_unique<Connection>();
        c->target = i % int(targets.size());
        c->conditional = (i / int(targets.size())) % 2 == 1;
        if (!c->open(loopbackAddress(3, i), targets[size_t(c->target)]))
            std::fprintf(stderr, "bench_lobby: cannot open a poller\n");
        pollers.push_back(std::move(c));
    }
    // Renewals: enough connections, each from its own address, to keep the
    // asked rate with answers taking up to 200 ms.
    std::vector<std::unique_ptr<Connection>> renewers;
    const int renewerCount = renewTargets.empty() ? 0 : std::clamp(options.renewals / 5, 8, 250);
    for (int i = 0; i < renewerCount; ++i) {
        auto c = std::make_unique<Connection>();
        c->target = i % int(renewTargets.size());
        c->open(loopbackAddress(4, i), renewTargets[size_t(c->target)]);
        renewers.push_back(std::move(c));
    }
    // Conditional pollers learn the tag from a first plain answer.
    for (auto &c : pollers)
        c->request(listRequest + "\r\n");
    std::vector<Connection *> all;
    for (auto &c : pollers)
        all.push_back(c.get());
    drain(all, 10000);
    for (auto &c : pollers)
        c->etag = c->answerEtag;

    const auto start = Clock::now();
    const auto send = [&](Connection &c) {
        c.request(c.conditional ? listRequest + "If-None-Match: " + c.etag + "\r\n\r\n" : listRequest + "\r\n");
    };
    for (auto &c : pollers) {
        if (!c->busy) // a slow server may not have given its first answer yet
            send(*c);
    }
    long renewalsSent = 0;
    size_t nextGame = 0;
    std::vector<pollfd> fds;
    std::vector<Connection *> owners;
    while (msSince(start) < options.seconds * 1000.0) {
        const long due = long(msSince(start) / 1000.0 * options.renewals);
        for (auto &r : renewers) {
            if (!r->busy && renewalsSent < due && !games.empty()) {
                const Game &game = games[nextGame++ % games.size()];
                r->request(withBody("PUT /v1/games/" + game.id + " HTTP/1.1\r\nAuthorization: Bearer " + game.secret
                                        + "\r\n",
                                    gameBody(game.port))); // as registered: the list stays
                ++renewalsSent;
            }
        }
        fds.clear();
        owners.clear();
        for (auto *list : {&pollers, &renewers}) {
            for (auto &c : *list) {
                fds.push_back({c->fd, short(POLLIN | (c->out.empty() ? 0 : POLLOUT)), 0});
                owners.push_back(c.get());
            }
        }
        ::poll(fds.data(), fds.size(), 2);
        for (size_t i = 0; i < fds.size(); ++i) {
            if (!fds[i].revents)
                continue;
            Connection &c = *owners[i];
            c.flush();
            if (!c.busy || !c.readSome())
                continue;
            const double ms = msSince(c.sent);
            if (i >= pollers.size()) {
                c.status == 200 ? ++result.renewed : ++result.failed;
                continue;
            }
            if (c.status == 200) {
                result.full.push_back(ms);
                result.fullBytes += double(c.body.size());
            }
            else if (c.status == 304)
                result.unchanged.push_back(ms);
            else
                ++result.failed;
            ++result.perTarget[size_t(c.target)];
            if (c.status == 200 && c.conditional)
                c.etag = c.answerEtag; // the list moved under a renewal
            send(c);
        }
    }
    result.seconds = msSince(start) / 1000.0;
    for (auto *list : {&pollers, &renewers}) {
        for (auto &c : *list)
            c->close();
    }
    return result;
}

void printRow(const char *what, Result &r, int targets, const std::string &memory)
{
    const double full50 = percentile(r.full, 0.5), full99 = percentile(r.full, 0.99);
    const double same50 = percentile(r.unchanged, 0.5), same99 = percentile(r.unchanged, 0.99);
    long total = 0;
    for (long n : r.perTarget)
        total += n;
    std::printf("%-22s | %7.2f %7.2f | %7.2f %7.2f | %8.0f | %6ld %5ld | %s\n", what, full50, full99, same50, same99,
                double(total) / r.seconds / targets, r.renewed, r.failed, memory.c_str());
    std::printf("%-22s   %zu full answers of %.0f bytes on average, %zu unchanged; server CPU %.2f ms a request\n", "",
                r.full.size(), r.full.empty() ? 0.0 : r.fullBytes / double(r.full.size()), r.unchanged.size(),
                total ? r.serverCpuMs / double(total) : 0.0);
    std::fflush(stdout);
}

class Children
{
public:
    ~Children()
    {
        for (auto it = m_processes.rbegin(); it != m_processes.rend(); ++it) {
            (*it)->terminate();
            if (!(*it)->waitForFinished(5000))
                (*it)->kill();
            (*it)->waitForFinished(2000);
        }
    }
    QProcess *start(const QString &program, const QStringList &arguments)
    {
        auto process = std::make_unique<QProcess>();
        process->setProcessChannelMode(QProcess::ForwardedErrorChannel);
        process->setStandardOutputFile(QProcess::nullDevice());
        process->start(program, arguments);
        if (!process->waitForStarted(5000)) {
            std::fprintf(stderr, "bench_lobby: cannot start %s\n", qPrintable(program));
            return nullptr;
        }
        m_processes.push_back(std::move(process));
        return m_processes.back().get();
    }

private:
    std::vector<std::unique_ptr<QProcess>> m_processes;
};

QProcess *startLobby(Children &children, quint16 port, const Options &options, quint16 redisPort)
{
    QStringList arguments{QStringLiteral("--port"), QString::number(port), QStringLiteral("--per-address"),
                          QString::number(GamesPerAddress), QStringLiteral("--max-games"),
                          QString::number(options.games + 1000), QStringLiteral("--renew-seconds"),
                          QStringLiteral("300"), QStringLiteral("--expire-seconds"), QStringLiteral("900")};
    if (redisPort)
        arguments << QStringLiteral("--redis") << QStringLiteral("127.0.0.1:%1").arg(redisPort);
    QProcess *lobby = children.start(QStringLiteral(GLYPHON_LOBBY_PROGRAM), arguments);
    if (!lobby || !waitForPort(port, 10000))
        return nullptr;
    return lobby;
}

// Registers every game; returns them with their secrets.
std::vector<Game> registerGames(const Options &options, quint16 lobbyPort, quint16 greeterPort)
{
    std::vector<Game> games;
    const int addresses = (options.games + GamesPerAddress - 1) / GamesPerAddress;
    constexpr int Batch = 100; // connections at once, under the lobby's cap
    for (int first = 0; first < addresses; first += Batch) {
        std::vector<std::unique_ptr<Connection>> batch;
        std::vector<Connection *> open;
        for (int a = first; a < std::min(addresses, first + Batch); ++a) {
            auto c = std::make_unique<Connection>();
            c->open(loopbackAddress(2, a), lobbyPort);
            open.push_back(c.get());
            batch.push_back(std::move(c));
        }
        for (int round = 0; round < GamesPerAddress; ++round) {
            std::vector<Connection *> asked;
            for (size_t i = 0; i < open.size(); ++i) {
                if (int(games.size() + asked.size()) >= options.games)
                    break;
                open[i]->request(withBody("POST /v1/games HTTP/1.1\r\n", gameBody(greeterPort)));
                asked.push_back(open[i]);
            }
            drain(asked, 10000);
            for (Connection *c : asked) {
                const QJsonObject answer = QJsonDocument::fromJson(QByteArray::fromStdString(c->body)).object();
                if (c->status != 201) {
                    std::fprintf(stderr, "bench_lobby: registration answered %d %s\n", c->status, c->body.c_str());
                    continue;
                }
                games.push_back({answer.value(QLatin1String("id")).toString().toStdString(),
                                 answer.value(QLatin1String("secret")).toString().toStdString(), greeterPort});
            }
        }
        for (Connection *c : open)
            c->close();
    }
    return games;
}

// The list once every game has been greeted (and so is listed).
std::string waitForList(quint16 lobbyPort, int games)
{
    Connection c;
    c.open("127.0.0.1", lobbyPort);
    std::vector<Connection *> one{&c};
    const auto start = Clock::now();
    size_t listed = 0;
    while (msSince(start) < 120000) {
        c.request(ListRequest);
        drain(one, 10000);
        listed = 0;
        for (size_t at = c.body.find("\"id\""); at != std::string::npos; at = c.body.find("\"id\"", at + 1))
            ++listed;
        if (int(listed) >= games)
            break;
        QThread::msleep(200);
    }
    c.close();
    std::printf("listed %zu games after %.1f s, list %zu bytes\n", listed, msSince(start) / 1000.0, c.body.size());
    return c.body;
}

QProcess *startNginx(Children &children, const QString &dir, quint16 port, const std::string &list)
{
    const QString nginx = QStandardPaths::findExecutable(QStringLiteral("nginx"), {QStringLiteral("/usr/sbin"),
                                                                                     QStringLiteral("/usr/bin")});
    if (nginx.isEmpty()) {
        std::fprintf(stderr, "bench_lobby: no nginx (apt-get install nginx-light)\n");
        return nullptr;
    }
    QDir(dir).mkpath(QStringLiteral("www"));
    // nginx started by root reads as an unprivileged worker.
    const auto readable = QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner | QFile::ReadGroup
                          | QFile::ExeGroup | QFile::ReadOther | QFile::ExeOther;
    QFile::setPermissions(dir, readable);
    QFile::setPermissions(dir + QStringLiteral("/www"), readable);
    QFile file(dir + QStringLiteral("/www/games.json"));
    file.open(QIODevice::WriteOnly);
    file.write(QByteArray::fromStdString(list));
    file.close();
    QFile config(dir + QStringLiteral("/nginx.conf"));
    config.open(QIODevice::WriteOnly);
    config.write(QStringLiteral(
                     "daemon off;\nworker_processes 1;\npid %1/nginx.pid;\nerror_log %1/error.log;\n"
                     "events { worker_connections 4096; }\n"
                     "http {\n access_log off;\n client_body_temp_path %1/body;\n proxy_temp_path %1/proxy;\n"
                     " fastcgi_temp_path %1/fastcgi;\n uwsgi_temp_path %1/uwsgi;\n scgi_temp_path %1/scgi;\n"
                     " keepalive_requests 1000000;\n"
                     " server {\n  listen 127.0.0.1:%2;\n  root %1/www;\n"
                     "  location = /games.json { default_type application/json; }\n }\n}\n")
                     .arg(dir)
                     .arg(port)
                     .toUtf8());
    config.close();
    QProcess *process = children.start(nginx, {QStringLiteral("-p"), dir, QStringLiteral("-e"),
                                               dir + QStringLiteral("/error.log"), QStringLiteral("-c"),
                                               dir + QStringLiteral("/nginx.conf")});
    if (!process || !waitForPort(port, 10000))
        return nullptr;
    return process;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    Options options;
    const QStringList args = app.arguments();
    for (qsizetype i = 1; i < args.size(); ++i) {
        const auto value = [&] { return i + 1 < args.size() ? args[++i].toInt() : 0; };
        if (args[i] == QLatin1String("--games"))
            options.games = value();
        else if (args[i] == QLatin1String("--clients"))
            options.clients = value();
        else if (args[i] == QLatin1String("--seconds"))
            options.seconds = value();
        else if (args[i] == QLatin1String("--renewals"))
            options.renewals = value();
        else if (args[i] == QLatin1String("--redis"))
            options.redis = true;
        else {
            std::fprintf(stderr, "usage: bench_lobby [--games N] [--clients C] [--seconds S] [--renewals R] [--redis]\n");
            return 2;
        }
    }
    if (options.games < 1 || options.clients < 2 || options.seconds < 1 || options.renewals < 0)
        return 2;

    // One greeter answers every probe (the games' addresses are all
    // loopback), on a thread of its own so probes are answered while the
    // generator blocks in poll().
    std::atomic<quint16> greeterPort{0};
    QThread *greeterThread = QThread::create([&greeterPort] {
        QTcpServer greeter;
        if (!greeter.listen(QHostAddress::AnyIPv4, 0))
            return;
        QObject::connect(&greeter, &QTcpServer::newConnection, &greeter, [&greeter] {
            while (QTcpSocket *socket = greeter.nextPendingConnection()) {
                QObject::connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
                if (!socket->peerAddress().isLoopback()) {
                    socket->abort();
                    continue;
                }
                socket->write("CMD_sendlogininfo+1\xFF");
                socket->disconnectFromHost();
            }
        });
        greeterPort = greeter.serverPort();
        QEventLoop loop; // ends with the thread's quit()
        loop.exec();
    });
    greeterThread->start();
    while (!greeterPort && greeterThread->isRunning())
        QThread::msleep(10);
    if (!greeterPort)
        return 1;
    const auto stopGreeter = qScopeGuard([greeterThread] {
        greeterThread->quit();
        greeterThread->wait();
        delete greeterThread;
    });

    QTemporaryDir dir;
    Children children;
    quint16 redisPort = 0;
    QProcess *redis = nullptr;
    if (options.redis) {
        redisPort = freePort();
        redis = children.start(QStringLiteral("redis-server"),
                               {QStringLiteral("--port"), QString::number(redisPort), QStringLiteral("--bind"),
                                QStringLiteral("127.0.0.1"), QStringLiteral("--save"), QString(),
                                QStringLiteral("--appendonly"), QStringLiteral("no"), QStringLiteral("--dir"), dir.path()});
        if (!redis || !waitForPort(redisPort, 10000))
            return 1;
    }
    const quint16 portA = freePort();
    QProcess *lobbyA = startLobby(children, portA, options, redisPort);
    if (!lobbyA)
        return 1;

    std::printf("load: own keep-alive generator (HTTP/1.1, poll, one thread), %d games, %d clients, %d s, "
                "%d renewals/s, store %s\n",
                options.games, options.clients, options.seconds, options.renewals,
                options.redis ? "redis" : "memory");
    const auto registering = Clock::now();
    const std::vector<Game> games = registerGames(options, portA, greeterPort);
    std::printf("registered %zu games in %.1f s\n", games.size(), msSince(registering) / 1000.0);
    const std::string list = waitForList(portA, int(games.size()));

    const auto memory = [&](const std::vector<QProcess *> &lobbies) {
        std::string text;
        for (QProcess *p : lobbies)
            text += "rss " + std::to_string(residentKb(p->processId()) / 1024) + " MB ";
        if (redisPort)
            text += "redis " + std::to_string(redisUsedMemory(redisPort) / (1024 * 1024)) + " MB";
        return text;
    };
    std::printf("\n%-22s | %-15s | %-15s | %-8s | %-12s | %s\n", "", "200 ms p50 p99", "304 ms p50 p99",
                "req/s/node", "renew fail", "memory");

    std::vector<Result> results;
    // Polls and notes what the servers spent doing it.
    const auto measured = [&](const std::vector<QProcess *> &servers, auto &&run) {
        const double before = cpuMs(servers);
        Result r = run();
        r.serverCpuMs = cpuMs(servers) - before;
        return r;
    };
    Result one = measured({lobbyA}, [&] { return poll(options, {portA}, "/v1/games", games, {portA}); });
    printRow("lobby, 1 node", one, 1, memory({lobbyA}));
    std::vector<std::pair<std::string, Result>> lobbyRuns;
    lobbyRuns.emplace_back("1 node", one);
    if (options.redis) {
        const quint16 portB = freePort();
        QProcess *lobbyB = startLobby(children, portB, options, redisPort);
        if (!lobbyB)
            return 1;
        Result two = measured({lobbyA, lobbyB},
                              [&] { return poll(options, {portA, portB}, "/v1/games", games, {portA, portB}); });
        printRow("lobby, 2 nodes", two, 2, memory({lobbyA, lobbyB}));
        lobbyRuns.emplace_back("2 nodes", two);
    }
    const quint16 nginxPort = freePort();
    QProcess *nginx = startNginx(children, dir.path(), nginxPort, list);
    if (!nginx)
        return 1;
    Result floor = measured({nginx}, [&] { return poll(options, {nginxPort}, "/games.json", {}, {}); });
    printRow("nginx static file", floor, 1, "rss " + std::to_string(residentKb(nginx->processId()) / 1024) + " MB");
    const auto ratio = [](double a, double b) { return b > 0 ? a / b : 0.0; };
    std::printf("\n");
    for (auto &[name, r] : lobbyRuns) {
        std::printf("lobby/nginx, %s: 200 p99 %.2fx, 304 p99 %.2fx, 200 p50 %.2fx\n", name.c_str(),
                    ratio(percentile(r.full, 0.99), percentile(floor.full, 0.99)),
                    ratio(percentile(r.unchanged, 0.99), percentile(floor.unchanged, 0.99)),
                    ratio(percentile(r.full, 0.5), percentile(floor.full, 0.5)));
    }
    return 0;
}
