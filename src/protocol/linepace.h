#pragma once
// Chat, action and chatter sound lines: the pace one connection keeps and
// how long a line may be. The host holds every connection to them and the
// window keeps to them before it sends, so an honest user's line is never
// dropped unseen on the way.

#include <QByteArray>
#include <QtGlobal>

namespace glyphon {

// A burst of lines, then this many a second.
inline constexpr int LineBurst = 5;
inline constexpr int LinesPerSecond = 1;
// A line's text (before its first "|") and its colour are cut to these.
inline constexpr qsizetype MaxLineBytes = 400;
inline constexpr qsizetype MaxColourBytes = 40;

// The text of a chat line, action or sound cut to MaxLineBytes before its
// first "|" and to MaxColourBytes after it; the colour stays, so the line
// is shown as it was meant.
QByteArray cutLine(const QByteArray &text);

// A token bucket of lines: full at the start, a token back every
// 1000 / perSecond ms, never more than the burst.
class LineBucket
{
public:
    // perSecond 0: no limit.
    explicit LineBucket(qint64 nowMs = 0, int burst = LineBurst, int perSecond = LinesPerSecond);
    // True when a line may go at nowMs, and then it counts.
    bool take(qint64 nowMs);

private:
    int m_burst;
    int m_perSecond;
    qint64 m_tokens; // in thousandths of a line
    qint64 m_at;     // when the tokens were last topped up
};

} // namespace glyphon
