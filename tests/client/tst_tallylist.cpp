// The tally window's rules: who is counted at the end of a game, the
// questions before anything is forgotten, and what survives a restart or a
// damaged file.

#include "tchat_support.h"

#include "protocol/wire.h"
#include "tallyfile/tallyfile.h"
#include "windows/tallylist.h"

#include <QAbstractButton>
#include <QApplication>
#include <QFile>
#include <QLabel>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

using namespace testsupport;
using glyphon::tally::ScoreTable;

namespace {

// Answers the next message box with button and keeps its text.
void answerNextBox(QMessageBox::StandardButton button, QString *text)
{
    auto *timer = new QTimer;
    QObject::connect(timer, &QTimer::timeout, [timer, button, text] {
        auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
        if (!box || !box->isVisible())
            return;
        *text = box->text();
        box->button(button)->click();
        timer->deleteLater();
    });
    timer->start(5);
}

void writeBytes(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

// Checks name in the current game's list, as the user would.
void tally(Ttallylist *window, const QString &name)
{
    window->setCurrentGame({name});
    window->checklist->item(0)->setCheckState(Qt::Checked);
}

QStringList listed(const QListWidget *list)
{
    QStringList names;
    for (int i = 0; i < list->count(); ++i)
        names << list->item(i)->text() + (list->item(i)->checkState() == Qt::Checked ? "+" : "-");
    return names;
}

QString counts(const ScoreTable &table, int row)
{
    QStringList cells;
    for (int c = 1; c < ScoreTable::Columns; ++c)
        cells << QString::number(table.count(c, row));
    return cells.join(' ');
}

} // namespace

class TstTallylist : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { enterTemporaryWorkingFolder(); }
    void gameEnd_data();
    void gameEnd();
    void uncheckAsksFirst_data();
    void uncheckAsksFirst();
    void resetTally();
    void restartKeepsTotalsOnly();
    void damagedFileIsKept_data();
    void damagedFileIsKept();
};

void TstTallylist::gameEnd_data()
{
    QTest::addColumn<int>("myseat");
    QTest::addColumn<QString>("tallied");
    QTest::addColumn<QString>("winner");
    QTest::addColumn<QString>("own");      // games, wins
    QTest::addColumn<QString>("opponent"); // columns 1 to 8 of the tallied row
    QTest::addColumn<QString>("seat2");
    // The opponent in seat 2 (or 1 for a spectator's view) is "Ann" unless
    // a row names another.
    QTest::newRow("own win") << 1 << "Ann" << "Me" << "1 1" << "1 0 1 0 1 0 1 0" << "Ann";
    QTest::newRow("opponent wins") << 1 << "Ann" << "Ann" << "1 0" << "1 1 0 0 1 1 0 0" << "Ann";
    QTest::newRow("tallied in other case, winner exact") << 1 << "ann" << "Ann" << "1 0" << "1 0 0 1 1 0 0 1" << "Ann";
    QTest::newRow("not tallied") << 1 << "Rizi" << "Ann" << "1 0" << "0 0 0 0 0 0 0 0" << "Ann";
    QTest::newRow("spectator never counts") << 5 << "Ann" << "Ann" << "0 0" << "0 0 0 0 0 0 0 0" << "Ann";
    // Names that differ in one byte of the code page are two players.
    QTest::newRow("code page name wins") << 1 << "Zoë€" << "Zoë€" << "1 0" << "1 1 0 0 1 1 0 0" << "Zoë€";
    QTest::newRow("winner differs in one byte") << 1 << "Zoë€" << "Zoé€" << "1 0" << "1 0 0 1 1 0 0 1" << "Zoë€";
    QTest::newRow("opponent differs in one byte") << 1 << "Zoë€" << "Zoé€" << "1 0" << "0 0 0 0 0 0 0 0" << "Zoé€";
}

void TstTallylist::gameEnd()
{
    QFETCH(int, myseat);
    QFETCH(QString, tallied);
    QFETCH(QString, winner);
    QFETCH(QString, own);
    QFETCH(QString, opponent);
    QFETCH(QString, seat2);
    useFreePort();
    // Each copy starts from no tally file.
    QFile::remove(copyConfig().files.writablePath(QStringLiteral("Glyphontally.tld"), QStandardPaths::AppDataLocation));
    auto copy = startCopy({"Me"});
    Tchat *chat = copy->chat;
    Ttallylist *window = copy->tallylist;
    tally(window, tallied);
    chat->game()->loggedIn({myseat});
    feed(chat, "CMD_newplayerinfo+1+Me+0+2+" + glyphon::toWire(seat2) + "+0");
    feed(chat, "CMD_winner+" + glyphon::toWire(winner) + "+");

    const ScoreTable &table = window->table();
    QCOMPARE(QStringLiteral("%1 %2").arg(table.count(1, 0)).arg(table.count(2, 0)), own);
    QCOMPARE(window->mylabel_1->text(), own.section(' ', 0, 0));
    QCOMPARE(table.rowCount(), 2);
    QCOMPARE(counts(table, 1), opponent);
    // The panel shows the selected opponent.
    window->listbox_tally->setCurrentRow(0);
    QCOMPARE(window->label_hisnametop->text(), tallied + QStringLiteral("'s Tally"));
    QCOMPARE(window->label_hisname->text(), tallied + QStringLiteral(" Wins:"));
    QCOMPARE(window->label_2->text() + ' ' + window->label_6->text(), opponent.section(' ', 1, 1) + ' ' + opponent.section(' ', 5, 5));
}

void TstTallylist::uncheckAsksFirst_data()
{
    QTest::addColumn<int>("answer");
    QTest::addColumn<QStringList>("left");
    QTest::newRow("no keeps it") << int(QMessageBox::No) << QStringList{"Ann+", "Bob+", "Cid+"};
    QTest::newRow("yes forgets it") << int(QMessageBox::Yes) << QStringList{"Ann+", "Cid+"};
}

void TstTallylist::uncheckAsksFirst()
{
    QFETCH(int, answer);
    QFETCH(QStringList, left);
    Ttallylist window;
    for (const char *name : {"Ann", "Bob", "Cid"})
        tally(&window, QString::fromLatin1(name));
    window.addgame(QStringLiteral("Cid")); // Cid's row carries a count

    QString question;
    answerNextBox(QMessageBox::StandardButton(answer), &question);
    window.listbox_tally->item(1)->setCheckState(Qt::Unchecked);
    QCOMPARE(question, QStringLiteral("This will delete Bob's Tally, Are you want to delete it?"));
    QCOMPARE(listed(window.listbox_tally), left);
    // Table rows follow the list, counts stay with their names.
    QCOMPARE(window.table().names(), QStringList(left).replaceInStrings("+", ""));
    const int cid = window.table().rowOf(QStringLiteral("Cid"));
    QCOMPARE(counts(window.table(), cid), QStringLiteral("1 1 0 0 1 1 0 0"));
    // Unchecking in the current game's list forgets nobody, and checking
    // again adds nobody twice.
    window.checklist->item(0)->setCheckState(Qt::Unchecked);
    QCOMPARE(window.table().rowOf(QStringLiteral("Cid")), cid);
    window.checklist->item(0)->setCheckState(Qt::Checked);
    QCOMPARE(window.table().rowCount(), left.size() + 1);
}

void TstTallylist::resetTally()
{
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("Glyphontally.tld"));
    Ttallylist window(nullptr, path);
    tally(&window, QStringLiteral("Ann"));
    window.addgame(Ttallylist::AddToMine);
    window.listbox_tally->setCurrentRow(0);

    QString question;
    answerNextBox(QMessageBox::No, &question);
    window.button_resetClick();
    QCOMPARE(question, QStringLiteral("Are you sure you want to reset the Tally?"));
    QCOMPARE(window.table().rowCount(), 2);

    answerNextBox(QMessageBox::Yes, &question);
    window.button_resetClick();
    QCOMPARE(window.table().rowCount(), 1);
    QCOMPARE(window.listbox_tally->count(), 0);
    QCOMPARE(window.checklist->item(0)->checkState(), Qt::Unchecked);
    for (QLabel *label : {window.mylabel_1, window.mylabel_2, window.label_1, window.label_3, window.label_7})
        QCOMPARE(label->text(), QStringLiteral("0"));
    // The reset is on disk at once.
    glyphon::tally::TallyFile file(path);
    QCOMPARE(file.load().table->rowCount(), 1);
}

void TstTallylist::restartKeepsTotalsOnly()
{
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("Glyphontally.tld"));
    QFile bystander(QStringLiteral("temp.txt"));
    QVERIFY(bystander.open(QIODevice::WriteOnly));
    bystander.write("not the tally's");
    bystander.close();
    {
        Ttallylist first(nullptr, path);
        tally(&first, QStringLiteral("Ann"));
        first.addgame(Ttallylist::AddToMine);
        first.addgame(QStringLiteral("Ann"));
        first.addgame(QStringLiteral("Rizi")); // neither of the two won
        // Saved after each game, not only at the end.
        glyphon::tally::TallyFile file(path);
        QCOMPARE(counts(*file.load().table, 1), QStringLiteral("3 1 1 1 3 1 1 1"));
    }
    Ttallylist second(nullptr, path);
    QVERIFY(second.loadError().isEmpty());
    QCOMPARE(counts(second.table(), 1), QStringLiteral("3 1 1 1 0 0 0 0"));
    QCOMPARE(listed(second.listbox_tally), QStringList{"Ann+"});
    QCOMPARE(second.mylabel_1->text(), QStringLiteral("3"));
    QCOMPARE(second.mylabel_2->text(), QStringLiteral("1"));
    second.listbox_tally->setCurrentRow(0);
    QCOMPARE(second.label_1->text(), QStringLiteral("3"));
    QCOMPARE(second.label_5->text(), QStringLiteral("0"));
    QCOMPARE(bystander.exists() && bystander.size() == 15, true);
}

void TstTallylist::damagedFileIsKept_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("error"); // after the path
    QTest::addColumn<bool>("keptBefore"); // an earlier damaged copy is there already
    const QByteArray good = glyphon::tally::tallyBytes(ScoreTable());
    QTest::newRow("not a tally") << QByteArray("hello") << " : Lzrw1 decompression : this file has no valid header !" << false;
    QTest::newRow("cut short") << good.left(good.size() - 3) << "Lzrw1 (decompression LZRW1/KH) : Original and compressed sizes do not match !" << false;
    QTest::newRow("lzh") << QByteArray("!HZL") + good.mid(4) << " : LZH decompression : this program cannot read this method !" << false;
    QTest::newRow("not a table") << glyphon::tally::compressContainer("8\r\n1\r\n") << " : the tally table in this file is damaged !" << false;
    QTest::newRow("second damaged file") << QByteArray("hello") << " : Lzrw1 decompression : this file has no valid header !" << true;
}

void TstTallylist::damagedFileIsKept()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, error);
    QFETCH(bool, keptBefore);
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("Glyphontally.tld"));
    const QString earlier = path + QStringLiteral(".damaged");
    if (keptBefore)
        writeBytes(earlier, "an earlier damaged tally");
    writeBytes(path, bytes);
    const QString keptAs = keptBefore ? earlier + QStringLiteral(".2") : earlier;

    QString shown;
    answerNextBox(QMessageBox::Ok, &shown);
    {
        Ttallylist window(nullptr, path);
        QTRY_VERIFY(!shown.isEmpty());
        // The container's own words, then what became of the tally.
        QCOMPARE(shown, (error.startsWith(' ') ? path + error : error)
                            + QStringLiteral("\nThe tally was started afresh; the damaged file was kept as ")
                            + keptAs + '.');
        QCOMPARE(window.table().rowCount(), 1);
        tally(&window, QStringLiteral("Ann"));
    }
    QFile damaged(keptAs);
    QVERIFY(damaged.open(QIODevice::ReadOnly));
    QCOMPARE(damaged.readAll(), bytes);
    if (keptBefore) {
        QFile first(earlier);
        QVERIFY(first.open(QIODevice::ReadOnly));
        QCOMPARE(first.readAll(), QByteArray("an earlier damaged tally"));
    }
    glyphon::tally::TallyFile fresh(path);
    QCOMPARE(fresh.load().table->names(), QStringList{"Ann"});
}

QTEST_MAIN(TstTallylist)
#include "tst_tallylist.moc"
