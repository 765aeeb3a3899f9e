#include "protocol/linepace.h"

#include <algorithm>

namespace glyphon {

QByteArray cutLine(const QByteArray &text)
{
    const qsizetype bar = text.indexOf('|');
    const QByteArray line = bar < 0 ? text : text.left(bar);
    if (line.size() <= MaxLineBytes && (bar < 0 || text.size() - bar - 1 <= MaxColourBytes))
        return text;
    return bar < 0 ? line.left(MaxLineBytes) : line.left(MaxLineBytes) + text.mid(bar, 1 + MaxColourBytes);
}

LineBucket::LineBucket(qint64 nowMs, int burst, int perSecond)
    : m_burst(burst)
    , m_perSecond(perSecond)
    , m_tokens(qint64(burst) * 1000)
    , m_at(nowMs)
{
}

bool LineBucket::take(qint64 nowMs)
{
    if (m_perSecond <= 0)
        return true;
    // Whole thousandths: a line a second is exactly one after 1000 ms.
    m_tokens = std::min(qint64(m_burst) * 1000, m_tokens + std::max<qint64>(0, nowMs - m_at) * m_perSecond);
    m_at = nowMs;
    if (m_tokens < 1000)
        return false;
    m_tokens -= 1000;
    return true;
}

} // namespace glyphon
