// The settings file as the window uses it, the Options menu, the phrase
// buttons and chatter sounds: solo copies on loopback with their settings
// file in a temporary program folder.

#include "tchat_support.h"

#include "client/mainmenus.h"

#include "chat/chatview.h"
#include "client/optionsmenu.h"
#include "chat/phraserow.h"
#include "settings/settingsstore.h"
#include "server/tserver.h"
#include "windows/gamestart.h"
#include "windows/phrases.h"
#include "windows/quickinstructions.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QScreen>
#include <QTest>
#include <QToolButton>

using namespace testsupport;

namespace {

QString settingsPath()
{
    return glyphon::SettingsStore(copyConfig().files).path();
}

QByteArray settingsBytes()
{
    QFile f(settingsPath());
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void writeSettings(const QByteArray &bytes)
{
    QFile f(settingsPath());
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(bytes);
}

QString stored(const char *key)
{
    return glyphon::ProfileText(settingsBytes()).value("Glyphon", key).value_or("<none>");
}

} // namespace

class TestTchatSettings : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { enterTemporaryWorkingFolder(); }
    void init() { useFreePort(); }
    void cleanup() { m_copy.reset(); }

    void firstRunShowsTheInstructionsOnce();
    void loadingAppliesTheFileAndOptionsSaveAtOnce();
    void closingSavesOnlyAfterAMoveOrResize();
    void phraseButtons();
    void chatterSounds();
    void phraseEditorKeepsItsTexts();

private:
    void startSolo();

    std::unique_ptr<GlyphonContext> m_copy;
    Tchat *m_chat = nullptr;
};

void TestTchatSettings::startSolo()
{
    m_copy = startCopy({});
    m_chat = m_copy->chat;
    QTRY_VERIFY(chatHas(m_chat, QStringLiteral("You are Connected.")));
}

void TestTchatSettings::firstRunShowsTheInstructionsOnce()
{
    QFile::remove(settingsPath());
    startSolo();
    QVERIFY(m_chat->panel_help->isVisible());
    QCOMPARE(stored("Help"), QStringLiteral("2"));
    m_copy.reset();

    startSolo();
    QVERIFY(!m_chat->panel_help->isVisible());
}

void TestTchatSettings::loadingAppliesTheFileAndOptionsSaveAtOnce()
{
    const QByteArray lobby = "[MarnetLobby]\r\nName=Ann\r\n\r\n";
    writeSettings(lobby + "[glyphon]\r\nTextsize=12\r\nBotspeed=fast\r\nTiles=CLASSIC\r\nPlaytoscore=abc\r\n"
                          "Timeperturn=500\r\nTurnsound=1\r\nPhrase2=Hi all\r\nPlaysounds=false\r\nHelp=2\r\n"
                          "RiziLevel=Strong\r\n");
    startSolo();
    const glyphon::OptionsMenu *menu = m_chat->optionsMenu();
    QCOMPARE(m_chat->mainchat->textSize(), 12);
    QVERIFY(menu->N121->isChecked() && !menu->N81->isChecked());
    QVERIFY(menu->Normal1->isChecked());
    QCOMPARE(m_copy->hosting->server().botSpeed(), 1000);
    QVERIFY(menu->RiziStrong1->isChecked() && !menu->RiziClassic1->isChecked());
    QCOMPARE(m_copy->hosting->server().riziLevel(1), glyphon::RiziLevel::Strong);
    QCOMPARE(m_copy->hosting->server().riziLevel(2), glyphon::RiziLevel::Strong);
    QCOMPARE(m_copy->gamestart->timeperturn(), 120); // brought into the arrows' range
    QCOMPARE(m_copy->gamestart->playtoscore(), 200); // the dialog's own value
    QVERIFY(menu->New1->isChecked() && !menu->Classic1->isChecked());
    QCOMPARE(m_chat->phraseRow()->phrase(2), QStringLiteral("Hi all"));
    QCOMPARE(m_chat->phraseRow()->phrase(1), QStringLiteral("Way To Go!"));
    QVERIFY(!menu->PlaySounds1->isChecked());
    QVERIFY(menu->PlayerPhraseSounds1->isChecked());
    QVERIFY(!m_chat->panel_help->isVisible());

    menu->Fast1->trigger();
    QCOMPARE(m_copy->hosting->server().botSpeed(), 500);
    QCOMPARE(stored("Botspeed"), QStringLiteral("500"));
    QCOMPARE(stored("Tiles"), QStringLiteral("CLASSIC"));
    QCOMPARE(stored("Timeperturn"), QStringLiteral("120"));
    QCOMPARE(stored("Turnsound"), QStringLiteral("1"));
    QVERIFY(settingsBytes().startsWith(lobby + "[glyphon]\r\nTextsize=12\r\nBotspeed=500\r\n"));

    menu->RiziGentle1->trigger();
    QCOMPARE(m_copy->hosting->server().riziLevel(2), glyphon::RiziLevel::Gentle);
    QCOMPARE(stored("RiziLevel"), QStringLiteral("gentle"));
    QVERIFY(menu->RiziGentle1->isChecked() && !menu->RiziStrong1->isChecked());

    menu->PlaySounds1->trigger();
    QVERIFY(menu->PlaySounds1->isChecked());
    QCOMPARE(stored("Playsounds"), QStringLiteral("true"));
    menu->N141->trigger();
    menu->N141->trigger(); // the chosen size again stays checked
    QVERIFY(menu->N141->isChecked() && !menu->N121->isChecked());
    QCOMPARE(m_chat->mainchat->textSize(), 14);
    QCOMPARE(stored("Textsize"), QStringLiteral("14"));
    menu->Classic1->trigger();
    QCOMPARE(stored("Turnsound"), QStringLiteral("0"));
}

void TestTchatSettings::closingSavesOnlyAfterAMoveOrResize()
{
    writeSettings("; kept as it is\n[Glyphon]\nTop=40\nLeft=20\nHelp=2\n");
    startSolo();
    QCOMPARE(m_chat->pos(), QPoint(20, 40));
    QCOMPARE(m_chat->width(), 772);
    const QByteArray before = settingsBytes();
    m_chat->close();
    QCOMPARE(settingsBytes(), before);
    m_copy.reset();

    startSolo();
    m_chat->move(50, 60);
    m_chat->close();
    QCOMPARE(stored("Left"), QStringLiteral("50"));
    QCOMPARE(stored("Top"), QStringLiteral("60"));
    QCOMPARE(stored("Width"), QString::number(m_chat->width()));
    QVERIFY(settingsBytes().startsWith("; kept as it is\n[Glyphon]\nTop=60\nLeft=50\n"));
    m_copy.reset();

    // Wider than the work area: saved 15 pixels narrower.
    startSolo();
    const int tooWide = m_chat->screen()->availableGeometry().width() + 40;
    m_chat->resize(tooWide, m_chat->height());
    QCOMPARE(m_chat->width(), tooWide);
    m_chat->close();
    QCOMPARE(stored("Width"), QString::number(tooWide - 15));
    m_copy.reset();

    startSolo();
    m_chat->optionsMenu()->ResetScreenLocation1->trigger();
    QCOMPARE(m_chat->pos(), QPoint(3, 3));
    QCOMPARE(m_chat->width(), 772);
    QCOMPARE(stored("Width"), QString::number(tooWide - 15)); // only closing saves
    m_copy.reset();

    // Sizes and places a file may hold that no screen can show.
    writeSettings("[Glyphon]\nTop=-17\nLeft=5\nWidth=100000\nHeight=100000\nHelp=2\n");
    startSolo();
    const QRect area = m_chat->screen()->availableGeometry();
    QVERIFY2(area.contains(m_chat->frameGeometry()), qPrintable(QStringLiteral("%1,%2 %3x%4")
        .arg(m_chat->x()).arg(m_chat->y()).arg(m_chat->width()).arg(m_chat->height())));
}

void TestTchatSettings::phraseButtons()
{
    writeSettings("[Glyphon]\nHelp=2\n"); // the default size: the row where it was designed
    startSolo();
    glyphon::PhraseRow *row = m_chat->phraseRow();
    qint64 now = 0;
    row->setClock([&now] { return now; });
    QCOMPARE(row->button(3)->toolTip(), QStringLiteral("Nice Try!"));
    QCOMPARE(row->button(10)->geometry(), QRect(700, 231, 25, 19));

    QTest::mouseClick(row->button(3), Qt::LeftButton);
    QTRY_VERIFY(chatHas(m_chat, QStringLiteral("You says: Nice Try!")));
    now += 1900;
    QTest::mouseClick(row->button(1), Qt::LeftButton);
    now += 200;
    row->setPhrase(4, "/me waves");
    QTest::mouseClick(row->button(4), Qt::LeftButton);
    QTRY_VERIFY(chatHas(m_chat, QStringLiteral("You waves")));
    QVERIFY(!chatHas(m_chat, QStringLiteral("Way To Go!"))); // blocked

    now += 2000;
    row->setPhrase(5, "/mewave");
    QTest::mouseClick(row->button(5), Qt::LeftButton);
    QTRY_VERIFY(chatHas(m_chat, QStringLiteral("You says: /mewave")));
}

void TestTchatSettings::chatterSounds()
{
    startSolo();
    glyphon::OptionsMenu *menu = m_chat->optionsMenu();
    if (menu->PlaySounds1->isChecked())
        menu->PlaySounds1->trigger();
    m_chat->clearSoundLog();
    m_chat->wave4Click(0); // "<Cancel>"
    m_chat->wave4Click(3);
    QTRY_COMPARE(m_chat->soundLog(), QStringList{"wave3"}); // plays with Play Sounds off

    menu->PlayerPhraseSounds1->trigger();
    m_chat->wave4Click(4);
    QTRY_VERIFY(chatHas(m_chat, QStringLiteral("You: <Chatter Sound> Thank You")));
    const QString before = chatText(m_chat);
    feed(m_chat, "CMD_playasound+5+wave4"); // a spectator has no name label
    feed(m_chat, "CMD_playasound+1+wave99");
    feed(m_chat, "CMD_playasound+1+../turn");
    QCOMPARE(chatText(m_chat), before);
    QCOMPARE(m_chat->soundLog(), QStringList{"wave3"});

    // The chatter button opens the menu of twenty sounds and "<Cancel>".
    QTest::mouseClick(m_chat->phraseRow()->button(10), Qt::RightButton);
    QMenu *popup = m_chat->phraseRow()->popup_sounds;
    QTRY_VERIFY(popup->isVisible());
    QCOMPARE(popup->actions().size(), 21);
    QCOMPARE(popup->actions().first()->text(), QStringLiteral("<Cancel>"));
    popup->close();
}

void TestTchatSettings::phraseEditorKeepsItsTexts()
{
    startSolo();
    m_chat->menus()->PrhaseList1->trigger();
    Tphrases *editor = m_copy->phrases;
    QVERIFY(editor->isVisible());
    QCOMPARE(editor->phrase2->text(), QStringLiteral("Good One!"));
    editor->phrase1->setText("Hi there");
    editor->phrase2->clear();
    editor->phrase3->setText("Dropped");
    editor->close(); // not "Done": nothing changes
    QCOMPARE(m_chat->phraseRow()->phrase(3), QStringLiteral("Nice Try!"));

    m_chat->menus()->PrhaseList1->trigger();
    QCOMPARE(editor->phrase3->text(), QStringLiteral("Nice Try!"));
    editor->phrase1->setText("Hi there");
    editor->phrase2->clear();
    QTest::mouseClick(editor->button_done, Qt::LeftButton);
    QCOMPARE(m_chat->phraseRow()->phrase(1), QStringLiteral("Hi there"));
    QCOMPARE(m_chat->phraseRow()->phrase(2), QString());
    QCOMPARE(stored("Phrase1"), QStringLiteral("Hi there"));
    QCOMPARE(stored("Phrase2"), QString());
    m_copy.reset();

    startSolo();
    QCOMPARE(m_chat->phraseRow()->phrase(1), QStringLiteral("Hi there"));
    QCOMPARE(m_chat->phraseRow()->phrase(2), QStringLiteral("Good One!")); // empty key skipped
}

QTEST_MAIN(TestTchatSettings)
#include "tst_tchat_settings.moc"
