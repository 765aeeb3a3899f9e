#include "server/seatnames.h"

#include "protocol/codepage.h"
#include "protocol/wire.h"

namespace glyphon {

bool sameName(const QByteArray &a, const QByteArray &b)
{
    return a.size() == b.size() && fromAnsi(a).compare(fromAnsi(b), Qt::CaseInsensitive) == 0;
}

QByteArray uniqueName(const QByteArray &name, const std::function<bool(const QByteArray &)> &taken)
{
    if (!taken(name))
        return name;
    for (int n = 2;; ++n) {
        const QByteArray suffix = ' ' + QByteArray::number(n);
        const QByteArray candidate = name.left(MaxNameLength - suffix.size()).trimmed() + suffix;
        if (!taken(candidate))
            return candidate;
    }
}

} // namespace glyphon
