#include "LLMClient.h"

#include "LLMError.h"
#include "WithTimeout.h"
#include "support/Worker.h"

namespace parlowind {

struct LLMClient::Shared
{
    HTTPTransport &transport;
    MonotonicClock &clock;
    OfflineCheck isOfflineOnly;
    KeyLookup apiKey;
    SerialWorker worker;
};

namespace {

QCoro::Task<HTTPResponse> exchange(HTTPTransport *transport, HTTPRequest request,
                                   std::shared_ptr<RequestCancellation> cancellation)
{
    try {
        QCoro::Task<HTTPResponse> sent = transport->send(std::move(request), std::move(cancellation));
        HTTPResponse response = co_await sent;
        co_return response;
    } catch (const LLMError &) {
        throw;
    } catch (...) {
        throw LLMError(LLMError::Case::transportFailed);
    }
}

} // namespace

LLMClient::LLMClient(HTTPTransport &transport, MonotonicClock &clock, OfflineCheck isOfflineOnly, KeyLookup apiKey)
    : m_shared(std::make_shared<Shared>(transport, clock, std::move(isOfflineOnly), std::move(apiKey)))
{ }

LLMClient::~LLMClient() = default;

QCoro::Task<QString> LLMClient::complete(LLMRequest request, std::shared_ptr<const LLMProvider> provider,
                                         std::shared_ptr<RequestCancellation> cancellation)
{
    // Requests in flight keep what they use alive, even past the client.
    std::shared_ptr<Shared> shared = m_shared;
    std::shared_ptr<int> pending = m_pending;

    if (shared->isOfflineOnly && shared->isOfflineOnly())
        throw LLMError(LLMError::Case::offline);
    if (!provider || !provider->isConfigured())
        throw LLMError(LLMError::Case::notConfigured);

    std::optional<QString> key;
    if (shared->apiKey) {
        QCoro::Task<std::optional<QString>> lookup = shared->apiKey();
        key = co_await lookup;
    }
    QCoro::Task<HTTPRequest> built
        = shared->worker.run([provider, request, key] { return provider->buildRequest(request, key); });
    HTTPRequest httpRequest = co_await built;

    HTTPTransport *transport = &shared->transport;
    std::function<QCoro::Task<HTTPResponse>(std::shared_ptr<RequestCancellation>)> operation
        = [transport, httpRequest](std::shared_ptr<RequestCancellation> inner) {
              return exchange(transport, httpRequest, std::move(inner));
          };
    const double seconds = std::chrono::duration<double>(request.timeout).count();
    QCoro::Task<HTTPResponse> limited
        = withTimeout<HTTPResponse>(shared->clock, seconds, std::make_exception_ptr(LLMError(LLMError::Case::timedOut)),
                                    std::move(operation), cancellation, pending);
    HTTPResponse response = co_await limited;

    QCoro::Task<QString> parsed
        = shared->worker.run([provider, response] { return provider->parseResponse(response.body, response.status); });
    QString answer = co_await parsed;
    co_return answer;
}

} // namespace parlowind
