#pragma once

#include "TranscriptDelivering.h"

#include <QDateTime>

#include <functional>

namespace parlowind {

class HistoryRecording;
class TieredTextInjector;

// Delivers a finished dictation: injects the text through the tiers,
// records it in the history and logs which tier delivered it and why the
// earlier ones failed. Keeps no state between calls; the history and the
// injector must outlive it and every task it returns.
class TranscriptDelivery final : public TranscriptDelivering
{
public:
    using Now = std::function<QDateTime()>;

    // `now` defaults to the system's current time.
    TranscriptDelivery(HistoryRecording &history, TieredTextInjector &injector, Now now = {});

    // Empty or all-whitespace text gives `none` with no side effect. A
    // leading gap is kept as one space; trailing whitespace is dropped.
    QCoro::Task<InjectionTier> deliver(QString text, FocusContext context) override;

private:
    HistoryRecording &m_history;
    TieredTextInjector &m_injector;
    Now m_now;
};

} // namespace parlowind
