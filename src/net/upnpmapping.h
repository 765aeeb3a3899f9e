#pragma once
// UPnP IGD through miniupnpc. Every request to the router blocks (discovery
// waits up to two seconds), so each runs on a thread of its own; pulse()
// picks up its result. Only one request runs at a time, and nothing waits
// for it: a request still running when the mapping goes finishes on its own
// with what it shares, and its answer is dropped.

#include "net/mappingprotocol.h"

#include <QDeadlineTimer>
#include <future>
#include <memory>

namespace glyphon {

class UpnpMapping : public MappingProtocol
{
public:
    // Per kind of device searched for; a router answers within a fraction of it.
    static constexpr int DiscoveryMs = 1000;

    UpnpMapping();
    ~UpnpMapping() override;

    QString name() const override { return QStringLiteral("UPnP"); }
    void map(quint16 port) override;
    void unmap() override;
    void pulse(qint64 nowMs) override;

    // The address of this computer that the router forwards to.
    QString localAddress() const;

private:
    struct Router;
    struct Result
    {
        bool ok = false;
        QString error;
        QString publicAddress;
    };

    enum class Job { None, Discover, Renew, Remove };
    void run(Job job, std::function<Result()> work);

    std::shared_ptr<Router> m_router; // touched only by the running job, or when none runs
    std::future<Result> m_result;     // of a task on a detached thread: never waits
    Job m_job = Job::None;
    bool m_unmapWanted = false;
    QDeadlineTimer m_renewAt;
};

} // namespace glyphon
