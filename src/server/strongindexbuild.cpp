#include "server/strongindexbuild.h"

#include <QCoreApplication>
#include <QList>
#include <QThread>

#include <mutex>
#include <utility>

namespace glyphon {

StrongIndexBuild::StrongIndexBuild(QObject *parent)
    : QObject(parent)
{
}

namespace {

// Builds whose owner went while they ran. They finish unheard; the
// application joins them as it ends, while Qt still stands: a thread left
// running into the teardown of the process's statics could find the file
// layer it reads through gone from under it.
std::mutex orphansLock;
QList<QThread *> orphans;

void joinOrphans()
{
    const std::lock_guard<std::mutex> guard(orphansLock);
    for (QThread *thread : std::as_const(orphans)) {
        thread->wait();
        delete thread;
    }
    orphans.clear();
}

void adopt(QThread *thread)
{
    const std::lock_guard<std::mutex> guard(orphansLock);
    if (orphans.isEmpty())
        qAddPostRoutine(joinOrphans);
    // Those done by now need no joining later.
    orphans.removeIf([](QThread *old) {
        if (!old->isFinished())
            return false;
        old->wait();
        delete old;
        return true;
    });
    orphans.append(thread);
}

} // namespace

StrongIndexBuild::~StrongIndexBuild()
{
    // A host that closes does not wait for Rizi's index.
    if (QThread *running = std::exchange(m_thread, nullptr)) {
        running->disconnect(this);
        adopt(running);
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
