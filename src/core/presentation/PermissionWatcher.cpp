#include "PermissionWatcher.h"

namespace parlowind {

PermissionWatcher::PermissionWatcher(double interval, MonotonicClock &clock, Check check)
    : PermissionWatcher(
        interval, [&clock](double seconds) { return clock.sleep(seconds); }, std::move(check))
{ }

namespace {
QCoro::Task<bool> poll(double interval, PermissionWatcher::Sleep sleep, PermissionWatcher::Check check,
                       CancellationToken token)
{
    while (!token.isCancelled()) {
        QCoro::Task<bool> checking = check();
        const bool granted = co_await checking;
        if (token.isCancelled())
            co_return false;
        if (granted)
            co_return true;
        QCoro::Task<> sleeping = sleep(interval);
        co_await sleeping;
    }
    co_return false;
}
} // namespace

QCoro::Task<bool> PermissionWatcher::waitUntilGranted(CancellationToken token) const
{
    // Copies, so the wait survives the watcher value it came from.
    return poll(interval, sleep, check, std::move(token));
}

} // namespace parlowind
