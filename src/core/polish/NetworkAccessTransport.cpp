#include "NetworkAccessTransport.h"

#include <QCoro/QCoroNetworkReply>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QPointer>

namespace parlowind {

namespace {
struct DeleteLater
{
    void operator()(QObject *object) const { object->deleteLater(); }
};
} // namespace

NetworkAccessTransport::NetworkAccessTransport()
    : m_manager(std::make_unique<QNetworkAccessManager>())
{ }

NetworkAccessTransport::~NetworkAccessTransport() = default;

QCoro::Task<HTTPResponse> NetworkAccessTransport::send(HTTPRequest request,
                                                       std::shared_ptr<RequestCancellation> cancellation)
{
    if (cancellation && cancellation->isCancelled())
        throw TransportError(QStringLiteral("cancelled"));

    QNetworkRequest networkRequest(request.url);
    networkRequest.setTransferTimeout(int(request.timeoutInterval.count()));
    for (const auto &[name, value] : request.headers)
        networkRequest.setRawHeader(name, value);

    // Deleted later: the reply is still emitting `finished` when we resume.
    std::unique_ptr<QNetworkReply, DeleteLater> reply(
        m_manager->sendCustomRequest(networkRequest, request.method, request.body));
    QPointer<QNetworkReply> guard = reply.get();
    const int subscription = cancellation ? cancellation->onCancel([guard] {
        if (guard)
            guard->abort();
    })
                                          : -1;

    if (!reply->isFinished()) {
        QCoro::Task<bool> finished = qCoro(reply.get()).waitForFinished();
        co_await finished;
    }
    if (cancellation)
        cancellation->remove(subscription);

    const QVariant status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute);
    if (cancellation && cancellation->isCancelled())
        throw TransportError(QStringLiteral("cancelled"));
    if (!status.isValid()) {
        // An answer that is not HTTP (another scheme) has no status.
        if (reply->error() == QNetworkReply::NoError)
            co_return HTTPResponse { reply->readAll(), 0 };
        throw TransportError(reply->errorString());
    }
    co_return HTTPResponse { reply->readAll(), status.toInt() };
}

} // namespace parlowind
