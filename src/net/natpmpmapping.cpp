#include "net/natpmpmapping.h"

#include <arpa/inet.h>
#include <natpmp.h>

namespace glyphon {

struct NatPmpMapping::Handle
{
    natpmp_t natpmp{};
};

namespace {

QString natpmpError(int code)
{
    switch (code) {
    case NATPMP_ERR_CANNOTGETGATEWAY: return QStringLiteral("this computer has no default gateway");
    case NATPMP_ERR_NOGATEWAYSUPPORT: return QStringLiteral("the gateway does not support NAT-PMP");
    case NATPMP_ERR_NOTAUTHORIZED: return QStringLiteral("the router does not allow port forwarding (NAT-PMP is switched off)");
    case NATPMP_ERR_NETWORKFAILURE: return QStringLiteral("the router is not connected to the internet");
    case NATPMP_ERR_OUTOFRESOURCES: return QStringLiteral("the router has no room for another forwarding");
    case NATPMP_ERR_RECVFROM: return QStringLiteral("the gateway does not answer NAT-PMP");
    default: return QStringLiteral("NAT-PMP error %1").arg(code);
    }
}

} // namespace

NatPmpMapping::NatPmpMapping() = default;

NatPmpMapping::~NatPmpMapping()
{
    close();
}

void NatPmpMapping::close()
{
    if (m_handle)
        closenatpmp(&m_handle->natpmp);
    m_handle.reset();
    m_asked = Asked::Nothing;
}

bool NatPmpMapping::ask(Asked what, qint64 nowMs)
{
    natpmp_t *p = &m_handle->natpmp;
    int r = 0;
    switch (what) {
    case Asked::PublicAddress: r = sendpublicaddressrequest(p); break;
    case Asked::Map:
    case Asked::Renew: r = sendnewportmappingrequest(p, NATPMP_PROTOCOL_TCP, m_port, m_port, LeaseSeconds); break;
    case Asked::Remove: r = sendnewportmappingrequest(p, NATPMP_PROTOCOL_TCP, m_port, 0, 0); break;
    case Asked::Nothing: return true;
    }
    if (r < 0) {
        fail(natpmpError(r));
        close();
        return false;
    }
    m_asked = what;
    m_askedAt = nowMs;
    return true;
}

void NatPmpMapping::map(quint16 port)
{
    if (m_step == Step::Mapping || m_step == Step::Mapped)
        return;
    close();
    m_port = port;
    m_error.clear();
    m_handle = std::make_unique<Handle>();
    const int r = initnatpmp(&m_handle->natpmp, 0, 0);
    if (r < 0) {
        m_handle.reset();
        fail(natpmpError(r));
        return;
    }
    m_step = Step::Mapping;
    ask(Asked::PublicAddress, -1);
}

void NatPmpMapping::unmap()
{
    if (m_step == Step::Mapped || (m_step == Step::Mapping && m_asked == Asked::Map)) {
        // A mapping asked for may have been made already: remove it too.
        m_step = Step::Unmapping;
        ask(Asked::Remove, -1);
    } else if (m_step != Step::Unmapping) {
        close();
        m_step = Step::Idle;
    }
}

void NatPmpMapping::pulse(qint64 nowMs)
{
    if (m_step == Step::Mapped && m_asked == Asked::Nothing && nowMs >= m_renewAtMs) {
        ask(Asked::Renew, nowMs);
        return;
    }
    if (m_asked == Asked::Nothing || !m_handle)
        return;
    if (m_askedAt < 0)
        m_askedAt = nowMs;
    natpmpresp_t response{};
    const int r = readnatpmpresponseorretry(&m_handle->natpmp, &response);
    if (r == NATPMP_TRYAGAIN) {
        if (nowMs - m_askedAt < TimeoutMs)
            return;
        const Asked was = m_asked;
        close();
        if (was == Asked::Remove)
            fail(QStringLiteral("the router did not confirm removing the forwarding of port %1").arg(m_port));
        else if (was == Asked::Renew)
            fail(QStringLiteral("the router did not answer the renewal of port %1").arg(m_port));
        else
            fail(QStringLiteral("no router answered NAT-PMP"));
        return;
    }
    const Asked was = m_asked;
    m_asked = Asked::Nothing;
    if (r < 0) {
        close();
        if (was == Asked::Remove)
            m_step = Step::Idle; // nothing left to remove, as far as can be known
        else
            fail(natpmpError(r));
        return;
    }
    switch (was) {
    case Asked::PublicAddress: {
        char text[INET_ADDRSTRLEN] = {};
        inet_ntop(AF_INET, &response.pnu.publicaddress.addr, text, sizeof text);
        m_publicAddress = QString::fromLatin1(text);
        ask(Asked::Map, nowMs);
        break;
    }
    case Asked::Map:
    case Asked::Renew:
        if (response.pnu.newportmapping.mappedpublicport != m_port) {
            // Another port outside would need telling friends another number;
            // give it back instead.
            m_step = Step::Unmapping;
            ask(Asked::Remove, nowMs);
            m_error = QStringLiteral("the router offered port %1 instead of %2").arg(response.pnu.newportmapping.mappedpublicport).arg(m_port);
            break;
        }
        m_lifetime = qMax<quint32>(response.pnu.newportmapping.lifetime, 60);
        m_renewAtMs = nowMs + qint64(m_lifetime) * 500;
        m_step = Step::Mapped;
        break;
    case Asked::Remove:
        close();
        if (m_error.isEmpty())
            m_step = Step::Idle;
        else
            m_step = Step::Failed;
        break;
    case Asked::Nothing:
        break;
    }
}

} // namespace glyphon
