#include "chat/chatview.h"

#include "chat/colours.h"
#include "chat/smileys.h"

#include <QAction>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QDesktopServices>
#include <QGuiApplication>
#include <QMenu>
#include <QMimeData>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocumentFragment>
#include <QTimer>
#include <QUrl>

#include <algorithm>

namespace {

// Properties stored on the character formats, so that every item in the
// document knows what it is and, for text, which numbered style drew it.
enum Property {
    StyleProperty = QTextFormat::UserProperty + 1,
    KindProperty,
    SmileyProperty,
    LinkProperty,
};

const QString LinkScheme = QStringLiteral("glyphon-link");
const QString SmileyScheme = QStringLiteral("smiley");

QString withoutTrailingBlanks(const QString &text)
{
    qsizetype end = text.size();
    while (end > 0 && text.at(end - 1) == QLatin1Char(' '))
        --end;
    return text.left(end);
}

// The selection as plain text; smileys, which have no text, are left out.
QString selectedText(const QTextCursor &cursor)
{
    QString text = cursor.selection().toPlainText();
    text.remove(QChar::ObjectReplacementCharacter);
    return text;
}

QUrl smileyUrl(int image)
{
    return QUrl(SmileyScheme + QLatin1Char(':') + QString::number(image));
}

// Punctuation that may touch an address in a sentence but is no part of it.
const QString TrailingPunctuation = QStringLiteral(".,;:!?'\")]}>");

qsizetype withoutTrailingPunctuation(const QString &text)
{
    qsizetype end = text.size();
    while (end > 0 && TrailingPunctuation.contains(text.at(end - 1)))
        --end;
    return end;
}

QUrl webUrl(const QString &address)
{
    const QUrl url(address, QUrl::TolerantMode);
    const QString scheme = url.scheme();
    if (!url.isValid() || url.host().isEmpty()
        || (scheme != QLatin1String("http") && scheme != QLatin1String("https")))
        return {};
    return url;
}

// The address a link text opens, or an empty QUrl when it is no web address.
QUrl webAddress(const QString &linkText)
{
    const QString text = withoutTrailingBlanks(linkText);
    QString address;
    if (text.startsWith(QLatin1String("http://"), Qt::CaseInsensitive)
        || text.startsWith(QLatin1String("https://"), Qt::CaseInsensitive)) {
        address = text;
    } else if (text.startsWith(QLatin1String("www."), Qt::CaseInsensitive)) {
        address = QStringLiteral("http://") + text;
    } else {
        return {};
    }
    QUrl url = webUrl(address);
    if (url.isEmpty()) {
        // Punctuation that touched the address ("www.x.com,") stays in the
        // link text, but a host name cannot hold it: open the address
        // without it rather than not at all.
            const qsizetype end = withoutTrailingPunctuation(address);
        if (end < address.size())
            url = webUrl(address.left(end));
    }
    return url;
}

} // namespace

ChatView::ChatView(QWidget *parent)
    : QTextBrowser(parent)
{
    setOpenLinks(false);
    setOpenExternalLinks(false);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    document()->setUndoRedoEnabled(false);
    document()->setDocumentMargin(5);

    QPalette p = palette();
    p.setColor(QPalette::Base, QColor(232, 232, 232));
    setPalette(p);
    setFont(QFont(QStringLiteral("Arial"), m_points));

    for (Style &style : m_styles)
        style = Style{QColor(Qt::black), false, false};
    m_styles[LinkStyle] = Style{QColor(0, 128, 0), false, true};

    connect(this, &QTextBrowser::anchorClicked, this, &ChatView::onAnchorClicked);
    m_recolourTimer = new QTimer(this);
    m_recolourTimer->setSingleShot(true);
    m_recolourTimer->setInterval(0);
    connect(m_recolourTimer, &QTimer::timeout, this, &ChatView::recolourSome);

    m_selectAll = new QAction(tr("Select All"), this);
    connect(m_selectAll, &QAction::triggered, this, [this] {
        selectAll();
        viewport()->update();
    });
    m_copy = new QAction(tr("Copy"), this);
    m_copy->setShortcut(QKeySequence::Copy);
    m_copy->setShortcutContext(Qt::WidgetShortcut);
    connect(m_copy, &QAction::triggered, this, &ChatView::copySelection);
    m_clear = new QAction(tr("Clear Main Chat"), this);
    connect(m_clear, &QAction::triggered, this, &ChatView::clearChat);
    m_scrollOff = new QAction(tr("Scroll Chat Off"), this);
    m_scrollOff->setCheckable(true);
    m_scrollOff->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_S));
    addAction(m_scrollOff); // the shortcut works anywhere in the window

    m_menu = new QMenu(this);
    m_menu->addAction(m_selectAll);
    m_menu->addAction(m_copy);
    m_menu->addAction(m_clear);
    m_menu->addSeparator();
    m_menu->addAction(m_scrollOff);
}

void ChatView::addLine(const QString &msg, quint32 colour)
{
    // A line break in a relayed line would start a paragraph that looks like
    // a line of its own (a forged status line, say): show it as a blank.
    QString text = msg;
    for (QChar &c : text) {
        if (c == QLatin1Char('\n') || c == QLatin1Char('\r') || c == QChar::ParagraphSeparator
            || c == QChar::LineSeparator)
            c = QLatin1Char(' ');
    }

    const qsizetype plus = text.indexOf(QLatin1Char('+'));
    const QString line = plus < 0 ? text : text.mid(plus + 1);
    int style = StatusStyle;
    if (plus >= 0) {
        const auto number = glyphon::numberFromText(text.left(plus));
        if (number && *number >= 1 && *number <= 9)
            style = int(*number) + 5;
    }

    qsizetype colon = line.indexOf(QLatin1Char(':'));
    // "glyphon://..." or "https://..." in a line without a speaker (the
    // host's own lines): that colon belongs to the link, not to a name.
    if (colon >= 0 && QStringView(line).mid(colon + 1).startsWith(QLatin1String("//")))
        colon = -1;
    const QString head = colon < 0 ? QString() : line.left(colon + 1);
    QString body = colon < 0 ? line : line.mid(colon + 1);

    setStyle(style, glyphon::toQColor(colour), true);

    QTextCursor cursor(document());
    cursor.movePosition(QTextCursor::End);
    const size_t linksBefore = m_links.size();
    cursor.beginEditBlock();
    if (m_hasParagraph)
        cursor.insertBlock(QTextBlockFormat(), textFormat(style));
    m_hasParagraph = true;
    // A line without a speaker starts with its first word, not a blank.
    if (!head.isEmpty())
        cursor.insertText(head + QLatin1Char(' '), textFormat(style));

    const QLatin1String marker(":)#");
    qsizetype at;
    while ((at = body.indexOf(marker)) >= 0) {
        const QString pre = body.left(at);
        body.remove(0, at + marker.size());
        const QString code = body.left(2);
        body.remove(0, code.size());
        addWords(cursor, pre + QLatin1Char(' '), style);
        const auto number = glyphon::numberFromText(code);
        const bool known = number && *number >= glyphon::FirstSmileyCode
            && *number < glyphon::FirstSmileyCode + glyphon::SmileyCount;
        addSmiley(cursor, known ? int(*number) - glyphon::FirstSmileyCode : 0);
    }
    if (!body.isEmpty())
        addWords(cursor, body, style);
    cursor.endEditBlock();
    m_lineLinks.push_back(int(m_links.size() - linksBefore));
    if (m_lineLinks.size() >= size_t(MaxLines + TrimLines))
        dropOldLines();

    scrollToEnd();
}

void ChatView::dropOldLines()
{
    // One paragraph a line; the lines go with their links.
    const int drop = int(m_lineLinks.size()) - MaxLines;
    QTextCursor cursor(document());
    cursor.setPosition(document()->findBlockByNumber(drop).position(), QTextCursor::KeepAnchor);
    cursor.removeSelectedText();
    for (int line = 0; line < drop; ++line) {
        for (int n = m_lineLinks.front(); n > 0; --n) {
            m_links.pop_front();
            ++m_firstLink;
        }
        m_lineLinks.pop_front();
    }
}

QTextCharFormat ChatView::textFormat(int style) const
{
    const Style &s = m_styles[style];
    QTextCharFormat format;
    format.setForeground(s.colour);
    format.setFontWeight(s.bold ? QFont::Bold : QFont::Normal);
    format.setFontUnderline(s.underline);
    format.setProperty(StyleProperty, style);
    format.setProperty(KindProperty, int(Item::Text));
    return format;
}

void ChatView::setStyle(int style, const QColor &colour, bool bold)
{
    Style &s = m_styles[style];
    if (s.colour == colour && s.bold == bold)
        return;
    s.colour = colour;
    s.bold = bold;
    if (!m_hasParagraph)
        return;
    // Earlier items of this style take the new look, newest first. A long
    // chat is done in chunks (relaying out thousands of paragraphs at once
    // would stall the window); the newest, the ones in view, at once.
    m_pendingRecolour.insert(style, document()->blockCount() - 1);
    recolourSome();
}

void ChatView::recolourSome()
{
    int budget = RecolourChunk;
    QTextCursor cursor(document());
    cursor.beginEditBlock();
    while (budget > 0 && !m_pendingRecolour.isEmpty()) {
        const auto pending = m_pendingRecolour.begin();
        const int style = pending.key();
        // Lines that dropped from the top moved the rest up.
        int blockNumber = std::min(pending.value(), document()->blockCount() - 1);
        const Style &target = m_styles[style];
        const int weight = target.bold ? QFont::Bold : QFont::Normal;
        QTextCharFormat look;
        look.setForeground(target.colour);
        look.setFontWeight(weight);
        for (; blockNumber >= 0 && budget > 0; --blockNumber, --budget) {
            // Collect first: changing formats while walking the fragments
            // would invalidate the walk.
            QList<std::pair<int, int>> ranges;
            const QTextBlock block = document()->findBlockByNumber(blockNumber);
            for (auto it = block.begin(); !it.atEnd(); ++it) {
                const QTextFragment fragment = it.fragment();
                const QTextCharFormat format = fragment.charFormat();
                if (format.isImageFormat() || !format.hasProperty(StyleProperty)
                    || format.intProperty(StyleProperty) != style)
                    continue;
                if (format.foreground().color() != target.colour || format.fontWeight() != weight)
                    ranges.append({fragment.position(), fragment.length()});
            }
            for (const auto &[position, length] : ranges) {
                cursor.setPosition(position);
                cursor.setPosition(position + length, QTextCursor::KeepAnchor);
                cursor.mergeCharFormat(look);
            }
        }
        if (blockNumber < 0)
            m_pendingRecolour.erase(pending);
        else
            pending.value() = blockNumber;
    }
    cursor.endEditBlock();
    if (!m_pendingRecolour.isEmpty())
        m_recolourTimer->start();
}

bool ChatView::recolourPending() const
{
    return !m_pendingRecolour.isEmpty();
}

void ChatView::addWords(QTextCursor &cursor, QString text, int style)
{
    text.append(QLatin1Char(' '));
    qsizetype start = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text.at(i) != QLatin1Char(' '))
            continue;
        const QString piece = text.mid(start, i - start + 1);
        start = i + 1;
        if (checkforlink(piece)) {
            const int index = m_firstLink + int(m_links.size());
            m_links.push_back(piece);
            QTextCharFormat format = textFormat(LinkStyle);
            format.setAnchor(true);
            format.setAnchorHref(LinkScheme + QLatin1Char(':') + QString::number(index));
            format.setProperty(KindProperty, int(Item::Link));
            format.setProperty(LinkProperty, index);
            cursor.insertText(piece, format);
        } else {
            cursor.insertText(piece, textFormat(style));
        }
    }
}

void ChatView::addSmiley(QTextCursor &cursor, int image)
{
    const qreal ratio = qMax<qreal>(1.0, devicePixelRatioF());
    if (ratio != m_smileyRatio) {
        for (int i = 0; i < glyphon::SmileyCount; ++i)
            document()->addResource(QTextDocument::ImageResource, smileyUrl(i),
                                    glyphon::smileyPixmap(i, ratio));
        m_smileyRatio = ratio;
    }
    QTextImageFormat format;
    format.setName(smileyUrl(image).toString());
    format.setWidth(glyphon::SmileyWidth);
    format.setHeight(glyphon::SmileyHeight);
    format.setVerticalAlignment(QTextCharFormat::AlignMiddle);
    format.setProperty(KindProperty, int(Item::Smiley));
    format.setProperty(SmileyProperty, image);
    cursor.insertImage(format);
}

void ChatView::scrollToEnd()
{
    if (scrollChatOff())
        return;
    QScrollBar *bar = verticalScrollBar();
    bar->setValue(bar->maximum());
}

void ChatView::onAnchorClicked(const QUrl &url)
{
    if (url.scheme() != LinkScheme)
        return;
    bool ok = false;
    const int index = url.path().toInt(&ok);
    if (ok && index >= m_firstLink && index - m_firstLink < int(m_links.size()))
        emit linkClicked(index, m_links[size_t(index - m_firstLink)]);
}

bool ChatView::scrollChatOff() const
{
    return m_scrollOff->isChecked();
}

void ChatView::setScrollChatOff(bool off)
{
    m_scrollOff->setChecked(off);
}

void ChatView::setTextSize(int points)
{
    if (points <= 0)
        return;
    m_points = points;
    QFont f = font();
    f.setPointSize(points);
    setFont(f);
}

QColor ChatView::styleColour(int style) const
{
    return style >= 0 && style < StyleCount ? m_styles[style].colour : QColor();
}

bool ChatView::styleBold(int style) const
{
    return style >= 0 && style < StyleCount && m_styles[style].bold;
}

void ChatView::clearChat()
{
    document()->clear();
    m_firstLink += int(m_links.size());
    m_links.clear();
    m_lineLinks.clear();
    m_hasParagraph = false;
    m_pendingRecolour.clear();
    m_recolourTimer->stop();
    m_smileyRatio = 0; // clearing drops the document's resources
    viewport()->update();
    emit chatCleared();
}

void ChatView::copySelection()
{
    const QTextCursor cursor = textCursor();
    if (!cursor.hasSelection())
        return;
    QGuiApplication::clipboard()->setText(selectedText(cursor));
}

QMimeData *ChatView::createMimeDataFromSelection() const
{
    // Keyboard copy and dragging give the same plain text as the menu.
    auto *data = new QMimeData;
    data->setText(selectedText(textCursor()));
    return data;
}

void ChatView::contextMenuEvent(QContextMenuEvent *event)
{
    m_copy->setEnabled(textCursor().hasSelection());
    m_menu->popup(event->globalPos());
    event->accept();
}

QList<ChatView::Item> ChatView::lastParagraph() const
{
    QList<Item> items;
    if (!m_hasParagraph)
        return items;
    const QTextBlock block = document()->lastBlock();
    for (auto it = block.begin(); !it.atEnd(); ++it) {
        const QTextFragment fragment = it.fragment();
        const QTextCharFormat format = fragment.charFormat();
        Item item{Item::Text, QString(), -1, 0};
        if (format.isImageFormat()) {
            item.kind = Item::Smiley;
            item.smiley = format.intProperty(SmileyProperty);
        } else {
            item.kind = Item::Kind(format.intProperty(KindProperty));
            item.text = fragment.text();
            item.style = format.intProperty(StyleProperty);
        }
        items.append(item);
    }
    return items;
}

bool checkforlink(const QString &word)
{
    // Drawn as a link exactly when it would open: "(www.x.org)" is no
    // address, and a link that refuses to open only confuses.
    return glyphon::isSafeWebAddress(word) || glyphon::chatGameLink(word);
}

namespace glyphon {

bool isSafeWebAddress(const QString &linkText)
{
    return !webAddress(linkText).isEmpty();
}

std::optional<GameAddress> chatGameLink(const QString &linkText)
{
    const QString text = withoutTrailingBlanks(linkText);
    if (auto address = parseGameLink(text))
        return address;
    return parseGameLink(text.left(withoutTrailingPunctuation(text)));
}

bool openChatLink(const QString &linkText)
{
    const QUrl url = webAddress(linkText);
    if (url.isEmpty())
        return false;
    return QDesktopServices::openUrl(url);
}

} // namespace glyphon
