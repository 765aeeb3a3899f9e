#pragma once
// The chat view `mainchat`: every chat, action and status line of the main
// window is rendered here by addLine. It keeps the last MaxLines lines, links
// included: older ones drop from the top, TrimLines at a time (a drop lays
// out every line below it again, so one at a time would cost as much for
// every line), so a flood of chat cannot take the window's memory.
//
// Text styles: 15 numbered styles, 0 for status lines, 4 for links (dark
// green, underlined, not bold), 6..14 for seats 1..9. A style is shared by
// all lines that used it: when a new line gives its style another colour,
// the earlier lines of that style are recoloured too: the newest at once,
// older ones of a long chat in steps from the event loop.
//
// Menus: the view owns the actions of its context menu ("Select All",
// "Copy", "Clear Main Chat", a separator, "Scroll Chat Off"). The main
// window may put the same QAction objects into its Options menu
// (clearChatAction(), scrollChatOffAction()); being one checkable action,
// the two "Scroll Chat Off" items always agree. "Clear Main Chat" emits
// chatCleared() so that the owner can give the chat input the focus.

#include "protocol/colourtext.h"
#include "protocol/gamelink.h"
#include "chat/smileys.h"

#include <QList>
#include <QMap>
#include <QStringList>
#include <QTextBrowser>
#include <QTextCharFormat>

#include <array>
#include <deque>
#include <optional>

class QAction;
class QMenu;
class QTextCursor;
class QTimer;

class ChatView : public QTextBrowser
{
    Q_OBJECT
public:
    static constexpr int StyleCount = 15;
    static constexpr int StatusStyle = 0;
    static constexpr int LinkStyle = 4;
    static constexpr int MaxLines = 1000;
    static constexpr int TrimLines = 50; // lines held beyond MaxLines: fewer

    explicit ChatView(QWidget *parent = nullptr);

    // msg is a line number, "+" and the line text; 0 is a status line,
    // 1..9 the sender's seat. Other or unreadable numbers (and a msg without
    // "+", which is all line text) are drawn in the status style.
    void addLine(const QString &msg, quint32 colour);

    // The texts of the links still in the pane, oldest first; the first has
    // the index firstLinkIndex(). An index is never given twice (not even
    // after clearChat), so an old link can never open a newer link's text.
    QStringList linkTexts() const { return QStringList(m_links.begin(), m_links.end()); }
    int firstLinkIndex() const { return m_firstLink; }

    bool scrollChatOff() const;
    void setScrollChatOff(bool off);

    // Size in points of every style (the Text Size option: 8, 10, 12, 14).
    void setTextSize(int points);
    int textSize() const { return m_points; }

    // Colour and weight of style 0..14; an invalid QColor / false outside.
    QColor styleColour(int style) const;
    bool styleBold(int style) const;
    // true while earlier lines of a long chat are still taking a style's
    // new colour (done in steps from the event loop).
    bool recolourPending() const;

    void clearChat();
    // Puts the selection, if any, on the clipboard as plain text.
    void copySelection();

    QAction *selectAllAction() const { return m_selectAll; }
    QAction *copyAction() const { return m_copy; }
    QAction *clearChatAction() const { return m_clear; }
    QAction *scrollChatOffAction() const { return m_scrollOff; }

    // For tests: the items of the last paragraph. Adjacent text runs of one
    // style read back as one item, as the document merges them.
    struct Item
    {
        enum Kind { Text, Link, Smiley } kind;
        QString text;
        int smiley = -1;
        int style = 0;
    };
    QList<Item> lastParagraph() const;

signals:
    // A link was clicked; linkText is its recorded text (with its blank).
    void linkClicked(int linkIndex, const QString &linkText);
    void chatCleared();

protected:
    void contextMenuEvent(QContextMenuEvent *event) override;
    QMimeData *createMimeDataFromSelection() const override;

private:
    struct Style
    {
        QColor colour;
        bool bold = false;
        bool underline = false;
    };

    QTextCharFormat textFormat(int style) const;
    void setStyle(int style, const QColor &colour, bool bold);
    void recolourSome();
    void addWords(QTextCursor &cursor, QString text, int style);
    void addSmiley(QTextCursor &cursor, int image);
    void scrollToEnd();
    void dropOldLines();
    void onAnchorClicked(const QUrl &url);

    static constexpr int RecolourChunk = 200; // paragraphs per step

    std::array<Style, StyleCount> m_styles;
    QMap<int, int> m_pendingRecolour; // style -> newest paragraph still to do
    QTimer *m_recolourTimer = nullptr;
    std::deque<QString> m_links; // of the lines in the pane
    int m_firstLink = 0;          // the index of m_links.front()
    std::deque<int> m_lineLinks;  // how many links each line in the pane has
    bool m_hasParagraph = false;
    int m_points = 10;
    qreal m_smileyRatio = 0; // device pixel ratio the smiley resources were made for

    QAction *m_selectAll = nullptr;
    QAction *m_copy = nullptr;
    QAction *m_clear = nullptr;
    QAction *m_scrollOff = nullptr;
    QMenu *m_menu = nullptr;
};

// true when the word is a web address that opens (glyphon::isSafeWebAddress)
// or a game's link (glyphon::chatGameLink).
bool checkforlink(const QString &word);

namespace glyphon {

// Only web addresses open: text beginning "http://" or "https://" (any
// case) with a host, or beginning "www." (then opened as "http://..."),
// trailing blanks removed. Anything else, which a remote player could use
// to start a local program or open a local file, is refused.
bool isSafeWebAddress(const QString &linkText);
// The game a glyphon:// link in the chat points at, punctuation that touched
// it left out. Never opened here: the window offers to join it.
std::optional<GameAddress> chatGameLink(const QString &linkText);
// Opens a safe web address with QDesktopServices::openUrl. false when it is
// not one or cannot be opened: the caller shows "Cannot open Webpage".
bool openChatLink(const QString &linkText);

} // namespace glyphon
