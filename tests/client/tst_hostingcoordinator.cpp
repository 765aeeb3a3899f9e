// What the hosting window tells its user about reaching the game: the lines
// are the program's own text and must reach the chat pane as written.

#include "client/hostingcoordinator.h"
#include "server/hostconfig.h"
#include "server/tserver.h"
#include "protocol/tsock.h"

#include <QSignalSpy>
#include <QTest>

class TestHostingCoordinator : public QObject
{
    Q_OBJECT

private slots:
    void portLeftClosedPointsToHelp();
    void listedOnlyWhenReachable_data();
    void listedOnlyWhenReachable();
};

using State = glyphon::PortMapper::State;
Q_DECLARE_METATYPE(State)

// A game listed where nobody can reach it only fills the lobby's refusals;
// one reachable but never listed is the user's check box ignored.
void TestHostingCoordinator::listedOnlyWhenReachable_data()
{
    QTest::addColumn<QString>("local");
    QTest::addColumn<State>("state");
    QTest::addColumn<QString>("outside");
    QTest::addColumn<int>("verdict"); // 0 list, 1 say why not, 2 wait
    QTest::newRow("public address, no router") << "11.77.0.5" << State::Unmapped << "" << 0;
    QTest::newRow("home network, port opened") << "192.168.1.4" << State::Mapped << "11.77.0.1" << 0;
    QTest::newRow("router still asked") << "192.168.1.4" << State::Mapping << "" << 2;
    QTest::newRow("router behind the provider's") << "192.168.1.4" << State::Mapped << "100.64.3.9" << 1;
    QTest::newRow("router refused") << "10.0.0.7" << State::Error << "" << 1;
    QTest::newRow("port left closed") << "172.16.0.2" << State::Unmapped << "" << 1;
    QTest::newRow("no network") << "" << State::Unmapped << "" << 1;
    QTest::newRow("documentation network, port left closed") << "192.0.2.2" << State::Unmapped << "" << 1;
}

void TestHostingCoordinator::listedOnlyWhenReachable()
{
    QFETCH(QString, local);
    QFETCH(State, state);
    QFETCH(QString, outside);
    QFETCH(int, verdict);
    const std::optional<QString> why = glyphon::HostingCoordinator::whyNotReachable(local, state, outside);
    QCOMPARE(why ? (why->isEmpty() ? 0 : 1) : 2, verdict);
}

void TestHostingCoordinator::portLeftClosedPointsToHelp()
{
    glyphon::HostConfig config;
    config.port = 0;
    TServer server(config);
    server.Sock1->setListen(true);
    glyphon::lan::DiscoveryConfig discovery;
    discovery.loopbackOnly = true;
    discovery.port = 0; // nobody hears the announcement
    glyphon::HostingCoordinator hosting(server, discovery);
    QSignalSpy lines(&hosting, &glyphon::HostingCoordinator::statusLine);
    hosting.start(false);
    QCOMPARE(lines.size(), 2);
    const QString closed = lines.at(1).at(0).toString();
    QVERIFY2(closed.endsWith(QStringLiteral("by hand (see Help \u25B8 Connecting).")), qPrintable(closed));
    hosting.stop();
}

QTEST_GUILESS_MAIN(TestHostingCoordinator)
#include "tst_hostingcoordinator.moc"
