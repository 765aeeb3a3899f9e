#include "board/wordlist.h"

#include <QFontMetrics>
#include <QTest>

using glyphon::WordList;

// A word and its points stay on one line: a long word gives way, its points
// never do.
class tst_WordList : public QObject
{
    Q_OBJECT

private slots:
    void oneLine_data()
    {
        QTest::addColumn<QString>("word");
        QTest::addColumn<int>("points");
        QTest::addColumn<int>("width"); // in "M"s
        QTest::addColumn<bool>("whole");
        QTest::newRow("room enough: whole") << QStringLiteral("PALAEOBOTANIES") << 22 << 40 << true;
        QTest::newRow("too long: the word gives way") << QStringLiteral("PALAEOBOTANIES") << 22 << 8 << false;
        QTest::newRow("a short word in a narrow list") << QStringLiteral("AA") << 2 << 5 << true;
        QTest::newRow("hardly any room: the points alone") << QStringLiteral("PALAEOBOTANIES") << 22 << 2 << false;
    }

    void oneLine()
    {
        QFETCH(QString, word);
        QFETCH(int, points);
        QFETCH(int, width);
        QFETCH(bool, whole);
        QFont font(QStringLiteral("Arial"));
        font.setPixelSize(15);
        const QFontMetrics metrics(font);
        const int pixels = width * metrics.horizontalAdvance(u'M');
        const QString line = WordList::line(metrics, word, points, pixels);
        const QString score = QStringLiteral("(%1)").arg(points);
        QVERIFY2(line.endsWith(score), qPrintable(line));
        QVERIFY(!line.contains(u'\n'));
        if (whole) {
            QCOMPARE(line, word + u' ' + score);
        } else {
            QVERIFY2(line.size() < word.size() + 1 + score.size(), qPrintable(line));
            QVERIFY2(line == score || metrics.horizontalAdvance(line) <= pixels, qPrintable(line));
            QVERIFY2(line == score || line.contains(QChar(0x2026)), qPrintable(line));
        }
    }

    // Shortened to the list's width, and whole again once it has room.
    void followsTheListsWidth()
    {
        WordList list(nullptr);
        QFont font(QStringLiteral("Arial"));
        font.setPixelSize(15);
        list.setFont(font);
        list.resize(90, 154);
        list.show();
        QVERIFY(QTest::qWaitForWindowExposed(&list));
        list.setWords({{QStringLiteral("AA"), 2}, {QStringLiteral("PALAEOBOTANIES"), 22}});
        QStringList lines = list.toPlainText().split(u'\n');
        QCOMPARE(lines.size(), 2);
        QCOMPARE(lines[0], QStringLiteral("AA (2)"));
        QVERIFY2(lines[1].endsWith(QStringLiteral("(22)")) && lines[1].contains(QChar(0x2026)), qPrintable(lines[1]));
        QCOMPARE(list.document()->lineCount(), 2); // nothing wraps
        list.resize(400, 154);
        QTRY_COMPARE(list.toPlainText(), QStringLiteral("AA (2)\nPALAEOBOTANIES (22)"));
        list.resize(90, 154);
        QTRY_VERIFY(list.toPlainText().contains(QChar(0x2026)));
    }
};

QTEST_MAIN(tst_WordList)
#include "tst_wordlist.moc"
