// The side windows driven as a user would: real widgets, real clicks and keys.

#include "windows/windowutil.h"
#include "windows/about.h"
#include "windows/download.h"
#include "windows/gamestart.h"
#include "windows/help.h"
#include "windows/logo.h"
#include "windows/phrases.h"
#include "windows/quickinstructions.h"
#include "windows/spylist.h"
#include "windows/tallylist.h"
#include "windows/updown.h"

#include <QAction>
#include <QApplication>
#include <QContextMenuEvent>
#include <QDate>
#include <QDesktopServices>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QSignalSpy>
#include <QStackedWidget>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBrowser>
#include <QTimer>
#include <QToolButton>

#include <functional>
#include <limits>
#include <memory>

// Receives the URLs that QDesktopServices would hand to a browser.
class UrlCatcher : public QObject
{
    Q_OBJECT
public:
    QList<QUrl> urls;
public slots:
    void open(const QUrl &url) { urls << url; }
};

class TstWindows : public QObject
{
    Q_OBJECT

private slots:
    void captionsAndCreation_data();
    void captionsAndCreation();
    void dialogsCentreOnTheMainWindow();

    void gameStartArrows_data();
    void gameStartArrows();
    void gameStartTakesLoadedValuesWithinItsRanges_data();
    void gameStartTakesLoadedValuesWithinItsRanges();
    void gameStartEditsTakeTypedValues_data();
    void gameStartEditsTakeTypedValues();
    void gameStartArrowsGoOnFromATypedValue();
    void gameStartSendsTheTextsShown();

    void helpPageButtons();
    void helpKeepsItsPageWhenHidden();
    void helpAboutAndDone();

    void aboutShowsVersionYearAndAddress();

    void quickInstructionsPanel();

    void spyListEntries();
    void spyListRemovalNeedsHostAndANumber();
    void spyListContextMenuTakesTheEntryUnderThePointer();


    void phraseEditor();

    void errorBoxComesAboveTheLobbyWindow();
};

namespace {

using Factory = std::function<QWidget *()>;

QString year()
{
    return QString::number(QDate::currentDate().year());
}

void showAndWait(QWidget *w)
{
    w->show();
    QVERIFY(QTest::qWaitForWindowExposed(w));
}

void clickTimes(QToolButton *button, int times)
{
    for (int i = 0; i < times; ++i)
        QTest::mouseClick(button, Qt::LeftButton);
}

QPoint centreOfEntry(Tspylist &spies, int row)
{
    return spies.listbox_spys->visualItemRect(spies.listbox_spys->item(row)).center();
}

} // namespace

void TstWindows::captionsAndCreation_data()
{
    QTest::addColumn<Factory>("factory");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<bool>("fixedSize");

    QTest::newRow("about") << Factory([] { return new Tabout; }) << "Glyphon - About" << true;
    QTest::newRow("download") << Factory([] { return new Tdownload(glyphon::UserFiles()); }) << "Download The Marnet Lobby" << true;
    QTest::newRow("game start") << Factory([] { return new Tgamestart; }) << "Glyphon - Game Start" << true;
    QTest::newRow("help") << Factory([] { return new Thelp; }) << "Glyphon - Help File" << false;
    QTest::newRow("phrases") << Factory([] { return new Tphrases; }) << "Glyphon - Phrase Buttons " << true;
    QTest::newRow("spies") << Factory([] { return new Tspylist; }) << "Glyphon - Spys" << true;
    QTest::newRow("tally") << Factory([] { return new Ttallylist; }) << "Glyphon - Tally List" << true;
}

void TstWindows::captionsAndCreation()
{
    QFETCH(Factory, factory);
    QFETCH(QString, caption);
    QFETCH(bool, fixedSize);

    std::unique_ptr<QWidget> window(factory());
    QCOMPARE(window->windowTitle(), caption);
    QVERIFY(window->isHidden());

    showAndWait(window.get());
    // A window manager's title font shows the whole caption.
    QVERIFY2(window->frameGeometry().width() >= glyphon::captionWidth(window.get()),
             qPrintable(QStringLiteral("%1 < %2").arg(window->frameGeometry().width()).arg(glyphon::captionWidth(window.get()))));
    if (fixedSize) {
        QCOMPARE(window->minimumSize(), window->maximumSize());
    } else {
        QVERIFY(window->maximumHeight() > window->minimumHeight());
    }
}

void TstWindows::dialogsCentreOnTheMainWindow()
{
    QWidget main;
    main.setGeometry(200, 150, 772, 535);
    showAndWait(&main);

    Tgamestart start(&main);
    auto checkCentred = [&] {
        const QPoint offset = start.frameGeometry().center() - main.frameGeometry().center();
        QVERIFY2(offset.manhattanLength() <= 4,
                 qPrintable(QStringLiteral("off by %1,%2").arg(offset.x()).arg(offset.y())));
    };
    showAndWait(&start);
    checkCentred();

    // Shown again after the main window moved: centred on its new place.
    start.hide();
    main.move(40, 60);
    QTRY_COMPARE(main.pos(), QPoint(40, 60));
    showAndWait(&start);
    checkCentred();

    // The lobby window comes up with a main window that is placed after it:
    // it follows the main window to its place.
    Tdownload lobby(glyphon::UserFiles(), {}, &main);
    showAndWait(&lobby);
    main.move(300, 220);
    QTRY_COMPARE(main.pos(), QPoint(300, 220));
    QTRY_VERIFY((lobby.frameGeometry().center() - main.frameGeometry().center()).manhattanLength() <= 4);
}

void TstWindows::gameStartArrows_data()
{
    QTest::addColumn<bool>("scoreArrows");
    QTest::addColumn<int>("from");
    QTest::addColumn<bool>("up");
    QTest::addColumn<int>("clicks");
    QTest::addColumn<QString>("shown");

    QTest::newRow("score steps by 50") << true << 200 << true << 1 << "250";
    QTest::newRow("score stops at 1000") << true << 950 << true << 3 << "1000";
    QTest::newRow("score up at 1000 stays") << true << 1000 << true << 1 << "1000";
    QTest::newRow("score stops at 50") << true << 200 << false << 5 << "50";
    QTest::newRow("time steps by 5") << false << 60 << true << 1 << "65";
    QTest::newRow("time stops at 120") << false << 110 << true << 4 << "120";
    QTest::newRow("time stops at 30") << false << 40 << false << 3 << "30";
}

void TstWindows::gameStartTakesLoadedValuesWithinItsRanges_data()
{
    QTest::addColumn<int>("score");
    QTest::addColumn<int>("seconds");
    QTest::addColumn<QString>("shown"); // score and seconds as the edits show them
    QTest::newRow("below both ranges") << -7 << 0 << "50 30";
    QTest::newRow("above both ranges") << 5000 << 999999 << "1000 120";
    QTest::newRow("between steps, kept as typed") << 333 << 93 << "333 93";
    QTest::newRow("ends of int") << std::numeric_limits<int>::max() << std::numeric_limits<int>::min() << "1000 30";
    QTest::newRow("on a step stays") << 450 << 85 << "450 85";
}

void TstWindows::gameStartTakesLoadedValuesWithinItsRanges()
{
    QFETCH(int, score);
    QFETCH(int, seconds);
    QFETCH(QString, shown);
    Tgamestart start;
    start.setValues(score, seconds);
    QCOMPARE(start.edit_playtoscore->text() + ' ' + start.edit_creationtime->text(), shown);
    QCOMPARE(QString::number(start.playtoscore()) + ' ' + QString::number(start.timeperturn()), shown);
}

void TstWindows::gameStartArrows()
{
    QFETCH(bool, scoreArrows);
    QFETCH(int, from);
    QFETCH(bool, up);
    QFETCH(int, clicks);
    QFETCH(QString, shown);

    Tgamestart start;
    showAndWait(&start);
    glyphon::UpDown *arrows = scoreArrows ? start.UpDown1 : start.UpDown2;
    QLineEdit *edit = scoreArrows ? start.edit_playtoscore : start.edit_creationtime;
    if (scoreArrows)
        start.setValues(from, start.timeperturn());
    else
        start.setValues(start.playtoscore(), from);
    QCOMPARE(edit->text(), QString::number(from));

    clickTimes(up ? arrows->upButton() : arrows->downButton(), clicks);
    QCOMPARE(edit->text(), shown);
    QCOMPARE(scoreArrows ? start.playtoscore() : start.timeperturn(), shown.toInt());
}

void TstWindows::gameStartEditsTakeTypedValues_data()
{
    QTest::addColumn<bool>("scoreEdit");
    QTest::addColumn<QString>("typed"); // after the edit was emptied with Backspace
    QTest::addColumn<QString>("sent");  // what START sends for that edit
    QTest::newRow("score within the range, off a step") << true << "275" << "275";
    QTest::newRow("score at the lower end") << true << "50" << "50";
    QTest::newRow("score below the range gives way") << true << "45" << "200";
    QTest::newRow("score above the range gives way") << true << "1050" << "200";
    QTest::newRow("score left empty gives way") << true << "" << "200";
    QTest::newRow("letters do not get in") << true << "3x00" << "300";
    QTest::newRow("seconds within the range") << false << "93" << "93";
    QTest::newRow("seconds at the upper end") << false << "120" << "120";
    QTest::newRow("seconds below the range give way") << false << "29" << "60";
}

void TstWindows::gameStartEditsTakeTypedValues()
{
    QFETCH(bool, scoreEdit);
    QFETCH(QString, typed);
    QFETCH(QString, sent);
    Tgamestart start;
    QSignalSpy started(&start, &Tgamestart::startRequested);
    showAndWait(&start);
    QLineEdit *edit = scoreEdit ? start.edit_playtoscore : start.edit_creationtime;
    edit->setFocus();
    QTest::keyClick(edit, Qt::Key_End);
    for (int i = 0; i < 4; ++i)
        QTest::keyClick(edit, Qt::Key_Backspace);
    QTest::keyClicks(edit, typed);
    // Enter ends the editing and presses START, as the dialog's default.
    QTest::keyClick(edit, Qt::Key_Return);
    QTRY_COMPARE(started.count(), 1);
    QCOMPARE(started.at(0).at(scoreEdit ? 0 : 1).toString(), sent);
    QCOMPARE(QString::number(scoreEdit ? start.playtoscore() : start.timeperturn()), sent);
}

void TstWindows::gameStartArrowsGoOnFromATypedValue()
{
    Tgamestart start;
    showAndWait(&start);
    start.setValues(275, 93);
    QTest::keyClick(start.edit_playtoscore, Qt::Key_Up);
    QCOMPARE(start.edit_playtoscore->text(), QStringLiteral("300"));
    QTest::keyClick(start.edit_playtoscore, Qt::Key_Down);
    QTest::keyClick(start.edit_creationtime, Qt::Key_Down);
    QCOMPARE(start.edit_playtoscore->text() + ' ' + start.edit_creationtime->text(), QStringLiteral("250 90"));
    // Typed and not yet ended: the arrow button steps from what was typed.
    start.edit_creationtime->setFocus();
    start.edit_creationtime->selectAll();
    QTest::keyClicks(start.edit_creationtime, QStringLiteral("42"));
    QTest::mouseClick(start.UpDown2->upButton(), Qt::LeftButton);
    QCOMPARE(start.edit_creationtime->text(), QStringLiteral("45"));
}

void TstWindows::gameStartSendsTheTextsShown()
{
    Tgamestart start;
    QSignalSpy started(&start, &Tgamestart::startRequested);
    showAndWait(&start);

    QTest::mouseClick(start.button_start, Qt::LeftButton);
    QCOMPARE(started.count(), 1);
    QCOMPARE(started.at(0).at(0).toString(), QStringLiteral("200"));
    QCOMPARE(started.at(0).at(1).toString(), QStringLiteral("60"));
    QVERIFY(start.isHidden());

    // 1000 goes without a thousands separator.
    start.setValues(1000, 120);
    showAndWait(&start);
    QTest::mouseClick(start.button_start, Qt::LeftButton);
    QCOMPARE(started.count(), 2);
    QCOMPARE(started.at(1).at(0).toString(), QStringLiteral("1000"));
    QCOMPARE(started.at(1).at(1).toString(), QStringLiteral("120"));
    QVERIFY(start.isHidden());
}

void TstWindows::helpPageButtons()
{
    Thelp help;
    showAndWait(&help);
    QCOMPARE(help.currentPage(), 1);
    QCOMPARE(help.label_caption->text(), QStringLiteral("Overview"));
    QCOMPARE(help.label_year->text(), year());

    const QStringList captions = {"Overview", "Connecting", "Game Play", "Scoring",
                                  "Documentation", "License", "Options"};
    // Backwards, so that every click really changes the page.
    for (int page = glyphon::HelpPageCount; page >= 1; --page) {
        QPushButton *button = help.pageButton(page);
        if (page <= captions.size())
            QCOMPARE(button->text(), captions.at(page - 1));
        QTest::mouseClick(button, Qt::LeftButton);
        QCOMPARE(help.currentPage(), page);
        QCOMPARE(help.pages->currentWidget(), help.memo(page));
        QCOMPARE(help.label_caption->text(), button->text());
        QVERIFY(help.memo(page)->isReadOnly());
        QVERIFY(!help.memo(page)->toPlainText().trimmed().isEmpty());
    }
    QCOMPARE(help.memo(8), help.memo8);
    QVERIFY(!help.pageButton(8)->text().isEmpty());

    // Pages that readers rely on for facts the program must agree with.
    QVERIFY(help.memo2->toPlainText().contains(QStringLiteral("7772")));
    QVERIFY(help.memo5->toPlainText().contains(Tabout().versionText()));
}

void TstWindows::helpKeepsItsPageWhenHidden()
{
    Thelp help;
    showAndWait(&help);
    QTest::mouseClick(help.SelButton4, Qt::LeftButton);
    help.hide();
    showAndWait(&help);
    QCOMPARE(help.currentPage(), 4);
    QCOMPARE(help.label_caption->text(), QStringLiteral("Scoring"));
    QVERIFY(help.SelButton4->isChecked());
}

void TstWindows::helpAboutAndDone()
{
    Thelp help;
    Tabout about;
    showAndWait(&help);
    QTest::mouseClick(help.button_about, Qt::LeftButton); // no about window yet: nothing
    help.setAboutWindow(&about);
    QTest::mouseClick(help.button_about, Qt::LeftButton);
    QTRY_VERIFY(about.isVisible());
    QVERIFY(help.isVisible());

    QTest::mouseClick(help.button_done, Qt::LeftButton);
    QVERIFY(help.isHidden());
}

void TstWindows::aboutShowsVersionYearAndAddress()
{
    Tabout about;
    QCOMPARE(about.versionText(), QStringLiteral("1.0.2"));
    QCOMPARE(about.label_versioncaption->text(), QStringLiteral("Version"));
    QCOMPARE(about.label_versionsuffix->text(), QStringLiteral(".0"));
    QCOMPARE(about.label_year->text(), year());
    QVERIFY(about.label_url->text().contains(QStringLiteral("https://glyphon.example.org")));

    UrlCatcher catcher;
    QDesktopServices::setUrlHandler(QStringLiteral("https"), &catcher, "open");
    showAndWait(&about);
    QTest::mouseClick(about.image_aboutlogo, Qt::LeftButton);
    QDesktopServices::unsetUrlHandler(QStringLiteral("https"));
    QCOMPARE(catcher.urls, QList<QUrl>{QUrl(QStringLiteral("https://glyphon.example.org"))});

    QTest::mouseClick(about.button_done, Qt::LeftButton);
    QVERIFY(about.isHidden());
}

void TstWindows::quickInstructionsPanel()
{
    QWidget main;
    main.resize(772, 535);
    auto *board = new QWidget(&main);
    board->setGeometry(0, 0, 764, 526);
    auto *panel = new QuickInstructionsPanel(&main);
    showAndWait(&main);

    QVERIFY(panel->isHidden());
    QCOMPARE(panel->label_title->text(), QStringLiteral("GLYPHON - QUICK INSTRUCTIONS"));

    board->raise();
    panel->showInstructions();
    QVERIFY(panel->isVisible());
    QCOMPARE(main.children().last(), panel); // in front of the board

    QSignalSpy closed(panel, &QuickInstructionsPanel::closed);
    QTest::mouseClick(panel->button_done, Qt::LeftButton);
    QVERIFY(panel->isHidden());
    QCOMPARE(closed.count(), 1);

    // The picture really paints.
    panel->showInstructions();
    const QImage shot = panel->image_instructions->grab().toImage();
    QVERIFY(shot.pixelColor(shot.width() / 2, shot.height() / 2).isValid());
    QVERIFY(shot.pixelColor(20, 20) != shot.pixelColor(shot.width() - 2, shot.height() - 2));
}

void TstWindows::spyListEntries()
{
    Tspylist spies;
    spies.addEntry(QStringLiteral("3: Ann"));
    spies.addEntry(QStringLiteral("4: Bob"));
    spies.addEntry(QStringLiteral("5: Cy"));
    QCOMPARE(spies.entries(), QStringList({"3: Ann", "4: Bob", "5: Cy"}));

    QVERIFY(spies.removeEntry(QStringLiteral("4: Bob")));
    QVERIFY(!spies.removeEntry(QStringLiteral("4: Bob")));
    QVERIFY(!spies.removeEntry(QStringLiteral("3: ann"))); // exact text only
    QVERIFY(!spies.removeEntry(QStringLiteral("3")));
    QCOMPARE(spies.entries(), QStringList({"3: Ann", "5: Cy"}));
}

void TstWindows::spyListRemovalNeedsHostAndANumber()
{
    Tspylist spies;
    spies.addEntry(QStringLiteral("3: Ann"));
    spies.addEntry(QStringLiteral("4: Bob"));
    spies.addEntry(QStringLiteral("Guest"));
    QSignalSpy removal(&spies, &Tspylist::removeRequested);
    showAndWait(&spies);

    QVERIFY(!spies.RemoveFromGame1->isEnabled());
    QCOMPARE(spies.RemoveFromGame1->text(), QStringLiteral("Remove From Game"));
    QTest::mouseMove(spies.listbox_spys->viewport(), centreOfEntry(spies, 1));
    QTRY_COMPARE(spies.hoverIndex(), 1);
    spies.RemoveFromGame1->trigger();
    QCOMPARE(removal.count(), 0);

    spies.setRemoveEnabled(true);
    spies.RemoveFromGame1->trigger();
    QCOMPARE(removal.count(), 1);
    QCOMPARE(removal.at(0).at(0).toInt(), 4);

    // An entry without a seat number is not acted on.
    QTest::mouseMove(spies.listbox_spys->viewport(), centreOfEntry(spies, 2));
    QTRY_COMPARE(spies.hoverIndex(), 2);
    spies.RemoveFromGame1->trigger();
    QCOMPARE(removal.count(), 1);

    // After a removal the remembered index no longer names anybody.
    QTest::mouseMove(spies.listbox_spys->viewport(), centreOfEntry(spies, 1));
    QTRY_COMPARE(spies.hoverIndex(), 1);
    QVERIFY(spies.removeEntry(QStringLiteral("3: Ann")));
    spies.RemoveFromGame1->trigger();
    QCOMPARE(removal.count(), 1);

    spies.setRemoveEnabled(false);
    QVERIFY(!spies.RemoveFromGame1->isEnabled());
}

void TstWindows::spyListContextMenuTakesTheEntryUnderThePointer()
{
    Tspylist spies;
    spies.addEntry(QStringLiteral("3: Ann"));
    spies.addEntry(QStringLiteral("7: Dee"));
    spies.setRemoveEnabled(true);
    QSignalSpy removal(&spies, &Tspylist::removeRequested);
    showAndWait(&spies);
    spies.listbox_spys->setCurrentRow(0); // the selection does not decide

    QWidget *viewport = spies.listbox_spys->viewport();
    const QPoint pos = centreOfEntry(spies, 1);
    QContextMenuEvent menuEvent(QContextMenuEvent::Mouse, pos, viewport->mapToGlobal(pos));
    QCoreApplication::sendEvent(viewport, &menuEvent);
    QTRY_VERIFY(spies.popup_kickhim->isVisible());
    spies.RemoveFromGame1->trigger();
    spies.popup_kickhim->close();
    QCOMPARE(removal.count(), 1);
    QCOMPARE(removal.at(0).at(0).toInt(), 7);
}

void TstWindows::phraseEditor()
{
    Tphrases editor;
    QSignalSpy accepted(&editor, &Tphrases::phrasesAccepted);
    const QStringList nine = {"Way To Go!", "Good One!", "Nice Try!", "Excellent!", "Brilliant!",
                              "Wow, WTG!", "Thanks!", "Way To Go Teamie!", "Good Game Everyone!"};
    editor.setPhrases(nine);
    QCOMPARE(editor.phrase9->text(), QStringLiteral("Good Game Everyone!"));
    showAndWait(&editor);

    editor.phrase3->clear();
    editor.phrase5->setFocus();
    QTest::keyClick(editor.phrase5, Qt::Key_End);
    QTest::keyClicks(editor.phrase5, QString(60, QLatin1Char('x')));
    QCOMPARE(editor.phrase5->text().size(), 50);

    // Closing without Done keeps the buttons as they were.
    editor.reject();
    QCOMPARE(accepted.count(), 0);

    showAndWait(&editor);
    QTest::mouseClick(editor.button_done, Qt::LeftButton);
    QCOMPARE(accepted.count(), 1);
    const QStringList sent = accepted.at(0).at(0).toStringList();
    QCOMPARE(sent.size(), 9);
    QCOMPARE(sent.at(2), QString()); // emptied boxes are sent empty
    QCOMPARE(sent.at(8), nine.at(8));
    QVERIFY(editor.isHidden());
}

// A damaged tally found at start-up, while the lobby window (which stays on
// top) is showing: the box must come above it and take the keyboard, or
// the program looks frozen.
void TstWindows::errorBoxComesAboveTheLobbyWindow()
{
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("Glyphontally.tld"));
    QFile damaged(path);
    QVERIFY(damaged.open(QIODevice::WriteOnly));
    damaged.write("hello");
    damaged.close();

    QWidget main;
    showAndWait(&main);
    Tdownload lobby(glyphon::UserFiles(), {}, &main);
    showAndWait(&lobby);
    lobby.activateWindow();
    QTRY_COMPARE(QApplication::activeWindow(), &lobby);

    // The box runs its own loop: it is looked at from a timer inside it,
    // once it has become the active window.
    bool answered = false;
    QTimer probe;
    connect(&probe, &QTimer::timeout, [&] {
        auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
        if (!box || !box->isVisible() || QApplication::activeWindow() != box)
            return;
        probe.stop();
        QVERIFY(box->windowFlags() & Qt::WindowStaysOnTopHint);
        QCOMPARE(box->windowModality(), Qt::ApplicationModal);
        QVERIFY(box->isAncestorOf(QApplication::focusWidget()));
        // Enter answers it: the keyboard is the box's.
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        answered = true;
    });
    probe.start(5);
    Ttallylist tally(&main, path);
    QTRY_VERIFY(answered);
    QVERIFY(!QApplication::activeModalWidget());
}

QTEST_MAIN(TstWindows)
#include "tst_windows.moc"
