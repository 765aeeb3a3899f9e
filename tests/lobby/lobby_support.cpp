#include "lobby_support.h"

#include <QTcpSocket>

namespace glyphon::test {

FakeHost::FakeHost(const QByteArray &line)
{
    connect(this, &QTcpServer::newConnection, this, [this, line] {
        while (QTcpSocket *socket = nextPendingConnection()) {
            socket->write(line);
            connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
        }
    });
    listen(QHostAddress::AnyIPv4);
}

} // namespace glyphon::test
