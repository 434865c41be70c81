#include "TieredTextInjector.h"

#include "InjectionError.h"

namespace parlowind {

TieredTextInjector::TieredTextInjector(std::vector<std::unique_ptr<TextInjecting>> injectors)
    : m_injectors(std::move(injectors))
{ }

QCoro::Task<InjectionTier> TieredTextInjector::inject(QString text, FocusContext context)
{
    {
        QMutexLocker locker(&m_lock);
        m_attempts.clear();
    }
    for (const std::unique_ptr<TextInjecting> &injector : m_injectors) {
        const InjectionTier tier = injector->tier();
        QString failure;
        try {
            auto attempt = injector->inject(text, context);
            co_await attempt;
            co_return tier;
        } catch (const std::exception &error) {
            failure = describeForLog(error);
        } catch (...) {
            failure = QStringLiteral("unknown error");
        }
        QMutexLocker locker(&m_lock);
        m_attempts.append({ tier, failure });
    }
    co_return InjectionTier::none;
}

QList<InjectionAttempt> TieredTextInjector::attemptLog() const
{
    QMutexLocker locker(&m_lock);
    return m_attempts;
}

QString TieredTextInjector::formatAttempts(const QList<InjectionAttempt> &attempts)
{
    QStringList parts;
    for (const InjectionAttempt &attempt : attempts)
        parts << rawValue(attempt.tier) + QStringLiteral(": ") + attempt.error;
    return parts.join(QStringLiteral(" | "));
}

} // namespace parlowind
