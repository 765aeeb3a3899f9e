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
};

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
