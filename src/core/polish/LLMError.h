#pragma once

#include "support/Error.h"

namespace parlowind {

// Every way a language-model request can fail, as one small error. It carries
// no message of its own: callers fall back silently or show the short text.
class LLMError final : public Error
{
public:
    enum class Case {
        http, // a status outside 200…299 other than 401 and 403
        offline,
        notConfigured,
        timedOut,
        unauthorized, // 401 or 403
        malformedResponse,
        transportFailed,
    };

    explicit LLMError(Case errorCase, int status = 0)
        : m_case(errorCase)
        , m_status(errorCase == Case::http ? status : 0)
    { }
    static LLMError http(int status) { return LLMError(Case::http, status); }

    Case errorCase() const { return m_case; }
    int status() const { return m_status; }

    // The short text the settings pane shows ("Timed out", "Server error 500").
    QString description() const override;
    QString logDescription() const override;

    friend bool operator==(const LLMError &a, const LLMError &b)
    {
        return a.m_case == b.m_case && a.m_status == b.m_status;
    }

private:
    Case m_case;
    int m_status;
};

} // namespace parlowind
