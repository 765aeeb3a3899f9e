#include "lobby_support.h"

#include <QEventLoop>
#include <QJsonDocument>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
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

HttpAnswer httpCall(QNetworkAccessManager &network, const QByteArray &method, const QUrl &url,
                    const QByteArray &body, const QList<QPair<QByteArray, QByteArray>> &headers)
{
    QNetworkRequest request(url);
    request.setHeader(QNetworkRequest::ContentTypeHeader, "application/json");
    request.setAttribute(QNetworkRequest::CacheLoadControlAttribute, QNetworkRequest::AlwaysNetwork);
    for (const auto &[name, value] : headers)
        request.setRawHeader(name, value);
    QNetworkReply *reply = network.sendCustomRequest(request, method, body);
    QEventLoop loop;
    QObject::connect(reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);
    loop.exec();
    HttpAnswer answer;
    answer.status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    answer.body = reply->readAll();
    answer.json = QJsonDocument::fromJson(answer.body).object();
    answer.etag = reply->rawHeader("ETag");
    reply->deleteLater();
    return answer;
}

} // namespace glyphon::test
