#pragma once

#include "injection/InjectionError.h"
#include "injection/TextInjecting.h"

#include <QStringList>

#include <functional>
#include <optional>

namespace parlowind::test {

// A tier that records the texts it was given and fails with a scripted
// error, or succeeds.
class FakeTextInjector final : public TextInjecting
{
public:
    explicit FakeTextInjector(InjectionTier tier, std::function<void()> failure = {})
        : m_tier(tier)
        , m_failure(std::move(failure))
    { }

    static std::function<void()> failingWith(InjectionError::Kind kind, int code = 0)
    {
        return [kind, code] { throw InjectionError(kind, code); };
    }

    InjectionTier tier() const override { return m_tier; }

    QCoro::Task<> inject(QString text, FocusContext context) override
    {
        texts.append(text);
        contexts.append(context);
        if (m_failure)
            m_failure();
        co_return;
    }

    QStringList texts;
    QList<FocusContext> contexts;

private:
    InjectionTier m_tier;
    std::function<void()> m_failure;
};

} // namespace parlowind::test
