#pragma once
// Tchat: the client main window, a view on the client session. Its named handlers render the
// session's news and the game model; its controls call the session's commands.

#include "core/clientgame.h"
#include "session/gamenews.h"
#include "settings/clientsettings.h"
#include "protocol/wire.h"

#include <QByteArray>
#include <QList>
#include <QMainWindow>
#include <QString>
#include <QStringList>

#include <array>
#include <memory>

class QAction;
class QFrame;
class QLabel;
class QMenu;
class QPlainTextEdit;
class QTimer;
class QToolButton;
class TSock;
class ChatView;
class TileWidget;
class TimeBar;
class TurnMarker;
class EyesPicture;
class PictureButton;
class QuickInstructionsPanel;
enum class TSocketInfo;
class GlyphonContext;

namespace glyphon {
class BoardPanel;
class ChatInput;
class ClosingCoordinator;
class Hosting;
class HintControl;
class MainMenus;
class PlayWithOthers;
class OptionsMenu;
class BoardControls;
class ChatPane;
class ClientSession;
class PlayerCards;
class PhraseRow;
class SeatControl;
class SoundPlayer;
class TileSetMenu;
class TurnClock;
class WindowSettings;
class WordBuilder;
} // namespace glyphon

class Tchat : public QMainWindow
{
    Q_OBJECT
public:
    static constexpr const char *Placeholder = "<Enter Chat Here>";
    static constexpr const char *Waiting = "<Waiting>";

    // params: the command line without the program name.
    Tchat(GlyphonContext &context, const QStringList &params, QWidget *parent = nullptr);
    ~Tchat() override;

    // --- Client state; the session keeps it, the game's facts are in game() --
    glyphon::ClientSession *session() const { return m_session; }
    bool isconnected() const;
    bool ishost() const;
    QString myname() const;
    QString hostaddress() const;

    glyphon::ClientSettings settings;

    // --- Controls ------------------------------------------------------
    QWidget *panel_board = nullptr; // paints the background; holds the controls
    std::array<TileWidget *, 67> image_word{}; // by position; nullptr where no tile
    QLabel *label_playername1 = nullptr;
    QLabel *label_playername2 = nullptr;
    QLabel *label_score1 = nullptr;
    QLabel *label_score2 = nullptr;
    QLabel *label_bonus1 = nullptr;
    QLabel *label_bonus2 = nullptr;
    EyesPicture *image_eyes1 = nullptr;
    EyesPicture *image_eyes2 = nullptr;
    TurnMarker *image_Turn1 = nullptr;
    TurnMarker *image_turn2 = nullptr;
    QPlainTextEdit *memo_thewords1 = nullptr;
    QPlainTextEdit *memo_thewords2 = nullptr;
    QLabel *label_status = nullptr;
    QLabel *label_word = nullptr;
    QLabel *label_timer = nullptr;
    TimeBar *image_timer = nullptr;
    QLabel *label_roundnum = nullptr;
    QLabel *label_playtoscore = nullptr;
    PictureButton *button_start = nullptr;
    PictureButton *button_clear = nullptr;
    PictureButton *button_submit = nullptr;
    QFrame *panel_winner = nullptr;
    QLabel *label_winner1 = nullptr;
    QLabel *label_winner2 = nullptr;
    QuickInstructionsPanel *panel_help = nullptr;
    QFrame *panel_chat = nullptr;
    ChatView *mainchat = nullptr;
    glyphon::ChatInput *mychat = nullptr;
    QToolButton *button_smilies = nullptr;
    QMenu *popup_smilies = nullptr;
    QAction *OpenPortOnRouter1 = nullptr; // Options > Open Port on Router
    // The chat view's menu and the Options menu share one action each.
    QAction *ScrollChatOff1 = nullptr;
    QAction *ScrollChatOff2 = nullptr;
    QAction *ClearMainChat1 = nullptr;
    QAction *ClearMainChat2 = nullptr;
    QAction *SelectAll1 = nullptr;
    QAction *Copy1 = nullptr;
    QAction *Paste1 = nullptr;
    QAction *JustWatch1 = nullptr; // Options > Just Watch; checked while the server says so
    QMenu *popup_kick = nullptr;   // the player names' menu, for the host
    QMenu *grouptilesitem = nullptr; // Tiles
    TSock *sock = nullptr;   // the line to the host, owned by the session
    TSock *Sock11 = nullptr; // the lobby's idle line
    QTimer *Timer1 = nullptr; // the message pump's tick
    QTimer *turntime = nullptr; // the turn's countdown, owned by clock()

    // Per-seat controls (seat 1 or 2; nullptr otherwise).
    QLabel *playerNameLabel(int seat) const;
    QLabel *scoreLabel(int seat) const;
    // What a player seat's name label shows: the name, else "<Waiting>".
    QString shownName(int seat) const;
    TileWidget *tileAt(int position) const;

    // --- Start-up, connection and dispatch ---------------------------------
    // Hands one message to the handler its name says; others are ignored.
    void processsocktimer(const QByteArray &message);
    void button_startClick();
    // Closes for the program (a signal, the session's end): no question.
    void closeWithoutAsking();
    // Leaving, the boxes that hold the messages back, and the end.
    glyphon::ClosingCoordinator *closer() const { return m_closer; }

    // File > Play with Others...: asks first during a running game.
    void PlayWithOthers1Click();
    glyphon::PlayWithOthers *playWithOthers() const { return m_lobby; }

    // --- Chat pane --------------------------------------------------------
    void sendit();
    void addlinetochat(const QString &msg, quint32 colour);
    void mainchatJump(int index, const QString &text);
    void button_smiliesClick();

    // --- Sounds, options, phrase buttons and chatter sounds -------------------
    void playsounds(const QString &name);
    void playasound(const glyphon::msg::PlayASound &m);
    // Every game sound asked for, in order; tests read it.
    QStringList soundLog() const;
    void clearSoundLog();
    glyphon::OptionsMenu *optionsMenu() const { return m_options; }
    void wave4Click(int number);
    glyphon::PhraseRow *phraseRow() const { return m_phraseRow; }

    // --- Tile sets (TileSetMenu does the work) ------------------------------
    void grouptilesmenu();
    // Loads the set ("Classic": built in) and repaints; false keeps the
    // pictures in use (a file that cannot be read says so).
    bool loadgrouptiles(const QString &name);
    glyphon::TileSetMenu *tileSets() const { return m_tileSets; }

    // --- Board and turn -------------------------------------------------
    void drawtile(int position);
    void image_word51MouseUp(TileWidget *sender, Qt::MouseButton button);
    void hitclear();
    void hitdone();
    void turntimeTimer();
    // timeleft and barstep, and the clock they show.
    glyphon::TurnClock *clock() const { return m_clock; }
    // View > Hint in a game against the computer.
    glyphon::HintControl *hintControl() const { return m_hints; }
    // True while this window may take tiles and submit.
    bool myTurn() const;
    glyphon::ClientGame *game() const;
    // File, View and Help with their items.
    glyphon::MainMenus *menus() const { return m_menus.get(); }

    // --- Game events ------------------------------------------------------
    void winner(const glyphon::GameNews &m);
    // The tally window's list of the other players of this game.
    void loadchecklist();
    void ViewTally1Click();
    // Wires the side windows once the context has created them all.
    void connectSideWindows();

private:
    // The named handlers: thin, they render the session's news and the
    // game model.
    void processparams();
    void hostpress();
    void joinpress();
    void sendloginfo(const glyphon::SeatNews &news);
    void sockInfo(TSocketInfo info, const QString &msg);
    // One seat of CMD_newplayerinfo or CMD_existingplayers.
    void newplayerinfo(const glyphon::SeatNews &news);
    void playerdisconnected(const glyphon::SeatNews &news);
    void gameisfull();
    void justwatching(const glyphon::SeatNews &news);
    void Exit1Click();
    void chatrecieved(const QByteArray &data);
    void statusLine(const QString &text);
    void N271Click(int code);
    void loadinifile();
    void saveinifile();
    void PlaySounds1Click();
    void PlayerPhraseSounds1Click();
    void Classic1Click(int turnSound);
    void Fast1Click(int botSpeed);
    // Rizi's level ("gentle", "classic", "strong") for the host's own server.
    void RiziLevel1Click(const QString &level);
    void TextColor1Click();
    void N14Click(int textSize);
    void ResetScreenLocation1Click();
    void b_phrase1Click(int number);
    void b_phrase10MouseUp();
    void PrhaseList1Click();
    void creategrouptilesmenu(const QString &name);
    void grouptilesmenuClick(QAction *item);
    void startthegame(const glyphon::GameNews &news);
    void roundstart();
    void getnextplayer(const glyphon::TurnNews &news);
    void loadstats(const glyphon::TurnNews &news);
    void label_wordClick();
    void hisword(const glyphon::TurnNews &news);
    void invalid(const glyphon::TurnNews &news);
    void timeup(const glyphon::TurnNews &news);
    void endround();
    // Each news to the handler named for it.
    void showSeatNews(const glyphon::SeatNews &news);
    void showTurnNews(const glyphon::TurnNews &news);
    void showGameNews(const glyphon::GameNews &news);

signals:
    // The window has closed; the program ends with it.
    void closed();

protected:
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void moveEvent(QMoveEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void createControls();
    void createPlayerControls();
    void createBoardControls();
    void createChatControls();
    void scaleWithPanel(glyphon::BoardPanel &panel);
    void createMenus();
    void bindSession();
    void bindGame();
    void showSeat(int seat);
    // The seat's word list as the game model holds it, the latest in view.
    void showWords(int seat);
    void showMessageBox(const QString &text);
    void startGameRequested(const QString &scoreText, const QString &timeText);
    void announceOwnTurnOrOther();
    void redrawTiles(const QList<int> &positions);
    QString tileHolder(int owner) const;
    void describeForReaders();
    void createCloser();
    // Between turns: no input, no buttons, the clock at rest.
    void showTurnPause();

    GlyphonContext &m_context;
    QStringList m_params;
    bool m_shown = false;
    QString m_refusalShown; // the status line's refusal, until the word changes
    glyphon::ClosingCoordinator *m_closer = nullptr;
    std::unique_ptr<glyphon::WordBuilder> m_word; // the keys that spell
    glyphon::TurnClock *m_clock = nullptr;
    glyphon::PlayWithOthers *m_lobby = nullptr;
    // Announces the game and opens the router's port while this copy hosts
    // for others (not in a solo game); nullptr until then.
    glyphon::Hosting *m_hosting = nullptr; // the context's, while hosting for others
    glyphon::ClientSession *m_session = nullptr;
    glyphon::ClientGame *m_game = nullptr; // the session's
    std::unique_ptr<glyphon::PlayerCards> m_cards;
    std::unique_ptr<glyphon::BoardControls> m_board;
    std::unique_ptr<glyphon::ChatPane> m_chatPane;
    std::unique_ptr<glyphon::MainMenus> m_menus;
    glyphon::SoundPlayer *m_sounds = nullptr;
    glyphon::OptionsMenu *m_options = nullptr;
    glyphon::PhraseRow *m_phraseRow = nullptr;
    std::unique_ptr<glyphon::WindowSettings> m_windowSettings;
    glyphon::SeatControl *m_seats = nullptr;
    glyphon::TileSetMenu *m_tileSets = nullptr;
    glyphon::HintControl *m_hints = nullptr;
};
