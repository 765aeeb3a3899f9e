#include "chat/chatinput.h"

#include "chat/colours.h"

#include <QAction>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMenu>

namespace glyphon {

OutgoingChat chatOutgoing(const QString &input)
{
    OutgoingChat out;
    if (input.isEmpty())
        return out;
    out.clearInput = true;
    if (!input.startsWith(QLatin1Char('/'))) {
        out.kind = OutgoingChat::Chat;
        out.text = input;
    } else if (input.startsWith(QLatin1String("/me"))) {
        // Four characters go, whatever the fourth is; a character outside
        // the basic plane counts as one, so no half of it is sent.
        qsizetype cut = 4;
        if (input.size() > 4 && input.at(3).isHighSurrogate() && input.at(4).isLowSurrogate())
            cut = 5;
        out.kind = OutgoingChat::Action;
        out.text = input.mid(cut);
    }
    return out;
}

ChatInput::ChatInput(QWidget *parent)
    : QLineEdit(parent)
{
    QFont f(QStringLiteral("Arial"));
    f.setPixelSize(13);
    setFont(f);
    setText(ChatPlaceholder);

    m_paste = new QAction(tr("Paste"), this);
    m_paste->setShortcut(QKeySequence::Paste);
    m_paste->setShortcutContext(Qt::WidgetShortcut);
    connect(m_paste, &QAction::triggered, this, &ChatInput::pasteAtEnd);
    m_menu = new QMenu(this);
    m_menu->addAction(m_paste);
}

void ChatInput::clearPlaceholder()
{
    if (text() == ChatPlaceholder)
        clear();
}

void ChatInput::insertSmileyCode(int code)
{
    clearPlaceholder();
    setText(text() + QStringLiteral(":)#") + QString::number(code));
    deselect();
    end(false);
}

void ChatInput::pasteAtEnd()
{
    const QString pasted = QGuiApplication::clipboard()->text();
    if (!pasted.isEmpty()) {
        clearPlaceholder();
        // A one-line box: line breaks in the clipboard would otherwise cut
        // the text short.
        QString oneLine = pasted;
        oneLine.replace(QLatin1String("\r\n"), QLatin1String(" "));
        oneLine.replace(QLatin1Char('\n'), QLatin1Char(' '));
        oneLine.replace(QLatin1Char('\r'), QLatin1Char(' '));
        setText(text() + oneLine);
    }
    deselect();
    end(false);
}

void ChatInput::setTextColour(quint32 colour)
{
    QPalette p = palette();
    p.setColor(QPalette::Text, toQColor(colour));
    setPalette(p);
}

bool ChatInput::event(QEvent *event)
{
    // A line edit takes Ctrl+H as Backspace, which would keep the window's
    // Hint from the user while the chat has the keyboard.
    if (event->type() == QEvent::ShortcutOverride) {
        const auto *key = static_cast<QKeyEvent *>(event);
        if (key->key() == Qt::Key_H && key->modifiers() == Qt::ControlModifier) {
            event->ignore();
            return true;
        }
    }
    return QLineEdit::event(event);
}

void ChatInput::keyPressEvent(QKeyEvent *event)
{
    clearPlaceholder();
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        emit sendRequested();
        event->accept();
        return;
    }
    // The paste key is the menu item's shortcut: it appends too, rather
    // than inserting at the caret as a line edit would.
    if (event->matches(QKeySequence::Paste)) {
        pasteAtEnd();
        event->accept();
        return;
    }
    QLineEdit::keyPressEvent(event);
}

void ChatInput::inputMethodEvent(QInputMethodEvent *event)
{
    clearPlaceholder();
    QLineEdit::inputMethodEvent(event);
}

void ChatInput::contextMenuEvent(QContextMenuEvent *event)
{
    m_paste->setEnabled(!QGuiApplication::clipboard()->text().isEmpty());
    m_menu->popup(event->globalPos());
    event->accept();
}

} // namespace glyphon
