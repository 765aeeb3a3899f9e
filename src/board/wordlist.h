#pragma once
// A player's words in this round, one a line with its points: "WORD (22)".
// A line never wraps, for a score on the next line reads as the next word's;
// a word too long for the list is shortened with an ellipsis instead, the
// points always whole, and shortened afresh when the list's width changes.

#include <QList>
#include <QPlainTextEdit>
#include <QString>

class QFontMetrics;

namespace glyphon {

class WordList : public QPlainTextEdit
{
public:
    struct Entry
    {
        QString word;
        int points = 0;
    };

    explicit WordList(QWidget *parent);

    // Shows these words, the latest in view.
    void setWords(QList<Entry> words);
    // One line within width pixels of metrics' font.
    static QString line(const QFontMetrics &metrics, const QString &word, int points, int width);

protected:
    bool viewportEvent(QEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    void layOut(bool latestInView);

    QList<Entry> m_words; // whole, so they can be shortened afresh
};

} // namespace glyphon
