#pragma once

#include <QCoro/QCoroTask>

#include <coroutine>
#include <functional>
#include <memory>
#include <vector>

namespace parlowind {

namespace detail {
struct CancellableTaskState;
}

// Read side of a task's cancellation flag, handed to the task's body. A body
// checks it after every suspension and, once it is set, changes nothing more.
class CancellationToken
{
public:
    CancellationToken() = default;
    bool isCancelled() const;

private:
    friend class CancellableTask;
    explicit CancellationToken(std::shared_ptr<detail::CancellableTaskState> state);
    std::shared_ptr<detail::CancellableTaskState> m_state;
};

// Handle of a coroutine started on the current thread (the UI thread in the
// application) with a shared cancellation flag. Copies refer to the same task.
// Cancellation is cooperative: `cancel()` only sets the flag; the body notices
// it when it next resumes.
class CancellableTask
{
public:
    using Body = std::function<QCoro::Task<>(CancellationToken)>;

    CancellableTask() = default;

    // Starts `body` at once; it runs until its first suspension before start()
    // returns. Exceptions escaping the body are logged, never propagated.
    static CancellableTask start(Body body);

    void cancel();
    bool isCancelled() const;
    bool isFinished() const;
    bool isValid() const { return m_state != nullptr; }

    // Completes when the body has finished (at once if it already has, or if
    // the handle is empty).
    QCoro::Task<> finished() const;

private:
    std::shared_ptr<detail::CancellableTaskState> m_state;
};

} // namespace parlowind
