#include "chat/chatview.h"

#include <QAction>
#include <QClipboard>
#include <QDesktopServices>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTextBlock>
#include <QTextCursor>
#include <QtTest>

using namespace glyphon;

namespace {

// The last paragraph in a compact form: T<style>[text], L[text], S<image>.
QString describe(const QList<ChatView::Item> &items)
{
    QString out;
    for (const ChatView::Item &item : items) {
        switch (item.kind) {
        case ChatView::Item::Text:
            out += QStringLiteral("T%1[%2]").arg(item.style).arg(item.text);
            break;
        case ChatView::Item::Link:
            out += QStringLiteral("L[%1]").arg(item.text);
            break;
        case ChatView::Item::Smiley:
            out += QStringLiteral("S%1").arg(item.smiley);
            break;
        }
    }
    return out;
}

QTextCharFormat firstFormatOfBlock(const ChatView &view, int block)
{
    return view.document()->findBlockByNumber(block).begin().fragment().charFormat();
}

// Records the addresses that would have gone to the desktop's browser.
class UrlRecorder : public QObject
{
    Q_OBJECT
public:
    QList<QUrl> opened;
public slots:
    void open(const QUrl &url) { opened.append(url); }
};

} // namespace

class TestChatView : public QObject
{
    Q_OBJECT
private slots:
    void rendering_data();
    void rendering();
    void linksAreRecordedInOrder();
    void seatsKeepTheirOwnColour();
    void longChatRecoloursInSteps();
    void keepsTheLastLines_data();
    void keepsTheLastLines();
    void unreadableColourShowsRed();
    void clickingALinkReportsItsOwnText();
    void scrollsToEndUnlessScrollChatOff();
    void clearKeepsLinkNumbering();
    void copyGivesPlainText();
    void textSizeAppliesToAllStyles();
    void safeWebAddresses_data();
    void safeWebAddresses();
    void openingPassesOnlyWebAddresses();
};

void TestChatView::rendering_data()
{
    QTest::addColumn<QString>("msg");
    QTest::addColumn<QString>("expected");

    QTest::newRow("chat") << "1+Ann chats: hello" << "T6[Ann chats:  hello ]";
    QTest::newRow("status starts with its first word") << "0+You are Connected." << "T0[You are Connected. ]";
    QTest::newRow("action head ends at its colon") << "2+Ann says: hi" << "T7[Ann says:  hi ]";
    QTest::newRow("head is never a link") << "1+see www.x.com: now" << "T6[see www.x.com:  now ]";
    QTest::newRow("link keeps trailing comma")
        << "1+Ann chats: go www.example.com, now" << "T6[Ann chats:  go ]L[www.example.com, ]T6[now ]";
    QTest::newRow("capital link") << "1+Ann chats: WWW.EXAMPLE.COM" << "T6[Ann chats:  ]L[WWW.EXAMPLE.COM ]";
    QTest::newRow("bare domain") << "1+Ann chats: example.com" << "T6[Ann chats:  example.com ]";
    // Drawn as a link only where it opens.
    QTest::newRow("https link") << "1+A: https://x.org/a" << "T6[A:  ]L[https://x.org/a ]";
    QTest::newRow("address in brackets") << "1+A: (www.x.org)" << "T6[A:  (www.x.org) ]";
    QTest::newRow("marker inside a word") << "1+A: xhttp://x.org" << "T6[A:  xhttp://x.org ]";
    QTest::newRow("game link in the host's line")
        << "0+Join at 10.0.0.2 or glyphon://10.0.0.2:7773." << "T0[Join at 10.0.0.2 or ]L[glyphon://10.0.0.2:7773. ]";
    QTest::newRow("game link with a path is no link") << "1+A: glyphon://x.org/run" << "T6[A:  glyphon://x.org/run ]";
    QTest::newRow("blanks in a row") << "1+A: x  y" << "T6[A:  x  y ]";
    QTest::newRow("smiley 12") << "1+Ann chats: hi :)#12 there" << "T6[Ann chats:  hi   ]S2T6[ there ]";
    QTest::newRow("code 28") << "1+A: :)#28" << "T6[A:    ]S0";
    QTest::newRow("code ab") << "1+A: :)#abc" << "T6[A:    ]S0T6[c ]";
    QTest::newRow("trailing short code") << "1+A: :)#5" << "T6[A:    ]S0";
    QTest::newRow("hex code") << "1+A: :)#$F" << "T6[A:    ]S5";
    QTest::newRow("smileys back to back") << "1+A: :)#10:)#27" << "T6[A:    ]S0T6[  ]S17";
    QTest::newRow("link before smiley") << "1+A: www.x.com:)#11" << "T6[A:  ]L[www.x.com ]T6[ ]S1";
    QTest::newRow("me smiley loses to head") << "1+Ann :)#12" << "T6[Ann : )#12 ]";
    QTest::newRow("seat beyond nine") << "12+x: y" << "T0[x:  y ]";
    QTest::newRow("number unreadable") << "abc+x" << "T0[x ]";
    QTest::newRow("no plus at all") << "hello" << "T0[hello ]";
    QTest::newRow("line break stays in paragraph") << QString::fromUtf8("1+A: a\nb\u2029c") << "T6[A:  a b c ]";
}

void TestChatView::rendering()
{
    QFETCH(QString, msg);
    QFETCH(QString, expected);
    ChatView view;
    view.addLine("0+first line", StatusLineColour);
    view.addLine(msg, 0x000000);
    QCOMPARE(describe(view.lastParagraph()), expected);
    QCOMPARE(view.document()->blockCount(), 2);
}

void TestChatView::linksAreRecordedInOrder()
{
    ChatView view;
    view.addLine("1+Ann chats: see http://a.org/x?y=1 and www.b.com,", 0);
    view.addLine("2+Bob chats: Http://C.org", 0);
    QCOMPARE(view.linkTexts(), QStringList({"http://a.org/x?y=1 ", "www.b.com, ", "Http://C.org "}));

}

void TestChatView::seatsKeepTheirOwnColour()
{
    ChatView view;
    view.addLine("1+Ann chats: one www.a.com", 0x0000FF); // red
    view.addLine("2+Bob chats: two", 0xFF0000);           // blue
    view.addLine("0+Something happened.", StatusLineColour);
    QCOMPARE(firstFormatOfBlock(view, 0).foreground().color(), QColor(Qt::red));
    QCOMPARE(firstFormatOfBlock(view, 1).foreground().color(), QColor(Qt::blue));
    QCOMPARE(view.styleColour(6), QColor(Qt::red));
    QCOMPARE(view.styleColour(7), QColor(Qt::blue));
    QVERIFY(view.styleBold(6));
    QVERIFY(view.styleBold(0));
    QCOMPARE(firstFormatOfBlock(view, 0).fontWeight(), int(QFont::Bold));

    // Ann changes colour: her earlier line follows, Bob's and the links stay.
    view.addLine("1+Ann chats: three", 0x008000);
    const QColor green(0, 128, 0);
    QCOMPARE(firstFormatOfBlock(view, 0).foreground().color(), green);
    QCOMPARE(firstFormatOfBlock(view, 3).foreground().color(), green);
    QCOMPARE(firstFormatOfBlock(view, 1).foreground().color(), QColor(Qt::blue));
    QCOMPARE(firstFormatOfBlock(view, 2).foreground().color(), QColor(Qt::blue));
    QTextBlock first = view.document()->firstBlock();
    int links = 0;
    for (auto it = first.begin(); !it.atEnd(); ++it) {
        const QTextCharFormat f = it.fragment().charFormat();
        if (f.isAnchor()) {
            ++links;
            QCOMPARE(f.fontWeight(), int(QFont::Normal));
            QVERIFY(f.fontUnderline());
        }
    }
    QCOMPARE(links, 1);
    QCOMPARE(view.styleColour(99), QColor());
    QVERIFY(!view.styleBold(-1));
}

void TestChatView::longChatRecoloursInSteps()
{
    ChatView view;
    const int lines = ChatView::MaxLines - 2; // none drops
    for (int i = 0; i < lines; ++i)
        view.addLine(QStringLiteral("%1+P%1 chats: line %2").arg(i % 2 + 1).arg(i), 0x000080);
    QVERIFY(!view.recolourPending());

    const QColor red(Qt::red), lime(Qt::green), maroon(0x80, 0, 0);
    view.addLine("1+P1 chats: red now", 0x0000FF);
    QCOMPARE(firstFormatOfBlock(view, lines - 2).foreground().color(), red); // in view: at once
    QVERIFY(view.recolourPending());
    // A second change before the first pass ends: the latest colour wins
    // everywhere, and the other seat is never touched.
    view.addLine("1+P1 chats: lime now", 0x00FF00);
    QTRY_VERIFY(!view.recolourPending());
    for (int block : {0, 2, 500, lines - 2, lines, lines + 1})
        QCOMPARE(firstFormatOfBlock(view, block).foreground().color(), lime);
    for (int block : {1, 3, lines - 1})
        QCOMPARE(firstFormatOfBlock(view, block).foreground().color(), maroon);

    // Clearing while a pass is under way ends it.
    view.addLine("2+P2 chats: red", 0x0000FF);
    QVERIFY(view.recolourPending());
    view.clearChat();
    QVERIFY(!view.recolourPending());
    view.addLine("2+P2 chats: again", 0x0000FF);
    QCOMPARE(firstFormatOfBlock(view, 0).foreground().color(), red);
}

void TestChatView::keepsTheLastLines_data()
{
    QTest::addColumn<int>("lines");
    QTest::addColumn<int>("firstShown");
    QTest::newRow("all but the last of the margin stay") << 1049 << 0;
    QTest::newRow("then the oldest go, links and all") << 1050 << 50;
    QTest::newRow("a flood") << 2520 << 1500;
}

// Each line has a link; old lines go from the top with their links, and
// what stays keeps its links and takes a seat's new colour.
void TestChatView::keepsTheLastLines()
{
    QFETCH(int, lines);
    QFETCH(int, firstShown);
    ChatView view;
    for (int i = 0; i < lines; ++i)
        view.addLine(QStringLiteral("1+Ann chats: line %1 www.site%1.com").arg(i), 0x000080);
    QCOMPARE(view.document()->blockCount(), lines - firstShown);
    QCOMPARE(view.document()->firstBlock().text(), QStringLiteral("Ann chats:  line %1 www.site%1.com ").arg(firstShown));
    QCOMPARE(view.linkTexts().size(), lines - firstShown);
    QCOMPARE(view.firstLinkIndex(), firstShown);
    QCOMPARE(view.linkTexts().first(), QStringLiteral("www.site%1.com ").arg(firstShown));

    QSignalSpy jumps(&view, &ChatView::linkClicked);
    emit view.anchorClicked(QUrl(QStringLiteral("glyphon-link:%1").arg(firstShown - 1))); // gone, or never was
    emit view.anchorClicked(QUrl(QStringLiteral("glyphon-link:%1").arg(lines - 1)));
    QCOMPARE(jumps.size(), 1);
    QCOMPARE(jumps.at(0).at(1).toString(), QStringLiteral("www.site%1.com ").arg(lines - 1));

    view.addLine("1+Ann chats: red now", 0x0000FF);
    QTRY_VERIFY(!view.recolourPending());
    for (int block : {0, ChatView::MaxLines / 2, view.document()->blockCount() - 1})
        QCOMPARE(firstFormatOfBlock(view, block).foreground().color(), QColor(Qt::red));
}

void TestChatView::unreadableColourShowsRed()
{
    ChatView view;
    view.addLine("1+Ann chats: a", UnreadableColour);
    QCOMPARE(describe(view.lastParagraph()), QStringLiteral("T6[Ann chats:  a ]"));
    QCOMPARE(firstFormatOfBlock(view, 0).foreground().color(), QColor(255, 0, 0));
}

void TestChatView::clickingALinkReportsItsOwnText()
{
    ChatView view;
    view.resize(362, 239);
    view.show();
    QVERIFY(QTest::qWaitForWindowExposed(&view));
    view.addLine("1+Ann chats: www.first.com", 0);
    view.addLine("1+Ann chats: then http://second.org/page, ok", 0);
    QSignalSpy jumps(&view, &ChatView::linkClicked);

    // Click in the middle of the second link.
    QTextBlock block = view.document()->lastBlock();
    int position = -1;
    for (auto it = block.begin(); !it.atEnd(); ++it)
        if (it.fragment().charFormat().isAnchor())
            position = it.fragment().position() + 5;
    QVERIFY(position > 0);
    QTextCursor cursor(view.document());
    cursor.setPosition(position);
    const QPoint at = view.cursorRect(cursor).center();
    QCOMPARE(view.viewport()->cursor().shape(), Qt::ArrowCursor);
    QTest::mouseMove(view.viewport(), at);
    QTRY_COMPARE(view.viewport()->cursor().shape(), Qt::PointingHandCursor);
    QTest::mouseClick(view.viewport(), Qt::LeftButton, {}, at);
    QTRY_COMPARE(jumps.count(), 1);
    QCOMPARE(jumps.at(0).at(0).toInt(), 1);
    QCOMPARE(jumps.at(0).at(1).toString(), QStringLiteral("http://second.org/page, "));
}

void TestChatView::scrollsToEndUnlessScrollChatOff()
{
    ChatView view;
    view.resize(362, 239);
    view.show();
    QVERIFY(QTest::qWaitForWindowExposed(&view));
    QScrollBar *bar = view.verticalScrollBar();
    QCOMPARE(view.verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
    for (int i = 0; i < 60; ++i)
        view.addLine(QStringLiteral("1+Ann chats: line %1").arg(i), 0);
    QVERIFY(bar->maximum() > 0);
    QCOMPARE(bar->value(), bar->maximum());

    view.scrollChatOffAction()->trigger();
    QVERIFY(view.scrollChatOff());
    bar->setValue(0);
    for (int i = 0; i < 5; ++i)
        view.addLine("1+Ann chats: more", 0);
    QCOMPARE(bar->value(), 0);

    view.setScrollChatOff(false);
    QVERIFY(!view.scrollChatOffAction()->isChecked());
    view.addLine("1+Ann chats: last", 0);
    QCOMPARE(bar->value(), bar->maximum());
}

void TestChatView::clearKeepsLinkNumbering()
{
    ChatView view;
    QSignalSpy cleared(&view, &ChatView::chatCleared);
    view.addLine("1+Ann chats: www.old.com", 0);
    view.addLine("1+Ann chats: :)#11", 0);
    view.clearChatAction()->trigger();
    QCOMPARE(cleared.count(), 1);
    QVERIFY(view.document()->isEmpty());
    QVERIFY(view.lastParagraph().isEmpty());

    view.addLine("1+Ann chats: www.new.com :)#13", 0);
    QCOMPARE(view.document()->blockCount(), 1);
    QCOMPARE(describe(view.lastParagraph()), QStringLiteral("T6[Ann chats:  ]L[www.new.com ]T6[  ]S3"));
    // The old link went with its line, and its number is not given again.
    QCOMPARE(view.linkTexts(), QStringList({"www.new.com "}));
    QCOMPARE(view.firstLinkIndex(), 1);
    // The smiley pictures come back after clearing.
    const QVariant picture = view.document()->resource(QTextDocument::ImageResource, QUrl("smiley:3"));
    QVERIFY(!picture.value<QPixmap>().isNull());
}

void TestChatView::copyGivesPlainText()
{
    ChatView view;
    view.addLine("1+Ann chats: hi :)#10", 0);
    view.addLine("0+Bye.", StatusLineColour);
    QGuiApplication::clipboard()->setText("before");
    view.copySelection(); // nothing selected: clipboard untouched
    QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("before"));
    view.selectAllAction()->trigger();
    view.copyAction()->trigger();
    QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("Ann chats:  hi   \nBye. "));
}

void TestChatView::textSizeAppliesToAllStyles()
{
    ChatView view;
    view.addLine("1+Ann chats: hi www.a.com", 0);
    for (int points : {8, 14}) {
        view.setTextSize(points);
        QCOMPARE(view.textSize(), points);
        QCOMPARE(view.document()->defaultFont().pointSize(), points);
        QTextBlock block = view.document()->firstBlock();
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextCharFormat f = it.fragment().charFormat();
            QCOMPARE(f.font().pointSize(), points); // inherited, not fixed per item
        }
    }
}

void TestChatView::safeWebAddresses_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("safe");
    QTest::newRow("http") << "http://x" << true;
    QTest::newRow("https") << "https://x" << true;
    QTest::newRow("www with comma") << "www.x.com," << true;
    QTest::newRow("capitals") << "WWW.EXAMPLE.COM" << true;
    QTest::newRow("capital scheme") << "HTTP://EXAMPLE.COM/A" << true;
    QTest::newRow("local file") << "file:///etc/passwd" << false;
    QTest::newRow("local program") << "/usr/bin/xterm" << false;
    QTest::newRow("script") << "javascript:alert('www.x')" << false;
    QTest::newRow("ftp") << "ftp://www.x.com" << false;
    QTest::newRow("marker inside") << "xhttp://x.com" << false;
    QTest::newRow("marker after path") << "/tmp/www.evil.sh" << false;
    QTest::newRow("no host") << "http:///etc/passwd" << false;
    QTest::newRow("scheme only") << "http://" << false;
    QTest::newRow("leading blank") << " www.x.com" << false;
}

void TestChatView::safeWebAddresses()
{
    QFETCH(QString, text);
    QFETCH(bool, safe);
    QCOMPARE(isSafeWebAddress(text), safe);
}

void TestChatView::openingPassesOnlyWebAddresses()
{
    UrlRecorder recorder;
    QDesktopServices::setUrlHandler("http", &recorder, "open");
    QDesktopServices::setUrlHandler("https", &recorder, "open");
    QDesktopServices::setUrlHandler("file", &recorder, "open");

    QVERIFY(openChatLink("www.example.com, "));
    QVERIFY(openChatLink("https://example.org/a?b=c  "));
    QVERIFY(openChatLink("http://example.org/x,y),"));
    QVERIFY(!openChatLink("file:///etc/passwd "));
    QVERIFY(!openChatLink("/usr/bin/xterm "));
    QCOMPARE(recorder.opened.size(), 3);
    QCOMPARE(recorder.opened.at(0), QUrl("http://www.example.com"));
    QCOMPARE(recorder.opened.at(1), QUrl("https://example.org/a?b=c"));
    QCOMPARE(recorder.opened.at(2), QUrl("http://example.org/x,y),")); // a path keeps it

    QDesktopServices::unsetUrlHandler("http");
    QDesktopServices::unsetUrlHandler("https");
    QDesktopServices::unsetUrlHandler("file");
}

QTEST_MAIN(TestChatView)
#include "tst_chatview.moc"
