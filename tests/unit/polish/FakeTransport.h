#pragma once

#include "polish/HTTPTransport.h"
#include "polish/LLMError.h"

#include <QCoreApplication>
#include <QDeadlineTimer>

#include <coroutine>
#include <functional>
#include <optional>
#include <vector>

namespace parlowind::test {

// A transport that records each request and answers as scripted: a response,
// a failure, or nothing until the exchange is cancelled.
class FakeTransport final : public HTTPTransport
{
public:
    enum class Mode { respond, fail, hang };

    Mode mode = Mode::respond;
    HTTPResponse response { R"({"choices":[{"message":{"content":"Fine."}}]})", 200 };
    std::vector<HTTPRequest> requests;
    int cancelledExchanges = 0;
    int hangingExchanges = 0;

    QCoro::Task<HTTPResponse> send(HTTPRequest request, std::shared_ptr<RequestCancellation> cancellation) override
    {
        requests.push_back(request);
        if (mode == Mode::fail)
            throw TransportError(QStringLiteral("Connection refused"));
        if (mode == Mode::hang) {
            ++hangingExchanges;
            UntilCancelled untilCancelled { cancellation };
            co_await untilCancelled;
            --hangingExchanges;
            ++cancelledExchanges;
            throw TransportError(QStringLiteral("cancelled"));
        }
        // A copy: QCoro moves from whatever co_return names.
        HTTPResponse answer = response;
        co_return answer;
    }

private:
    struct UntilCancelled
    {
        std::shared_ptr<RequestCancellation> cancellation;
        bool await_ready() const noexcept { return cancellation->isCancelled(); }
        void await_suspend(std::coroutine_handle<> handle)
        {
            cancellation->onCancel([handle] { handle.resume(); });
        }
        void await_resume() const noexcept { }
    };
};

// Runs the event loop until `done` holds or a generous watchdog expires.
inline bool pumpUntil(const std::function<bool()> &done, int watchdogMs = 10000)
{
    QDeadlineTimer deadline(watchdogMs);
    while (!done() && !deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    return done();
}

// The LLMError `work` throws, or nothing.
template<typename F> std::optional<LLMError> llmErrorOf(F work)
{
    try {
        work();
    } catch (const LLMError &error) {
        return error;
    }
    return std::nullopt;
}

} // namespace parlowind::test
