#pragma once

#include <QString>

#include <optional>

namespace parlowind {

// Source of the speech engine's initial prompt: the personal dictionary's
// terms, cut to fit `maxTokens`. Nothing when there are no terms.
class InitialPromptProviding
{
public:
    virtual ~InitialPromptProviding() = default;
    virtual std::optional<QString> initialPrompt(int maxTokens) const = 0;
};

} // namespace parlowind
