// Construction, the route table and sending to seats.

#include "server/tserver.h"

#include "dictionary/random.h"
#include "dictionary/tdictn.h"
#include "protocol/monotonic.h"

#include <QFile>
#include <QTimer>
#include <algorithm>

using namespace glyphon;

namespace {

using Handler = void (TServer::*)(int, const QByteArray &);
struct Route
{
    const char *name;
    Handler handler;
};
// The only requests a client may make.
const Route routes[] = {
    {msg::LoginInfo::Name, &TServer::receivedlogininfo},
    {msg::KickHim::Name, &TServer::kickhim},
    {msg::ChatRequest::Name, &TServer::chat},
    {msg::ActionRequest::Name, &TServer::action},
    {msg::PlayASoundRequest::Name, &TServer::playasound},
    {msg::StartGameRequest::Name, &TServer::startgame},
    {msg::JustWatch::Name, &TServer::justwatch},
    {msg::SubmitIt::Name, &TServer::submitit},
};

} // namespace

TServer::TServer(const HostConfig &config, QObject *parent)
    : QObject(parent)
{
    m_random.seed(config.seed.value_or(clockSeed()));
    ConnectionHub::Limits limits;
    limits.maxPerAddress = std::max(0, config.perAddress);
    limits.linesPerSecond = std::max(0, config.chatLinesPerSecond);
    m_hub = new ConnectionHub(limits, this);
    Sock1 = m_hub->listener();
    Sock1->setPortName(QString::number(config.port));
    tempsock = m_hub->handlers();
    socktimer = m_hub->dispatchTimer();
    m_hub->onAccepted = [this](ConnectionId id) { seatConnection(id); };
    m_hub->onMessage = [this](ConnectionId, int seat, const QByteArray &message) { dispatch(seat, message); };
    connect(m_hub, &ConnectionHub::dropped, this,
            [this](ConnectionId, int seat, const QString &address, const QString &why) {
                emit connectionDropped(seat, address, why);
            });
    connect(m_hub, &ConnectionHub::refused, this,
            [this](const QString &address, const QString &why) { emit connectionDropped(0, address, why); });
    connect(m_hub, &ConnectionHub::closed, this, &TServer::freeSeat);

    timer_breaks = new QTimer(this);
    timer_breaks->setInterval(m_tickMs);
    connect(timer_breaks, &QTimer::timeout, this, &TServer::timer_breaksTimer);

    computertimer = new QTimer(this);
    connect(computertimer, &QTimer::timeout, this, &TServer::computertimerTimer);

    setTickMs(config.tickMs);
    setBotSpeed(config.botSpeed);
    setLoginTimeoutMs(config.loginTimeoutMs);

    spell = new TDictn(this, config.wordFile, config.builtInList, config.onMissingWordFile);
    loadCandidates();

    seats[2].botname = QByteArray(RiziName);
    playercount = 2;
}

TServer::~TServer()
{
    // Nothing may call back into this object while its members go: the
    // hub closes every connection without a word before the game goes.
    timer_breaks->stop();
    computertimer->stop();
    m_hub->disconnect(this);
    delete m_hub;
    m_hub = nullptr;
    Sock1 = tempsock = nullptr;
    socktimer = nullptr;
}

void TServer::loadCandidates()
{
    QFile file(QStringLiteral(":/words/candidates.txt"));
    if (!file.open(QIODevice::ReadOnly))
        return;
    QStringList words;
    for (const QByteArray &line : file.readAll().split('\n')) {
        const QByteArray word = line.trimmed();
        if (!word.isEmpty())
            words.append(QString::fromLatin1(word));
    }
    words.sort();
    listbox_words.setWords(words);
    m_gentle.setWords(words);
}

void TServer::setTickMs(int ms)
{
    m_tickMs = std::max(1, ms);
    timer_breaks->setInterval(m_tickMs);
    m_game.setPaceClock(monotonicMs, m_tickMs);
}

void TServer::setBotSpeed(int ms)
{
    m_botSpeed = (ms == 2000 || ms == 500) ? ms : 1000;
}

int TServer::botDelayMs() const
{
    return std::max(1, int(qint64(m_botSpeed) * m_tickMs / 1000));
}

void TServer::dispatch(int fromSeat, const QByteArray &message)
{
    const Command command = splitCommand(message);
    if (command.name.isEmpty())
        return;
    for (const Route &route : routes) {
        if (command.name == route.name) {
            (this->*route.handler)(fromSeat, command.data);
            return;
        }
    }
}

void TServer::sendTo(int seat, const QByteArray &message)
{
    if (seat >= 1 && seat <= SeatCount && seats[seat].connected)
        m_hub->send(seats[seat].conn, message);
}

void TServer::broadcast(const QByteArray &message)
{
    for (int seat = 1; seat <= slotsused && seat <= SeatCount; ++seat) {
        if (seats[seat].connected)
            sendTo(seat, message);
    }
}

void TServer::disconnectsock(int seat)
{
    if (seat < 1 || seat > SeatCount)
        return;
    if (seats[seat].connected && seats[seat].conn)
        m_hub->close(seats[seat].conn);
}
