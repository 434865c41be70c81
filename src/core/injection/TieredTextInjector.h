#pragma once

#include "TextInjecting.h"

#include <QList>
#include <QMutex>
#include <QString>

#include <memory>
#include <vector>

namespace parlowind {

// One tier that failed during an injection, with the error's text form
// ("axFailed(-25204)", "focusChanged").
struct InjectionAttempt
{
    InjectionTier tier;
    QString error;

    bool operator==(const InjectionAttempt &) const = default;
};

// No single way of inserting text works in every application, so the tiers
// are tried in order until one succeeds (accessibility, then paste, then the
// clipboard in the application). Each failure is kept so the delivery step
// can log why the earlier tiers did not work.
//
// Callers run one injection at a time: two pastes at once would interleave
// their clipboard save and restore.
class TieredTextInjector final
{
public:
    explicit TieredTextInjector(std::vector<std::unique_ptr<TextInjecting>> injectors);
    TieredTextInjector(const TieredTextInjector &) = delete;
    TieredTextInjector &operator=(const TieredTextInjector &) = delete;

    // The tier that delivered the text, or `none` when every tier failed (or
    // there are none). Never throws. The object must outlive the task.
    QCoro::Task<InjectionTier> inject(QString text, FocusContext context);

    // The failures of the most recent inject(), in order. Safe to read from
    // any thread.
    QList<InjectionAttempt> attemptLog() const;

    // "ax: noFocusedElement | paste: focusChanged"; empty for no attempts.
    static QString formatAttempts(const QList<InjectionAttempt> &attempts);

private:
    std::vector<std::unique_ptr<TextInjecting>> m_injectors;
    mutable QMutex m_lock;
    QList<InjectionAttempt> m_attempts;
};

} // namespace parlowind
