// The code page of the wire and of the user's files: the table, what cannot
// be sent, and text an earlier version stored in UTF-8.

#include "protocol/wire.h"

#include <QTest>

using namespace glyphon;

class TstCodePage : public QObject
{
    Q_OBJECT
private slots:
    void bothWays_data();
    void bothWays();
    void everyByteComesBack();
    void sentAsQuestionMark_data();
    void sentAsQuestionMark();
    void storedText_data();
    void storedText();
};

void TstCodePage::bothWays_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("Latin-1 part") << QStringLiteral("Zoë Grüße ÿ") << QByteArray("Zo\xEB Gr\xFC\xDF" "e \xFF");
    QTest::newRow("0x80-0x9F")
        << QStringLiteral("€‚ƒ„…†‡ˆ‰Š‹ŒŽ‘’“”•–—˜™š›œžŸ")
        << QByteArray("\x80\x82\x83\x84\x85\x86\x87\x88\x89\x8A\x8B\x8C\x8E\x91\x92\x93\x94\x95\x96\x97\x98\x99\x9A"
                      "\x9B\x9C\x9E\x9F");
    QTest::newRow("unassigned bytes keep their number")
        << QStringLiteral("\u0081\u008D\u008F\u0090\u009D") << QByteArray("\x81\x8D\x8F\x90\x9D");
}

void TstCodePage::bothWays()
{
    QFETCH(QString, text);
    QFETCH(QByteArray, bytes);
    QCOMPARE(fromAnsi(bytes), text);
    QCOMPARE(toAnsi(text), bytes);
}

void TstCodePage::everyByteComesBack()
{
    // Names that differ in any byte stay different text in a window.
    QByteArray all;
    for (int b = 0; b < 0xFF; ++b)
        all += char(b);
    const QString text = fromWire(all);
    QCOMPARE(text.size(), all.size());
    QCOMPARE(toWire(text), all);
}

void TstCodePage::sentAsQuestionMark_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QByteArray>("sent");
    QTest::newRow("outside the code page") << QStringLiteral("a☃b") << QByteArray("a?b");
    QTest::newRow("one mark for a pair of surrogates") << QStringLiteral("a\U0001F600b") << QByteArray("a?b");
    QTest::newRow("C1 control whose byte is taken") << QStringLiteral("\u0080\u009A") << QByteArray("??");
    // 0xFF ends a message.
    QTest::newRow("the terminator's character") << QStringLiteral("ÿ") << QByteArray("?");
}

void TstCodePage::sentAsQuestionMark()
{
    QFETCH(QString, text);
    QFETCH(QByteArray, sent);
    QCOMPARE(toWire(text), sent);
}

void TstCodePage::storedText_data()
{
    QTest::addColumn<QByteArray>("stored");
    QTest::addColumn<QString>("read");
    QTest::addColumn<QByteArray>("written");
    QTest::newRow("code page") << QByteArray("Zo\xEB \x80") << QStringLiteral("Zoë €") << QByteArray("Zo\xEB \x80");
    QTest::newRow("UTF-8 from before") << QByteArray("Zo\xC3\xAB \xE2\x82\xAC") << QStringLiteral("Zoë €")
                                       << QByteArray("Zo\xEB \x80");
    // The code page cannot hold it: kept byte for byte, nothing is lost.
    QTest::newRow("UTF-8 beyond the code page") << QByteArray("Sn\xE2\x98\x83") << QStringLiteral("Snâ˜ƒ")
                                                << QByteArray("Sn\xE2\x98\x83");
    QTest::newRow("byte order mark") << QByteArray("\xEF\xBB\xBFx") << QStringLiteral("ï»¿x")
                                     << QByteArray("\xEF\xBB\xBFx");
}

void TstCodePage::storedText()
{
    QFETCH(QByteArray, stored);
    QFETCH(QString, read);
    QFETCH(QByteArray, written);
    QCOMPARE(fromStoredText(stored), read);
    QCOMPARE(toAnsi(fromStoredText(stored)), written);
}

QTEST_GUILESS_MAIN(TstCodePage)
#include "tst_codepage.moc"
