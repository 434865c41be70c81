#pragma once

#include "support/CancellableTask.h"
#include "support/MonotonicClock.h"

#include <QCoro/QCoroTask>

#include <functional>

namespace parlowind {

// Polls a permission check until it passes, for the permission window's
// "waiting" state.
struct PermissionWatcher
{
    using Check = std::function<QCoro::Task<bool>()>;
    using Sleep = std::function<QCoro::Task<>(double seconds)>;

    double interval = 0.5;
    Sleep sleep;
    Check check;

    PermissionWatcher(double interval, Sleep sleep, Check check)
        : interval(interval)
        , sleep(std::move(sleep))
        , check(std::move(check))
    { }
    // Sleeps on `clock`, which must outlive the wait.
    PermissionWatcher(double interval, MonotonicClock &clock, Check check);

    // True once `check` passes; false when `token` is cancelled first.
    QCoro::Task<bool> waitUntilGranted(CancellationToken token) const;
};

} // namespace parlowind
