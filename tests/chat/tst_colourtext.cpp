#include "chat/colours.h"

#include <QtTest>

using namespace glyphon;

class TestColourText : public QObject
{
    Q_OBJECT
private slots:
    void writing_data();
    void writing();
    void reading_data();
    void reading();
    void everyWrittenTextReadsBack();
    void toAndFromQColor();
    void numbers_data();
    void numbers();
};

void TestColourText::writing_data()
{
    QTest::addColumn<quint32>("colour");
    QTest::addColumn<QString>("text");
    QTest::newRow("black") << 0x000000u << "clBlack";
    QTest::newRow("status blue") << StatusLineColour << "clBlue";
    QTest::newRow("no name") << 0x00FF8040u << "$00FF8040";
    QTest::newRow("system colour") << 0xFF000008u << "clWindowText";
    QTest::newRow("none") << NoColour << "clNone";
    QTest::newRow("unknown system index") << 0xFF000019u << "$FF000019";
}

void TestColourText::writing()
{
    QFETCH(quint32, colour);
    QFETCH(QString, text);
    QCOMPARE(colourToText(colour), text);
}

void TestColourText::reading_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("readable");
    QTest::addColumn<quint32>("colour");
    QTest::newRow("name") << "clBlack" << true << 0x000000u;
    QTest::newRow("lower case") << "clblue" << true << 0xFF0000u;
    QTest::newRow("system name") << "clbtnface" << true << 0xFF00000Fu;
    QTest::newRow("decimal") << "255" << true << 0x0000FFu;
    QTest::newRow("negative decimal") << "-16777208" << true << 0xFF000008u;
    QTest::newRow("hex") << "$00FF8040" << true << 0x00FF8040u;
    QTest::newRow("largest hex") << "$FFFFFFFF" << true << 0xFFFFFFFFu;
    QTest::newRow("empty") << "" << false << 0u;
    QTest::newRow("dollar alone") << "$" << false << 0u;
    QTest::newRow("second bar field") << "b|clBlack" << false << 0u;
    QTest::newRow("unknown name") << "clPink" << false << 0u;
    QTest::newRow("blank around") << " clBlack" << false << 0u;
    QTest::newRow("digits then junk") << "12a" << false << 0u;
    QTest::newRow("hex too big") << "$100000000" << false << 0u;
    QTest::newRow("decimal too big") << "99999999999" << false << 0u;
    QTest::newRow("c-style hex") << "0xFF" << false << 0u;
}

void TestColourText::reading()
{
    QFETCH(QString, text);
    QFETCH(bool, readable);
    QFETCH(quint32, colour);
    const auto read = colourFromText(text);
    QCOMPARE(read.has_value(), readable);
    if (readable)
        QCOMPARE(*read, colour);
}

void TestColourText::everyWrittenTextReadsBack()
{
    const quint32 samples[] = {0x000000, 0x000080, 0x808080, 0xFFFFFF, 0x00FF8040, 0x00123456,
                               0xFF000000, 0xFF00001E, 0xFF000019, NoColour, 0x20000000};
    for (quint32 colour : samples) {
        const QString text = colourToText(colour);
        const auto back = colourFromText(text);
        QVERIFY2(back.has_value(), qPrintable(text));
        QCOMPARE(*back, colour);
        QCOMPARE(*colourFromText(text.toLower()), colour);
    }
}

void TestColourText::toAndFromQColor()
{
    QCOMPARE(toQColor(0x00FF8040), QColor(0x40, 0x80, 0xFF));
    QCOMPARE(toQColor(StatusLineColour), QColor(0, 0, 255));
    QCOMPARE(fromQColor(QColor(0x40, 0x80, 0xFF)), 0x00FF8040u);
    // System colours follow the application palette.
    QCOMPARE(toQColor(*colourFromText("clWindowText")), QGuiApplication::palette().color(QPalette::Text));
}

void TestColourText::numbers_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("readable");
    QTest::addColumn<qint64>("value");
    QTest::newRow("two digits") << "12" << true << qint64(12);
    QTest::newRow("leading zero") << "05" << true << qint64(5);
    QTest::newRow("plus sign") << "+7" << true << qint64(7);
    QTest::newRow("hex letter") << "$F" << true << qint64(15);
    QTest::newRow("int minimum") << "-2147483648" << true << qint64(-2147483648LL);
    QTest::newRow("below int") << "-2147483649" << false << qint64(0);
    QTest::newRow("trailing blank") << "5 " << false << qint64(0);
    QTest::newRow("letters") << "ab" << false << qint64(0);
}

void TestColourText::numbers()
{
    QFETCH(QString, text);
    QFETCH(bool, readable);
    QFETCH(qint64, value);
    const auto read = numberFromText(text);
    QCOMPARE(read.has_value(), readable);
    if (readable)
        QCOMPARE(*read, value);
}

QTEST_MAIN(TestColourText)
#include "tst_colourtext.moc"
