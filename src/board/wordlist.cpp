#include "board/wordlist.h"

#include <QEvent>
#include <QFontMetrics>
#include <QScrollBar>
#include <QStringList>
#include <QTextCursor>

#include <cmath>

namespace glyphon {

WordList::WordList(QWidget *parent)
    : QPlainTextEdit(parent)
{
    setLineWrapMode(QPlainTextEdit::NoWrap);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
}

void WordList::setWords(QList<Entry> words)
{
    m_words = std::move(words);
    layOut(true);
}

QString WordList::line(const QFontMetrics &metrics, const QString &word, int points, int width)
{
    const QString score = QStringLiteral("(%1)").arg(points);
    const QString whole = word + u' ' + score;
    if (metrics.horizontalAdvance(whole) <= width)
        return whole;
    const QString shortened = metrics.elidedText(word, Qt::ElideRight, width - metrics.horizontalAdvance(u' ' + score));
    return shortened.isEmpty() ? score : shortened + u' ' + score;
}

bool WordList::viewportEvent(QEvent *event)
{
    const bool handled = QPlainTextEdit::viewportEvent(event);
    // A scroll bar coming or going narrows or widens the viewport too.
    if (event->type() == QEvent::Resize)
        layOut(false);
    return handled;
}

void WordList::changeEvent(QEvent *event)
{
    QPlainTextEdit::changeEvent(event);
    if (event->type() == QEvent::FontChange)
        layOut(false);
}

void WordList::layOut(bool latestInView)
{
    const QFontMetrics metrics(font());
    // The document's margins at both sides and the (unseen) cursor.
    const int width = viewport()->width() - 2 * int(std::ceil(document()->documentMargin())) - cursorWidth() - 1;
    QStringList lines;
    for (const Entry &entry : std::as_const(m_words))
        lines << line(metrics, entry.word, entry.points, width);
    const QString text = lines.join(u'\n');
    if (text == toPlainText() && !latestInView)
        return;
    const int scrolled = verticalScrollBar()->value();
    setPlainText(text);
    if (latestInView) {
        moveCursor(QTextCursor::End);
        ensureCursorVisible();
    } else {
        verticalScrollBar()->setValue(scrolled);
    }
}

} // namespace glyphon
