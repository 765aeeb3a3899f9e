#pragma once
// Every message of the game, both directions, one struct each. This is the
// only place that knows a message's layout; host, window, computer player,
// headless host and tests all build and read messages through it.
//
//   frame    := name data 0xFF
//   name     := "CMD_" letters              compared exactly
//   data     := ( "+" field )*              every message has at least one "+"
//   field    := bytes except "+" and 0xFF   a last field "the rest" may hold "+"
//   number   := decimal digits              seats, positions, codes, scores
//   seat     := 1..9                        1 and 2 play, 3..9 watch
//   position := row digit, column digit     11 top left .. 66 bottom right
//   text     := the wire's own bytes        names, chat, words: passed through
//
// Text travels as single bytes of the Windows code page (protocol/codepage.h),
// as every peer sends it; the host passes it on without reading it as text.
// Framing and field reading are protocol/wire.h's.
//
// Many messages end with an empty last field ("+" right before 0xFF); their
// encode() writes it. decode(data) takes the text after the first "+" and
// reads it left to right; it answers nullopt when a field the receiver needs
// is missing or not a number, and the receiver then ignores the message.

#include "protocol/wire.h"

#include <QByteArray>
#include <QList>
#include <optional>

namespace glyphon {

// Why a submitted word was turned down (CMD_invalid).
enum class RejectReason { NotAWord = 1, AlreadyPlayed = 2, LockedTile = 3 };

// What the host's pace does when its count of ticks runs out; also sent to a
// newcomer in CMD_loadstats.
enum class PaceAction { None = 0, NextTurn = 1, NextRound = 2, WinnerTest = 3, TimeUp = 4 };

namespace msg {

// --- Client to host --------------------------------------------------------

struct LoginInfo
{
    static constexpr const char *Name = "CMD_logininfo";
    int seat = 0;       // as received in CMD_sendlogininfo
    QByteArray version; // "1.0.2"
    QByteArray name;    // the rest
    QByteArray encode() const;
    static std::optional<LoginInfo> decode(const QByteArray &data);
};

// The text of a chat or an action line as its sender writes it: the line,
// "|", the colour text (protocol/colourtext.h). Read at its first "|"; a
// text without one has no colour.
struct ChatText
{
    QByteArray line;
    std::optional<QByteArray> colour;
    // The colour value to show the line in: red (UnreadableColour) when it
    // has none or it cannot be read.
    quint32 colourValue() const;
    QByteArray encode() const;
    static ChatText decode(const QByteArray &text);
};

struct ChatRequest
{
    static constexpr const char *Name = "CMD_chat";
    int seat = 0;
    QByteArray text;      // the rest: a ChatText
    QByteArray seatField = {}; // the seat as it came, for the relay; encode() writes seat
    QByteArray encode() const;
    static std::optional<ChatRequest> decode(const QByteArray &data);
};

struct ActionRequest
{
    static constexpr const char *Name = "CMD_action";
    int seat = 0;
    QByteArray text;      // the rest: a ChatText
    QByteArray seatField = {}; // the seat as it came, for the relay; encode() writes seat
    QByteArray encode() const;
    static std::optional<ActionRequest> decode(const QByteArray &data);
};

struct PlayASoundRequest
{
    static constexpr const char *Name = "CMD_playasound";
    int seat = 0;
    // The rest as sent: normally "wave" and the number, then an empty last
    // field. The host relays it unchanged.
    QByteArray rest;
    static PlayASoundRequest ofSound(int seat, const QByteArray &sound);
    QByteArray encode() const;
    static std::optional<PlayASoundRequest> decode(const QByteArray &data);
};

struct KickHim
{
    static constexpr const char *Name = "CMD_kickhim";
    int seat = 0;   // who asks
    int target = 0; // whom to remove
    QByteArray encode() const;
    static std::optional<KickHim> decode(const QByteArray &data);
};

struct JustWatch
{
    static constexpr const char *Name = "CMD_justwatch";
    int seat = 0;
    bool watch = false; // "1" watch, "2" play again; any other flag is no request
    QByteArray encode() const;
    static std::optional<JustWatch> decode(const QByteArray &data);
};

// Both directions: the host's announcement repeats the request with the
// numbers it settled on.
struct StartGame
{
    static constexpr const char *Name = "CMD_startgame";
    static constexpr int DefaultPlayToScore = 200;
    static constexpr int DefaultTimePerTurn = 30;
    QByteArray starter;
    int playtoscore = DefaultPlayToScore; // a field that is no number reads as the default
    int timeperturn = DefaultTimePerTurn;
    QByteArray encode() const;
    static std::optional<StartGame> decode(const QByteArray &data);
};
using StartGameRequest = StartGame;

struct SubmitIt
{
    static constexpr const char *Name = "CMD_submitit";
    int seat = 0;
    // In the order of the word's letters. A field that is no number reads as
    // 0, which is no tile, so the rules stop reading there.
    QList<int> positions;
    QByteArray encode() const;
    static std::optional<SubmitIt> decode(const QByteArray &data);
};

// --- Host to client --------------------------------------------------------

struct SendLoginInfo
{
    static constexpr const char *Name = greeting::SeatOffered;
    int seat = 0;
    QByteArray encode() const;
    static std::optional<SendLoginInfo> decode(const QByteArray &data);
};

struct Full
{
    static constexpr const char *Name = greeting::Full;
    QByteArray encode() const;
    static std::optional<Full> decode(const QByteArray &data);
};

// One participant as the seat lists show it.
struct SeatEntry
{
    int seat = 0;
    QByteArray name;
    bool watching = false;
    friend bool operator==(const SeatEntry &, const SeatEntry &) = default;
};

struct NewPlayerInfo
{
    static constexpr const char *Name = "CMD_newplayerinfo";
    int seat = 0;
    QByteArray name;
    bool watching = false; // the host always sends "0": a newcomer plays
    QByteArray encode() const;
    static std::optional<NewPlayerInfo> decode(const QByteArray &data);
};

struct ExistingPlayers
{
    static constexpr const char *Name = "CMD_existingplayers";
    QList<SeatEntry> players; // ascending seats; a group whose seat is no number is skipped
    QByteArray encode() const;
    static std::optional<ExistingPlayers> decode(const QByteArray &data);
};

struct HaveWrongVersion
{
    static constexpr const char *Name = "CMD_havewrongversion";
    QByteArray name; // the rest
    QByteArray encode() const;
    static std::optional<HaveWrongVersion> decode(const QByteArray &data);
};

struct WrongVersion
{
    static constexpr const char *Name = "CMD_wrongversion";
    QByteArray encode() const;
    static std::optional<WrongVersion> decode(const QByteArray &data);
};

// A tile as the board messages carry it.
struct TileGroup
{
    int position = 0;
    int letter = 0;
    int owner = 0;
    int value = 0;
    int locked = 0;
    friend bool operator==(const TileGroup &, const TileGroup &) = default;
};

struct LoadStats
{
    static constexpr const char *Name = "CMD_loadstats";
    int seat = 0; // the newcomer
    int score1 = 0;
    int score2 = 0;
    int timeperturn = 0;
    int playtoscore = 0;
    int round = 0;
    int pauseTicks = 0; // left of the pace's count
    PaceAction pending = PaceAction::None;
    int currentplayer = 0;
    // Row by row, each with letter, owner, value and lock; a group with a
    // field that is no number, or a position that is no tile, is skipped.
    QList<TileGroup> tiles;
    QByteArray encode() const;
    static std::optional<LoadStats> decode(const QByteArray &data);
};

struct PlayerDisconnected
{
    static constexpr const char *Name = "CMD_playerdisconnected";
    int seat = 0;
    QByteArray name; // the rest
    QByteArray encode() const;
    static std::optional<PlayerDisconnected> decode(const QByteArray &data);
};

struct JustWatching
{
    static constexpr const char *Name = "CMD_justwatching";
    int seat = 0;
    bool watching = false; // "1"; anything else means the seat plays
    QByteArray encode() const;
    static std::optional<JustWatching> decode(const QByteArray &data);
};

struct PlayASound
{
    static constexpr const char *Name = "CMD_playasound";
    int seat = 0;
    QByteArray rest; // the request's rest, unchanged
    QByteArray sound() const; // its first field
    QByteArray encode() const;
    static std::optional<PlayASound> decode(const QByteArray &data);
};

// The relays of chat and actions carry the request's seat field as it came
// ("01" stays "01"), and the sender's name before its text.
struct Action
{
    static constexpr const char *Name = "CMD_action";
    QByteArray seat; // a number
    QByteArray text; // the rest: name, one blank, the request's ChatText
    static Action relay(const ActionRequest &request, const QByteArray &name);
    QByteArray encode() const;
    static std::optional<Action> decode(const QByteArray &data);
};

struct Chat
{
    static constexpr const char *Name = "CMD_chat";
    QByteArray seat; // a number
    QByteArray text; // the rest: name, " chats: ", the request's ChatText
    static Chat relay(const ChatRequest &request, const QByteArray &name);
    QByteArray encode() const;
    static std::optional<Chat> decode(const QByteArray &data);
};

struct RoundStart
{
    static constexpr const char *Name = "CMD_roundstart";
    int round = 0;
    QByteArray encode() const;
    static std::optional<RoundStart> decode(const QByteArray &data);
};

struct TheLetters
{
    static constexpr const char *Name = "CMD_theletters";
    // Position, letter and value of each tile (owner and lock are 0); a
    // group with a field that is no number or a position that is no tile is
    // skipped.
    QList<TileGroup> tiles;
    QByteArray encode() const;
    static std::optional<TheLetters> decode(const QByteArray &data);
};

struct NextPlayer
{
    static constexpr const char *Name = "CMD_nextplayer";
    int seat = 0;
    QByteArray encode() const;
    static std::optional<NextPlayer> decode(const QByteArray &data);
};

struct Invalid
{
    static constexpr const char *Name = "CMD_invalid";
    int seat = 0;
    RejectReason reason = RejectReason::NotAWord; // any number is read; 1..3 are known
    QByteArray word; // lower case, as far as it was read
    QByteArray encode() const;
    static std::optional<Invalid> decode(const QByteArray &data);
};

struct HisWord
{
    static constexpr const char *Name = "CMD_hisword";
    int seat = 0;
    QByteArray word; // capitals
    int points = 0;
    int total = 0;
    QList<int> positions; // letter order; fields that are no numbers are skipped
    QByteArray encode() const;
    static std::optional<HisWord> decode(const QByteArray &data);
};

struct LockThemUp
{
    static constexpr const char *Name = "CMD_lockthemup";
    struct Change
    {
        int position = 0;
        int locked = 0;
        friend bool operator==(const Change &, const Change &) = default;
    };
    QList<Change> changes; // board order; a pair that is not two numbers is skipped
    QByteArray encode() const;
    static std::optional<LockThemUp> decode(const QByteArray &data);
};

struct TimeUp
{
    static constexpr const char *Name = "CMD_timeup";
    int seat = 0;
    QByteArray encode() const;
    static std::optional<TimeUp> decode(const QByteArray &data);
};

struct EndRound
{
    static constexpr const char *Name = "CMD_endround";
    QByteArray encode() const;
    static std::optional<EndRound> decode(const QByteArray &data);
};

struct Winner
{
    static constexpr const char *Name = "CMD_winner";
    QByteArray name;
    QByteArray encode() const;
    static std::optional<Winner> decode(const QByteArray &data);
};

} // namespace msg
} // namespace glyphon
