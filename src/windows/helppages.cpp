// The text of the help window's eight pages.

#include "windows/help.h"

#include <QStringList>

namespace glyphon {

namespace {

const char *const Captions[HelpPageCount] = {
    "Overview", "Connecting", "Game Play", "Scoring",
    "Documentation", "License", "Options", "Lobby",
};

const char *const OverviewPage = R"(
<h2>Welcome to Glyphon</h2>
<p>Glyphon is a word game for two players on a board of six by six letter tiles.
You and your opponent take turns. In your turn you spell a word with tiles from
<b>anywhere</b> on the board, picked in <b>any order</b>, and submit it before
your time runs out.</p>
<p>Every tile you use in an accepted word becomes yours, even a tile your
opponent held. Tiles you take from your opponent score double, so the board
changes hands all the time. A tile that is surrounded on every side by tiles of
its holder is <b>locked</b>: the opponent can no longer take it.</p>
<p>When every tile is held the round ends and a new board is dealt. The game is
won by the player with the higher score after a round in which somebody reached
the target score.</p>
<p>Nobody to play with? Start Glyphon without parameters and play against
<b>Rizi</b>, the computer player. Up to seven friends can watch a game as
spectators and chat with the players.</p>
<p>The pages on the left explain how to connect, the rules, the scoring and the
menus. The <b>Quick Instructions</b> in the Help menu (Ctrl+I) give the short
version.</p>
)";

const char *const ConnectingPage = R"(
<h2>Solo games</h2>
<p>Start <code>glyphon</code> without parameters. Your copy hosts a game on
your own computer, you play as &ldquo;You&rdquo; and Rizi, the computer player,
takes the second seat. Click <b>START GAME</b> when you are ready.</p>

<h2>Playing with others</h2>
<p>Choose <b>Play with Others...</b> in the File menu (or <b>Play with
Others</b> in the window that opens with a solo game). Type the name the
others will see, then one of three ways:</p>
<ol>
<li><b>On the same network</b> (the same home or office network): one player
clicks <b>Host a Game</b>. Every other player's Play with Others window lists
that game under <b>Games on your network</b> within a few seconds, with the
host's name, how many of the two player seats are taken, how many watch and
whether a game runs. Choose it and click <b>Join</b> (or double-click it).</li>
<li><b>Over the internet</b>: the host clicks <b>Host a Game</b> and reads in
the chat pane the address friends should use, for example &ldquo;Friends on the
internet can join at 203.0.113.7&rdquo;. The friends type that address under
<b>Address:</b> and click <b>Join Address</b>. This works when the host's home
router opened the port (Glyphon asks it by itself, with UPnP or NAT-PMP, while
<b>Open Port on Router</b> is checked in the Options menu; the chat pane says
plainly when the router would not), or when the game runs on a dedicated host
with a public address (<code>glyphon-server</code>, below).</li>
<li><b>With the port opened by hand</b>: when the router cannot be asked,
forward <b>TCP port 7772</b> to the host's computer in the router's own
settings (often called &ldquo;port forwarding&rdquo; or &ldquo;virtual
server&rdquo;), and allow it in the host's firewall. Friends then join the
router's public address as in the second way.</li>
</ol>
<p><b>Games on the internet</b>: when an internet lobby is set (Options
&#9656; <b>Internet Lobby...</b>, a whole address such as
<code>https://lobby.example.org</code>), the window also lists the games of
your version that hosts registered there, polled every few seconds while it is
open; choose one and click <b>Join</b>. No lobby is set at first, and none is
contacted until you set one. A dedicated host registers with
<code>glyphon-server --lobby URL</code>. A game you host is registered there
as soon as you host it, with <b>List this game on the internet lobby</b>
checked (off at first: your address becomes public); the lobby lists it once
it can reach the game from the internet (the router opened the port, or the
computer has a public address). The chat pane says when it is listed, or why
not yet. A game both heard on your network
and listed there is shown once, on the network list.</p>
<p>Glyphon remembers your name and the last five addresses you joined. An
address may end in <code>:PORT</code> when the host uses another port than
7772. A game on the list is only shown: Glyphon connects nowhere until you
click <b>Join</b>. Joining first asks the host (&ldquo;Connecting&hellip;&rdquo;);
if it does not answer, or its game is full, the window says so and your solo
game goes on. Your solo game uses no network port others need, so another
copy or <code>glyphon-server</code> may host on this computer meanwhile.</p>
<p><b>Game links.</b> The host's chat pane also gives a link such as
<code>glyphon://203.0.113.7:7772</code> beside its address, to send to
friends. A click on such a link, in a web page or in the chat pane, opens
Play with Others with that address filled in (a link in a web page starts
Glyphon first, with a solo game); check your name and click <b>Join
Address</b>. Nothing is joined before you do. A link that cannot be read is
said so in the window.</p>
<p>The same can be done from a terminal, as a lobby program does:</p>
<table cellpadding="4">
<tr><td>Host:</td><td><code>glyphon NAME ADDRESS true</code></td></tr>
<tr><td>Join:</td><td><code>glyphon NAME HOSTADDRESS false</code></td></tr>
</table>
<p>The host's own address is not used (the host's window always connects to
its own computer), but the parameter must be there. Any third word other than
<code>true</code> (written exactly so) joins.</p>
<p>The first two players to connect get the two player seats (the host
normally has seat&nbsp;1). Up to <b>seven</b> more people can connect as
spectators; a tenth connection is told that the game is full. While a player
seat is empty, or its player chose <b>Just Watch</b>, Rizi plays it.</p>
<p>Only the host starts games, with <b>Start Game</b> in the File menu or the
START GAME button. The host chooses the score to play to and the time for each
turn. On a host without a window (<code>glyphon-server</code>, below), whoever
has seat&nbsp;1 starts the games instead, but only while no game runs, and
cannot remove anybody or set the other player to just watch.</p>

<h2>Leaving and losing the connection</h2>
<p>Closing the window (or <b>Exit</b> in the File menu) during a game in which
you play asks first whether you want to leave it; Rizi takes your seat (when
the host leaves, the game ends for everybody). When the host closes the game,
the others are told so and their windows close.</p>
<p>If a joining player's connection breaks (the network drops, the computer
sleeps), the window stays open and <b>reconnects</b> to the same host by
itself: it says so in the chat pane and tries again after 1, 2, 4 &hellip;
seconds, for up to two minutes. Meanwhile Rizi plays your seat; clicks on the
board and chat lines wait until you are back. When the seat is free again you
get it back with its score, the board and the turn as they are now. If the
host cannot be reached in time, the window says so and closes once you have
read it. A spectator's window comes back the same way; if it cannot, it says
so and stays open, with the chat, until you close it. The host notices a connection that died without a word within about
half a minute.</p>

<h2>Network</h2>
<p>The host must accept incoming <b>TCP connections on port 7772</b>; games
are announced on the local network with <b>UDP port 7772</b>. Joining players
only need to be able to connect out to the host.</p>
<p>All players should run the same version of Glyphon; a different version is
reported in the chat pane.</p>

<h2>A host without a window</h2>
<p><code>glyphon-server</code> runs the same game server without any window,
for example on a machine with no display. Players then join it with
<code>glyphon NAME SERVERADDRESS false</code>. Its options:</p>
<ul>
<li><code>--port N</code> &ndash; the port to listen on (default 7772)</li>
<li><code>--bot-speed 500|1000|2000</code> &ndash; Rizi's thinking delay in milliseconds</li>
<li><code>--start-game SCORE,SECONDS</code> &ndash; start a game at once; Rizi fills empty seats</li>
<li><code>--seed N</code> &ndash; fixed random boards, for testing</li>
<li><code>--tick-ms N</code> &ndash; length of one pace tick in milliseconds (default 1000)</li>
<li><code>--quit-after-game</code> &ndash; stop once a game has a winner</li>
<li><code>--no-announce</code> &ndash; do not list the game on the local network</li>
<li><code>--open-port</code> &ndash; ask the home router to forward the port while it runs</li>
<li><code>--rizi LEVEL</code> &ndash; how Rizi plays: gentle, classic (default) or strong;
<code>LEVEL1,LEVEL2</code> sets the two seats apart</li>
<li><code>--login-timeout SECONDS</code> &ndash; time a new connection has to log in (default 20)</li>
<li><code>--chat-limit LINES</code> &ndash; chat, action and sound lines one connection may send
each second after a burst of five (default 1; 0 for no limit)</li>
<li><code>--per-address N</code> &ndash; connections one address may hold at once, 1 to 9
(default 4)</li>
</ul>
<p>The environment variable <code>GLYPHON_PORT</code> changes the port for both
programs; a value that is no port (the window takes 1 to 65535) is refused
and the program stops.</p>
)";

const char *const GamePlayPage = R"(
<h2>The board</h2>
<p>The board has six rows of six letter tiles. A few tiles carry a bonus value
of 2, 3 or 4 points, shown as a badge <b>x2</b>, <b>x3</b> or <b>x4</b> in the
top right corner. A small <b>dot</b> there marks a tile of value 1: it scores
1 point, like a tile without a mark. At first nobody holds any tile.</p>

<h2>Your turn</h2>
<ul>
<li>The players take turns; the status line says <i>Your Turn.</i> when it is
yours, and the clock shows how much time is left.</li>
<li>Spell a word by clicking tiles one after another. The tiles may lie
<b>anywhere</b> on the board and be picked in <b>any order</b>; they need not
touch each other. A word has at least two letters.</li>
<li>Made a mistake? Click the word to take back its last letter, or press
CLEAR to start again.</li>
<li>Press SUBMIT (or right-click on the board) to play the word.</li>
<li>The word must be in the dictionary and must not have been played already in
this round. If it is refused you may try again as long as your time lasts.</li>
<li>If the time runs out, the turn passes to your opponent.</li>
<li>The tiles of the <b>last word</b> played carry a dashed outline in the
colour of the player who made it, so you can see what your opponent just took. The
outline stays during the turn that answers the word and goes with the next
word or the turn after.</li>
<li>With the keyboard, type the letters of your word: each takes the most
valuable free tile with that letter, then the most valuable of your
opponent's, then one of your own. A letter that no usable tile carries is
reported in the chat pane. Backspace takes back a letter, Enter submits,
Escape clears.</li>
</ul>

<h2>Claiming tiles</h2>
<p>Every tile of an accepted word passes to you: free tiles, and tiles your
opponent held. Tiles you already held stay yours.</p>

<h2>Locking</h2>
<p>A tile is <b>locked</b> while it and all its neighbours above, below, left
and right are held by the same player (tiles at the edge have fewer
neighbours). A locked tile has a solid frame and a small padlock in its lower
left corner. Your opponent cannot use your locked tiles; you can still use
them yourself. When the opponent takes a neighbour of a locked tile, that tile
is unlocked again.</p>

<h2>End of a round</h2>
<p>The round ends when every tile is held. A <b>q</b> does not count while
there is no <b>u</b> on the board: it may stay free. Each round starts with a
new board, and the round's list of played words starts empty again. Scores
carry over from round to round.</p>

<h2>End of the game</h2>
<p>After a round in which at least one player reached the target score (the
<i>Play to Score</i> shown above the board), the player with the higher score
wins. A player who passes the target during a round plays that round to its
end. If the scores are <b>equal</b>, nobody wins yet and another round is
played.</p>
)";

const char *const ScoringPage = R"(
<h2>Points for a word</h2>
<p>Every tile of the word scores on its own, and the word scores the sum:</p>
<table border="1" cellspacing="0" cellpadding="4">
<tr><th align="left">Tile</th><th align="left">Points</th></tr>
<tr><td>a free tile</td><td>1, or its bonus value 2, 3 or 4</td></tr>
<tr><td>a tile your opponent held</td><td>double: 2, or 4, 6 or 8 for a bonus tile</td></tr>
<tr><td>a tile you already held</td><td>0</td></tr>
</table>
<p>A tile keeps its bonus value for the whole round, whoever holds it.</p>

<h2>Example</h2>
<p>A word made of two free plain tiles, a free bonus tile of value 3 and a
tile of value 2 taken from your opponent scores
<b>1&nbsp;+&nbsp;1&nbsp;+&nbsp;3&nbsp;+&nbsp;4&nbsp;=&nbsp;9</b> points.</p>

<h2>Words that count</h2>
<ul>
<li>The word must be in the game's English dictionary (words of 2 to 14 letters).</li>
<li>A word can be played only once in each round, by either player.</li>
<li>You cannot use a tile that your opponent has locked.</li>
<li>A word of your own tiles only is allowed; it scores 0 but ends your turn.</li>
</ul>
<p>Your score grows over all rounds of a game. The number beside your score
shows the points of your last word.</p>
)";

const char *const DocumentationPage = R"(
<h2>Version history</h2>
<h3>1.0.2</h3>
<ul>
<li>Keyboard play: type the letters of your word, Backspace, Enter and Escape.</li>
<li><code>glyphon-server</code>, the game server without a window.</li>
<li>Desktop menu entry and icon for Linux desktops.</li>
<li>Settings and the tally are kept in your own folders when the program's
folder cannot be written.</li>
</ul>
<h3>1.0.1</h3>
<ul>
<li>Phrase buttons and chatter sounds, with the phrase editor.</li>
<li>Tally list of your games against each opponent.</li>
<li>Spy list, Just Watch, and removal of players by the host.</li>
<li>Tile sets from the <code>glyphontiles</code> folder.</li>
</ul>
<h3>1.0.0</h3>
<ul>
<li>First release: solo games against Rizi, hosting and joining games,
spectators and chat.</li>
</ul>
)";

const char *const LicensePage = R"(
<h2>License</h2>
<p>Copyright &copy; the Glyphon developers.</p>
<p>Permission is hereby granted, free of charge, to any person obtaining a copy
of this software and associated documentation files (the &ldquo;Software&rdquo;),
to deal in the Software without restriction, including without limitation the
rights to use, copy, modify, merge, publish, distribute, sublicense, and/or sell
copies of the Software, and to permit persons to whom the Software is furnished
to do so, subject to the following conditions:</p>
<p>The above copyright notice and this permission notice shall be included in
all copies or substantial portions of the Software.</p>
<p>THE SOFTWARE IS PROVIDED &ldquo;AS IS&rdquo;, WITHOUT WARRANTY OF ANY KIND,
EXPRESS OR IMPLIED, INCLUDING BUT NOT LIMITED TO THE WARRANTIES OF
MERCHANTABILITY, FITNESS FOR A PARTICULAR PURPOSE AND NONINFRINGEMENT. IN NO
EVENT SHALL THE AUTHORS OR COPYRIGHT HOLDERS BE LIABLE FOR ANY CLAIM, DAMAGES OR
OTHER LIABILITY, WHETHER IN AN ACTION OF CONTRACT, TORT OR OTHERWISE, ARISING
FROM, OUT OF OR IN CONNECTION WITH THE SOFTWARE OR THE USE OR OTHER DEALINGS IN
THE SOFTWARE.</p>
<h3>Word list</h3>
<p>The dictionary is built from SCOWL (Spell Checker Oriented Word Lists) by
Kevin Atkinson and its contributors. SCOWL is distributed under its own
permissive terms; its copyright and permission notice is shipped beside the
word list in the program's sources and must be kept with any copy of the
word list.</p>
)";

const char *const OptionsPage = R"(
<h2>Options menu</h2>
<ul>
<li><b>Play Sounds</b> &ndash; game sounds on or off.</li>
<li><b>Player Phrase Sounds</b> &ndash; play the chatter sounds other people
send; when off, they are shown as a line in the chat instead.</li>
<li><b>Turn Sound</b> &ndash; Classic or New: the sound when your turn begins.</li>
<li><b>Bot Speed</b> &ndash; Slow, Normal or Fast: how long Rizi thinks (the
host's choice counts).</li>
<li><b>Rizi Plays Gentle</b>, <b>Rizi Plays Classic</b>, <b>Rizi Plays
Strong</b> &ndash; how well Rizi plays (the host's choice counts; a change
counts from Rizi's next turn). <i>Gentle</i> is a friendly opponent for
children and beginners: short everyday words of three to five letters, laid
on free tiles rather than on yours or on bonus tiles, and now and then it lets
its turn pass. <i>Classic</i>, the usual Rizi, picks words at random from its
own list and lays them on bonus tiles and on your tiles where it can: it wins
some games and loses others. <i>Strong</i> looks through the whole dictionary
for the word that scores most on the board as it stands, on the tiles worth
most to it, and prefers moves that lock its tiles: hard to beat.</li>
<li><b>Text Color</b> &ndash; the colour of your chat text.</li>
<li><b>Text Size</b> &ndash; 8, 10, 12 or 14 point chat text.</li>
<li><b>Scroll Chat Off</b> &ndash; stop the chat from scrolling to new lines.</li>
<li><b>Clear Main Chat</b> &ndash; empty the chat pane. It keeps the last
1,000 lines in any case.</li>
<li><b>Open Port on Router</b> &ndash; while you host, ask your home router
(UPnP or NAT-PMP) to forward the game's port so that friends on the internet
can join; the chat pane says whether it did.</li>
<li><b>Internet Lobby...</b> &ndash; the address of the internet lobby whose
games Play with Others lists; empty, none is contacted.</li>
<li><b>Reset Screen Location</b> &ndash; put the window back at the top left
in its normal size.</li>
<li><b>Just Watch</b> &ndash; a player steps aside and watches; Rizi plays the
seat until you uncheck it. The host can also set or unset it for a player,
or remove a player, with the right-click menu on the player's name.</li>
</ul>
<p>Your choices are saved in the settings file (section <code>Glyphon</code> of
<code>marnetlobby.ini</code>, beside the program or in your configuration
folder) as soon as you make them, and come back next time. The window's place
and size are saved when you close it after moving or resizing it.</p>
<h2>View menu</h2>
<ul>
<li><b>Spy List</b> &ndash; the spectators of the game. The host can remove
somebody with the list's right-click menu.</li>
<li><b>Phrase List</b> &ndash; change the texts of the nine phrase buttons
above the chat. A phrase starting with &ldquo;/me &rdquo; is sent as an action.
The buttons can be used once every 2 seconds. Chat lines, actions and chatter
sounds go at the host's pace, 5 at once and then one a second: a line typed
faster is not sent, stays in the chat box and the chat says &ldquo;Slow down:
one line a second.&rdquo;</li>
<li><b>View Tally</b> &ndash; your results against the players you choose to
tally: check a name under &ldquo;Players In Current Game&rdquo; to count your
games against that player from now on. The tally is kept between runs.</li>
<li><b>Hint</b> (Ctrl+H) &ndash; in a game against Rizi alone, during your
turn: the tiles of a good word (the word Strong would play) go into your word,
for you to submit, change or clear. It is greyed when another person plays.
When the game ends, the chat says how many hints you took.</li>
</ul>
<p>The <b>Tiles</b> menu chooses a tile set from the <code>glyphontiles</code>
folder. Three sets come with the game: <b>Wood</b>, <b>Ice</b> and
<b>HighContrast</b>. HighContrast is made for players who find the usual tile
colours hard to tell apart: free tiles are near white, your own tiles orange
and your opponent's blue, with black letters, so the three stay distinct with
the common forms of colour blindness. Your choices are saved in the settings file (section
<code>Glyphon</code> of <code>marnetlobby.ini</code>) and come back next time.</p>
<h2>Phrase buttons and chatter sounds</h2>
<p>The row of small buttons above the chat sends a phrase with one click; rest
the mouse on a button to see its phrase. The last button, with the notes,
opens the chatter sounds: everybody in the game hears the one you choose, or
reads it as a line in the chat when they switched <b>Player Phrase Sounds</b>
off.</p>

<h2>Playing with the keyboard</h2>
<p>During your own turn:</p>
<ul>
<li>Type a letter to pick a tile with that letter: a free tile first, then one
of your opponent's, then one of your own.</li>
<li><b>Backspace</b> takes back the last letter.</li>
<li><b>Enter</b> submits the word.</li>
<li><b>Escape</b> clears the word.</li>
</ul>
<p>While the chat line has the keyboard, your letters go into the chat; press
<b>Escape</b> there to hand the keyboard back to the board.</p>
<h2>With the mouse</h2>
<ul>
<li>Click tiles to build the word; <b>right-click</b> submits it.</li>
<li>Click the word to take back its last letter.</li>
</ul>
<p>F1 opens this help, Ctrl+I the quick instructions.</p>
)";

const char *const LobbyPage = R"(
<h2>The lobby</h2>
<p>Games against other people can be arranged in <b>The Marnet Lobby</b>, a
separate program. It is optional: everything it does can also be done from the
command line (see <i>Connecting</i>).</p>
<p>In the lobby you meet other players and agree on a game. The lobby then
starts Glyphon for you: the host's copy with
<code>glyphon NAME ADDRESS true</code> and every other copy with
<code>glyphon NAME HOSTADDRESS false</code>, so the game connects by itself.</p>
<p>When Glyphon is started without parameters it opens a solo game and offers
to get the lobby. <b>Download And Install The Marnet Lobby Now</b> fetches the
lobby's installer into Glyphon's folder (or your download folder when that
cannot be written), starts it and closes the game; <b>Stop Download</b> cancels
the transfer and leaves no partial installer behind. <b>Play Solo Game</b>
closes that window and goes on with the solo game. <b>Play with Others</b>
closes the game and starts the lobby when it is installed.</p>
<p>On Linux Glyphon looks for the lobby program at
<code>/opt/marnet/MarnetLobby</code>; the environment variable
<code>GLYPHON_LOBBY_PROGRAM</code> names another place.</p>
<p>Lobby games use the same network port as any other game: the host must
accept TCP connections on port 7772.</p>
)";

const char *const Pages[HelpPageCount] = {
    OverviewPage, ConnectingPage, GamePlayPage, ScoringPage,
    DocumentationPage, LicensePage, OptionsPage, LobbyPage,
};

} // namespace

QString helpPageCaption(int page)
{
    if (page < 1 || page > HelpPageCount)
        return {};
    return QString::fromLatin1(Captions[page - 1]);
}

QString helpPageHtml(int page)
{
    if (page < 1 || page > HelpPageCount)
        return {};
    return QString::fromUtf8(Pages[page - 1]);
}

} // namespace glyphon
