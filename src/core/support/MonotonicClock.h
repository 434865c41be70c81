#pragma once

#include <QCoro/QCoroTask>

namespace parlowind {

// Time source for durations and deadlines. Injected everywhere time matters so
// that tests drive it by hand instead of waiting.
class MonotonicClock
{
public:
    virtual ~MonotonicClock() = default;

    // Seconds on a clock that never goes backwards.
    virtual double now() const = 0;

    // Suspends the calling task for `seconds` on this clock. Returns normally
    // even when the task was cancelled meanwhile: callers check their own
    // cancellation flag after it resumes.
    virtual QCoro::Task<> sleep(double seconds) = 0;
};

// The system's monotonic clock (time since boot, not counting suspend); sleeps
// are timers on the calling thread's event loop.
class SystemClock final : public MonotonicClock
{
public:
    double now() const override;
    QCoro::Task<> sleep(double seconds) override;
};

} // namespace parlowind
