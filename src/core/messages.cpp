#include "core/messages.h"

#include "core/rules.h"
#include "protocol/colourtext.h"
#include "protocol/wire.h"

namespace glyphon::msg {

namespace {

QByteArray flag(bool on)
{
    return on ? QByteArrayLiteral("1") : QByteArrayLiteral("0");
}

// The field that is no number reads as 0 (no seat, no tile).
int numberOrZero(FieldReader &fields)
{
    return fields.nextInt().value_or(0);
}

// Tile groups of fields each, in order; a group with a field that is no
// number, or whose position is no tile, is left out.
template<int Fields>
QList<std::array<int, Fields>> readGroups(FieldReader &fields)
{
    QList<std::array<int, Fields>> groups;
    while (!fields.atEnd()) {
        std::array<int, Fields> group{};
        bool whole = true;
        for (int &value : group) {
            const std::optional<int> n = fields.nextInt();
            whole = whole && n.has_value();
            value = n.value_or(0);
        }
        if (whole && isTilePosition(group[0]))
            groups.append(group);
    }
    return groups;
}

} // namespace

// --- Client to host --------------------------------------------------------

QByteArray LoginInfo::encode() const
{
    return buildMessage(Name, {number(seat), version, name});
}

std::optional<LoginInfo> LoginInfo::decode(const QByteArray &data)
{
    FieldReader fields(data);
    const std::optional<int> seat = fields.nextInt();
    if (!seat)
        return std::nullopt;
    LoginInfo m;
    m.seat = *seat;
    m.version = fields.next();
    m.name = fields.rest();
    return m;
}

quint32 ChatText::colourValue() const
{
    return colour ? colourFromText(fromWire(*colour)).value_or(UnreadableColour) : UnreadableColour;
}

QByteArray ChatText::encode() const
{
    return colour ? line + '|' + *colour : line;
}

ChatText ChatText::decode(const QByteArray &text)
{
    const qsizetype bar = text.indexOf('|');
    if (bar < 0)
        return {text, std::nullopt};
    return {text.left(bar), text.mid(bar + 1)};
}

QByteArray ChatRequest::encode() const
{
    return buildMessage(Name, {number(seat), text});
}

std::optional<ChatRequest> ChatRequest::decode(const QByteArray &data)
{
    FieldReader fields(data);
    const QByteArray seatField = fields.next();
    const std::optional<int> seat = parseInt(seatField);
    if (!seat)
        return std::nullopt;
    return ChatRequest{*seat, fields.rest(), seatField};
}

QByteArray ActionRequest::encode() const
{
    return buildMessage(Name, {number(seat), text});
}

std::optional<ActionRequest> ActionRequest::decode(const QByteArray &data)
{
    FieldReader fields(data);
    const QByteArray seatField = fields.next();
    const std::optional<int> seat = parseInt(seatField);
    if (!seat)
        return std::nullopt;
    return ActionRequest{*seat, fields.rest(), seatField};
}

PlayASoundRequest PlayASoundRequest::ofSound(int seat, const QByteArray &sound)
{
    return {seat, sound + '+'};
}

QByteArray PlayASoundRequest::encode() const
{
    return buildMessage(Name, {number(seat), rest});
}

std::optional<PlayASoundRequest> PlayASoundRequest::decode(const QByteArray &data)
{
    FieldReader fields(data);
    const std::optional<int> seat = fields.nextInt();
    if (!seat)
        return std::nullopt;
    return PlayASoundRequest{*seat, fields.rest()};
}

QByteArray KickHim::encode() const
{
    return buildMessage(Name, {number(seat), number(target), QByteArray()});
}

std::optional<KickHim> KickHim::decode(const QByteArray &data)
{
    FieldReader fields(data);
    const std::optional<int> seat = fields.nextInt();
    const std::optional<int> target = fields.nextInt();
    if (!seat || !target)
        return std::nullopt;
    return KickHim{*seat, *target};
}

QByteArray JustWatch::encode() const
{
    return buildMessage(Name, {number(seat), watch ? QByteArrayLiteral("1") : QByteArrayLiteral("2")});
}

std::optional<JustWatch> JustWatch::decode(const QByteArray &data)
{
    FieldReader fields(data);
    const std::optional<int> seat = fields.nextInt();
    const QByteArray f = fields.next();
    if (!seat || (f != "1" && f != "2"))
        return std::nullopt;
    return JustWatch{*seat, f == "1"};
}

QByteArray StartGame::encode() const
{
    return buildMessage(Name, {starter, number(playtoscore), number(timeperturn), QByteArray()});
}

std::optional<StartGame> StartGame::decode(const QByteArray &data)
{
    FieldReader fields(data);
    StartGame m;
    m.starter = fields.next();
    m.playtoscore = fields.nextInt().value_or(DefaultPlayToScore);
    m.timeperturn = fields.nextInt().value_or(DefaultTimePerTurn);
    return m;
}

QByteArray SubmitIt::encode() const
{
    QList<QByteArray> fields{number(seat)};
    for (int p : positions)
        fields << number(p);
    return buildMessage(Name, fields);
}

std::optional<SubmitIt> SubmitIt::decode(const QByteArray &data)
{
    FieldReader fields(data);
    const std::optional<int> seat = fields.nextInt();
    if (!seat)
        return std::nullopt;
    SubmitIt m;
    m.seat = *seat;
    // Read no further than a word can be long; one more tells the rules
    // that it was longer.
    while (!fields.atEnd() && m.positions.size() <= MaxSubmissionTiles)
        m.positions << numberOrZero(fields);
    return m;
}

// --- Host to client --------------------------------------------------------

QByteArray SendLoginInfo::encode() const
{
    return buildMessage(Name, {number(seat)});
}

std::optional<SendLoginInfo> SendLoginInfo::decode(const QByteArray &data)
{
    const std::optional<int> seat = FieldReader(data).nextInt();
    if (!seat)
        return std::nullopt;
    return SendLoginInfo{*seat};
}

QByteArray Full::encode() const
{
    return buildMessage(Name, {QByteArray()});
}

std::optional<Full> Full::decode(const QByteArray &)
{
    return Full{};
}

QByteArray NewPlayerInfo::encode() const
{
    return buildMessage(Name, {number(seat), name, flag(watching)});
}

std::optional<NewPlayerInfo> NewPlayerInfo::decode(const QByteArray &data)
{
    FieldReader fields(data);
    const std::optional<int> seat = fields.nextInt();
    if (!seat)
        return std::nullopt;
    NewPlayerInfo m;
    m.seat = *seat;
    m.name = fields.next();
    m.watching = fields.next() == "1";
    return m;
}

QByteArray ExistingPlayers::encode() const
{
    QList<QByteArray> fields;
    for (const SeatEntry &p : players)
        fields << number(p.seat) << p.name << flag(p.watching);
    return buildMessage(Name, fields);
}

std::optional<ExistingPlayers> ExistingPlayers::decode(const QByteArray &data)
{
    FieldReader fields(data);
    ExistingPlayers m;
    while (!fields.atEnd()) {
        const std::optional<int> seat = fields.nextInt();
        SeatEntry entry;
        entry.name = fields.next();
        entry.watching = fields.next() == "1";
        if (!seat)
            continue;
        entry.seat = *seat;
        m.players << entry;
    }
    return m;
}

QByteArray HaveWrongVersion::encode() const
{
    return buildMessage(Name, {name});
}

std::optional<HaveWrongVersion> HaveWrongVersion::decode(const QByteArray &data)
{
    return HaveWrongVersion{data};
}

QByteArray WrongVersion::encode() const
{
    return buildMessage(Name, {QByteArray()});
}

std::optional<WrongVersion> WrongVersion::decode(const QByteArray &)
{
    return WrongVersion{};
}

QByteArray LoadStats::encode() const
{
    QList<QByteArray> fields;
    fields << number(seat) << number(score1) << number(score2) << number(timeperturn) << number(playtoscore)
           << number(round) << number(pauseTicks) << number(int(pending)) << number(currentplayer);
    for (const TileGroup &t : tiles)
        fields << number(t.position) << number(t.letter) << number(t.owner) << number(t.value) << number(t.locked);
    return buildMessage(Name, fields);
}

std::optional<LoadStats> LoadStats::decode(const QByteArray &data)
{
    FieldReader fields(data);
    std::array<int, 9> head{};
    for (int &value : head) {
        const std::optional<int> n = fields.nextInt();
        if (!n)
            return std::nullopt;
        value = *n;
    }
    LoadStats m;
    m.seat = head[0];
    m.score1 = head[1];
    m.score2 = head[2];
    m.timeperturn = head[3];
    m.playtoscore = head[4];
    m.round = head[5];
    m.pauseTicks = head[6];
    m.pending = PaceAction(head[7]);
    m.currentplayer = head[8];
    for (const auto &g : readGroups<5>(fields))
        m.tiles << TileGroup{g[0], g[1], g[2], g[3], g[4]};
    return m;
}

QByteArray PlayerDisconnected::encode() const
{
    return buildMessage(Name, {number(seat), name});
}

std::optional<PlayerDisconnected> PlayerDisconnected::decode(const QByteArray &data)
{
    FieldReader fields(data);
    const std::optional<int> seat = fields.nextInt();
    if (!seat)
        return std::nullopt;
    return PlayerDisconnected{*seat, fields.rest()};
}

QByteArray JustWatching::encode() const
{
    return buildMessage(Name, {number(seat), watching ? QByteArrayLiteral("1") : QByteArrayLiteral("2")});
}

std::optional<JustWatching> JustWatching::decode(const QByteArray &data)
{
    FieldReader fields(data);
    const std::optional<int> seat = fields.nextInt();
    if (!seat)
        return std::nullopt;
    return JustWatching{*seat, fields.next() == "1"};
}

QByteArray PlayASound::sound() const
{
    return FieldReader(rest).next();
}

QByteArray PlayASound::encode() const
{
    return buildMessage(Name, {number(seat), rest});
}

std::optional<PlayASound> PlayASound::decode(const QByteArray &data)
{
    FieldReader fields(data);
    const std::optional<int> seat = fields.nextInt();
    if (!seat)
        return std::nullopt;
    return PlayASound{*seat, fields.rest()};
}

Action Action::relay(const ActionRequest &request, const QByteArray &name)
{
    return {request.seatField.isEmpty() ? number(request.seat) : request.seatField, name + ' ' + request.text};
}

QByteArray Action::encode() const
{
    return buildMessage(Name, {seat, text});
}

std::optional<Action> Action::decode(const QByteArray &data)
{
    FieldReader fields(data);
    const QByteArray seat = fields.next();
    if (!parseInt(seat))
        return std::nullopt;
    return Action{seat, fields.rest()};
}

Chat Chat::relay(const ChatRequest &request, const QByteArray &name)
{
    return {request.seatField.isEmpty() ? number(request.seat) : request.seatField, name + " chats: " + request.text};
}

QByteArray Chat::encode() const
{
    return buildMessage(Name, {seat, text});
}

std::optional<Chat> Chat::decode(const QByteArray &data)
{
    FieldReader fields(data);
    const QByteArray seat = fields.next();
    if (!parseInt(seat))
        return std::nullopt;
    return Chat{seat, fields.rest()};
}

QByteArray RoundStart::encode() const
{
    return buildMessage(Name, {number(round), QByteArray()});
}

std::optional<RoundStart> RoundStart::decode(const QByteArray &data)
{
    const std::optional<int> round = FieldReader(data).nextInt();
    if (!round)
        return std::nullopt;
    return RoundStart{*round};
}

QByteArray TheLetters::encode() const
{
    QList<QByteArray> fields;
    for (const TileGroup &t : tiles)
        fields << number(t.position) << number(t.letter) << number(t.value);
    fields << QByteArray();
    return buildMessage(Name, fields);
}

std::optional<TheLetters> TheLetters::decode(const QByteArray &data)
{
    FieldReader fields(data);
    TheLetters m;
    for (const auto &g : readGroups<3>(fields)) {
        TileGroup t;
        t.position = g[0];
        t.letter = g[1];
        t.value = g[2];
        m.tiles << t;
    }
    return m;
}

QByteArray NextPlayer::encode() const
{
    return buildMessage(Name, {number(seat), QByteArray()});
}

std::optional<NextPlayer> NextPlayer::decode(const QByteArray &data)
{
    const std::optional<int> seat = FieldReader(data).nextInt();
    if (!seat)
        return std::nullopt;
    return NextPlayer{*seat};
}

QByteArray Invalid::encode() const
{
    return buildMessage(Name, {number(seat), number(int(reason)), word, QByteArray()});
}

std::optional<Invalid> Invalid::decode(const QByteArray &data)
{
    FieldReader fields(data);
    const std::optional<int> seat = fields.nextInt();
    const std::optional<int> reason = fields.nextInt();
    if (!seat || !reason)
        return std::nullopt;
    return Invalid{*seat, RejectReason(*reason), fields.next()};
}

QByteArray HisWord::encode() const
{
    QList<QByteArray> fields{number(seat), word, number(points), number(total)};
    for (int p : positions)
        fields << number(p);
    return buildMessage(Name, fields);
}

std::optional<HisWord> HisWord::decode(const QByteArray &data)
{
    FieldReader fields(data);
    HisWord m;
    const std::optional<int> seat = fields.nextInt();
    m.word = fields.next();
    const std::optional<int> points = fields.nextInt();
    const std::optional<int> total = fields.nextInt();
    if (!seat || !points || !total)
        return std::nullopt;
    m.seat = *seat;
    m.points = *points;
    m.total = *total;
    while (!fields.atEnd()) {
        if (const std::optional<int> p = fields.nextInt())
            m.positions << *p;
    }
    return m;
}

QByteArray LockThemUp::encode() const
{
    QList<QByteArray> fields;
    for (const Change &c : changes)
        fields << number(c.position) << number(c.locked);
    return buildMessage(Name, fields);
}

std::optional<LockThemUp> LockThemUp::decode(const QByteArray &data)
{
    FieldReader fields(data);
    LockThemUp m;
    for (const auto &g : readGroups<2>(fields))
        m.changes << Change{g[0], g[1]};
    return m;
}

QByteArray TimeUp::encode() const
{
    return buildMessage(Name, {number(seat), QByteArray()});
}

std::optional<TimeUp> TimeUp::decode(const QByteArray &data)
{
    const std::optional<int> seat = FieldReader(data).nextInt();
    if (!seat)
        return std::nullopt;
    return TimeUp{*seat};
}

QByteArray EndRound::encode() const
{
    return buildMessage(Name, {QByteArray()});
}

std::optional<EndRound> EndRound::decode(const QByteArray &)
{
    return EndRound{};
}

QByteArray Winner::encode() const
{
    return buildMessage(Name, {name, QByteArray()});
}

std::optional<Winner> Winner::decode(const QByteArray &data)
{
    return Winner{FieldReader(data).next()};
}

} // namespace glyphon::msg
