#pragma once

#include "LLMClient.h"
#include "LLMError.h"
#include "PolishSanityCheck.h"
#include "TranscriptPolishing.h"

#include <chrono>
#include <functional>
#include <memory>
#include <optional>

namespace parlowind {

// Best-effort language-model pass over rule-cleaned text. Whatever goes wrong
// (offline only, no provider, no key, network, time-out, a chatty or truncated
// answer) the text comes back unchanged and dictation carries on.
class TranscriptPolisher final : public TranscriptPolishing
{
public:
    static const QString systemPrompt;

    // What one attempt gave, for callers that report why nothing changed.
    struct Outcome
    {
        QString text;
        bool polished = false;
        std::optional<LLMError> failure; // the request failed
        bool rejected = false; // the answer failed the sanity check
    };

    // `client` must outlive the polisher. `provider` is absent when polish is
    // off or not configured.
    TranscriptPolisher(LLMClient &client, std::shared_ptr<const LLMProvider> provider,
                       std::function<bool()> isOfflineOnly, PolishSanityCheck sanityCheck = PolishSanityCheck(2.0),
                       int maxTokens = 1024, std::chrono::milliseconds timeout = std::chrono::milliseconds(3000));

    bool isEnabled() const override;
    QCoro::Task<QString> polish(QString text) override;
    QCoro::Task<QString> polish(QString text, std::shared_ptr<RequestCancellation> cancellation);
    QCoro::Task<Outcome> attempt(QString text, std::shared_ptr<RequestCancellation> cancellation = {});

private:
    LLMClient &m_client;
    std::shared_ptr<const LLMProvider> m_provider;
    std::function<bool()> m_isOfflineOnly;
    PolishSanityCheck m_sanityCheck;
    int m_maxTokens;
    std::chrono::milliseconds m_timeout;
};

} // namespace parlowind
