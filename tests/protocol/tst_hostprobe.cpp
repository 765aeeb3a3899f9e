// Trying an address before joining it: what the host's first words (or its
// silence) mean, over real loopback sockets, and that the probe lets go of
// the connection as soon as it knows.

#include "core/messages.h"
#include "protocol/wire.h"
#include "protocol/hostprobe.h"

#include <QPointer>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>

using glyphon::HostProbe;

class TestHostProbe : public QObject
{
    Q_OBJECT

private slots:
    void answers_data();
    void answers();
    void droppedProbeSaysNothing();
};

void TestHostProbe::answers_data()
{
    QTest::addColumn<QString>("host"); // "none": nothing listens
    QTest::addColumn<QByteArray>("said"); // what the host sends on accepting
    QTest::addColumn<bool>("hangsUp");    // closes after saying it
    QTest::addColumn<HostProbe::Result>("result");
    const QByteArray seat = glyphon::msg::SendLoginInfo{2}.encode();
    const QByteArray full = glyphon::msg::Full{}.encode();
    QTest::newRow("seat offered") << "" << seat << false << HostProbe::Result::Greeted;
    QTest::newRow("seat offered in two parts") << "" << seat.left(5) + '|' + seat.mid(5) << false << HostProbe::Result::Greeted;
    QTest::newRow("full, then closed") << "" << full << true << HostProbe::Result::Full;
    QTest::newRow("nothing listens") << "none" << QByteArray() << false << HostProbe::Result::Unreachable;
    QTest::newRow("closed without a word") << "" << QByteArray() << true << HostProbe::Result::Unreachable;
    QTest::newRow("silent host") << "" << QByteArray() << false << HostProbe::Result::Silent;
    QTest::newRow("another protocol") << "" << QByteArray("SSH-2.0-x\r\n") + QByteArray(300, 'x') << false
                                      << HostProbe::Result::Unreachable;
    QTest::newRow("another command first") << "" << glyphon::msg::StartGame{}.encode() << false
                                           << HostProbe::Result::Unreachable;
    QTest::newRow("IPv6 only") << "::1" << seat << false << HostProbe::Result::Unreachable;
}

void TestHostProbe::answers()
{
    QFETCH(QString, host);
    QFETCH(QByteArray, said);
    QFETCH(bool, hangsUp);
    QFETCH(HostProbe::Result, result);

    QTcpServer server;
    QVERIFY(server.listen(host == QLatin1String("::1") ? QHostAddress::LocalHostIPv6 : QHostAddress::LocalHost));
    const quint16 port = server.serverPort();
    if (host == QLatin1String("none"))
        server.close();
    QPointer<QTcpSocket> accepted;
    connect(&server, &QTcpServer::newConnection, this, [&] {
        accepted = server.nextPendingConnection();
        // "|" marks where the host pauses between two writes.
        const QList<QByteArray> parts = said.split('|');
        for (const QByteArray &part : parts) {
            accepted->write(part);
            accepted->flush();
            if (parts.size() > 1)
                QTest::qWait(20);
        }
        if (hangsUp)
            accepted->disconnectFromHost();
    });

    HostProbe probe;
    QSignalSpy finished(&probe, &HostProbe::finished);
    probe.start(host.isEmpty() || host == QLatin1String("none") ? QStringLiteral("127.0.0.1") : host, port, 300);
    QTRY_COMPARE(finished.count(), 1);
    QCOMPARE(finished.at(0).at(0).value<HostProbe::Result>(), result);
    QVERIFY(!probe.running());
    // Whatever it learnt, the probe holds no connection: the host sees it go.
    if (accepted && !hangsUp)
        QTRY_COMPARE(accepted->state(), QAbstractSocket::UnconnectedState);
}

void TestHostProbe::droppedProbeSaysNothing()
{
    QTcpServer server;
    QVERIFY(server.listen(QHostAddress::LocalHost));
    HostProbe probe;
    QSignalSpy finished(&probe, &HostProbe::finished);
    probe.start(QStringLiteral("127.0.0.1"), server.serverPort(), 50);
    QTRY_VERIFY(server.hasPendingConnections());
    probe.abort();
    QTcpSocket *accepted = server.nextPendingConnection();
    QTRY_COMPARE(accepted->state(), QAbstractSocket::UnconnectedState);
    // A new try replaces the old one, which never answers.
    probe.start(QStringLiteral("127.0.0.1"), server.serverPort(), 50);
    probe.start(QStringLiteral("127.0.0.1"), server.serverPort(), 50);
    QTRY_COMPARE(finished.count(), 1);
    QCOMPARE(finished.at(0).at(0).value<HostProbe::Result>(), HostProbe::Result::Silent);
}

QTEST_GUILESS_MAIN(TestHostProbe)
#include "tst_hostprobe.moc"
