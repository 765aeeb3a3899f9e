// Every message, both directions: decoding the bytes a peer sends and encoding
// them again gives the same bytes; what a receiver must not take is refused.

#include "core/messages.h"
#include "core/rules.h"
#include "protocol/wire.h"

#include <QTest>
#include <functional>

using namespace glyphon;
using namespace glyphon::msg;

namespace {

// Decodes data as the message named and encodes the result again; a null
// array when the decoder refuses it.
using Recode = std::function<QByteArray(const QByteArray &data)>;

template<typename M>
Recode recode()
{
    return [](const QByteArray &data) {
        const std::optional<M> m = M::decode(data);
        return m ? m->encode() : QByteArray();
    };
}

// Client to host and host to client share four names; the direction picks
// the layout.
Recode recoderFor(const QByteArray &name, bool toHost)
{
    static const QList<QPair<QByteArray, Recode>> requests = {
        {LoginInfo::Name, recode<LoginInfo>()},       {ChatRequest::Name, recode<ChatRequest>()},
        {ActionRequest::Name, recode<ActionRequest>()}, {PlayASoundRequest::Name, recode<PlayASoundRequest>()},
        {KickHim::Name, recode<KickHim>()},           {JustWatch::Name, recode<JustWatch>()},
        {StartGameRequest::Name, recode<StartGameRequest>()}, {SubmitIt::Name, recode<SubmitIt>()},
    };
    static const QList<QPair<QByteArray, Recode>> answers = {
        {SendLoginInfo::Name, recode<SendLoginInfo>()}, {Full::Name, recode<Full>()},
        {NewPlayerInfo::Name, recode<NewPlayerInfo>()}, {ExistingPlayers::Name, recode<ExistingPlayers>()},
        {HaveWrongVersion::Name, recode<HaveWrongVersion>()}, {WrongVersion::Name, recode<WrongVersion>()},
        {LoadStats::Name, recode<LoadStats>()},         {PlayerDisconnected::Name, recode<PlayerDisconnected>()},
        {JustWatching::Name, recode<JustWatching>()},   {PlayASound::Name, recode<PlayASound>()},
        {Action::Name, recode<Action>()},               {Chat::Name, recode<Chat>()},
        {StartGame::Name, recode<StartGame>()},         {RoundStart::Name, recode<RoundStart>()},
        {TheLetters::Name, recode<TheLetters>()},       {NextPlayer::Name, recode<NextPlayer>()},
        {Invalid::Name, recode<Invalid>()},             {HisWord::Name, recode<HisWord>()},
        {LockThemUp::Name, recode<LockThemUp>()},       {TimeUp::Name, recode<TimeUp>()},
        {EndRound::Name, recode<EndRound>()},           {Winner::Name, recode<Winner>()},
    };
    for (const auto &entry : toHost ? requests : answers) {
        if (entry.first == name)
            return entry.second;
    }
    return {};
}

QByteArray frame(const QByteArray &text)
{
    return text + Terminator;
}

QByteArray board36(int fieldsPerTile, bool emptyLast)
{
    QByteArray out;
    for (int row = 1; row <= 6; ++row) {
        for (int column = 1; column <= 6; ++column) {
            out += '+' + QByteArray::number(10 * row + column) + "+5";
            for (int i = 2; i < fieldsPerTile; ++i)
                out += "+" + QByteArray::number(i % 2);
        }
    }
    return emptyLast ? out + '+' : out;
}

} // namespace

class TstMessages : public QObject
{
    Q_OBJECT
private slots:
    void sameBytesBack_data();
    void sameBytesBack();
    void readAsTheReceiverDoes_data();
    void readAsTheReceiverDoes();
    void fieldsAsSent();
    void chatTextCutAtFirstBar_data();
    void chatTextCutAtFirstBar();
};

void TstMessages::sameBytesBack_data()
{
    QTest::addColumn<bool>("toHost");
    QTest::addColumn<QByteArray>("text"); // one message without its terminator
    const QList<QByteArray> requests = {
        "CMD_logininfo+2+1.0.2+Ann",
        "CMD_logininfo+2+1.0.2+Cy+Di",
        "CMD_chat+1+a+b=c|clBlack",
        "CMD_action+3+waves|$00FF0000",
        "CMD_playasound+2+wave7+",
        "CMD_kickhim+1+4+",
        "CMD_justwatch+2+1",
        "CMD_justwatch+2+2",
        "CMD_startgame+Bob+200+60+",
        "CMD_submitit+1+11+12+13",
    };
    const QList<QByteArray> answers = {
        "CMD_sendlogininfo+2",
        "CMD_full+",
        "CMD_newplayerinfo+2+Ann+0",
        "CMD_existingplayers+1+Bob+0+3+Zo\xEB+1",
        "CMD_havewrongversion+Ann+X",
        "CMD_wrongversion+",
        "CMD_loadstats+3+12+9+30+200+2+17+4+1" + board36(5, false),
        "CMD_playerdisconnected+2+Ann",
        "CMD_justwatching+2+1",
        "CMD_justwatching+2+2",
        "CMD_playasound+2+wave7+",
        "CMD_action+2+Ann waves|clBlack",
        "CMD_chat+2+Ann chats: 1+1=2|clBlack",
        "CMD_chat+02+Ann chats: hi|clBlack", // a relay's seat field goes on as it came
        "CMD_startgame+Bob+200+60+",
        "CMD_roundstart+1+",
        "CMD_theletters" + board36(3, true),
        "CMD_nextplayer+1+",
        "CMD_invalid+1+3+te+",
        "CMD_hisword+1+TEA+5+5+11+12+13",
        "CMD_lockthemup+11+1+12+0",
        "CMD_timeup+2+",
        "CMD_endround+",
        "CMD_winner+Rizi+",
    };
    for (const QByteArray &text : requests)
        QTest::newRow(("to host: " + text.left(40)).constData()) << true << text;
    for (const QByteArray &text : answers)
        QTest::newRow(("to client: " + text.left(40)).constData()) << false << text;
}

void TstMessages::sameBytesBack()
{
    QFETCH(bool, toHost);
    QFETCH(QByteArray, text);
    const Command command = splitCommand(text);
    const Recode recode = recoderFor(command.name, toHost);
    QVERIFY2(recode, command.name.constData());
    QCOMPARE(recode(command.data), frame(text));
}

void TstMessages::readAsTheReceiverDoes_data()
{
    QTest::addColumn<bool>("toHost");
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QByteArray>("read"); // as encoded again; empty: refused
    const auto row = [](const char *name, bool toHost, const QByteArray &text, const QByteArray &read) {
        QTest::newRow(name) << toHost << text << (read.isEmpty() ? QByteArray() : frame(read));
    };
    row("login seat no number", true, "CMD_logininfo+two+1.0.2+Ann", {});
    row("chat seat no number", true, "CMD_chat+x+hi|clBlack", {});
    row("kick without target", true, "CMD_kickhim+1+", {});
    row("watch flag unknown", true, "CMD_justwatch+2+3", {});
    row("start, numbers missing", true, "CMD_startgame+Bob", "CMD_startgame+Bob+200+30+");
    row("start, no numbers", true, "CMD_startgame+Bob+lots+ages+", "CMD_startgame+Bob+200+30+");
    row("submit, field no number", true, "CMD_submitit+1+11+x+13", "CMD_submitit+1+11+0+13");
    row("submit, empty field", true, "CMD_submitit+1+11++13", "CMD_submitit+1+11+0+13");
    row("submit, trailing plus", true, "CMD_submitit+1+11+12+", "CMD_submitit+1+11+12");
    row("submit stops one past the longest word", true,
        "CMD_submitit+1" + QByteArray("+11").repeated(30),
        "CMD_submitit+1" + QByteArray("+11").repeated(MaxSubmissionTiles + 1));
    row("loadstats, a head field no number", false, "CMD_loadstats+3+12+x+30+200+2+17+4+1+11+5+0+0+0", {});
    row("loadstats, bad tile groups skipped", false,
        "CMD_loadstats+3+0+0+30+200+1+34+4+1+17+5+0+0+0+11+x+0+0+0+12+5+1+2+1",
        "CMD_loadstats+3+0+0+30+200+1+34+4+1+12+5+1+2+1");
    row("letters, bad groups skipped", false, "CMD_theletters+11+5+0+70+1+1+12+y+0+13+2+4+",
        "CMD_theletters+11+5+0+13+2+4+");
    row("locks, pair no tile skipped", false, "CMD_lockthemup+11+1+0+1+12+z", "CMD_lockthemup+11+1");
    row("hisword, points no number", false, "CMD_hisword+1+TEA+x+5+11", {});
    row("hisword, position no number", false, "CMD_hisword+1+TEA+3+3+11+q+13", "CMD_hisword+1+TEA+3+3+11+13");
    row("existing, group seat no number", false, "CMD_existingplayers+x+Eve+0+2+Ann+1", "CMD_existingplayers+2+Ann+1");
    row("next player no number", false, "CMD_nextplayer+", {});
    row("invalid, reason no number", false, "CMD_invalid+1+x+tea+", {});
    row("watching, other flag plays", false, "CMD_justwatching+2+7", "CMD_justwatching+2+2");
}

void TstMessages::readAsTheReceiverDoes()
{
    QFETCH(bool, toHost);
    QFETCH(QByteArray, text);
    QFETCH(QByteArray, read);
    const Command command = splitCommand(text);
    QCOMPARE(recoderFor(command.name, toHost)(command.data), read);
}

void TstMessages::fieldsAsSent()
{
    // The fields a receiver acts on, not only the bytes.
    const auto submit = SubmitIt::decode("2+11+12+13");
    QVERIFY(submit);
    QCOMPARE(submit->seat, 2);
    QCOMPARE(submit->positions, (QList<int>{11, 12, 13}));

    const auto stats = LoadStats::decode("3+12+9+30+200+2+17+3+1+11+5+2+4+1");
    QVERIFY(stats);
    QCOMPARE(stats->pending, PaceAction::WinnerTest);
    QCOMPARE(stats->pauseTicks, 17);
    QCOMPARE(stats->tiles, (QList<TileGroup>{{11, 5, 2, 4, 1}}));

    const auto invalid = Invalid::decode("1+2+tea+");
    QVERIFY(invalid);
    QCOMPARE(invalid->reason, RejectReason::AlreadyPlayed);
    QCOMPARE(invalid->word, QByteArray("tea"));

    QCOMPARE(PlayASoundRequest::ofSound(2, "wave7").encode(), frame("CMD_playasound+2+wave7+"));
    QCOMPARE(PlayASound::decode("2+wave7+")->sound(), QByteArray("wave7"));
    QCOMPARE(JustWatch::decode("1+1")->watch, true);
}

void TstMessages::chatTextCutAtFirstBar_data()
{
    QTest::addColumn<QByteArray>("data");
    QTest::addColumn<QByteArray>("line");
    QTest::addColumn<quint32>("colour");
    QTest::newRow("chat") << QByteArray("1+Ann chats: hi|clBlack") << QByteArray("1+Ann chats: hi") << 0u;
    QTest::newRow("hex colour") << QByteArray("1+Ann waves|$00FF8040") << QByteArray("1+Ann waves") << 0x00FF8040u;
    QTest::newRow("bar in text") << QByteArray("1+Ann chats: a|b|clBlack") << QByteArray("1+Ann chats: a") << 255u;
    QTest::newRow("no bar") << QByteArray("1+Ann chats: hi") << QByteArray("1+Ann chats: hi") << 255u;
    QTest::newRow("empty colour") << QByteArray("1+Ann chats: hi|") << QByteArray("1+Ann chats: hi") << 255u;
}

void TstMessages::chatTextCutAtFirstBar()
{
    QFETCH(QByteArray, data);
    QFETCH(QByteArray, line);
    QFETCH(quint32, colour);
    const ChatText text = ChatText::decode(data);
    QCOMPARE(text.line, line);
    QCOMPARE(text.colourValue(), colour);
    QCOMPARE(text.encode(), data);
}

QTEST_APPLESS_MAIN(TstMessages)
#include "tst_messages.moc"
