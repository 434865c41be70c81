#pragma once

#include "HTTPTransport.h"

#include <memory>

class QNetworkAccessManager;

namespace parlowind {

// HTTPTransport over QNetworkAccessManager, on the thread that creates it.
class NetworkAccessTransport final : public HTTPTransport
{
public:
    NetworkAccessTransport();
    ~NetworkAccessTransport() override;
    NetworkAccessTransport(const NetworkAccessTransport &) = delete;
    NetworkAccessTransport &operator=(const NetworkAccessTransport &) = delete;

    QCoro::Task<HTTPResponse> send(HTTPRequest request, std::shared_ptr<RequestCancellation> cancellation) override;

private:
    std::unique_ptr<QNetworkAccessManager> m_manager;
};

} // namespace parlowind
