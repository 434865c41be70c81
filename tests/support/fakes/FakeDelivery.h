#pragma once

#include "CallLog.h"
#include "ManualCompletion.h"
#include "dictation/TranscriptDelivering.h"

#include <memory>
#include <vector>

namespace parlowind::test {

// Records every delivered text with its context ("deliver <text>" in the
// shared log). Answers at once with `tier`, or, while holding, waits until
// the test completes the delivery by hand.
class FakeDelivery final : public TranscriptDelivering
{
public:
    struct Delivery
    {
        QString text;
        FocusContext context;
        std::shared_ptr<ManualCompletion<InjectionTier>> result;
    };

    explicit FakeDelivery(std::shared_ptr<CallLog> log = {})
        : m_log(std::move(log))
    { }

    QCoro::Task<InjectionTier> deliver(QString text, FocusContext context) override
    {
        if (m_log)
            m_log->record(QStringLiteral("deliver ") + text);
        auto result = std::make_shared<ManualCompletion<InjectionTier>>();
        m_deliveries.push_back(Delivery { std::move(text), std::move(context), result });
        if (!m_holding)
            result->succeed(m_tier);
        return ManualCompletion<InjectionTier>::wait(result);
    }

    void setHolding(bool holding) { m_holding = holding; }
    void setTier(InjectionTier tier) { m_tier = tier; }

    void completeAllPending()
    {
        for (std::size_t i = 0; i < m_deliveries.size(); ++i) {
            const auto result = m_deliveries[i].result;
            result->succeed(m_tier);
        }
    }

    const std::vector<Delivery> &deliveries() const { return m_deliveries; }
    QStringList texts() const
    {
        QStringList texts;
        for (const auto &delivery : m_deliveries)
            texts.append(delivery.text);
        return texts;
    }

private:
    std::shared_ptr<CallLog> m_log;
    std::vector<Delivery> m_deliveries;
    InjectionTier m_tier = InjectionTier::ax;
    bool m_holding = false;
};

} // namespace parlowind::test
