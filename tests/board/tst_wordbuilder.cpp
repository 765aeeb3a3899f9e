// Spelling with the keyboard, without a window: the keys reach the word
// builder as the window hands them on, and the session keeps the word.
// Seat 1 plays; the letter b is on 11 (own), 12 (the opponent's), 13
// (nobody's) and 14 (the opponent's, locked); 15 is an e, the rest "a".

#include "board/wordbuilder.h"
#include "protocol/wire.h"
#include "session/clientsession.h"

#include <QKeyEvent>
#include <QTest>
#include <map>

using glyphon::ClientSession;

namespace {

QByteArray boardInTurn(int inTurn)
{
    struct Tile
    {
        int letter, owner, locked;
    };
    const std::map<int, Tile> tiles{{11, {2, 1, 0}}, {12, {2, 2, 0}}, {13, {2, 0, 0}}, {14, {2, 2, 1}}, {15, {5, 0, 0}}};
    QList<QByteArray> f{"1", "0", "0", "60", "200", "1", "64", "4", glyphon::number(inTurn)};
    for (int p : glyphon::tilePositions()) {
        const auto it = tiles.find(p);
        const Tile t = it == tiles.end() ? Tile{1, 0, 0} : it->second;
        f << glyphon::number(p) << glyphon::number(t.letter) << glyphon::number(t.owner) << "0"
          << glyphon::number(t.locked);
    }
    return glyphon::buildMessage("CMD_loadstats", f).chopped(1);
}

// One key: a letter, "back", "enter", "escape", "ctrl+<letter>" or "1".
bool press(glyphon::WordBuilder &builder, const QString &key)
{
    Qt::Key code = Qt::Key_unknown;
    QString text;
    Qt::KeyboardModifiers modifiers;
    QString name = key;
    if (name.startsWith(u"ctrl+")) {
        modifiers = Qt::ControlModifier;
        name = name.mid(5);
    }
    if (name == u"back") {
        code = Qt::Key_Backspace;
    } else if (name == u"enter") {
        code = Qt::Key_Return;
        text = QStringLiteral("\r");
    } else if (name == u"escape") {
        code = Qt::Key_Escape;
    } else if (name == u"1") {
        code = Qt::Key_1;
        text = name;
    } else {
        code = Qt::Key(Qt::Key_A + (name.at(0).unicode() - u'a'));
        text = name;
    }
    const QKeyEvent event(QEvent::KeyPress, code, modifiers, text);
    return builder.keyPressed(event);
}

} // namespace

class TestWordBuilder : public QObject
{
    Q_OBJECT

private slots:
    void typing_data();
    void typing();
};

void TestWordBuilder::typing_data()
{
    QTest::addColumn<int>("turn");
    QTest::addColumn<QString>("keys");
    QTest::addColumn<QList<int>>("chosen");
    QTest::addColumn<QStringList>("said"); // status lines, sounds (~name) and boxes (!text) in order
    QTest::addColumn<bool>("submitted");   // input closed by a word sent
    const QString noB = QStringLiteral("No tile you can use carries the letter B.");
    QTest::newRow("before the own turn: not taken, said once")
        << 2 << "b b" << QList<int>{} << QStringList{"It is not your turn yet: letters typed now are not taken."}
        << false;
    QTest::newRow("nobody's, the opponent's, then the own")
        << 1 << "b b b" << QList<int>{13, 12, 11} << QStringList{} << false;
    QTest::newRow("the opponent's locked tile is passed over, said aloud")
        << 1 << "b b b b" << QList<int>{13, 12, 11} << QStringList{noB, "~badword"} << false;
    QTest::newRow("another letter after a refused one")
        << 1 << "b b b b e z" << QList<int>{13, 12, 11, 15}
        << QStringList{noB, "~badword", "No tile you can use carries the letter Z.", "~badword"} << false;
    QTest::newRow("Backspace takes the last back") << 1 << "b e back" << QList<int>{13} << QStringList{"~clear"}
                                                   << false;
    QTest::newRow("Escape clears") << 1 << "b e escape" << QList<int>{} << QStringList{"~clear"} << false;
    QTest::newRow("Enter with one letter asks for a word")
        << 1 << "b enter" << QList<int>{13} << QStringList{"!You must create a word first"} << false;
    QTest::newRow("Enter submits") << 1 << "b e enter" << QList<int>{13, 15} << QStringList{} << true;
    QTest::newRow("Enter after a refused letter warns first")
        << 1 << "b e z enter" << QList<int>{13, 15}
        << QStringList{"No tile you can use carries the letter Z.", "~badword",
                       "No tile you can use carries the letter Z, so the word is \"BE\". Press Enter again to submit it.",
                       "~badword"}
        << false;
    QTest::newRow("Backspace forgets the refused letter")
        << 1 << "b e z back e enter" << QList<int>{13, 15}
        << QStringList{"No tile you can use carries the letter Z.", "~badword", "~clear"} << true;
    QTest::newRow("Escape forgets the refused letter")
        << 1 << "b z escape b e enter" << QList<int>{13, 15}
        << QStringList{"No tile you can use carries the letter Z.", "~badword", "~clear"} << true;
    QTest::newRow("a letter with Ctrl is no letter") << 1 << "ctrl+b" << QList<int>{} << QStringList{} << false;
    QTest::newRow("a digit is no letter") << 1 << "1" << QList<int>{} << QStringList{} << false;
}

void TestWordBuilder::typing()
{
    QFETCH(int, turn);
    QFETCH(QString, keys);
    QFETCH(QList<int>, chosen);
    QFETCH(QStringList, said);
    QFETCH(bool, submitted);
    ClientSession session(QStringLiteral("0"));
    session.game()->loggedIn({1});
    session.dispatch(boardInTurn(turn));
    glyphon::WordBuilder builder(session);
    QStringList heard;
    connect(&session, &ClientSession::statusLine, this, [&](const QString &text) { heard << text; });
    connect(&session, &ClientSession::soundCue, this, [&](const QString &name) { heard << u'~' + name; });
    connect(&session, &ClientSession::refusal, this, [&](const QString &text) { heard << u'!' + text; });
    for (const QString &key : keys.split(u' '))
        press(builder, key);
    QCOMPARE(session.chosen(), chosen);
    QCOMPARE(heard, said);
    // A word sent ends the input until the host answers.
    QCOMPARE(session.game()->turn(), submitted ? 0 : turn);
}

QTEST_GUILESS_MAIN(TestWordBuilder)
#include "tst_wordbuilder.moc"
