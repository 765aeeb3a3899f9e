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
    if (m_thread) {
        m_thread->wait();
        delete m_thread;
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
