#pragma once
// Asks the home router to forward the game's TCP port to this computer, and
// takes the forwarding back at the end. The rest of the program sees only
// whether it is wanted, the port, a state and the public address once known.
//
// UPnP IGD is tried first; where it finds no router, NAT-PMP. A timer's
// pulse moves both on; nothing here blocks the thread that owns it. Each
// change of state is logged once (glyphon.net), in words a user can act on.

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>
#include <memory>

namespace glyphon {

class MappingProtocol;

class PortMapper : public QObject
{
    Q_OBJECT
public:
    enum class State { Unmapped, Mapping, Mapped, Unmapping, Error };
    Q_ENUM(State)
    static constexpr int PulseMs = 100;

    // UPnP first, NAT-PMP where it finds no router.
    explicit PortMapper(QObject *parent = nullptr);
    // The two ways tried, in order (tests hand in their own).
    PortMapper(std::unique_ptr<MappingProtocol> first, std::unique_ptr<MappingProtocol> fallback,
               QObject *parent = nullptr);
    // Waits for nothing: a forwarding still held is left to lapse (see
    // finishAsync() for an orderly end).
    ~PortMapper() override;

    // Mapping starts when both are set, and is undone when either is cleared.
    void setEnabled(bool enabled);
    void setPort(quint16 port);
    bool enabled() const { return m_enabled; }
    quint16 port() const { return m_port; }

    State state() const { return m_state; }
    QString publicAddress() const;
    QString protocolName() const;
    QString errorString() const { return m_error; }

    // Undoes the forwarding without waiting: finished() follows once the
    // router has answered, or on the next turn of the event loop when nothing
    // is held. The pulse goes on meanwhile; the owner decides how long to
    // wait for the signal.
    void finishAsync();

    static QString stateName(State state);

signals:
    void stateChanged(glyphon::PortMapper::State state);
    // After finishAsync(): the router has let go of the port, or refused to.
    void finished();

private:
    void pulse();
    void update();
    void setState(State state, const QString &line);
    void finishWhenIdle();

    std::unique_ptr<MappingProtocol> m_first;
    std::unique_ptr<MappingProtocol> m_fallback;
    MappingProtocol *m_active = nullptr; // the one that mapped, or is trying
    QTimer m_pulse;
    QElapsedTimer m_clock;
    State m_state = State::Unmapped;
    QString m_error;
    bool m_enabled = false;
    quint16 m_port = 0;
    bool m_finishing = false; // finished() is owed
};

} // namespace glyphon
