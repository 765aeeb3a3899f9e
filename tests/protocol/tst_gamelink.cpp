// glyphon:// links as a web page, a desktop or a stranger's chat line gives them.

#include "protocol/gamelink.h"

#include <QTest>

using namespace glyphon;

class TstGameLink : public QObject
{
    Q_OBJECT
private slots:
    void reading_data();
    void reading();
};

void TstGameLink::reading_data()
{
    QTest::addColumn<QString>("link");
    QTest::addColumn<QString>("host"); // empty: refused
    QTest::addColumn<int>("port");

    QTest::newRow("address and port") << "glyphon://192.168.1.5:7773" << "192.168.1.5" << 7773;
    QTest::newRow("no port means 7772") << "glyphon://example.org" << "example.org" << 7772;
    QTest::newRow("browser's trailing slash") << "glyphon://example.org:9000/" << "example.org" << 9000;
    QTest::newRow("upper-case scheme and host") << "GLYPHON://Game.Example.ORG:80" << "game.example.org" << 80;
    QTest::newRow("port 1") << "glyphon://h:1" << "h" << 1;
    QTest::newRow("port 65535") << "glyphon://h:65535" << "h" << 65535;
    QTest::newRow("port 0") << "glyphon://h:0" << "" << 0;
    QTest::newRow("port 65536") << "glyphon://h:65536" << "" << 0;
    QTest::newRow("port wraps to 7772") << "glyphon://h:72308" << "" << 0;
    QTest::newRow("empty port") << "glyphon://h:" << "" << 0;
    QTest::newRow("signed port") << "glyphon://h:+80" << "" << 0;
    QTest::newRow("other scheme") << "http://example.org" << "" << 0;
    QTest::newRow("no slashes") << "glyphon:example.org" << "" << 0;
    QTest::newRow("scheme inside a word") << "xglyphon://h" << "" << 0;
    QTest::newRow("no host") << "glyphon://" << "" << 0;
    QTest::newRow("port only") << "glyphon://:7772" << "" << 0;
    QTest::newRow("IPv6 in brackets") << "glyphon://[::1]:7772" << "" << 0;
    QTest::newRow("user part") << "glyphon://ann@example.org" << "" << 0;
    QTest::newRow("user and password") << "glyphon://a:b@example.org:7772" << "" << 0;
    QTest::newRow("percent escape") << "glyphon://exa%6Dple.org" << "" << 0;
    QTest::newRow("blank inside") << "glyphon://exa mple.org" << "" << 0;
    QTest::newRow("leading blank") << " glyphon://example.org" << "" << 0;
    QTest::newRow("path") << "glyphon://example.org/join" << "" << 0;
    QTest::newRow("two slashes") << "glyphon://example.org//" << "" << 0;
    QTest::newRow("query") << "glyphon://example.org?x=1" << "" << 0;
    QTest::newRow("fragment") << "glyphon://example.org#x" << "" << 0;
    QTest::newRow("empty label") << "glyphon://example..org" << "" << 0;
    QTest::newRow("hyphen at label edge") << "glyphon://-x.org" << "" << 0;
    QTest::newRow("short numeric address") << "glyphon://127.1" << "" << 0;
    QTest::newRow("address as one number") << "glyphon://2130706433" << "" << 0;
    QTest::newRow("address part past 255") << "glyphon://10.0.0.256" << "" << 0;
    QTest::newRow("octal-looking address") << "glyphon://010.0.0.1" << "" << 0;
    // A resolver reads a name ending in a number as an address of an odd form.
    QTest::newRow("name ending in a number") << "glyphon://game.example.1" << "" << 0;
    QTest::newRow("name, then an address") << "glyphon://x.127.0.0.1" << "" << 0;
    QTest::newRow("digits inside a name are fine") << "glyphon://game1.example2.org" << "game1.example2.org" << 7772;
    QTest::newRow("non-ASCII host") << QString::fromUtf8("glyphon://b\u00fccher.de") << "" << 0;
    QTest::newRow("line break") << "glyphon://h\n" << "" << 0;
    QTest::newRow("longest host name")
        << "glyphon://" + QString(63, 'a') + '.' + QString(63, 'b') + '.' + QString(63, 'c') + '.' + QString(61, 'd')
               + ":65535/"
        << QString(63, 'a') + '.' + QString(63, 'b') + '.' + QString(63, 'c') + '.' + QString(61, 'd') << 65535;
    QTest::newRow("host name too long") << "glyphon://" + QString(63, 'a') + '.' + QString(63, 'b') + '.'
            + QString(63, 'c') + '.' + QString(62, 'd') << "" << 0;
    QTest::newRow("label too long") << "glyphon://" + QString(64, 'a') + ".org" << "" << 0;
    QTest::newRow("over-long junk") << "glyphon://h:7772/" + QString(100000, 'x') << "" << 0;
}

void TstGameLink::reading()
{
    QFETCH(QString, link);
    QFETCH(QString, host);
    QFETCH(int, port);
    const std::optional<GameAddress> address = parseGameLink(link);
    QCOMPARE(address ? address->host : QString(), host);
    if (address) {
        QCOMPARE(int(address->port), port);
        // What a host gives out reads back as the same game.
        const std::optional<GameAddress> again = parseGameLink(gameLink(address->host, address->port));
        QVERIFY(again && again->host == host && again->port == address->port);
    }
}

QTEST_MAIN(TstGameLink)
#include "tst_gamelink.moc"
