#pragma once

#include "HTTPTransport.h"
#include "LLMProvider.h"
#include "LLMRequest.h"
#include "support/MonotonicClock.h"

#include <QCoro/QCoroTask>

#include <functional>
#include <memory>
#include <optional>

namespace parlowind {

// Sends one chat request to the configured service and returns the answer,
// owning what both wire formats share: the offline-only switch, the
// configuration check, the key lookup, the time limit and the mapping of every
// failure to LLMError. Building and reading the JSON runs on the client's own
// serial worker; the exchange itself runs on the calling thread's event loop.
// Shared by the polisher and the meeting summariser.
class LLMClient final
{
public:
    using OfflineCheck = std::function<bool()>;
    using KeyLookup = std::function<QCoro::Task<std::optional<QString>>()>;

    // `transport` and `clock` must outlive the client and its requests.
    LLMClient(HTTPTransport &transport, MonotonicClock &clock, OfflineCheck isOfflineOnly, KeyLookup apiKey);
    ~LLMClient();
    LLMClient(const LLMClient &) = delete;
    LLMClient &operator=(const LLMClient &) = delete;

    // The answer text, untrimmed. Throws LLMError. Cancelling `cancellation`
    // stops the exchange (the request then fails with transportFailed).
    QCoro::Task<QString> complete(LLMRequest request, std::shared_ptr<const LLMProvider> provider,
                                  std::shared_ptr<RequestCancellation> cancellation = {});

    // Parts of finished requests still winding down: the time-limit watcher
    // (ends within a short slice) and a stopped exchange (ends when the
    // transport has let go). A process should let them end before it exits.
    int pendingWork() const { return *m_pending; }

private:
    struct Shared;
    std::shared_ptr<Shared> m_shared;
    std::shared_ptr<int> m_pending = std::make_shared<int>(0);
};

} // namespace parlowind
