#pragma once
// NAT-PMP through libnatpmp: requests to the default gateway on a
// non-blocking socket, answers read on each pulse. libnatpmp repeats a
// request on its own; a router that stays silent for TimeoutMs counts as
// absent.

#include "net/mappingprotocol.h"

#include <memory>

namespace glyphon {

class NatPmpMapping : public MappingProtocol
{
public:
    static constexpr qint64 TimeoutMs = 3000;

    NatPmpMapping();
    ~NatPmpMapping() override;

    QString name() const override { return QStringLiteral("NAT-PMP"); }
    void map(quint16 port) override;
    void unmap() override;
    void pulse(qint64 nowMs) override;

private:
    enum class Asked { Nothing, PublicAddress, Map, Renew, Remove };
    struct Handle;

    bool ask(Asked what, qint64 nowMs);
    void close();

    std::unique_ptr<Handle> m_handle;
    Asked m_asked = Asked::Nothing;
    qint64 m_askedAt = -1; // set by the first pulse after a request
    qint64 m_renewAtMs = 0;
    quint32 m_lifetime = LeaseSeconds;
};

} // namespace glyphon
