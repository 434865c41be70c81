#pragma once

#include "cleanup/InitialPromptProviding.h"

#include <vector>

namespace parlowind::test {

// The dictionary's prompt as the test sets it; remembers every token budget asked for.
class FakePromptProvider final : public InitialPromptProviding
{
public:
    explicit FakePromptProvider(std::optional<QString> prompt = std::nullopt)
        : m_prompt(std::move(prompt))
    { }

    std::optional<QString> initialPrompt(int maxTokens) const override
    {
        m_requests.push_back(maxTokens);
        return m_prompt;
    }

    void setPrompt(std::optional<QString> prompt) { m_prompt = std::move(prompt); }
    const std::vector<int> &requests() const { return m_requests; }

private:
    std::optional<QString> m_prompt;
    mutable std::vector<int> m_requests;
};

} // namespace parlowind::test
