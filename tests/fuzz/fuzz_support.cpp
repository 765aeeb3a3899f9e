#include "fuzz_support.h"

#include <QDir>
#include <QTemporaryDir>

#include <cstdio>
#include <cstdlib>

namespace fuzz {

QByteArray Input::bytes(int limit)
{
    const size_t want = limit > 0 ? byte() % size_t(limit) : 0;
    const size_t n = std::min(want, m_size - std::min(m_pos, m_size));
    QByteArray out(reinterpret_cast<const char *>(m_data + m_pos), qsizetype(n));
    m_pos += n;
    return out;
}

QByteArray Input::rest()
{
    if (atEnd())
        return {};
    QByteArray out(reinterpret_cast<const char *>(m_data + m_pos), qsizetype(m_size - m_pos));
    m_pos = m_size;
    return out;
}

void enterTemporaryFolder()
{
    static QTemporaryDir dir;
    if (!dir.isValid() || !QDir::setCurrent(dir.path()))
        fail("a temporary working folder", __FILE__, __LINE__);
}

void fail(const char *what, const char *file, int line)
{
    std::fprintf(stderr, "%s:%d: invariant broken: %s\n", file, line, what);
    std::abort();
}

} // namespace fuzz
