#pragma once

#include <QString>

#include <chrono>

namespace parlowind {

// One single-turn chat request, independent of the service's wire format.
struct LLMRequest
{
    QString system;
    QString user;
    int maxTokens = 1024;
    double temperature = 0.2; // sent by the OpenAI-compatible provider only
    std::chrono::milliseconds timeout { 3000 }; // limit for the whole exchange

    friend bool operator==(const LLMRequest &, const LLMRequest &) = default;
};

} // namespace parlowind
