#pragma once

#include "support/MonotonicClock.h"

#include <coroutine>
#include <cstdint>
#include <vector>

namespace parlowind::test {

// A clock that only moves when told to. Sleeps suspend until advance() moves
// time past their deadline; they then resume in deadline order (ties in the
// order they began), each seeing now() equal to its own deadline, so a test
// runs minutes of timers instantly and deterministically.
class FakeClock final : public MonotonicClock
{
public:
    explicit FakeClock(double start = 1000.0)
        : m_now(start)
    { }

    double now() const override { return m_now; }
    QCoro::Task<> sleep(double seconds) override;

    // Moves time forward, completing every sleep that falls due on the way,
    // including sleeps started by the tasks it resumes.
    void advance(double seconds);

    std::size_t pendingSleeps() const { return m_sleepers.size(); }

private:
    struct Sleeper
    {
        double deadline;
        std::uint64_t order;
        std::coroutine_handle<> handle;
    };
    struct Awaiter;

    double m_now;
    std::uint64_t m_nextOrder = 0;
    std::vector<Sleeper> m_sleepers;
};

} // namespace parlowind::test
