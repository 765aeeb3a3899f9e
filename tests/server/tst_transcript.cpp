// Seeded games played from scripts of client lines and ticks; what the game
// sends is compared byte for byte with the recorded transcript beside each
// script. GLYPHON_RERECORD=1 rewrites the transcripts: read the diff.
//
// A script runs through ServerGame alone, or, when its first line is
// "host", through the whole host and its connection hub, with clients on
// loopback sockets.
//
// ServerGame script lines:
//   seed N | words W... | seat N NAME | seat N computer
//   lay P LETTERS        letters on P, P+1, ... of one row
//   hold S P1-P2         tiles P1..P2 (board order) held by seat S
//   start DATA           the host's CMD_startgame data
//   seat N: MESSAGE      a client line from seat N (CMD_submitit+...)
//   seat N leaves        the seat empties during the game
//   tick N | computer tick
//   pass turn | end turn  the turn passes on, or its time is up, at once
//   computer plays P+P.. | computer passes   the computer's next decision
//
// Host script lines (clients are named by a letter):
//   host SEED WORDS...   a host seeded with SEED, knowing WORDS
//   connect A            a new client A connects (from 127.0.0.1)
//   A: MESSAGE           client A sends the message
//   A leaves             client A closes its connection
//   lay P LETTERS | tick N | computer tick   as above

#include "core/servergame.h"
#include "board_support.h"
#include "server_support.h"

#include "protocol/wire.h"

#include <QDir>
#include <QFile>
#include <QSet>
#include <QTest>

using namespace glyphon;
using namespace glyphon::test;

namespace {

class ScriptHost : public ServerGame::Host
{
public:
    QByteArray out;
    QByteArray names[3];
    bool person[3] = {false, false, false};
    QSet<QString> words;
    ServerGame::ComputerMove nextMove;

    void line(const QByteArray &text) { out += text + '\n'; }
    void broadcast(const QByteArray &message) override { line("all: " + message.chopped(1)); }
    void sendTo(int seat, const QByteArray &message) override
    {
        line("to " + QByteArray::number(seat) + ": " + message.chopped(1));
    }
    bool playsItself(int seat) const override { return person[seat]; }
    QByteArray shownName(int seat) const override { return names[seat]; }
    bool isWord(const QString &word) override { return words.contains(word); }
    ServerGame::ComputerMove computerMove(int) override { return std::exchange(nextMove, {}); }
    void restartPace() override {}
    void stopPace() override {}
    void armComputer(bool on) override
    {
        if (on)
            line("(computer to move)");
    }
};

QList<int> numbers(const QByteArray &text, char separator)
{
    QList<int> list;
    for (const QByteArray &part : text.split(separator))
        list << part.toInt();
    return list;
}

// Runs the script; returns the transcript, or an error line.
QByteArray play(const QByteArray &script)
{
    ScriptHost host;
    std::mt19937 random;
    ServerGame game(host, random);
    for (const QByteArray &raw : script.split('\n')) {
        const QByteArray text = raw.trimmed();
        if (text.isEmpty() || text.startsWith('#'))
            continue;
        host.line("> " + text);
        const QList<QByteArray> w = text.split(' ');
        const int seat = w.size() > 1 ? w[1].toInt() : 0;
        if (w[0] == "seed") {
            random.seed(w[1].toUInt());
        } else if (w[0] == "words") {
            for (qsizetype i = 1; i < w.size(); ++i)
                host.words.insert(QString::fromLatin1(w[i]));
        } else if (w[0] == "lay") {
            for (qsizetype i = 0; i < w[2].size(); ++i)
                setTile(game.board(), w[1].toInt() + int(i), w[2][i], 0);
        } else if (w[0] == "hold") {
            const QList<int> range = numbers(w[2], '-');
            for (int p : tilePositions())
                if (p >= range.first() && p <= range.last())
                    game.board().cell(p).owner = seat;
        } else if (w[0] == "start") {
            game.start(ServerGame::LocalRequest, *msg::StartGame::decode(w[1]));
        } else if (w[0] == "tick") {
            for (int i = 0; i < w[1].toInt(); ++i)
                game.tick();
        } else if (text == "computer tick") {
            game.computerTick();
        } else if (text == "pass turn") {
            game.passTurn();
        } else if (text == "end turn") {
            game.endTurn();
        } else if (w[0] == "computer") {
            host.nextMove.kind = w[1] == "passes" ? ServerGame::ComputerMove::Pass : ServerGame::ComputerMove::Word;
            if (w.size() > 2)
                host.nextMove.positions = numbers(w[2], '+');
        } else if (w[0] == "seat" && w.size() == 3 && w[2] == "computer") {
            host.names[seat] = "Rizi";
            host.person[seat] = false;
        } else if (w[0] == "seat" && w.size() == 3 && w[2] == "leaves") {
            host.person[seat] = false;
            game.playerGone(seat);
        } else if (w[0] == "seat" && w[1].endsWith(':')) {
            const Command command = splitCommand(w[2]);
            if (command.name != msg::SubmitIt::Name)
                return "unknown request: " + text;
            game.submit(w[1].chopped(1).toInt(), *msg::SubmitIt::decode(command.data));
        } else if (w[0] == "seat" && w.size() == 3) {
            host.names[seat] = w[2];
            host.person[seat] = true;
        } else {
            return "unknown line: " + text;
        }
    }
    return host.out;
}

// A script that begins with "host" runs through the host itself, its hub
// and real loopback clients; each step waits until every open client has
// all that the step sent, and the transcript lists it client by client.
class HubScript
{
public:
    QByteArray out;

    // Returns an error line, or nothing.
    QByteArray step(const QByteArray &text)
    {
        const QList<QByteArray> w = text.split(' ');
        if (w[0] == "host") {
            // host SEED WORD...
            QStringList words;
            for (qsizetype i = 2; i < w.size(); ++i)
                words << QString::fromLatin1(w[i]);
            m_words = std::make_unique<WordFolder>(words);
            m_fixture = std::make_unique<ServerFixture>(w.value(1).toUInt());
            m_fixture->server().hub().setClock([this] { return m_clockMs; });
            return {};
        }
        if (!m_fixture)
            return "no host yet: " + text;
        TServer &s = m_fixture->server();
        if (w[0] == "connect" && w.size() == 2) {
            auto client = std::make_unique<TestClient>();
            if (!client->join(m_fixture->port()))
                return "no seat for " + w[1];
            m_clients.emplace_back(w[1], std::move(client));
            m_seen.push_back(0);
            // The seat offer was read by join().
            line(w[1], m_clients.back().second->messages().constFirst());
            m_seen.back() = 1;
            settle(nullptr);
        } else if (w[0] == "lay" && w.size() == 3) {
            for (qsizetype i = 0; i < w[2].size(); ++i)
                setTile(s.board(), w[1].toInt() + int(i), w[2][i], 0);
        } else if (w[0] == "tick" && w.size() == 2) {
            m_fixture->ticks(w[1].toInt());
            settle(nullptr);
        } else if (text == "a minute passes") {
            m_clockMs += 60000; // the host's clock of bans and line limits
        } else if (text == "computer tick") {
            s.computertimerTimer();
            settle(nullptr);
        } else if (w.size() == 2 && w[1] == "leaves") {
            TestClient *c = client(w[0]);
            if (!c)
                return "no client " + w[0];
            c->socket().disconnectFromHost();
            if (!c->waitClosed() || !spinUntil([&] { return !s.seats[c->seat].connected; }))
                return "still seated: " + w[0];
            settle(nullptr);
        } else if (w.size() == 2 && w[0].endsWith(':')) {
            TestClient *c = client(w[0].chopped(1));
            if (!c)
                return "no client " + w[0];
            c->sendRaw(w[1] + Terminator);
            settle(c);
        } else {
            return "unknown line: " + text;
        }
        return {};
    }

    ~HubScript()
    {
        m_clients.clear();
        m_fixture.reset();
    }

private:
    TestClient *client(const QByteArray &name) const
    {
        for (const auto &[n, c] : m_clients)
            if (n == name)
                return c.get();
        return nullptr;
    }

    void line(const QByteArray &name, const QByteArray &message) { out += name + ": " + message + '\n'; }

    // A chat from one open client (from, when it is open) follows what the
    // step sent on every connection; what each client got before its relay
    // is the step's, and the relay itself is left out.
    void settle(TestClient *from)
    {
        if (!from || !from->isOpen()) {
            from = nullptr;
            for (const auto &[n, c] : m_clients)
                if (c->isOpen() && !from)
                    from = c.get();
        }
        if (!from)
            return;
        ++m_syncs;
        const QByteArray marker = "sync " + QByteArray::number(m_syncs) + "|clBlack";
        from->send("CMD_chat", {QByteArray::number(from->seat), marker});
        const QByteArray relay = "CMD_chat+" + QByteArray::number(from->seat) + '+';
        // Per client, what it got before the relay; the relay ends its part,
        // as does its close.
        std::vector<QList<QByteArray>> got(m_clients.size());
        std::vector<bool> done(m_clients.size(), false);
        spinUntil([&] {
            bool all = true;
            for (size_t i = 0; i < m_clients.size(); ++i) {
                const TestClient &c = *m_clients[i].second;
                while (!done[i] && m_seen[i] < c.messages().size()) {
                    const QByteArray &m = c.messages().at(m_seen[i]++);
                    if (m.startsWith(relay) && m.endsWith(marker))
                        done[i] = true;
                    else
                        got[i] << m;
                }
                all = all && (done[i] || !c.isOpen());
            }
            return all;
        });
        for (size_t i = 0; i < m_clients.size(); ++i) {
            for (const QByteArray &m : got[i])
                line(m_clients[i].first, m);
            if (!done[i] && m_clients[i].second->isOpen())
                line(m_clients[i].first, "(no relay)");
        }
    }

    std::unique_ptr<WordFolder> m_words;
    std::unique_ptr<ServerFixture> m_fixture;
    qint64 m_clockMs = 0;
    std::vector<std::pair<QByteArray, std::unique_ptr<TestClient>>> m_clients;
    std::vector<qsizetype> m_seen;
    int m_syncs = 0;
};

QByteArray playThroughHost(const QByteArray &script)
{
    HubScript run;
    for (const QByteArray &raw : script.split('\n')) {
        const QByteArray text = raw.trimmed();
        if (text.isEmpty() || text.startsWith('#'))
            continue;
        run.out += "> " + text + '\n';
        if (const QByteArray error = run.step(text); !error.isEmpty())
            return error;
    }
    return run.out;
}

bool runsThroughHost(const QByteArray &script)
{
    for (const QByteArray &raw : script.split('\n')) {
        const QByteArray text = raw.trimmed();
        if (!text.isEmpty() && !text.startsWith('#'))
            return text.startsWith("host ");
    }
    return false;
}

} // namespace

class TstTranscript : public QObject
{
    Q_OBJECT
private slots:
    void replaysAsRecorded_data();
    void replaysAsRecorded();
};

void TstTranscript::replaysAsRecorded_data()
{
    QTest::addColumn<QString>("name");
    // A game to a win with a lock and refused words; a player leaving in
    // the middle of a turn; the computer's turns, a word and a pass; inputs
    // out of their phase; through the host: logins, seats, spectators,
    // just watching, removal and leaving.
    for (const char *name : {"win", "leaving", "computer", "outofphase", "seats"})
        QTest::newRow(name) << QString::fromLatin1(name);
}

void TstTranscript::replaysAsRecorded()
{
    QFETCH(QString, name);
    const QDir data(QStringLiteral(GLYPHON_TEST_DATA));
    QFile script(data.filePath(name + QStringLiteral(".script")));
    QVERIFY(script.open(QIODevice::ReadOnly));
    const QByteArray text = script.readAll();
    const QByteArray transcript = runsThroughHost(text) ? playThroughHost(text) : play(text);
    QFile recorded(data.filePath(name + QStringLiteral(".transcript")));
    if (qEnvironmentVariableIsSet("GLYPHON_RERECORD")) {
        QVERIFY(recorded.open(QIODevice::WriteOnly));
        recorded.write(transcript);
        recorded.close();
    }
    QVERIFY(recorded.open(QIODevice::ReadOnly));
    const QByteArray expected = recorded.readAll();
    if (transcript != expected) {
        // The first line that differs says more than two whole files.
        const QList<QByteArray> a = transcript.split('\n'), b = expected.split('\n');
        for (qsizetype i = 0; i < std::min(a.size(), b.size()); ++i)
            QCOMPARE(a[i], b[i]);
        QCOMPARE(a.size(), b.size());
    }
}

QTEST_GUILESS_MAIN(TstTranscript)
#include "tst_transcript.moc"
