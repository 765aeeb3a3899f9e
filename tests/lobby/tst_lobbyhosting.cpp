// A game hosted from the window on the internet lobby: listed once the router
// forwards its port, withdrawn at once when the forwarding goes, and listed
// again when it comes back. A real host and lobby on loopback; the router is
// a stand-in that answers at the mapper's next pulse.

#include "client/hostingcoordinator.h"
#include "lobby/lobbyserver.h"
#include "net/mappingprotocol.h"
#include "server/hostconfig.h"
#include "server/tserver.h"
#include "protocol/tsock.h"

#include <QSignalSpy>
#include <QTest>

using namespace glyphon;

namespace {

class AnsweringRouter : public MappingProtocol
{
public:
    QString name() const override { return QStringLiteral("test router"); }
    void map(quint16) override { m_step = Step::Mapping; }
    void unmap() override { m_step = Step::Unmapping; }
    void pulse(qint64) override
    {
        if (m_step == Step::Mapping) {
            m_publicAddress = QStringLiteral("11.77.0.1");
            m_step = Step::Mapped;
        } else if (m_step == Step::Unmapping) {
            m_step = Step::Idle;
        }
    }
};

bool saidLine(const QSignalSpy &lines, const QString &start)
{
    for (const QList<QVariant> &line : lines) {
        if (line.at(0).toString().startsWith(start))
            return true;
    }
    return false;
}

} // namespace

class TestLobbyHosting : public QObject
{
    Q_OBJECT
private slots:
    void listedWhileTheRouterForwards();
};

void TestLobbyHosting::listedWhileTheRouterForwards()
{
    if (HostingCoordinator::whyNotReachable(HostingCoordinator::localAddress(), PortMapper::State::Unmapped, {})
        == QString())
        QSKIP("this computer has a public address: its games are listed without the router");
    LobbyConfig lobbyConfig;
    lobbyConfig.port = 0;
    lobbyConfig.limits.listRefreshMs = 0; // the test reads the list on a clock of its own
    LobbyServer lobby(lobbyConfig);
    QVERIFY(lobby.start());
    HostConfig config;
    config.port = 0;
    TServer server(config);
    server.Sock1->setListen(true);
    lan::DiscoveryConfig discovery;
    discovery.loopbackOnly = true;
    discovery.port = 0; // nobody hears the announcement
    auto mapper = std::make_unique<PortMapper>(std::make_unique<AnsweringRouter>(), std::make_unique<AnsweringRouter>());
    HostingCoordinator hosting(server, discovery, nullptr, std::move(mapper));
    hosting.setLobby(QUrl(QStringLiteral("http://127.0.0.1:%1").arg(lobby.port())));
    QSignalSpy lines(&hosting, &HostingCoordinator::statusLine);
    const auto listed = [&lobby] { return lobby.store().list(0).games.size(); };

    hosting.start(true);
    QTRY_VERIFY(hosting.listedOnLobby());
    QTRY_COMPARE(listed(), 1);
    QVERIFY(saidLine(lines, QStringLiteral("The game is listed on the internet lobby")));

    lines.clear();
    hosting.setOpenPort(false);
    QTRY_COMPARE(hosting.mapper().state(), PortMapper::State::Unmapped);
    QVERIFY(!hosting.listedOnLobby());
    QTRY_COMPARE(listed(), 0);
    QVERIFY(saidLine(lines, QStringLiteral("The game left the internet lobby: this computer has no public address")));

    hosting.setOpenPort(true);
    QTRY_COMPARE(listed(), 1);
    hosting.stop();
    QCOMPARE(listed(), 0);
}

QTEST_GUILESS_MAIN(TestLobbyHosting)
#include "tst_lobbyhosting.moc"
