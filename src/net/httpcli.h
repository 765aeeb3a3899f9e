#pragma once
// A small HTTP client for one GET at a time: the body goes into a stream the
// caller owns, progress is reported per header line and per block of body,
// and the end of the request always arrives later from the event loop, so a
// window that starts a transfer stays responsive and can abort it.
//
// What it refuses, because the downloaded file is about to be executed:
// addresses other than http and https (also as redirect targets, and never
// from https down to http), a status other than 2xx, a body shorter than its
// announced length, a body larger than maxBodySize(), and a stream that
// cannot take the bytes. Each of these ends the request as failed.

#include <QByteArray>
#include <QIODevice>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QUrl>

class QNetworkAccessManager;
class QNetworkReply;

class THttpCli : public QObject
{
    Q_OBJECT
public:
    static constexpr qint64 DefaultMaxBodySize = qint64(512) * 1024 * 1024;

    explicit THttpCli(QObject *parent = nullptr);
    ~THttpCli() override;

    QString URL() const { return m_url; }
    void setURL(const QString &url) { m_url = url; }
    // Where the body's bytes are written; not owned. Must stay open until
    // requestDone has been emitted.
    QIODevice *RcvdStream() const { return m_stream; }
    void setRcvdStream(QIODevice *stream) { m_stream = stream; }
    qint64 maxBodySize() const { return m_maxBodySize; }
    void setMaxBodySize(qint64 bytes) { m_maxBodySize = bytes; }

    // Starts the request and returns at once; requestDone follows. Returns
    // false, and starts nothing, while another request is running.
    bool GetASync();
    // Makes a running request end as failed; does nothing otherwise.
    void Abort();

    bool isBusy() const { return m_busy; }
    qint64 RcvdCount() const { return m_received; }
    int StatusCode() const { return m_status; }
    // Why the last request failed, for a log or a message.
    QString errorText() const { return m_error; }

signals:
    // One response header line, "Name: value" (repeated fields arrive joined).
    void headerData(const QByteArray &line);
    // The headers were fine; body bytes follow.
    void docBegin();
    // A block of body was written; total body bytes so far.
    void docData(qint64 received);
    // The request has ended. Never emitted from inside GetASync or Abort.
    void requestDone(bool succeeded);

private:
    void onRedirected(const QUrl &target);
    void onMetaDataChanged();
    void onReadyRead();
    void onFinished();
    void fail(const QString &why);
    void finish(bool succeeded);

    QNetworkAccessManager *m_manager;
    QPointer<QNetworkReply> m_reply;
    QPointer<QIODevice> m_stream;
    QString m_url;
    QString m_error;
    qint64 m_maxBodySize = DefaultMaxBodySize;
    qint64 m_received = 0;
    qint64 m_announced = -1;
    int m_status = 0;
    bool m_busy = false;
    bool m_begun = false;
    bool m_failed = false;
};
