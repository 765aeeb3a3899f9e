// Where a solo game listens: on this computer only, on the port asked for
// when it is free, else on one the system chooses, never failing for a
// port another program holds.

#include "server/soloport.h"
#include "protocol/tsock.h"

#include <QTcpServer>
#include <QTest>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>

class TestSoloPort : public QObject
{
    Q_OBJECT

private slots:
    void portChoice_data();
    void portChoice();
};

namespace {

quint16 freePort()
{
    QTcpServer probe;
    probe.listen(QHostAddress::AnyIPv4, 0);
    return probe.serverPort();
}

} // namespace

void TestSoloPort::portChoice_data()
{
    QTest::addColumn<bool>("asked");
    QTest::addColumn<QString>("holder"); // who listens on the asked port first; empty: nobody
    QTest::addColumn<bool>("askedUsed");
    QTest::newRow("asked and free") << true << "" << true;
    QTest::newRow("asked, a host for others has it") << true << "0.0.0.0" << false;
    QTest::newRow("asked, another solo game has it") << true << "127.0.0.1" << false;
    QTest::newRow("none asked") << false << "" << false;
}

void TestSoloPort::portChoice()
{
    QFETCH(bool, asked);
    QFETCH(QString, holder);
    QFETCH(bool, askedUsed);
    const quint16 wanted = freePort();
    QTcpServer other;
    if (!holder.isEmpty())
        QVERIFY(other.listen(QHostAddress(holder), wanted));

    TSock listener;
    glyphon::listenForSoloGame(listener, asked ? std::optional(wanted) : std::nullopt);
    QVERIFY(listener.Listen());
    QVERIFY(listener.localPort() != 0);
    QCOMPARE(listener.localPort() == wanted, askedUsed);

    sockaddr_in bound{};
    socklen_t length = sizeof bound;
    QCOMPARE(::getsockname(listener.handle(), reinterpret_cast<sockaddr *>(&bound), &length), 0);
    QCOMPARE(ntohl(bound.sin_addr.s_addr), quint32(INADDR_LOOPBACK));
    // A copy that hosts for others later can still have the game port.
    if (!askedUsed && holder.isEmpty()) {
        QTcpServer host;
        QVERIFY(host.listen(QHostAddress::AnyIPv4, wanted));
    }
}

QTEST_GUILESS_MAIN(TestSoloPort)
#include "tst_soloport.moc"
