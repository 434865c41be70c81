#include "TranscriptDelivery.h"

#include "history/HistoryRecording.h"
#include "injection/TieredTextInjector.h"
#include "support/Error.h"
#include "support/Log.h"

namespace parlowind {

TranscriptDelivery::TranscriptDelivery(HistoryRecording &history, TieredTextInjector &injector, Now now)
    : m_history(history)
    , m_injector(injector)
    , m_now(now ? std::move(now) : Now([] { return QDateTime::currentDateTimeUtc(); }))
{ }

QCoro::Task<InjectionTier> TranscriptDelivery::deliver(QString text, FocusContext context)
{
    const QString trimmed = text.trimmed();
    if (trimmed.isEmpty())
        co_return InjectionTier::none;

    // Continuous listening puts a gap in front of a follow-on phrase.
    const QString toInject = text.front().isSpace() ? QLatin1Char(' ') + trimmed : trimmed;
    auto injection = m_injector.inject(toInject, context);
    const InjectionTier tier = co_await injection;

    const HistoryEntry entry {
        QUuid::createUuid(), m_now(), trimmed, context.bundleIdentifier, context.appName, rawValue(tier),
    };
    try {
        m_history.record(entry);
    } catch (const std::exception &error) {
        log(QStringLiteral("Parlowind: history write failed: ") + describeForLog(error));
    }

    log(QStringLiteral("Parlowind: injected via tier=") + rawValue(tier) + QStringLiteral(" target=")
        + context.description() + QStringLiteral(" failedTiers=[")
        + TieredTextInjector::formatAttempts(m_injector.attemptLog()) + QLatin1Char(']'));
    co_return tier;
}

} // namespace parlowind
