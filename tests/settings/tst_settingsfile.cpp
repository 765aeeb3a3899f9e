// The settings file: the INI layer on real-world files, where the file lives,
// and the reading rules of every key.

#include "settings/profilefile.h"
#include "settings/settingsstore.h"
#include "settings/userfiles.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using glyphon::ProfileFile;
using glyphon::ProfileText;

namespace {

QByteArray readAll(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void writeAll(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

} // namespace

class TestSettingsFile : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }

    void edits_data();
    void edits();
    void reads_data();
    void reads();
    void hostileFilesAreNeitherReadNorCut();
    void settingsFileFolder_data();
    void settingsFileFolder();
    void keyRules_data();
    void keyRules();
    void savesInOrderAndReadsBack();
    void placeOnWorkAreas_data();
    void placeOnWorkAreas();
    void workArea_data();
    void workArea();
};

void TestSettingsFile::edits_data()
{
    QTest::addColumn<QByteArray>("before");
    QTest::addColumn<QString>("section");
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("value");
    QTest::addColumn<QByteArray>("after");

    QTest::newRow("CRLF and comments kept, value replaced in place")
        << QByteArray("; written by hand\r\n[Glyphon]\r\nTextsize=8\r\nTop=3\r\n") << "Glyphon" << "Textsize" << "12"
        << QByteArray("; written by hand\r\n[Glyphon]\r\nTextsize=12\r\nTop=3\r\n");
    QTest::newRow("mixed case found, spelling and spacing kept")
        << QByteArray("[gLyPhOn]\nTEXTSIZE = 8\n") << "Glyphon" << "Textsize" << "14"
        << QByteArray("[gLyPhOn]\nTEXTSIZE = 14\n");
    QTest::newRow("new key at its section's end, before the blank line")
        << QByteArray("[Glyphon]\nTop=3\n\n[MarnetLobby]\nName=Ann\n") << "Glyphon" << "Left" << "5"
        << QByteArray("[Glyphon]\nTop=3\nLeft=5\n\n[MarnetLobby]\nName=Ann\n");
    QTest::newRow("last line without a line end, replaced")
        << QByteArray("[Glyphon]\r\nTop=3") << "Glyphon" << "Top" << "40" << QByteArray("[Glyphon]\r\nTop=40");
    QTest::newRow("last line without a line end, key added")
        << QByteArray("[Glyphon]\r\nTop=3") << "Glyphon" << "Left" << "5"
        << QByteArray("[Glyphon]\r\nTop=3\r\nLeft=5\r\n");
    QTest::newRow("new section after another program's")
        << QByteArray("[MarnetLobby]\r\nName=Ann\r\n") << "Glyphon" << "Top" << "3"
        << QByteArray("[MarnetLobby]\r\nName=Ann\r\n\r\n[Glyphon]\r\nTop=3\r\n");
    QTest::newRow("new section, no final line end")
        << QByteArray("[Other]\nx=1") << "Glyphon" << "Top" << "3" << QByteArray("[Other]\nx=1\n\n[Glyphon]\nTop=3\n");
    QTest::newRow("empty file") << QByteArray() << "Glyphon" << "Help" << "2" << QByteArray("[Glyphon]\nHelp=2\n");
    QTest::newRow("two programs' sections, same key names")
        << QByteArray("[Other]\nTop=9\n[Glyphon]\nTop=3\n[Third]\nTop=7\n") << "Glyphon" << "Top" << "4"
        << QByteArray("[Other]\nTop=9\n[Glyphon]\nTop=4\n[Third]\nTop=7\n");
    QTest::newRow("commented-out key is no key")
        << QByteArray("[Glyphon]\n;Top=1\nTop=3\n") << "Glyphon" << "Top" << "4"
        << QByteArray("[Glyphon]\n;Top=1\nTop=4\n");
    QTest::newRow("byte order mark kept")
        << QByteArray("\xEF\xBB\xBF[Glyphon]\r\nTop=3\r\n") << "Glyphon" << "Top" << "4"
        << QByteArray("\xEF\xBB\xBF[Glyphon]\r\nTop=4\r\n");
    QTest::newRow("binary garbage kept, section appended")
        << QByteArray("\x00\x01\xFF\n\x00", 5) << "Glyphon" << "Top" << "3"
        << QByteArray("\x00\x01\xFF\n\x00\n\n[Glyphon]\nTop=3\n", 23);
    QTest::newRow("a line break in the value cannot start a new key")
        << QByteArray("[Glyphon]\n") << "Glyphon" << "Phrase1" << "hi\nHelp=1"
        << QByteArray("[Glyphon]\nPhrase1=hi Help=1\n");
    QTest::newRow("a phrase is written in the Windows code page")
        << QByteArray("[Glyphon]\n") << "Glyphon" << "Phrase1" << QString::fromUtf8("5 \u20ac, d\u00e9j\u00e0")
        << QByteArray("[Glyphon]\nPhrase1=5 \x80, d\xE9j\xE0\n");
}

void TestSettingsFile::edits()
{
    QFETCH(QByteArray, before);
    QFETCH(QString, section);
    QFETCH(QString, key);
    QFETCH(QString, value);
    QFETCH(QByteArray, after);
    ProfileText text(before);
    text.setValue(section, key, value);
    QCOMPARE(text.bytes(), after);
    QCOMPARE(text.value(section, key), std::optional<QString>(value.replace(u'\n', u' ')));
}

void TestSettingsFile::reads_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("expected"); // "<none>" when missing

    QTest::newRow("blanks around the value") << QByteArray("[Glyphon]\nTiles =  Neon \n") << "tiles" << "Neon";
    QTest::newRow("quotes removed") << QByteArray("[glyphon]\r\nPhrase1=\"  hi  \"\r\n") << "Phrase1" << "  hi  ";
    QTest::newRow("quotes that do not pair stay") << QByteArray("[Glyphon]\nPhrase1=\"hi'\n") << "Phrase1" << "\"hi'";
    QTest::newRow("a lone quote stays") << QByteArray("[Glyphon]\nPhrase1=\"\n") << "Phrase1" << "\"";
    QTest::newRow("empty value") << QByteArray("[Glyphon]\nTiles=\n") << "Tiles" << "";
    QTest::newRow("code page value") << QByteArray("[Glyphon]\nPhrase2=\x9A" "a\xEFve\n") << "Phrase2" << QString::fromUtf8("\u0161a\u00efve");
    QTest::newRow("value an earlier version wrote in UTF-8") << QByteArray("[Glyphon]\nPhrase2=na\xC3\xAFve\n") << "Phrase2" << QString::fromUtf8("na\u00efve");
    QTest::newRow("key of another section") << QByteArray("[Other]\nTop=1\n[Glyphon]\n") << "Top" << "<none>";
    QTest::newRow("no section") << QByteArray("Top=1\n") << "Top" << "<none>";
    QTest::newRow("first of two keys") << QByteArray("[Glyphon]\nTop=1\nTOP=2\n") << "Top" << "1";
    QTest::newRow("first of two sections") << QByteArray("[Glyphon]\nTop=1\n[GLYPHON]\nTop=2\n") << "Top" << "1";
    QTest::newRow("line without =") << QByteArray("[Glyphon]\nTop\n") << "Top" << "<none>";
}

void TestSettingsFile::reads()
{
    QFETCH(QByteArray, file);
    QFETCH(QString, key);
    QFETCH(QString, expected);
    QCOMPARE(ProfileText(file).value(QStringLiteral("Glyphon"), key).value_or(QStringLiteral("<none>")), expected);
}

void TestSettingsFile::hostileFilesAreNeitherReadNorCut()
{
    QTemporaryDir dir;
    const QString path = dir.filePath("marnetlobby.ini");
    QByteArray huge("[Glyphon]\nTop=77\n");
    huge.append(ProfileFile::MaxBytes, 'x');
    writeAll(path, huge);
    const ProfileFile file(path);
    QVERIFY(!file.read().value("Glyphon", "Top"));
    QVERIFY(!file.write("Glyphon", {{"Top", "1"}}));
    QCOMPARE(readAll(path), huge);

    // A folder where the file should be is no file either.
    QVERIFY(QDir(dir.path()).mkdir("folder.ini"));
    QVERIFY(!ProfileFile(dir.filePath("folder.ini")).write("Glyphon", {{"Top", "1"}}));

    // A missing folder: nothing written, nothing claimed.
    QVERIFY(!ProfileFile(dir.filePath("gone/marnetlobby.ini")).write("Glyphon", {{"Top", "1"}}));
}

void TestSettingsFile::settingsFileFolder_data()
{
    QTest::addColumn<bool>("hasFolder");
    QTest::addColumn<bool>("readOnly");
    QTest::addColumn<bool>("beside");

    QTest::newRow("writable program folder") << true << false << true;
    // Running as root ignores permissions, so the folder is declared read-only.
    QTest::newRow("read-only program folder") << true << true << false;
    // Not the working folder, which an empty path would resolve to.
    QTest::newRow("no program folder") << false << false << false;
}

void TestSettingsFile::settingsFileFolder()
{
    QFETCH(bool, hasFolder);
    QFETCH(bool, readOnly);
    QFETCH(bool, beside);

    QTemporaryDir program;
    const glyphon::SettingsStore store(glyphon::UserFiles(hasFolder ? program.path() : QString(), readOnly));
    const QString path = store.path();
    QFile::remove(path);
    const QString perUser = QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation);
    QCOMPARE(QFileInfo(path).absolutePath(), QDir(beside ? program.path() : perUser).absolutePath());
    QCOMPARE(QFileInfo(path).fileName(), QStringLiteral("marnetlobby.ini"));
    QVERIFY(store.markHelpShown());
    QVERIFY(!store.load().showHelp); // read back from the same place
    QCOMPARE(QFileInfo::exists(QDir(program.path()).filePath("marnetlobby.ini")), beside);
    QFile::remove(path);
}

void TestSettingsFile::keyRules_data()
{
    QTest::addColumn<QByteArray>("lines");
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("expected");

    QTest::newRow("Botspeed 1000") << QByteArray("Botspeed=1000") << "botSpeed" << "1000";
    QTest::newRow("Botspeed fast") << QByteArray("Botspeed=fast") << "botSpeed" << "1000";
    QTest::newRow("Botspeed missing") << QByteArray() << "botSpeed" << "1000";
    QTest::newRow("Botspeed 2000") << QByteArray("Botspeed=2000") << "botSpeed" << "2000";
    QTest::newRow("Botspeed 500") << QByteArray("botspeed = 500") << "botSpeed" << "500";
    QTest::newRow("RiziLevel missing") << QByteArray() << "riziLevel" << "classic";
    QTest::newRow("RiziLevel Strong") << QByteArray("rizilevel = Strong") << "riziLevel" << "strong";
    QTest::newRow("RiziLevel gentle") << QByteArray("RiziLevel=gentle") << "riziLevel" << "gentle";
    QTest::newRow("RiziLevel unreadable") << QByteArray("RiziLevel=hard") << "riziLevel" << "classic";
    QTest::newRow("Playtoscore abc") << QByteArray("Playtoscore=abc") << "playToScore" << "keep";
    QTest::newRow("Playtoscore empty") << QByteArray("Playtoscore=") << "playToScore" << "keep";
    QTest::newRow("Playtoscore missing") << QByteArray() << "playToScore" << "200";
    QTest::newRow("Timeperturn 500") << QByteArray("Timeperturn=500") << "timePerTurn" << "500";
    QTest::newRow("Timeperturn missing") << QByteArray() << "timePerTurn" << "90";
    QTest::newRow("Tiles CLASSIC") << QByteArray("Tiles=CLASSIC") << "tiles" << "CLASSIC";
    QTest::newRow("Tiles empty") << QByteArray("Tiles=") << "tiles" << "Classic";
    QTest::newRow("Textsize missing") << QByteArray() << "textSize" << "8";
    QTest::newRow("Textsize abc") << QByteArray("Textsize=abc") << "textSize" << "8";
    QTest::newRow("Textsize 12") << QByteArray("Textsize=12") << "textSize" << "12";
    QTest::newRow("Textsize absurd") << QByteArray("Textsize=90000") << "textSize" << "8";
    QTest::newRow("Width not a number") << QByteArray("Width=wide") << "width" << "772";
    QTest::newRow("Height missing") << QByteArray() << "height" << "535";
    QTest::newRow("Textcolor unreadable") << QByteArray("Textcolor=clPink") << "textColour" << "0";
    QTest::newRow("Textcolor name") << QByteArray("Textcolor=clBlue") << "textColour" << "16711680";
    QTest::newRow("Turnsound 1") << QByteArray("Turnsound=1") << "turnSound" << "1";
    QTest::newRow("Turnsound 2") << QByteArray("Turnsound=2") << "turnSound" << "0";
    QTest::newRow("Playsounds false") << QByteArray("Playsounds=false") << "playSounds" << "false";
    QTest::newRow("Playsounds no") << QByteArray("Playsounds=no") << "playSounds" << "true";
    QTest::newRow("Playerphrasesounds false") << QByteArray("Playerphrasesounds=false") << "chatter" << "false";
    QTest::newRow("Help missing") << QByteArray() << "help" << "true";
    QTest::newRow("Help 2") << QByteArray("Help=2") << "help" << "false";
    QTest::newRow("Phrase3") << QByteArray("Phrase3=/me waves") << "phrase3" << "/me waves";
}

void TestSettingsFile::keyRules()
{
    QFETCH(QByteArray, lines);
    QFETCH(QString, field);
    QFETCH(QString, expected);
    const glyphon::StoredSettings s = glyphon::readSettings(ProfileText("[GLYPHON]\n" + lines + "\n"), "Glyphon");
    auto flag = [](bool on) { return on ? QStringLiteral("true") : QStringLiteral("false"); };
    auto optional = [](std::optional<int> v) { return v ? QString::number(*v) : QStringLiteral("keep"); };
    const QMap<QString, QString> fields{
        {"botSpeed", QString::number(s.botSpeed)},
        {"riziLevel", s.riziLevel},
        {"playToScore", optional(s.playToScore)},
        {"timePerTurn", optional(s.timePerTurn)},
        {"tiles", s.tiles},
        {"textSize", QString::number(s.textSize)},
        {"width", QString::number(s.placement.width)},
        {"height", QString::number(s.placement.height)},
        {"textColour", QString::number(s.textColour)},
        {"turnSound", QString::number(s.turnSound)},
        {"playSounds", flag(s.playSounds)},
        {"chatter", flag(s.playerPhraseSounds)},
        {"help", flag(s.showHelp)},
        {"phrase3", s.phrases[2]},
    };
    QVERIFY(fields.contains(field));
    QCOMPARE(fields.value(field), expected);
}

void TestSettingsFile::savesInOrderAndReadsBack()
{
    glyphon::ClientSettings s;
    s.textSize = 12;
    s.textColour = 0x00FF0000;
    s.tiles = "CLASSIC";
    s.botSpeed = 500;
    s.riziLevel = "strong";
    s.turnSound = 1;
    s.playSounds = false;
    const glyphon::WindowPlacement where{10, 20, 800, 600};
    QStringList keys;
    for (const auto &[key, value] : glyphon::settingsEntries(s, where))
        keys << key;
    QCOMPARE(keys, QStringList({"Textsize", "Top", "Left", "Width", "Height", "Textcolor", "Playtoscore",
                                "Timeperturn", "Botspeed", "RiziLevel", "Turnsound", "Tiles", "Playerphrasesounds",
                                "Playsounds"}));

    QTemporaryDir dir;
    const ProfileFile file(dir.filePath("marnetlobby.ini"));
    writeAll(file.path(), "[Glyphon]\r\nPhrase1=Hi all\r\nHelp=2\r\n");
    QVERIFY(file.write("Glyphon", glyphon::settingsEntries(s, where)));
    const glyphon::StoredSettings back = glyphon::readSettings(file.read(), "Glyphon");
    QCOMPARE(back.textSize, 12);
    QCOMPARE(back.placement, where);
    QCOMPARE(back.textColour, 0x00FF0000u);
    QCOMPARE(back.tiles, QStringLiteral("CLASSIC"));
    QCOMPARE(back.botSpeed, 500);
    QCOMPARE(back.riziLevel, QStringLiteral("strong"));
    QCOMPARE(back.turnSound, 1);
    QVERIFY(!back.playSounds);
    QVERIFY(back.playerPhraseSounds);
    QCOMPARE(back.phrases[0], QStringLiteral("Hi all")); // keys it does not write stay
    QVERIFY(!back.showHelp);
    QVERIFY(readAll(file.path()).startsWith("[Glyphon]\r\nPhrase1=Hi all\r\nHelp=2\r\nTextsize=12\r\nTop=20\r\n"));
}

void TestSettingsFile::workArea_data()
{
    QTest::addColumn<QSize>("window");
    QTest::addColumn<QSize>("workArea");
    QTest::addColumn<QSize>("saved");
    QTest::newRow("fits") << QSize(772, 535) << QSize(1024, 740) << QSize(772, 535);
    QTest::newRow("exactly as wide") << QSize(1024, 535) << QSize(1024, 740) << QSize(1024, 535);
    QTest::newRow("wider") << QSize(1100, 535) << QSize(1024, 740) << QSize(1085, 535);
    QTest::newRow("higher") << QSize(772, 760) << QSize(1024, 740) << QSize(772, 745);
    QTest::newRow("both") << QSize(2000, 2000) << QSize(1024, 740) << QSize(1985, 1985);
}

void TestSettingsFile::workArea()
{
    QFETCH(QSize, window);
    QFETCH(QSize, workArea);
    QFETCH(QSize, saved);
    const auto fitted = glyphon::fitToWorkArea({5, 6, window.width(), window.height()}, QRect(QPoint(0, 0), workArea));
    QCOMPARE(QSize(fitted.width, fitted.height), saved);
    QCOMPARE(QPoint(fitted.left, fitted.top), QPoint(5, 6));
}

void TestSettingsFile::placeOnWorkAreas_data()
{
    QTest::addColumn<QRect>("asked");
    QTest::addColumn<QList<QRect>>("areas");
    QTest::addColumn<QRect>("placed");
    const QList<QRect> one{{0, 0, 1920, 1040}};
    const QList<QRect> two{{0, 0, 1920, 1040}, {1920, 0, 1280, 1024}};
    QTest::newRow("on screen stays") << QRect(3, 3, 776, 565) << one << QRect(3, 3, 776, 565);
    QTest::newRow("title bar above the top") << QRect(800, -17, 776, 565) << one << QRect(800, 0, 776, 565);
    QTest::newRow("huge size") << QRect(3, 3, 100000, 100000) << one << QRect(0, 0, 1920, 1040);
    QTest::newRow("huge width alone") << QRect(3, 3, 100000, 565) << one << QRect(0, 3, 1920, 565);
    QTest::newRow("title bar below the bottom") << QRect(3, 1030, 776, 565) << one << QRect(3, 475, 776, 565);
    QTest::newRow("a third below the bottom stays") << QRect(3, 600, 776, 565) << one << QRect(3, 600, 776, 565);
    QTest::newRow("more than a third below") << QRect(3, 700, 776, 565) << one << QRect(3, 475, 776, 565);
    QTest::newRow("far right") << QRect(5000, 100, 776, 565) << one << QRect(1144, 100, 776, 565);
    QTest::newRow("far left") << QRect(-5000, 100, 776, 565) << one << QRect(0, 100, 776, 565);
    QTest::newRow("title bar partly off the side") << QRect(1500, 100, 776, 565) << one << QRect(1144, 100, 776, 565);
    QTest::newRow("far below and right") << QRect(3000, 2000, 776, 565) << one << QRect(1144, 475, 776, 565);
    QTest::newRow("nearest of two screens") << QRect(4000, 100, 776, 565) << two << QRect(2424, 100, 776, 565);
    QTest::newRow("second screen") << QRect(2000, -30, 776, 565) << two << QRect(2000, 0, 776, 565);
    QTest::newRow("second screen is smaller") << QRect(2000, 10, 1400, 1100) << two << QRect(1920, 0, 1280, 1024);
}

void TestSettingsFile::placeOnWorkAreas()
{
    QFETCH(QRect, asked);
    QFETCH(QList<QRect>, areas);
    QFETCH(QRect, placed);
    QCOMPARE(glyphon::placeOnWorkAreas(asked, 24, areas), placed);
}

QTEST_GUILESS_MAIN(TestSettingsFile)
#include "tst_settingsfile.moc"
