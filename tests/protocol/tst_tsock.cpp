#include "protocol/tsock.h"

#include <QDeadlineTimer>
#include <QPointer>
#include <QTest>

#include <arpa/inet.h>
#include <cerrno>
#include <memory>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

// Reports in the order they came, with handler calls logged as "<name>" so
// that reports and calls can be ordered against each other.
struct EventLog
{
    struct Entry { TSock *sock; TSocketInfo info; QString text; };
    QList<Entry> entries;

    TSock::NotifyInfoEvent info()
    {
        return [this](TSock *s, TSocketInfo i, const QString &m) { entries.append({s, i, m}); };
    }
    TSock::NotifyEvent call(const QString &name)
    {
        return [this, name](TSock *s) { entries.append({s, TSocketInfo::Error, '<' + name + '>'}); };
    }
    QStringList texts(const TSock *s = nullptr) const
    {
        QStringList out;
        for (const Entry &e : entries)
            if (!s || e.sock == s)
                out << e.text;
        return out;
    }
    int count(const QString &text, const TSock *s = nullptr) const { return int(texts(s).count(text)); }
    QStringList from(const QString &text, const TSock *s) const
    {
        const QStringList all = texts(s);
        return all.mid(all.indexOf(text));
    }
};

// A listener on an ephemeral port that accepts everything and collects what
// each accepted socket receives.
struct Host
{
    EventLog log;
    QList<QPointer<TSock>> accepted;
    QHash<TSock *, QByteArray> received;
    std::unique_ptr<TSock> listener = std::make_unique<TSock>(); // reports into the members above

    Host()
    {
        listener->setPortName(QStringLiteral("0"));
        listener->OnInfo = log.info();
        listener->OnDisconnect = log.call(QStringLiteral("disconnect"));
        listener->OnAccept = [this](TSock *s) {
            TSock *n = nullptr;
            if (s->Accept(n))
                accepted.append(n);
        };
        listener->OnRead = [this](TSock *s, int) { received[s] += s->Text(); };
        listener->setListen(true);
    }
    ~Host() { listener.reset(); }
    QString port() const { return QString::number(listener->localPort()); }
    TSock *child(int i) const { return accepted.value(i); }
};

struct Client
{
    EventLog log;
    QByteArray received;
    bool collect = true; // OnRead takes the text, or leaves it buffered
    TSock sock;

    explicit Client(const QString &port, const QString &host = QStringLiteral("127.0.0.1"))
    {
        sock.setHostName(host);
        sock.setPortName(port);
        sock.OnInfo = log.info();
        sock.OnConnect = log.call(QStringLiteral("connect"));
        sock.OnDisconnect = log.call(QStringLiteral("disconnect"));
        sock.OnRead = [this](TSock *s, int) {
            if (collect)
                received += s->Text();
        };
    }
};

QString raised(const std::function<void()> &f)
{
    try {
        f();
    } catch (const ESockException &e) {
        return e.message();
    }
    return QStringLiteral("(nothing raised)");
}

QString freePort()
{
    TSock probe;
    probe.setPortName(QStringLiteral("0"));
    probe.setListen(true);
    return QString::number(probe.localPort()); // let go again as probe goes
}

} // namespace

class TestTSock : public QObject
{
    Q_OBJECT

private slots:
    void init() { TSock::clearHostCache(); }

    void sendBeforeConnectGoesOutAfterConnect()
    {
        Host host;
        Client client(host.port());
        QVERIFY(!client.sock.Open());
        QVERIFY(client.sock.Send("CMD_logininfo+2+1.0.2+Ann\xFF"));
        QVERIFY(!client.sock.Connected());

        QTRY_COMPARE(host.received.value(host.child(0)), QByteArray("CMD_logininfo+2+1.0.2+Ann\xFF"));
        QCOMPARE(client.sock.pendingSendBytes(), 0);
        const QStringList expected{"Lookup Of Port " + host.port(), "Lookup Of Host 127.0.0.1",
                                   "Non-Blocking Outgoing Data", "Non-Blocking Socket Connected",
                                   "<connect>", "Non-Blocking Outgoing Data"};
        QCOMPARE(client.log.texts().mid(0, expected.size()), expected);
    }

    void acceptedSocketReportsAndHandlers()
    {
        Host host;
        host.listener->OnConnect = host.log.call(QStringLiteral("connect"));
        Client client(host.port());
        client.sock.Open();
        QTRY_COMPARE(host.accepted.size(), 1);
        TSock *child = host.child(0);

        QCOMPARE(host.log.texts().mid(2), (QStringList{"Setting PortName While Connected Has No Effect",
                                                       "Setting HostName While Connected Has No Effect",
                                                       "Created New TSock Structure"}));
        const auto &e = host.log.entries;
        QVERIFY(e[2].sock == child && e[3].sock == child && e[4].sock == host.listener.get());
        QVERIFY(e[2].info == TSocketInfo::Lookup && e[4].info == TSocketInfo::Accept);
        QCOMPARE(child->parent(), host.listener.get());
        QVERIFY(child->Connected());
        QCOMPARE(child->HostName(), QStringLiteral("127.0.0.1"));
        QVERIFY(!child->OnConnect);

        // The copied handlers serve the accepted socket, in both directions.
        client.sock.Send("hello");
        QTRY_COMPARE(host.received.value(child), QByteArray("hello"));
        QCOMPARE(host.log.entries.last().sock, child);
        child->Send("world");
        QTRY_COMPARE(client.received, QByteArray("world"));
    }

    void closeTwice()
    {
        Host host;
        Client client(host.port());
        client.sock.Open();
        QTRY_VERIFY(client.sock.Connected());

        QVERIFY(client.sock.Close());
        QVERIFY(!client.sock.Close());
        QCOMPARE(client.sock.handle(), -1);
        QCOMPARE(client.log.count("Socket Closed"), 2);
        QCOMPARE(client.log.entries.last().info, TSocketInfo::Close);

        // The peer sees an orderly close.
        QTRY_COMPARE(host.log.count("Socket Closed", host.child(0)), 1);
        QCOMPARE(host.log.from("<disconnect>", host.child(0)), (QStringList{"<disconnect>", "Socket Closed"}));
    }

    void refusedConnectionStaysUnconnected()
    {
        Client client(freePort());
        QVERIFY(!client.sock.Open());
        QTRY_COMPARE(client.log.count("Error #10061 (WSAECONNREFUSED)"), 1);
        QCOMPARE(client.log.entries.last().info, TSocketInfo::Error);
        QVERIFY(!client.sock.Connected());
        QVERIFY(!client.log.texts().contains("Socket Closed"));

        // A later Open does nothing until Close.
        QVERIFY(!client.sock.Open());
        QCOMPARE(client.log.count("Lookup Of Port " + client.sock.PortName()), 1);
    }

    void listenStates()
    {
        Host host;
        QVERIFY(host.listener->Listen());
        host.listener->setListen(true);
        QCOMPARE(host.log.texts().last(), QStringLiteral("Listening Already Running"));

        TSock second;
        second.setPortName(host.port());
        QCOMPARE(raised([&] { second.setListen(true); }), QStringLiteral("Listen - Error Binding Socket"));
        QVERIFY(!second.Listen());

        Client client(host.port());
        client.sock.Open();
        QCOMPARE(raised([&] { client.sock.setListen(true); }), QStringLiteral("Listen - Socket Already In Use"));
        QVERIFY(!client.sock.Listen());

        // Stopping reports the close (the flag is down by then); the port is
        // free again at once.
        host.log.entries.clear();
        host.listener->setListen(false);
        QCOMPARE(host.log.texts(), (QStringList{"Socket Closed", "Listening Stopped"}));
        second.Close();
        second.setListen(true);
        QVERIFY(second.Listen());
    }

    void operationsInTheWrongStateRaise()
    {
        TSock fresh;
        TSock *none = nullptr;
        QCOMPARE(raised([&] { fresh.Send("x"); }), QStringLiteral("Send - Socket Not Connected"));
        QCOMPARE(raised([&] { fresh.Text(); }), QStringLiteral("Receive - Socket Not Connected"));
        QCOMPARE(raised([&] { fresh.Accept(none); }), QStringLiteral("Accept - Socket Not In Listening Mode"));
        fresh.setPortName(QStringLiteral("no-such-service-here"));
        QCOMPARE(raised([&] { fresh.Open(); }), QStringLiteral("Port Lookup - Could Not Find Service Entry"));

        Host host;
        QCOMPARE(raised([&] { host.listener->Send("x"); }), QStringLiteral("Send - Cannot Send On A Listener Socket"));
        QCOMPARE(raised([&] { host.listener->Text(); }), QStringLiteral("Receive - Cannot Receive On A Listener Socket"));
        // Nothing waiting: reported, NewSock left alone.
        QVERIFY(!host.listener->Accept(none));
        QVERIFY(!none);
        QCOMPARE(host.log.texts().last(), QStringLiteral("Could Not Accept Connection"));
    }

    void lineBreakChangesNothing_data()
    {
        QTest::addColumn<TLineBreak>("lineBreak");
        QTest::newRow("CRLF") << TLineBreak::lbCRLF;
        QTest::newRow("CR") << TLineBreak::lbCR;
        QTest::newRow("LF") << TLineBreak::lbLF;
    }

    void lineBreakChangesNothing()
    {
        QFETCH(TLineBreak, lineBreak);
        const QByteArray text("a\rb\nc\r\nd\n\r\xFF" "e\0f", 13);
        Host host;
        host.listener->setLineBreak(lineBreak);
        Client client(host.port());
        client.sock.setLineBreak(lineBreak);
        client.sock.Open();
        client.sock.Send(text);
        QTRY_COMPARE(host.received.value(host.child(0)), text);
        host.child(0)->Send(text);
        QTRY_COMPARE(client.received, text);
    }

    void onReadCountIsTheWholeBuffer()
    {
        Host host;
        Client client(host.port());
        int lastCount = -1;
        client.sock.OnRead = [&](TSock *, int count) { lastCount = count; };
        client.sock.Open();
        QTRY_COMPARE(host.accepted.size(), 1);

        host.child(0)->Send("CMD_a+");
        QTRY_COMPARE(lastCount, 6);
        host.child(0)->Send("1\xFF");
        QTRY_COMPARE(lastCount, 8);
        QCOMPARE(client.sock.Text(), QByteArray("CMD_a+1\xFF"));
        QCOMPARE(client.sock.Text(), QByteArray());
    }

    void peerOrderlyClose()
    {
        Host host;
        Client client(host.port());
        client.collect = false;
        client.sock.Open();
        QTRY_COMPARE(host.accepted.size(), 1);

        host.child(0)->Send("CMD_full+\xFF");
        host.child(0)->Close();
        QTRY_COMPARE(client.log.count("Socket Closed"), 1);
        QCOMPARE(client.log.from("<disconnect>", &client.sock), (QStringList{"<disconnect>", "Socket Closed"}));

        // What came before the close can still be read, once.
        QCOMPARE(client.sock.Text(), QByteArray("CMD_full+\xFF"));
        QCOMPARE(raised([&] { client.sock.Text(); }), QStringLiteral("Receive - Socket Not Connected"));
    }

    // A connection reset by the peer ends like an orderly close after its
    // error report, so the seat it held is freed.
    void peerReset_data()
    {
        QTest::addColumn<bool>("sendingToIt");
        QTest::newRow("noticed by reading") << false;
        QTest::newRow("noticed while sending") << true;
    }

    void peerReset()
    {
        QFETCH(bool, sendingToIt);
        Host host;
        const int raw = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in addr{};
        addr.sin_family = AF_INET;
        addr.sin_port = htons(host.listener->localPort());
        addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        QCOMPARE(::connect(raw, reinterpret_cast<sockaddr *>(&addr), sizeof addr), 0);
        QTRY_COMPARE(host.accepted.size(), 1);
        TSock *child = host.child(0);

        const linger abort{1, 0};
        ::setsockopt(raw, SOL_SOCKET, SO_LINGER, &abort, sizeof abort);
        ::close(raw);
        for (int i = 0; sendingToIt && i < 3; ++i) // none of these may raise SIGPIPE
            QVERIFY(child->Send(QByteArray(1000, 'x')));

        QTRY_COMPARE(host.log.count("Socket Closed", child), 1);
        QCOMPARE(host.log.from("Error #10054 (WSAECONNRESET)", child),
                 (QStringList{"Error #10054 (WSAECONNRESET)", "<disconnect>", "Socket Closed"}));
        QCOMPARE(child->handle(), -1);
    }

    void destroyingListenerClosesAcceptedSockets()
    {
        Host host;
        Client one(host.port());
        Client two(host.port());
        one.sock.Open();
        two.sock.Open();
        QTRY_COMPARE(host.accepted.size(), 2);
        const QList<TSock *> children{host.child(0), host.child(1)};

        host.log.entries.clear();
        host.listener.reset();
        // No report from the listener; one from each accepted socket, in order.
        QCOMPARE(host.log.texts(), (QStringList{"Socket Closed", "Socket Closed"}));
        QCOMPARE(host.log.entries[0].sock, children[0]);
        QCOMPARE(host.log.entries[1].sock, children[1]);
        QVERIFY(host.accepted[0].isNull() && host.accepted[1].isNull());
        QTRY_COMPARE(one.log.count("Socket Closed") + two.log.count("Socket Closed"), 2);
    }

    void hostCache()
    {
        Host host;
        Client first(host.port(), QStringLiteral("localhost"));
        first.sock.Open();
        first.sock.Send("sent while looking up"); // goes out once connected
        Client second(host.port(), QStringLiteral("LocalHost"));
        second.sock.Open();
        QTRY_VERIFY(first.sock.Connected() && second.sock.Connected());
        QCOMPARE(TSock::hostCacheSize(), 1);
        QTRY_VERIFY(host.received.values().contains("sent while looking up"));

        // A leading digit means a dotted address, never a name to look up;
        // an unreadable one fails to connect.
        Client bad(host.port(), QStringLiteral("1nvalid.example"));
        bad.sock.Open();
        QCOMPARE(TSock::hostCacheSize(), 1);
        QTRY_COMPARE(bad.log.entries.last().info, TSocketInfo::Error);
        QVERIFY(bad.log.entries.last().text.startsWith("Error #"));
    }

    // A name is looked up off the thread; one that is not found raises the
    // lookup's text from the event loop, where the program's handler of
    // raised socket errors shows it, and the socket connects nowhere.
    void failedLookupRaisesLater()
    {
        Host host;
        Client client(host.port(), QStringLiteral("no..such..host"));
        QVERIFY(!client.sock.Open());
        QCOMPARE(client.log.texts(), (QStringList{"Lookup Of Port " + host.port(), "Lookup Of Host no..such..host"}));
        const QString nothing = raised([] {});
        QString text = nothing;
        for (QDeadlineTimer limit(20000); text == nothing && !limit.hasExpired();)
            text = raised([] { QTest::qWait(5); });
        QCOMPARE(text, QStringLiteral("Host Lookup - Could Not Find Host Entry"));
        QCOMPARE(client.log.texts().size(), 2);
        QVERIFY(!client.sock.Connected());
        QCOMPARE(TSock::hostCacheSize(), 0);
        QVERIFY(client.sock.Close());
    }

    void megabyteSendArrivesWhole()
    {
        Host host;
        Client client(host.port());
        int reads = 0;
        client.sock.OnRead = [&](TSock *s, int) { ++reads; client.received += s->Text(); };
        client.sock.Open();
        QTRY_COMPARE(host.accepted.size(), 1);

        QByteArray big(1 << 20, Qt::Uninitialized);
        for (qsizetype i = 0; i < big.size(); ++i)
            big[i] = char(i * 7 + i / 251);
        QVERIFY(client.sock.Send(big));
        host.child(0)->Send(big);
        QTRY_VERIFY_WITH_TIMEOUT(host.received.value(host.child(0)).size() == big.size(), 20000);
        QTRY_VERIFY_WITH_TIMEOUT(client.received.size() == big.size(), 20000);
        QVERIFY(host.received.value(host.child(0)) == big);
        QVERIFY(client.received == big);
        QVERIFY(reads >= big.size() / 32768); // bounded reads
        QCOMPARE(client.sock.pendingSendBytes() + host.child(0)->pendingSendBytes(), 0);
    }

    void eventsDoNotRepeatWhileNothingChanges()
    {
        Host host;
        int accepts = 0;
        host.listener->OnAccept = [&](TSock *) { ++accepts; };
        Client client(host.port());
        int writes = 0;
        client.sock.OnWrite = [&](TSock *) { ++writes; };
        client.sock.Open();
        QTRY_VERIFY(accepts > 0 && writes > 0);

        // A connection left waiting and a socket with nothing to send stay
        // quiet. Their sockets stay ready meanwhile, so a notifier left on
        // would fire again within the event loop's turns of a round trip on
        // another pair.
        Host other;
        Client pinger(other.port());
        pinger.sock.Open();
        QTRY_COMPARE(other.accepted.size(), 1);
        QVERIFY(pinger.sock.Send("ping"));
        QTRY_COMPARE(other.received.value(other.child(0)), QByteArray("ping"));
        other.child(0)->Send("pong");
        QTRY_COMPARE(pinger.received, QByteArray("pong"));
        QCOMPARE(accepts, 1);
        QCOMPARE(writes, 1);

        TSock *late = nullptr;
        QVERIFY(host.listener->Accept(late));
        late->Send("late");
        QTRY_COMPARE(client.received, QByteArray("late"));
    }

    void throwingInfoHandler()
    {
        TSock sock;
        sock.setHostName(QStringLiteral("127.0.0.1"));
        sock.setPortName(QStringLiteral("1"));
        sock.OnInfo = [](TSock *, TSocketInfo, const QString &msg) { throw std::runtime_error(msg.toStdString()); };
        QCOMPARE(raised([&] { sock.Open(); }), QStringLiteral("Error here"));
        QVERIFY(sock.Close()); // swallows its own report's failure
    }

    void errorTexts()
    {
        const QList<std::pair<int, QString>> cases{
            {ECONNREFUSED, "Error #10061 (WSAECONNREFUSED)"},
            {ECONNRESET, "Error #10054 (WSAECONNRESET)"},
            {ETIMEDOUT, "Error #10060 (WSAETIMEDOUT)"},
            {EAGAIN, "Error #10035 (WSAEWOULDBLOCK)"},
            {EHOSTUNREACH, "Error #10065 (WSAEHOSTUNREACH)"},
            {ENOMEM, "Error #10012 (UNKNOWN ERROR)"},
            // Linux's number would land on another condition's name.
            {EPROTO, QString("Error #%1 (UNKNOWN ERROR)").arg(12000 + EPROTO)},
        };
        for (const auto &[posixErrno, text] : cases)
            QCOMPARE(glyphon::socketErrorText(posixErrno), text);
        QCOMPARE(glyphon::winsockErrorName(10093), QStringLiteral("WSANOTINITIALISED"));
        QCOMPARE(glyphon::winsockErrorName(11001), QStringLiteral("WSAHOST_NOT_FOUND"));
        QCOMPARE(glyphon::winsockErrorName(10072), QStringLiteral("UNKNOWN ERROR"));
    }
};

QTEST_GUILESS_MAIN(TestTSock)
#include "tst_tsock.moc"
