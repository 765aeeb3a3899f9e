#include "server/strongindexbuild.h"

#include <QThread>
#include <utility>

namespace glyphon {

StrongIndexBuild::StrongIndexBuild(QObject *parent)
    : QObject(parent)
{
}

StrongIndexBuild::~StrongIndexBuild()
{
    // A build still running ends on its own, unheard, and its thread object
    // goes with it: a host that closes does not wait for Rizi's index.
    if (QThread *running = std::exchange(m_thread, nullptr)) {
        running->disconnect(this);
        connect(running, &QThread::finished, running, &QObject::deleteLater);
        if (running->isFinished()) // ended before the connection was made
            delete running;
    }
}

bool StrongIndexBuild::start(const QString &path)
{
    if (m_thread)
        return false;
    // The worker writes the result before it finishes; the owner reads it
    // only after the finish has reached its thread.
    auto result = std::make_shared<std::shared_ptr<const StrongIndex>>();
    m_thread = QThread::create([path, result] { *result = StrongIndex::shared(path); });
    connect(m_thread, &QThread::finished, this, [this, result] {
        QThread *done = std::exchange(m_thread, nullptr);
        done->wait(); // "finished" comes just before the thread has quite ended
        delete done;
        emit built(*result);
    });
    m_thread->start();
    return true;
}

} // namespace glyphon
