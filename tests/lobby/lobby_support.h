#pragma once
// What the lobby tests share: a stand-in game host on loopback for the
// lobby's probes (it writes its line to every connection, by default the seat
// offer a real host sends), and one HTTP request waited for.

#include <QByteArray>
#include <QJsonObject>
#include <QList>
#include <QPair>
#include <QTcpServer>
#include <QUrl>

class QNetworkAccessManager;

namespace glyphon::test {

class FakeHost : public QTcpServer
{
public:
    explicit FakeHost(const QByteArray &line = QByteArray("CMD_sendlogininfo+1\xFF", 20));
};

struct HttpAnswer
{
    int status = 0; // 0: no answer
    QByteArray body;
    QJsonObject json;
    QByteArray etag;
};

// Sends the request (no cache) and waits on the event loop for its answer.
HttpAnswer httpCall(QNetworkAccessManager &network, const QByteArray &method, const QUrl &url,
                    const QByteArray &body = {}, const QList<QPair<QByteArray, QByteArray>> &headers = {});

} // namespace glyphon::test
