#pragma once
// One way of asking a home router to forward a TCP port (UPnP IGD or
// NAT-PMP): a small state machine that a timer's pulse moves on, and that
// never blocks the thread that pulses it.

#include <QString>
#include <QtGlobal>

namespace glyphon {

class MappingProtocol
{
public:
    enum class Step {
        Idle,      // nothing asked, nothing held
        Mapping,   // finding the router, asking for the address and the port
        Mapped,    // the router forwards the port; renewed before the lease ends
        Unmapping, // asking the router to remove the mapping
        Failed,    // the router could not be found or refused; error() says why
    };

    static constexpr quint32 LeaseSeconds = 3600;

    virtual ~MappingProtocol() = default;
    virtual QString name() const = 0;
    virtual void map(quint16 port) = 0;
    // Removes a mapping that is held or being made; Idle once done.
    virtual void unmap() = 0;
    virtual void pulse(qint64 nowMs) = 0;

    Step step() const { return m_step; }
    QString error() const { return m_error; }
    QString publicAddress() const { return m_publicAddress; }

protected:
    void fail(const QString &why)
    {
        m_error = why;
        m_step = Step::Failed;
    }

    Step m_step = Step::Idle;
    QString m_error;
    QString m_publicAddress;
    quint16 m_port = 0;
};

} // namespace glyphon
