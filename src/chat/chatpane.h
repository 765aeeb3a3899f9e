#pragma once
// The chat pane beside the board: the view of what was said in its frame,
// the input line, the smiley button with its menu and the row of phrase and
// chatter buttons.

class QFrame;
class QMenu;
class QToolButton;
class QWidget;
class ChatView;

namespace glyphon {

class ChatInput;
class PhraseRow;

class ChatPane
{
public:
    // A line must never reach the 64 KiB a peer may send at once; at most
    // three UTF-8 bytes per character keeps it far below.
    static constexpr int MaxInput = 2000;

    // Creates the controls on parent; the smiley menu belongs to menuOwner.
    ChatPane(QWidget *parent, QWidget *menuOwner);

    QFrame *frame;
    ChatView *view;
    ChatInput *input;
    QToolButton *smileys;
    QMenu *smileyMenu;
    PhraseRow *phrases;
};

} // namespace glyphon
