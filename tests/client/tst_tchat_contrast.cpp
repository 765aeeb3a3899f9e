// Every text of the board panel keeps a contrast of 4.5:1 against what it
// stands on, with the built-in tiles and every shipped tile set, whoever's
// turn it is and whichever seat looks. The backdrop is what the panel really
// paints behind the text, grabbed with the text hidden.

#include "tchat_support.h"

#include "artwork/tilepainter.h"
#include "board/countdown.h"
#include "board/readabletext.h"
#include "client/tilesetmenu.h"

#include <QLabel>
#include <QPlainTextEdit>
#include <QTest>

using namespace testsupport;

namespace {

QColor textColour(const QWidget *label)
{
    return label->palette().color(QPalette::WindowText);
}

// What lies behind label, with every label of the panel hidden.
QImage backdrop(Tchat *chat, QLabel *label)
{
    const QList<QLabel *> labels = chat->panel_board->findChildren<QLabel *>(Qt::FindDirectChildrenOnly);
    QList<QLabel *> hidden;
    for (QLabel *l : labels)
        if (l->isVisible()) {
            hidden << l;
            l->hide();
        }
    const QImage image = chat->panel_board->grab(label->geometry()).toImage();
    for (QLabel *l : hidden)
        l->show();
    return image;
}

} // namespace

class TestTchatContrast : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { enterTemporaryWorkingFolder(); }
    void ratioOfKnownColours();
    void everyTextReads_data();
    void everyTextReads();
};

void TestTchatContrast::ratioOfKnownColours()
{
    QCOMPARE(glyphon::contrastRatio(Qt::black, Qt::white), 21.0);
    QCOMPARE(glyphon::contrastRatio(Qt::white, Qt::white), 1.0);
    QVERIFY(qAbs(glyphon::contrastRatio(QColor(0x76, 0x76, 0x76), Qt::white) - 4.54) < 0.01);
}

void TestTchatContrast::everyTextReads_data()
{
    QTest::addColumn<QString>("set");
    QTest::addColumn<int>("myseat");
    QTest::addColumn<int>("mover"); // whose marker shows, with the last word's points; 0: both (round over)
    for (const char *set : {"Classic", "Wood", "Ice", "HighContrast"})
        for (int myseat : {1, 2})
            for (int mover : {0, 1, 2})
                QTest::addRow("%s, seat %d sees %d", set, myseat, mover) << QString::fromLatin1(set) << myseat << mover;
}

void TestTchatContrast::everyTextReads()
{
    QFETCH(QString, set);
    QFETCH(int, myseat);
    QFETCH(int, mover);
    useFreePort();
    auto copy = startCopy({"Ann"}); // unconnected: the test plays server
    Tchat *chat = copy->chat;
    chat->tileSets()->setFolders({QStringLiteral(GLYPHON_TILESETS_DIR)});
    QVERIFY(chat->loadgrouptiles(set));
    feed(chat, "CMD_sendlogininfo+" + QByteArray::number(myseat));
    feed(chat, "CMD_newplayerinfo+1+Ann+0+2+Rizi+0");
    feed(chat, "CMD_startgame+Ann+200+60+");
    feed(chat, plainLetters());
    if (mover == 0) {
        feed(chat, "CMD_nextplayer+1");
        feed(chat, "CMD_hisword+1+AA+12+40+11+12");
        feed(chat, "CMD_hisword+2+AA+12+40+13+14");
        feed(chat, "CMD_endround");
    } else {
        feed(chat, "CMD_nextplayer+" + QByteArray::number(mover));
        feed(chat, "CMD_hisword+" + QByteArray::number(mover) + "+AA+12+40+11+12");
    }

    QList<QLabel *> labels{chat->label_status, chat->label_roundnum, chat->label_playtoscore, chat->label_timer};
    for (int seat = 1; seat <= 2; ++seat)
        labels << chat->playerNameLabel(seat) << chat->scoreLabel(seat) << (seat == 1 ? chat->label_bonus1 : chat->label_bonus2);
    chat->label_word->setText(QStringLiteral("WORD"));
    labels << chat->label_word;
    for (QLabel *label : labels) {
        if (label->text().isEmpty() || !label->isVisible())
            continue;
        const QImage behind = backdrop(chat, label);
        QList<QColor> colours{textColour(label)};
        if (label == chat->label_timer) // black, then red in the last seconds
            colours = {glyphon::countdownColour(30), glyphon::countdownColour(5)};
        for (const QColor &colour : colours) {
            const double ratio = glyphon::lowestContrast(colour, behind);
            QVERIFY2(ratio >= glyphon::ReadableContrast,
                     qPrintable(QStringLiteral("%1 \"%2\" in %3: %4").arg(label->objectName(), label->text(),
                                                                      colour.name()).arg(ratio)));
        }
    }
    QVERIFY(chat->label_bonus1->text().startsWith('+') || chat->label_bonus2->text().startsWith('+'));
    for (int seat = 1; seat <= 2; ++seat) {
        const QPalette words = (seat == 1 ? chat->memo_thewords1 : chat->memo_thewords2)->palette();
        QVERIFY(glyphon::contrastRatio(words.color(QPalette::Text), words.color(QPalette::Base))
                >= glyphon::ReadableContrast);
    }
}

QTEST_MAIN(TestTchatContrast)
#include "tst_tchat_contrast.moc"
