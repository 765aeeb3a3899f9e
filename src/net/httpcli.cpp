#include "net/httpcli.h"

#include <QIODevice>
#include <QNetworkAccessManager>
#include <QNetworkProxy>
#include <QNetworkReply>
#include <QNetworkRequest>

namespace {

bool isWebScheme(const QUrl &url)
{
    return url.scheme() == QLatin1String("http") || url.scheme() == QLatin1String("https");
}

} // namespace

THttpCli::THttpCli(QObject *parent)
    : QObject(parent)
    , m_manager(new QNetworkAccessManager(this))
{
    // A direct connection from any local address, whatever proxy the
    // environment names.
    m_manager->setProxy(QNetworkProxy::NoProxy);
}

THttpCli::~THttpCli()
{
    if (m_reply) {
        m_reply->disconnect(this);
        m_reply->abort();
    }
}

bool THttpCli::GetASync()
{
    if (m_busy)
        return false;
    m_busy = true;
    m_begun = false;
    m_failed = false;
    m_error.clear();
    m_received = 0;
    m_announced = -1;
    m_status = 0;

    const QUrl url(m_url, QUrl::StrictMode);
    if (!url.isValid() || !isWebScheme(url) || url.host().isEmpty()) {
        m_failed = true;
        m_error = QStringLiteral("Not an http or https address: %1").arg(m_url);
        finish(false);
        return true;
    }

    QNetworkRequest request(url);
    request.setHeader(QNetworkRequest::UserAgentHeader, QByteArrayLiteral("Mozilla/3.0 (compatible)"));
    request.setRawHeader("Accept", "image/gif, image/x-xbitmap, image/jpeg, image/pjpeg, */*");
    // The body arrives as sent: its length is the announced length, and no
    // decompression can inflate it past the size cap unseen.
    request.setRawHeader("Accept-Encoding", "identity");
    // HTTP/1.1 is the oldest version Qt speaks; at least no HTTP/2.
    request.setAttribute(QNetworkRequest::Http2AllowedAttribute, false);
    request.setAttribute(QNetworkRequest::CacheLoadControlAttribute, QNetworkRequest::PreferNetwork);
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::UserVerifiedRedirectPolicy);
    request.setMaximumRedirectsAllowed(10);

    m_reply = m_manager->get(request);
    // Memory stays bounded however fast the server sends: the network layer
    // pauses until the body read so far has been written out.
    m_reply->setReadBufferSize(1 << 20);
    connect(m_reply, &QNetworkReply::redirected, this, &THttpCli::onRedirected);
    connect(m_reply, &QNetworkReply::metaDataChanged, this, &THttpCli::onMetaDataChanged);
    connect(m_reply, &QNetworkReply::readyRead, this, &THttpCli::onReadyRead);
    connect(m_reply, &QNetworkReply::finished, this, &THttpCli::onFinished);
    return true;
}

void THttpCli::Abort()
{
    if (m_reply)
        fail(QStringLiteral("Aborted"));
}

void THttpCli::onRedirected(const QUrl &target)
{
    if (!m_reply)
        return;
    const bool downgrade =
        m_reply->url().scheme() == QLatin1String("https") && target.scheme() == QLatin1String("http");
    if (!isWebScheme(target) || downgrade) {
        fail(QStringLiteral("Redirect refused: %1").arg(target.toString()));
        return;
    }
    emit m_reply->redirectAllowed();
}

void THttpCli::onMetaDataChanged()
{
    if (!m_reply || m_failed || m_begun)
        return;
    const int status = m_reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    // The headers of a redirect are not the document's; onRedirected decides
    // whether it is followed, and one that is not ends without a document.
    if (status >= 300 && status < 400 && m_reply->hasRawHeader("Location"))
        return;
    m_status = status;
    const QPointer<THttpCli> alive(this);
    for (const QNetworkReply::RawHeaderPair &pair : m_reply->rawHeaderPairs()) {
        emit headerData(pair.first + ": " + pair.second);
        if (!alive || !m_reply || m_failed)
            return; // a receiver aborted
    }
    if (status < 200 || status > 299) {
        fail(QStringLiteral("HTTP status %1").arg(status));
        return;
    }
    const QVariant length = m_reply->header(QNetworkRequest::ContentLengthHeader);
    if (length.isValid())
        m_announced = length.toLongLong();
    if (m_announced > m_maxBodySize) {
        fail(QStringLiteral("Document too large: %1 bytes").arg(m_announced));
        return;
    }
    m_begun = true;
    emit docBegin();
}

void THttpCli::onReadyRead()
{
    if (!m_reply || m_failed)
        return;
    if (!m_begun) {
        onMetaDataChanged();
        if (!m_reply || m_failed || !m_begun)
            return;
    }
    const QByteArray block = m_reply->readAll();
    if (block.isEmpty())
        return;
    if (m_received + block.size() > m_maxBodySize) {
        fail(QStringLiteral("Document larger than %1 bytes").arg(m_maxBodySize));
        return;
    }
    if (!m_stream || m_stream->write(block) != block.size()) {
        fail(QStringLiteral("Cannot write the document: %1")
                 .arg(m_stream ? m_stream->errorString() : QStringLiteral("no stream")));
        return;
    }
    m_received += block.size();
    emit docData(m_received);
}

void THttpCli::onFinished()
{
    if (!m_reply)
        return;
    if (!m_failed && m_reply->error() != QNetworkReply::NoError) {
        m_failed = true;
        m_error = m_reply->errorString();
    }
    if (!m_failed) {
        // A reply without a body may finish without any readyRead.
        onReadyRead();
        if (m_reply && !m_failed && !m_begun) {
            onMetaDataChanged();
        }
    }
    if (!m_reply)
        return; // a receiver's abort has finished the request already
    if (!m_failed && !m_begun) {
        m_failed = true;
        m_error = QStringLiteral("No document");
    }
    // A connection that closed early is not an error to every server setup.
    if (!m_failed && m_announced >= 0 && m_received != m_announced) {
        m_failed = true;
        m_error = QStringLiteral("Document ended after %1 of %2 bytes").arg(m_received).arg(m_announced);
    }
    finish(!m_failed);
}

void THttpCli::fail(const QString &why)
{
    if (m_failed || !m_reply)
        return;
    m_failed = true;
    m_error = why;
    if (!m_reply->isRunning()) {
        onFinished();
        return;
    }
    // Not from inside the reply's own signal (aborting within metaDataChanged
    // upsets it); until the abort runs, its further signals are ignored.
    QMetaObject::invokeMethod(m_reply, &QNetworkReply::abort, Qt::QueuedConnection);
}

void THttpCli::finish(bool succeeded)
{
    if (QNetworkReply *reply = m_reply) {
        m_reply = nullptr;
        reply->disconnect(this);
        reply->deleteLater();
    }
    // Delivered from the event loop: whoever called GetASync or Abort has
    // returned before the end is reported.
    QMetaObject::invokeMethod(
        this,
        [this, succeeded] {
            m_busy = false;
            emit requestDone(succeeded);
        },
        Qt::QueuedConnection);
}
