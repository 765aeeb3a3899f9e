#include "chat/chatinput.h"
#include "chat/smileys.h"

#include <QAction>
#include <QClipboard>
#include <QMenu>
#include <QSignalSpy>
#include <QtTest>

using namespace glyphon;

class TestChatInput : public QObject
{
    Q_OBJECT
private slots:
    void outgoing_data();
    void outgoing();
    void placeholderGoesAtFirstKey();
    void enterRequestsSendAndIsSwallowed();
    void smileyCodesAppendAtEnd();
    void pasteAppendsAtEnd();
    void smileyMenuCarriesCodes();
    void smileyPixmaps();
};

void TestChatInput::outgoing_data()
{
    QTest::addColumn<QString>("input");
    QTest::addColumn<int>("kind");
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("clear");
    QTest::newRow("chat") << "hello" << int(OutgoingChat::Chat) << "hello" << true;
    QTest::newRow("slash later") << "a/me" << int(OutgoingChat::Chat) << "a/me" << true;
    QTest::newRow("empty") << "" << int(OutgoingChat::Nothing) << "" << false;
    QTest::newRow("action") << "/me waves" << int(OutgoingChat::Action) << "waves" << true;
    QTest::newRow("four always cut") << "/meow" << int(OutgoingChat::Action) << "w" << true;
    QTest::newRow("bare me") << "/me" << int(OutgoingChat::Action) << "" << true;
    QTest::newRow("smiley action") << "/me :)#12" << int(OutgoingChat::Action) << ":)#12" << true;
    QTest::newRow("case matters") << "/ME waves" << int(OutgoingChat::Nothing) << "" << true;
    QTest::newRow("other command") << "/help" << int(OutgoingChat::Nothing) << "" << true;
    QTest::newRow("wide character kept whole")
        << QString::fromUtf8("/me\U0001F600x") << int(OutgoingChat::Action) << "x" << true;
}

void TestChatInput::outgoing()
{
    QFETCH(QString, input);
    QFETCH(int, kind);
    QFETCH(QString, text);
    QFETCH(bool, clear);
    const OutgoingChat out = chatOutgoing(input);
    QCOMPARE(int(out.kind), kind);
    QCOMPARE(out.text, text);
    QCOMPARE(out.clearInput, clear);
}

void TestChatInput::placeholderGoesAtFirstKey()
{
    ChatInput input;
    input.show();
    QVERIFY(QTest::qWaitForWindowExposed(&input));
    QCOMPARE(input.text(), ChatPlaceholder);
    input.setCursorPosition(5);
    QTest::keyClicks(&input, "hi");
    QCOMPARE(input.text(), QStringLiteral("hi"));
    // Once gone it never comes back, even when emptied.
    input.clear();
    QTest::keyClick(&input, Qt::Key_Backspace);
    QCOMPARE(input.text(), QString());

    // Text that merely contains the placeholder is the user's own.
    input.setText(ChatPlaceholder + "!");
    QTest::keyClicks(&input, "x");
    QCOMPARE(input.text(), ChatPlaceholder + "!x");
}

void TestChatInput::enterRequestsSendAndIsSwallowed()
{
    ChatInput input;
    input.show();
    QSignalSpy sends(&input, &ChatInput::sendRequested);
    QSignalSpy returns(&input, &QLineEdit::returnPressed);
    QTest::keyClick(&input, Qt::Key_Return);
    QCOMPARE(sends.count(), 1);
    QCOMPARE(input.text(), QString()); // the placeholder went first: nothing to send
    QTest::keyClicks(&input, "hello");
    QTest::keyClick(&input, Qt::Key_Enter);
    QCOMPARE(sends.count(), 2);
    QCOMPARE(returns.count(), 0);
    QCOMPARE(input.text(), QStringLiteral("hello"));
}

void TestChatInput::smileyCodesAppendAtEnd()
{
    ChatInput input;
    input.insertSmileyCode(12);
    QCOMPARE(input.text(), QStringLiteral(":)#12"));
    input.setText("hi there");
    input.setCursorPosition(2);
    input.insertSmileyCode(27);
    QCOMPARE(input.text(), QStringLiteral("hi there:)#27"));
    QCOMPARE(input.cursorPosition(), input.text().size());
    QVERIFY(!input.hasSelectedText());
}

void TestChatInput::pasteAppendsAtEnd()
{
    QClipboard *clipboard = QGuiApplication::clipboard();
    ChatInput input;
    clipboard->setText("www.example.com");
    input.pasteAction()->trigger();
    QCOMPARE(input.text(), QStringLiteral("www.example.com"));

    // The paste key appends too, wherever the caret is.
    input.setText("see ");
    input.setCursorPosition(0);
    clipboard->setText("two\nlines");
    QTest::keyClick(&input, Qt::Key_V, Qt::ControlModifier);
    QCOMPARE(input.text(), QStringLiteral("see two lines"));
    QCOMPARE(input.cursorPosition(), input.text().size());

    clipboard->clear();
    input.pasteAtEnd();
    QCOMPARE(input.text(), QStringLiteral("see two lines"));
}

void TestChatInput::smileyMenuCarriesCodes()
{
    QWidget parent;
    QMenu *menu = createSmileyMenu(&parent);
    const QList<QAction *> items = menu->actions();
    QCOMPARE(items.size(), SmileyCount);
    QCOMPARE(items.first()->text(), QStringLiteral(":)#10"));
    QCOMPARE(items.last()->text(), QStringLiteral(":)#27"));
    QCOMPARE(items.at(2)->data().toInt(), 12);
    QVERIFY(!items.at(2)->icon().isNull());
}

void TestChatInput::smileyPixmaps()
{
    for (qreal ratio : {1.0, 2.0, 3.0}) {
        const QPixmap pixmap = smileyPixmap(3, ratio);
        QCOMPARE(pixmap.devicePixelRatio(), ratio);
        QCOMPARE(pixmap.deviceIndependentSize(), QSizeF(17, 16));
    }
    QCOMPARE(smileyPixmap(0, 2.0).size(), QSize(34, 32));
    QCOMPARE(smileyPixmap(0, 1.5).size(), QSize(26, 24)); // whole pixels, never cut off

    // Every image is drawn, and they differ from each other.
    QSet<QByteArray> seen;
    for (int i = 0; i < SmileyCount; ++i) {
        const QImage image = smileyPixmap(i, 2.0).toImage();
        QVERIFY2(image.pixelColor(17, 16).alpha() > 0, qPrintable(QString::number(i)));
        QVERIFY(image.pixelColor(0, 31).alpha() == 0);
        seen.insert(QByteArray(reinterpret_cast<const char *>(image.constBits()), image.sizeInBytes()));
    }
    QCOMPARE(seen.size(), SmileyCount);

    // Out-of-range indices draw image 0 rather than nothing.
    QCOMPARE(smileyPixmap(99, 1.0).toImage(), smileyPixmap(0, 1.0).toImage());
    QCOMPARE(smileyIcon(5).availableSizes().size(), 2);
}

QTEST_MAIN(TestChatInput)
#include "tst_chatinput.moc"
