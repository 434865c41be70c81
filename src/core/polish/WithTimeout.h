#pragma once

#include "RequestCancellation.h"
#include "support/MonotonicClock.h"

#include <QCoro/QCoroTask>

#include <algorithm>
#include <coroutine>
#include <exception>
#include <functional>
#include <memory>
#include <optional>

namespace parlowind {

namespace detail {

// Shared by the two racers and the awaiting caller; whichever racer finishes
// first decides, the other finds `decided` set and changes nothing.
template<typename T> struct TimeoutRace
{
    std::optional<T> value;
    std::exception_ptr error;
    bool decided = false;
    std::coroutine_handle<> waiter;
    std::shared_ptr<RequestCancellation> operationCancellation = std::make_shared<RequestCancellation>();

    void decide()
    {
        decided = true;
        if (auto handle = std::exchange(waiter, {}))
            handle.resume();
    }
};

template<typename T> struct TimeoutRaceAwaiter
{
    std::shared_ptr<TimeoutRace<T>> race;
    bool await_ready() const noexcept { return race->decided; }
    void await_suspend(std::coroutine_handle<> handle) { race->waiter = handle; }
    void await_resume() const noexcept { }
};

template<typename T>
QCoro::Task<> runRacingOperation(std::shared_ptr<TimeoutRace<T>> race,
                                 std::function<QCoro::Task<T>(std::shared_ptr<RequestCancellation>)> operation,
                                 std::shared_ptr<int> pending)
{
    ++*pending;
    std::optional<T> value;
    std::exception_ptr error;
    try {
        QCoro::Task<T> task = operation(race->operationCancellation);
        T result = co_await task;
        value.emplace(std::move(result));
    } catch (...) {
        error = std::current_exception();
    }
    --*pending;
    if (race->decided)
        co_return;
    race->value = std::move(value);
    race->error = error;
    race->decide();
}

// The clock's sleep cannot be cut short, so the sleeper naps in short slices
// and ends soon after the operation has won instead of outliving the request
// by the whole limit.
inline constexpr double timeoutSliceSeconds = 0.05;

template<typename T>
QCoro::Task<> runRacingSleeper(std::shared_ptr<TimeoutRace<T>> race, MonotonicClock *clock, double seconds,
                               std::exception_ptr timeoutError, std::shared_ptr<int> pending)
{
    ++*pending;
    const double deadline = clock->now() + seconds;
    while (!race->decided) {
        const double left = deadline - clock->now();
        if (left <= 0) {
            race->error = timeoutError;
            race->decided = true;
            // Stop the exchange before the caller resumes.
            race->operationCancellation->cancel();
            race->decide();
            break;
        }
        QCoro::Task<> nap = clock->sleep(std::min(left, timeoutSliceSeconds));
        co_await nap;
    }
    --*pending;
}

} // namespace detail

// Runs `operation` against a time limit on `clock`. The first to finish
// decides: the operation's value or error, or `timeoutError` once `seconds`
// have passed, in which case the operation's cancellation is triggered so the
// work really stops. Cancelling `outer` cancels the operation, which then
// fails with its own error. `clock` must outlive the call by a slice;
// `pending` (optional) counts the racers still running: a lost race ends a
// moment after the result is known.
template<typename T>
QCoro::Task<T> withTimeout(MonotonicClock &clock, double seconds, std::exception_ptr timeoutError,
                           std::function<QCoro::Task<T>(std::shared_ptr<RequestCancellation>)> operation,
                           std::shared_ptr<RequestCancellation> outer = {}, std::shared_ptr<int> pending = {})
{
    auto race = std::make_shared<detail::TimeoutRace<T>>();
    if (!pending)
        pending = std::make_shared<int>(0);
    int outerSubscription = -1;
    if (outer) {
        std::weak_ptr<RequestCancellation> inner = race->operationCancellation;
        outerSubscription = outer->onCancel([inner] {
            if (auto cancellation = inner.lock())
                cancellation->cancel();
        });
    }
    detail::runRacingSleeper<T>(race, &clock, seconds, timeoutError, pending);
    detail::runRacingOperation<T>(race, std::move(operation), pending);

    detail::TimeoutRaceAwaiter<T> decided { race };
    co_await decided;
    if (outer)
        outer->remove(outerSubscription);
    if (race->error)
        std::rethrow_exception(race->error);
    co_return std::move(*race->value);
}

} // namespace parlowind
