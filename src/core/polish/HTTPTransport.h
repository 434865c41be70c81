#pragma once

#include "RequestCancellation.h"
#include "support/Error.h"

#include <QByteArray>
#include <QCoro/QCoroTask>
#include <QList>
#include <QPair>
#include <QUrl>

#include <chrono>
#include <memory>

namespace parlowind {

struct HTTPRequest
{
    QByteArray method = "GET";
    QUrl url;
    QList<QPair<QByteArray, QByteArray>> headers;
    QByteArray body;
    // Longest silence allowed while waiting for the server.
    std::chrono::milliseconds timeoutInterval { 60000 };

    // The value of a header (names compared without case), empty when absent.
    QByteArray header(const QByteArray &name) const
    {
        for (const auto &[key, value] : headers)
            if (key.compare(name, Qt::CaseInsensitive) == 0)
                return value;
        return {};
    }
    bool hasHeader(const QByteArray &name) const
    {
        for (const auto &entry : headers)
            if (entry.first.compare(name, Qt::CaseInsensitive) == 0)
                return true;
        return false;
    }
};

struct HTTPResponse
{
    QByteArray body;
    int status = 0; // 0 when the answer was not an HTTP response
};

// The transport's own failure (no connection, cancelled, …). Its text may name
// the host but never carries request headers.
class TransportError final : public Error
{
public:
    explicit TransportError(QString message)
        : m_message(std::move(message))
    { }
    QString description() const override { return m_message; }

private:
    QString m_message;
};

// One HTTP exchange. Implementations must stop the exchange (close the
// connection) when `cancellation` is cancelled, and then fail.
class HTTPTransport
{
public:
    virtual ~HTTPTransport() = default;

    // Returns the body and status of any HTTP answer, whatever the status;
    // throws TransportError when no HTTP answer arrived.
    virtual QCoro::Task<HTTPResponse> send(HTTPRequest request, std::shared_ptr<RequestCancellation> cancellation) = 0;
};

} // namespace parlowind
