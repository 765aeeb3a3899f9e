#include "settings/placeclaim.h"

namespace glyphon {

PlaceClaim::PlaceClaim(const QString &settingsPath)
{
    for (int n = 0; n < MaxCopies; ++n) {
        auto lock = std::make_unique<QLockFile>(QStringLiteral("%1.place%2.lock").arg(settingsPath).arg(n));
        // Held for as long as the copy runs, so never stale by its age; a
        // lock whose process is gone is still taken over.
        lock->setStaleLockTime(0);
        if (lock->tryLock(0)) {
            m_lock = std::move(lock);
            m_index = n;
            return;
        }
    }
    m_index = MaxCopies - 1; // a crowd: nothing held, the last step shared
}

PlaceClaim::~PlaceClaim() = default; // the lock file goes with the lock

} // namespace glyphon
