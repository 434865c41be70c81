#pragma once

#include <QCoro/QCoroFuture>
#include <QCoro/QCoroTask>
#include <QThreadPool>
#include <QtConcurrent/QtConcurrentRun>

#include <exception>
#include <optional>
#include <type_traits>

namespace parlowind {

namespace detail {
template<typename R> struct WorkerOutcome
{
    std::optional<R> value;
    std::exception_ptr error;
};
template<> struct WorkerOutcome<void>
{
    std::exception_ptr error;
};
} // namespace detail

// Runs a blocking function on `pool` while the awaiting task stays suspended;
// the task resumes on the thread that awaited (the UI thread in the
// application). Exceptions thrown by `work` are rethrown unchanged there.
template<typename F> QCoro::Task<std::invoke_result_t<F>> runOnWorker(QThreadPool *pool, F work)
{
    using R = std::invoke_result_t<F>;
    using Outcome = detail::WorkerOutcome<R>;
    auto future = QtConcurrent::run(pool, [work = std::move(work)]() mutable {
        Outcome outcome;
        try {
            if constexpr (std::is_void_v<R>)
                work();
            else
                outcome.value.emplace(work());
        } catch (...) {
            outcome.error = std::current_exception();
        }
        return outcome;
    });
    Outcome outcome = co_await future;
    if (outcome.error)
        std::rethrow_exception(outcome.error);
    if constexpr (!std::is_void_v<R>)
        co_return std::move(*outcome.value);
}

template<typename F> QCoro::Task<std::invoke_result_t<F>> runOnWorker(F work)
{
    return runOnWorker(QThreadPool::globalInstance(), std::move(work));
}

// A worker thread that runs one job at a time, in submission order.
class SerialWorker final
{
public:
    SerialWorker()
    {
        m_pool.setMaxThreadCount(1);
        m_pool.setExpiryTimeout(-1);
    }
    ~SerialWorker() { m_pool.waitForDone(); }
    SerialWorker(const SerialWorker &) = delete;
    SerialWorker &operator=(const SerialWorker &) = delete;

    template<typename F> QCoro::Task<std::invoke_result_t<F>> run(F work)
    {
        return runOnWorker(&m_pool, std::move(work));
    }

private:
    QThreadPool m_pool;
};

} // namespace parlowind
