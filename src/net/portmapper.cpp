#include "net/portmapper.h"
#include "net/netlog.h"

#include "net/natpmpmapping.h"
#include "net/upnpmapping.h"

namespace glyphon {

using Step = MappingProtocol::Step;

PortMapper::PortMapper(QObject *parent)
    : PortMapper(std::make_unique<UpnpMapping>(), std::make_unique<NatPmpMapping>(), parent)
{
}

PortMapper::PortMapper(std::unique_ptr<MappingProtocol> first, std::unique_ptr<MappingProtocol> fallback,
                       QObject *parent)
    : QObject(parent)
    , m_first(std::move(first))
    , m_fallback(std::move(fallback))
{
    m_clock.start();
    m_pulse.setInterval(PulseMs);
    connect(&m_pulse, &QTimer::timeout, this, &PortMapper::pulse);
}

PortMapper::~PortMapper() = default;

QString PortMapper::stateName(State state)
{
    switch (state) {
    case State::Unmapped: return QStringLiteral("unmapped");
    case State::Mapping: return QStringLiteral("mapping");
    case State::Mapped: return QStringLiteral("mapped");
    case State::Unmapping: return QStringLiteral("unmapping");
    case State::Error: return QStringLiteral("error");
    }
    return {};
}

QString PortMapper::publicAddress() const
{
    return m_state == State::Mapped && m_active ? m_active->publicAddress() : QString();
}

QString PortMapper::protocolName() const
{
    return m_active ? m_active->name() : QString();
}

void PortMapper::setEnabled(bool enabled)
{
    if (m_enabled == enabled)
        return;
    m_enabled = enabled;
    if (enabled)
        m_finishing = false; // wanted again: there is no end to report
    update();
}

void PortMapper::setPort(quint16 port)
{
    if (m_port == port)
        return;
    // A new port: the old forwarding goes first.
    if (m_port != 0 && m_active) {
        m_active->unmap();
        m_active = nullptr;
    }
    m_port = port;
    update();
}

void PortMapper::update()
{
    const bool wanted = m_enabled && m_port != 0;
    if (wanted && (m_state == State::Unmapped || m_state == State::Error)) {
        m_error.clear();
        m_active = m_first.get();
        m_active->map(m_port);
        setState(State::Mapping,
                 QStringLiteral("Asking the router to forward port %1 (%2)...").arg(m_port).arg(m_active->name()));
    } else if (!wanted && m_active && (m_state == State::Mapping || m_state == State::Mapped)) {
        m_active->unmap();
        setState(State::Unmapping, QStringLiteral("Asking the router to stop forwarding port %1...").arg(m_port));
    }
    if (m_state == State::Mapping || m_state == State::Mapped || m_state == State::Unmapping)
        m_pulse.start();
    pulse();
}

void PortMapper::pulse()
{
    if (!m_active) {
        m_pulse.stop();
        return;
    }
    m_active->pulse(m_clock.elapsed());
    const Step step = m_active->step();
    switch (m_state) {
    case State::Mapping:
        if (step == Step::Mapped) {
            setState(State::Mapped, QStringLiteral("The router forwards port %1 (%2); its public address is %3.")
                                        .arg(m_port).arg(m_active->name(), m_active->publicAddress()));
        } else if (step == Step::Failed && m_active == m_first.get()) {
            m_error = QStringLiteral("%1 (%2)").arg(m_first->error(), m_first->name());
            qCInfo(lcNet).noquote() << QStringLiteral("%1; trying %2...").arg(m_error, m_fallback->name());
            m_active = m_fallback.get();
            m_active->map(m_port);
        } else if (step == Step::Failed) {
            m_error = QStringLiteral("%1; %2 (%3)").arg(m_error, m_fallback->error(), m_fallback->name());
            m_active = nullptr;
            setState(State::Error, QStringLiteral("The router did not forward port %1 because %2.").arg(m_port).arg(m_error));
        }
        break;
    case State::Mapped:
        if (step == Step::Failed) {
            m_error = m_active->error();
            m_active = nullptr;
            setState(State::Error, QStringLiteral("The router stopped forwarding port %1 because %2.").arg(m_port).arg(m_error));
        }
        break;
    case State::Unmapping:
        if (step == Step::Idle || step == Step::Failed) {
            const QString why = step == Step::Failed ? m_active->error() : QString();
            m_active = nullptr;
            if (why.isEmpty())
                setState(State::Unmapped, QStringLiteral("The router no longer forwards port %1.").arg(m_port));
            else
                setState(State::Error, QStringLiteral("Removing the forwarding failed (%1); the router drops it "
                                                      "within the hour by itself.").arg(why));
            // Wanted again meanwhile (a new port, the option checked again).
            if (m_enabled && m_port != 0)
                update();
        }
        break;
    case State::Unmapped:
    case State::Error:
        break;
    }
    if (m_state != State::Mapping && m_state != State::Mapped && m_state != State::Unmapping)
        m_pulse.stop();
}

void PortMapper::setState(State state, const QString &line)
{
    if (m_state == state)
        return;
    m_state = state;
    qCInfo(lcNet).noquote() << line;
    emit stateChanged(state);
    if (state != State::Unmapping)
        finishWhenIdle();
}

void PortMapper::finishAsync()
{
    m_finishing = true;
    m_enabled = false;
    update();
    if (m_state != State::Unmapping) {
        // Nothing to wait for; told later all the same, so that the caller
        // can connect after calling.
        QMetaObject::invokeMethod(this, &PortMapper::finishWhenIdle, Qt::QueuedConnection);
    }
}

void PortMapper::finishWhenIdle()
{
    if (m_finishing && m_state != State::Unmapping) {
        m_finishing = false;
        emit finished();
    }
}

} // namespace glyphon
