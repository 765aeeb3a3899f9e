#pragma once
// A stand-in game host on loopback for the lobby's probes: it writes its
// line to every connection, by default the seat offer a real host sends.

#include <QByteArray>
#include <QTcpServer>

namespace glyphon::test {

class FakeHost : public QTcpServer
{
public:
    explicit FakeHost(const QByteArray &line = QByteArray("CMD_sendlogininfo+1\xFF", 20));
};

} // namespace glyphon::test
