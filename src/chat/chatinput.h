#pragma once
// The chat input: what Enter sends, and the one-line edit box `mychat`.

#include <QLineEdit>
#include <QString>

class QMenu;

namespace glyphon {

struct OutgoingChat
{
    enum Kind { Nothing, Chat, Action } kind = Nothing;
    QString text;
    bool clearInput = false;
};

// What Enter in the chat input sends once logged in (the caller checks the
// login). Empty input: nothing, input kept. Not beginning "/": a chat line
// of the whole input. Beginning "/me" (case-sensitive, three characters
// only): an action of what follows the first four characters, so "/meow"
// acts "w" and "/me" acts "". Any other "/" text ("/help"): nothing sent,
// but the input is emptied.
OutgoingChat chatOutgoing(const QString &input);

inline const QString ChatPlaceholder = QStringLiteral("<Enter Chat Here>");

// The chat input box `mychat`. It starts holding ChatPlaceholder as real
// text; any key, typed text or paste first removes it, and it never comes
// back. Enter emits sendRequested() and is swallowed; the owner calls
// chatOutgoing(text()) and clears the input as told. Its context menu has
// the single item "Paste" (Ctrl+V), which appends the clipboard text at the
// end rather than at the caret.
class ChatInput : public QLineEdit
{
    Q_OBJECT
public:
    explicit ChatInput(QWidget *parent = nullptr);

    // Removes the placeholder if the input still holds exactly it.
    void clearPlaceholder();
    // Appends ":)#" and the code with no blank before it, caret at the end.
    void insertSmileyCode(int code);
    // Appends the clipboard's text, if any, at the end; caret at the end.
    void pasteAtEnd();
    // The user's text colour (a colour value as in colourtext.h).
    void setTextColour(quint32 colour);
    QAction *pasteAction() const { return m_paste; }

signals:
    void sendRequested();

protected:
    bool event(QEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void inputMethodEvent(QInputMethodEvent *event) override;
    void contextMenuEvent(QContextMenuEvent *event) override;

private:
    QAction *m_paste = nullptr;
    QMenu *m_menu = nullptr;
};

} // namespace glyphon
