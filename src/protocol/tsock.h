#pragma once
// TSock: one TCP stream socket, non-blocking, whose events (Read, Write,
// Accept, Connect, Close) arrive on the GUI thread through QSocketNotifier.
// It keeps a send buffer (what the network has not taken yet) and a receive
// buffer (what the owner has not read yet) and reports what it does as
// categorised info texts. It frames nothing: bytes go out and come in as they
// are.

#include <QByteArray>
#include <QObject>
#include <QString>
#include <functional>
#include <optional>
#include <stdexcept>

class QHostInfo;
class QSocketNotifier;

class ESockException : public std::runtime_error
{
public:
    explicit ESockException(const QString &message)
        : std::runtime_error(message.toStdString()) {}
    QString message() const { return QString::fromStdString(what()); }
};

enum class TSocketInfo { Lookup, Connect, Close, Listen, Receive, Send, Accept, Error };
enum class TSocketType { stStream, stDatagram };
enum class TLineBreak { lbCRLF, lbCR, lbLF, lbSmart };

class TSock : public QObject
{
    Q_OBJECT
public:
    using NotifyEvent = std::function<void(TSock *sender)>;
    using NotifyReadEvent = std::function<void(TSock *sender, int count)>;
    using NotifyInfoEvent = std::function<void(TSock *sender, TSocketInfo info, const QString &msg)>;

    explicit TSock(QObject *owner = nullptr);
    // A socket that listens or is connected is closed first, with the reports
    // of Close (a listener's own close reports nothing); the accepted sockets
    // it owns go next, each reporting "Socket Closed".
    ~TSock() override;

    // Published properties.
    TSocketType SocketType() const { return m_socketType; }
    QString HostName() const { return m_hostName; }
    void setHostName(const QString &name);
    QString PortName() const { return m_portName; }
    void setPortName(const QString &name);
    bool Blocking() const { return m_blocking; }
    bool AutoAccept() const { return m_autoAccept; }
    bool Listen() const { return m_listen; }
    // True starts listening on 0.0.0.0 and PortName (127.0.0.1 when
    // loopback only); False stops. May raise.
    void setListen(bool on);
    // Listen for this computer alone: set before listening.
    bool LoopbackOnly() const { return m_loopbackOnly; }
    void setLoopbackOnly(bool on) { m_loopbackOnly = on; }
    // Stored and returned only: no operation consults it.
    TLineBreak LineBreak() const { return m_lineBreak; }
    void setLineBreak(TLineBreak lb) { m_lineBreak = lb; }
    int BlockingTimeout() const { return m_blockingTimeout; }

    // Handlers run on the GUI thread. OnInfo is called for every report; an
    // exception it throws reaches the caller as ESockException("Error here")
    // (Close swallows it). Exceptions thrown by handlers during a socket event
    // leave through Qt's event delivery, where QApplication::notify catches them.
    NotifyEvent OnConnect;
    NotifyEvent OnDisconnect;
    NotifyInfoEvent OnInfo;
    NotifyReadEvent OnRead;
    NotifyEvent OnWrite;
    NotifyEvent OnAccept;

    // State.
    bool Connected() const { return m_connected; }
    int handle() const { return m_handle; }
    int Tag() const { return m_tag; }
    void setTag(int tag) { m_tag = tag; }
    // The port actually bound while listening (useful with PortName "0").
    quint16 localPort() const;
    // The peer's port of a connected or accepted socket, 0 without one.
    quint16 peerPort() const;
    qsizetype pendingSendBytes() const { return m_sendBuffer.size(); }
    // TCP keep-alive on the connected socket: probes after idleSeconds of
    // silence, every intervalSeconds, count unanswered ones end the
    // connection with an error. False when there is no socket or it refuses.
    bool setKeepAlive(int idleSeconds, int intervalSeconds, int count);

    // Operations.
    // Connects to HostName:PortName. A name (not a dotted address) is looked
    // up off the thread, and the connect follows its answer; a name that
    // cannot be found raises "Host Lookup - Could Not Find Host Entry" from
    // the event loop then, as a failed connect reports from there.
    bool Open();                      // result: Connected after the call
    bool Accept(TSock *&newSock);     // from the listener's OnAccept
    bool Send(const QByteArray &text); // true whenever it returns; may raise
    QByteArray Text();                // the whole receive buffer, emptied; may raise
    bool Close();                     // never raises

    // The host cache is process-wide; tests may clear it.
    static void clearHostCache();
    static int hostCacheSize();

private:
    void report(TSocketInfo info, const QString &msg);
    void applyBlocking();
    void updateWriteNotifier();
    void onReadable();
    void onWritable();
    void deliverRead();
    void deliverWrite();
    void connectionEnded(int error);
    void releaseNotifiers();
    quint16 resolvePort();
    // The address of HostName when no lookup is needed (a dotted address, or
    // a name looked up before); raises for an empty name.
    std::optional<quint32> knownHost();
    void connectTo(quint32 address, quint16 port);
    void lookedUp(const QHostInfo &info, quint16 port);
    void stopLookup();

    TSocketType m_socketType = TSocketType::stStream;
    QString m_hostName;
    QString m_portName;
    bool m_blocking = false;
    bool m_autoAccept = false;
    bool m_listen = false;
    bool m_loopbackOnly = false;
    TLineBreak m_lineBreak = TLineBreak::lbSmart;
    int m_blockingTimeout = 0;

    int m_handle = -1;
    bool m_connected = false;
    int m_tag = 0;
    QByteArray m_sendBuffer;
    QByteArray m_receiveBuffer;
    QSocketNotifier *m_readNotifier = nullptr;
    QSocketNotifier *m_writeNotifier = nullptr;
    // A connect that failed at once; it is reported like one that failed later.
    int m_connectError = 0;
    bool m_connectFailed = false;
    // First hard error of a send on the connection; reported when the
    // connection's end is seen on the read side.
    int m_sendError = 0;
    // A name being looked up off the thread (QHostInfo's id), -1 for none.
    int m_lookupId = -1;
};

namespace glyphon {
// "Error #10061 (WSAECONNREFUSED)" for a POSIX errno, via its Winsock number.
QString socketErrorText(int posixErrno);
int winsockErrorCode(int posixErrno);
QString winsockErrorName(int winsockCode);
} // namespace glyphon
