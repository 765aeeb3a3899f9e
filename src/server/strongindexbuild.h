#pragma once
// Builds Rizi's strong index on a worker thread and hands it to the
// owner's thread: reading and sorting a word list takes about a tenth of a
// second, which the host's thread (in a hosting window, the window's own)
// must not wait for. The index is read-only once built; the game that uses
// it stays on the owner's thread.

#include "server/strongindex.h"

#include <QObject>
#include <QString>
#include <memory>

class QThread;

namespace glyphon {

class StrongIndexBuild : public QObject
{
    Q_OBJECT
public:
    explicit StrongIndexBuild(QObject *parent = nullptr);
    // Waits for nothing: a build still running finishes unheard.
    ~StrongIndexBuild() override;

    // Starts building the index of the word file at path; false while a
    // build runs already.
    bool start(const QString &path);
    bool running() const { return m_thread != nullptr; }

signals:
    // On the owner's thread; null when the word file could not be read.
    void built(const std::shared_ptr<const glyphon::StrongIndex> &index);

private:
    QThread *m_thread = nullptr;
};

} // namespace glyphon
