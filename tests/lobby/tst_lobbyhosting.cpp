// A game hosted with the internet lobby set, against the real lobby on
// loopback: registered as soon as hosting starts, listed once the lobby's
// probe is greeted, registered anew when the router opens the port, and
// gone from the list before hosting reports its end. The router is a
// stand-in that answers at the mapper's next pulse.

#include "lobby/lobbyserver.h"
#include "net/mappingprotocol.h"
#include "server/hosting.h"
#include "server/hostconfig.h"

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

} // namespace

class TestLobbyHosting : public QObject
{
    Q_OBJECT
private slots:
    void listedUntilHostingEnds();
};

void TestLobbyHosting::listedUntilHostingEnds()
{
    LobbyConfig lobbyConfig;
    lobbyConfig.port = 0;
    lobbyConfig.limits.listRefreshMs = 0; // the test reads the list on a clock of its own
    LobbyServer lobby(lobbyConfig);
    QVERIFY(lobby.start());
    HostConfig config;
    config.port = 0;
    lan::DiscoveryConfig discovery;
    discovery.loopbackOnly = true;
    discovery.port = 0; // nobody hears the announcement
    Hosting hosting(config, discovery, Hosting::Reader::Window);
    hosting.setMapper(std::make_unique<PortMapper>(std::make_unique<AnsweringRouter>(),
                                                   std::make_unique<AnsweringRouter>()));
    hosting.listen();
    QSignalSpy lines(&hosting, &Hosting::statusLine);
    const auto listed = [&lobby] { return lobby.store().list(0).games.size(); };
    const auto said = [&lines](const QString &start) {
        for (const QList<QVariant> &line : lines)
            if (line.at(0).toString().startsWith(start))
                return true;
        return false;
    };

    hosting.start({true, true, QUrl(QStringLiteral("http://127.0.0.1:%1").arg(lobby.port()))});
    QTRY_COMPARE(listed(), 1);
    QTRY_VERIFY(said(QStringLiteral("The game is listed on the internet lobby")));
    QCOMPARE(hosting.mapper().state(), PortMapper::State::Mapped);

    QSignalSpy finished(&hosting, &Hosting::finished);
    hosting.shutDown();
    QTRY_VERIFY(!finished.isEmpty());
    QCOMPARE(listed(), 0);
}

QTEST_GUILESS_MAIN(TestLobbyHosting)
#include "tst_lobbyhosting.moc"
