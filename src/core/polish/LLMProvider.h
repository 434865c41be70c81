#pragma once

#include "HTTPTransport.h"
#include "LLMRequest.h"

#include <QString>

#include <optional>

namespace parlowind {

// One service's wire format: where and how a request is sent and how the
// answer is read. Providers are immutable values, safe to use from any thread.
class LLMProvider
{
public:
    virtual ~LLMProvider() = default;

    virtual QString displayName() const = 0;
    // True when the provider has what it needs apart from the key.
    virtual bool isConfigured() const = 0;
    // The complete HTTP request; throws LLMError.
    virtual HTTPRequest buildRequest(const LLMRequest &request, const std::optional<QString> &apiKey) const = 0;
    // The answer text (untrimmed); throws LLMError.
    virtual QString parseResponse(const QByteArray &body, int status) const = 0;
};

namespace llm {
// Spaces and tabs only: a key or model never legitimately starts with them.
QString trimSpacesAndTabs(const QString &text);
// Throws LLMError for any status outside 200…299.
void checkStatus(int status);
} // namespace llm

} // namespace parlowind
