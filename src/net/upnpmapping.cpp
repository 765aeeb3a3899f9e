#include "net/upnpmapping.h"

#include <miniupnpc/miniupnpc.h>
#include <miniupnpc/upnpcommands.h>
#include <miniupnpc/upnperrors.h>

#include <QByteArray>
#include <chrono>
#include <cstring>
#include <thread>

namespace glyphon {

struct UpnpMapping::Router
{
    UPNPUrls urls{};
    IGDdatas data{};
    char lanAddress[64] = {};
    bool found = false;

    ~Router() { forget(); }
    void forget()
    {
        if (found)
            FreeUPNPUrls(&urls);
        found = false;
    }
};

namespace {

QString upnpError(int code)
{
    const char *text = strupnperror(code);
    return text ? QStringLiteral("%1, code %2").arg(QString::fromLatin1(text)).arg(code)
                : QStringLiteral("error %1").arg(code);
}

int addMapping(const char *controlUrl, const char *service, const char *lan, quint16 port)
{
    const QByteArray portText = QByteArray::number(port);
    const QByteArray lease = QByteArray::number(MappingProtocol::LeaseSeconds);
    return UPNP_AddPortMapping(controlUrl, service, portText.constData(), portText.constData(), lan, "Glyphon",
                               "TCP", nullptr, lease.constData());
}

} // namespace

UpnpMapping::UpnpMapping()
    : m_router(std::make_shared<Router>())
{
}

UpnpMapping::~UpnpMapping() = default;

QString UpnpMapping::localAddress() const
{
    return m_job == Job::None ? QString::fromLatin1(m_router->lanAddress) : QString();
}

void UpnpMapping::run(Job job, std::function<Result()> work)
{
    m_job = job;
    // Not std::async: its future would wait for the thread when dropped.
    std::packaged_task<Result()> task(std::move(work));
    m_result = task.get_future();
    std::thread(std::move(task)).detach();
}

void UpnpMapping::map(quint16 port)
{
    if (m_job != Job::None || m_step == Step::Mapped)
        return;
    m_port = port;
    m_step = Step::Mapping;
    m_error.clear();
    m_unmapWanted = false;
    std::shared_ptr<Router> router = m_router;
    run(Job::Discover, [router, port] {
        Result r;
        router->forget();
        int error = 0;
        UPNPDev *devices = upnpDiscover(DiscoveryMs, nullptr, nullptr, UPNP_LOCAL_PORT_ANY, 0, 2, &error);
        if (!devices) {
            r.error = QStringLiteral("no router answered UPnP discovery");
            return r;
        }
        const int igd = UPNP_GetValidIGD(devices, &router->urls, &router->data, router->lanAddress,
                                         int(sizeof router->lanAddress));
        freeUPNPDevlist(devices);
        if (igd == 0) {
            r.error = QStringLiteral("no UPnP router (internet gateway) was found");
            return r;
        }
        router->found = true;
        if (igd != 1) {
            r.error = igd == 2 ? QStringLiteral("the UPnP router says it is not connected to the internet")
                               : QStringLiteral("a UPnP device answered, but it is not a router");
            return r;
        }
        char external[40] = {};
        const int ipError = UPNP_GetExternalIPAddress(router->urls.controlURL, router->data.first.servicetype, external);
        if (ipError != UPNPCOMMAND_SUCCESS || !*external) {
            r.error = QStringLiteral("the router did not tell its public address (%1)").arg(upnpError(ipError));
            return r;
        }
        r.publicAddress = QString::fromLatin1(external);
        const int mapError = addMapping(router->urls.controlURL, router->data.first.servicetype,
                                        router->lanAddress, port);
        if (mapError != UPNPCOMMAND_SUCCESS) {
            r.error = QStringLiteral("the router refused to forward port %1 (%2)").arg(port).arg(upnpError(mapError));
            return r;
        }
        r.ok = true;
        return r;
    });
}

void UpnpMapping::unmap()
{
    m_unmapWanted = true;
    if (m_job == Job::None) {
        if (m_step == Step::Mapped) {
            m_step = Step::Unmapping;
            std::shared_ptr<Router> router = m_router;
            const quint16 port = m_port;
            run(Job::Remove, [router, port] {
                Result r;
                const QByteArray portText = QByteArray::number(port);
                const int error = UPNP_DeletePortMapping(router->urls.controlURL, router->data.first.servicetype,
                                                         portText.constData(), "TCP", nullptr);
                r.ok = error == UPNPCOMMAND_SUCCESS;
                if (!r.ok)
                    r.error = QStringLiteral("the router did not remove the forwarding of port %1 (%2)")
                                  .arg(port).arg(upnpError(error));
                return r;
            });
        } else {
            m_step = Step::Idle;
        }
    }
    // A request still running is answered in pulse(), which then removes
    // whatever it made.
}

void UpnpMapping::pulse(qint64)
{
    if (m_job != Job::None) {
        if (m_result.wait_for(std::chrono::seconds(0)) != std::future_status::ready)
            return;
        const Job job = m_job;
        m_job = Job::None;
        const Result r = m_result.get();
        switch (job) {
        case Job::Discover:
        case Job::Renew:
            if (!r.ok) {
                fail(r.error);
                break;
            }
            if (job == Job::Discover)
                m_publicAddress = r.publicAddress;
            m_step = Step::Mapped;
            m_renewAt.setRemainingTime(std::chrono::seconds(LeaseSeconds / 2));
            break;
        case Job::Remove:
            if (r.ok)
                m_step = Step::Idle;
            else
                fail(r.error);
            m_unmapWanted = false;
            return;
        case Job::None:
            break;
        }
        if (m_unmapWanted)
            unmap();
        return;
    }
    if (m_step == Step::Mapped && m_renewAt.hasExpired()) {
        std::shared_ptr<Router> router = m_router;
        const quint16 port = m_port;
        run(Job::Renew, [router, port] {
            Result r;
            const int error = addMapping(router->urls.controlURL, router->data.first.servicetype,
                                         router->lanAddress, port);
            r.ok = error == UPNPCOMMAND_SUCCESS;
            if (!r.ok)
                r.error = QStringLiteral("the router refused to renew port %1 (%2)").arg(port).arg(upnpError(error));
            return r;
        });
    }
}

} // namespace glyphon
