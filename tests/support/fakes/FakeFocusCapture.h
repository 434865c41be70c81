#pragma once

#include "CallLog.h"
#include "injection/FocusCapturing.h"

#include <memory>

namespace parlowind::test {

// Reports whatever context the test set. Records "focus.capture".
class FakeFocusCapture final : public FocusCapturing
{
public:
    explicit FakeFocusCapture(std::shared_ptr<CallLog> log = {})
        : m_log(std::move(log))
    { }

    FocusContext capture() override
    {
        if (m_log)
            m_log->record(QStringLiteral("focus.capture"));
        ++m_captures;
        return m_context;
    }

    void setContext(FocusContext context) { m_context = std::move(context); }
    int captureCount() const { return m_captures; }

    static FocusContext app(const QString &name, const QString &identifier, bool hasElement = true)
    {
        return FocusContext { identifier, name, hasElement };
    }

private:
    std::shared_ptr<CallLog> m_log;
    FocusContext m_context;
    int m_captures = 0;
};

} // namespace parlowind::test
