#include "CancellableTask.h"

#include "Log.h"

namespace parlowind {

namespace detail {
struct CancellableTaskState
{
    CancellableTask::Body body;
    bool cancelled = false;
    bool finished = false;
    std::vector<std::coroutine_handle<>> waiters;
};
} // namespace detail

namespace {
using State = detail::CancellableTaskState;

QCoro::Task<> runBody(std::shared_ptr<State> state, CancellationToken token)
{
    try {
        // WORKAROUND: GCC 12 may destroy temporaries of a co_await
        // expression twice (GCC PR 100611); keep them out of it.
        QCoro::Task<> body = state->body(token);
        co_await body;
    } catch (const std::exception &error) {
        logError(QStringLiteral("background task"), error);
    } catch (...) {
        log(QStringLiteral("ERROR: background task: unknown exception"));
    }
    state->finished = true;
    state->body = nullptr; // drop captures as soon as the work is done
    auto waiters = std::move(state->waiters);
    for (auto handle : waiters)
        handle.resume();
}

struct FinishedAwaiter
{
    std::shared_ptr<State> state;
    bool await_ready() const noexcept { return !state || state->finished; }
    void await_suspend(std::coroutine_handle<> handle) { state->waiters.push_back(handle); }
    void await_resume() const noexcept { }
};

QCoro::Task<> awaitFinished(std::shared_ptr<State> state)
{
    // A named awaiter: GCC 12 destroys temporaries inside co_await twice.
    FinishedAwaiter awaiter { std::move(state) };
    co_await awaiter;
}
} // namespace

CancellationToken::CancellationToken(std::shared_ptr<detail::CancellableTaskState> state)
    : m_state(std::move(state))
{ }

bool CancellationToken::isCancelled() const
{
    return m_state && m_state->cancelled;
}

CancellableTask CancellableTask::start(Body body)
{
    CancellableTask task;
    task.m_state = std::make_shared<State>();
    task.m_state->body = std::move(body);
    // The coroutine owns a reference to the state, so it outlives every handle.
    runBody(task.m_state, CancellationToken(task.m_state));
    return task;
}

void CancellableTask::cancel()
{
    if (m_state)
        m_state->cancelled = true;
}

bool CancellableTask::isCancelled() const
{
    return m_state && m_state->cancelled;
}

bool CancellableTask::isFinished() const
{
    return !m_state || m_state->finished;
}

QCoro::Task<> CancellableTask::finished() const
{
    return awaitFinished(m_state);
}

} // namespace parlowind
