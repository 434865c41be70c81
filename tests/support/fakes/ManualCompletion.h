#pragma once

#include <QCoro/QCoroTask>

#include <coroutine>
#include <exception>
#include <memory>
#include <optional>
#include <utility>

namespace parlowind::test {

// A result a test hands over by hand. The awaiting task stays suspended until
// succeed() or fail() and then resumes inside that call, so the test sees the
// consequences as soon as the call returns.
template<typename T> class ManualCompletion final
{
public:
    bool isDone() const { return m_value.has_value() || m_error; }

    void succeed(T value)
    {
        if (isDone())
            return;
        m_value.emplace(std::move(value));
        resumeWaiter();
    }

    void fail(std::exception_ptr error)
    {
        if (isDone())
            return;
        m_error = std::move(error);
        resumeWaiter();
    }

    // Completes when the result is handed over; rethrows a failure.
    static QCoro::Task<T> wait(std::shared_ptr<ManualCompletion> completion)
    {
        Awaiter awaiter { completion };
        T value = co_await awaiter;
        co_return value;
    }

private:
    struct Awaiter
    {
        std::shared_ptr<ManualCompletion> completion;
        bool await_ready() const noexcept { return completion->isDone(); }
        void await_suspend(std::coroutine_handle<> handle) { completion->m_waiter = handle; }
        T await_resume()
        {
            if (completion->m_error)
                std::rethrow_exception(completion->m_error);
            return *completion->m_value;
        }
    };

    void resumeWaiter()
    {
        if (auto waiter = std::exchange(m_waiter, {}))
            waiter.resume();
    }

    std::optional<T> m_value;
    std::exception_ptr m_error;
    std::coroutine_handle<> m_waiter;
};

} // namespace parlowind::test
