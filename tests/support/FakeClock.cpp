#include "FakeClock.h"

#include <algorithm>

namespace parlowind::test {

struct FakeClock::Awaiter
{
    FakeClock *clock;
    double deadline;

    bool await_ready() const noexcept { return deadline <= clock->m_now; }
    void await_suspend(std::coroutine_handle<> handle)
    {
        clock->m_sleepers.push_back(Sleeper { deadline, clock->m_nextOrder++, handle });
    }
    void await_resume() const noexcept { }
};

QCoro::Task<> FakeClock::sleep(double seconds)
{
    co_await Awaiter { this, m_now + std::max(0.0, seconds) };
}

void FakeClock::advance(double seconds)
{
    const double target = m_now + std::max(0.0, seconds);
    for (;;) {
        auto due = std::min_element(m_sleepers.begin(), m_sleepers.end(), [](const Sleeper &a, const Sleeper &b) {
            return a.deadline != b.deadline ? a.deadline < b.deadline : a.order < b.order;
        });
        if (due == m_sleepers.end() || due->deadline > target)
            break;
        const Sleeper sleeper = *due;
        m_sleepers.erase(due);
        m_now = std::max(m_now, sleeper.deadline);
        sleeper.handle.resume();
    }
    m_now = target;
}

} // namespace parlowind::test
