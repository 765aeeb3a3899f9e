#pragma once
// Copies of the program share one saved window place. The first copy takes
// it as saved; each further copy running at the same time stands a step down
// and to the right of it, so no copy opens exactly on top of another. A
// claim is a lock file beside the settings file, held while the copy runs;
// one left by a copy that died is taken over.

#include <QLockFile>
#include <QPoint>
#include <QString>

#include <memory>

namespace glyphon {

class PlaceClaim
{
public:
    static constexpr int MaxCopies = 8; // past this, copies share the last step
    static constexpr int Step = 32;     // pixels, right and down

    // settingsPath: the settings file whose saved place is shared.
    explicit PlaceClaim(const QString &settingsPath);
    ~PlaceClaim();

    // 0 for the first copy, 1 for the second running at once, and so on.
    int index() const { return m_index; }
    QPoint offset() const { return QPoint(m_index * Step, m_index * Step); }

private:
    std::unique_ptr<QLockFile> m_lock;
    int m_index = 0;
};

} // namespace glyphon
