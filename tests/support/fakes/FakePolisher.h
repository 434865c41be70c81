#pragma once

#include "CallLog.h"
#include "ManualCompletion.h"
#include "polish/TranscriptPolishing.h"

#include <functional>
#include <memory>
#include <vector>

namespace parlowind::test {

// A polisher that is on or off as the test says. By default it answers at
// once with `transform(text)` ("polished: " + text); while holding, each call
// waits until the test completes it. Records "polish <text>".
class FakePolisher final : public TranscriptPolishing
{
public:
    struct Call
    {
        QString text;
        std::shared_ptr<ManualCompletion<QString>> result;
    };

    explicit FakePolisher(std::shared_ptr<CallLog> log = {})
        : m_log(std::move(log))
    { }

    bool isEnabled() const override { return m_enabled; }

    QCoro::Task<QString> polish(QString text) override
    {
        if (m_log)
            m_log->record(QStringLiteral("polish ") + text);
        auto result = std::make_shared<ManualCompletion<QString>>();
        m_calls.push_back(Call { text, result });
        if (!m_holding)
            result->succeed(m_transform(text));
        return ManualCompletion<QString>::wait(result);
    }

    void setEnabled(bool enabled) { m_enabled = enabled; }
    void setHolding(bool holding) { m_holding = holding; }
    void setTransform(std::function<QString(const QString &)> transform) { m_transform = std::move(transform); }

    void complete(std::size_t index, QString text)
    {
        const auto result = m_calls.at(index).result;
        result->succeed(std::move(text));
    }

    // Answers every waiting call with its own input, as a polisher falling back would.
    void completeAllPending()
    {
        for (std::size_t i = 0; i < m_calls.size(); ++i) {
            const auto call = m_calls[i];
            call.result->succeed(call.text);
        }
    }

    const std::vector<Call> &calls() const { return m_calls; }

private:
    std::shared_ptr<CallLog> m_log;
    bool m_enabled = true;
    bool m_holding = false;
    std::function<QString(const QString &)> m_transform
        = [](const QString &text) { return QStringLiteral("polished: ") + text; };
    std::vector<Call> m_calls;
};

} // namespace parlowind::test
