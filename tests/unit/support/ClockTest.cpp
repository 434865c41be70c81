#include "FakeClock.h"
#include "support/MonotonicClock.h"

#include <QCoro/QCoroTask>

#include <gtest/gtest.h>

#include <vector>

using namespace parlowind;
using parlowind::test::FakeClock;

namespace {

QCoro::Task<> sleepAndRecord(MonotonicClock &clock, double seconds, std::vector<std::pair<int, double>> &log, int id)
{
    co_await clock.sleep(seconds);
    log.emplace_back(id, clock.now());
}

TEST(FakeClockTest, SleepsCompleteInDeadlineOrderAtTheirOwnTimes)
{
    FakeClock clock(100.0);
    std::vector<std::pair<int, double>> done;
    sleepAndRecord(clock, 0.5, done, 1);
    sleepAndRecord(clock, 0.1, done, 2);
    sleepAndRecord(clock, 0.5, done, 3); // same deadline as 1: started later, resumes later
    EXPECT_TRUE(done.empty());

    clock.advance(0.3);
    ASSERT_EQ(done.size(), 1u);
    EXPECT_EQ(done[0], std::make_pair(2, 100.1));
    EXPECT_DOUBLE_EQ(clock.now(), 100.3);

    clock.advance(0.2);
    ASSERT_EQ(done.size(), 3u);
    EXPECT_EQ(done[1].first, 1);
    EXPECT_EQ(done[2].first, 3);
    EXPECT_DOUBLE_EQ(done[1].second, 100.5);
    EXPECT_EQ(clock.pendingSleeps(), 0u);
}

QCoro::Task<> ticker(MonotonicClock &clock, int ticks, std::vector<double> &times)
{
    for (int i = 0; i < ticks; ++i) {
        co_await clock.sleep(0.1);
        times.push_back(clock.now());
    }
}

TEST(FakeClockTest, SleepsStartedDuringAdvanceAreCompletedInTheSameAdvance)
{
    FakeClock clock(0.0);
    std::vector<double> times;
    ticker(clock, 50, times);
    clock.advance(2.55);
    ASSERT_EQ(times.size(), 25u);
    EXPECT_NEAR(times.back(), 2.5, 1e-9);
    clock.advance(10);
    EXPECT_EQ(times.size(), 50u);
}

TEST(FakeClockTest, ZeroAndNegativeSleepsReturnAtOnce)
{
    FakeClock clock;
    std::vector<std::pair<int, double>> done;
    sleepAndRecord(clock, 0, done, 1);
    sleepAndRecord(clock, -3, done, 2);
    EXPECT_EQ(done.size(), 2u);
}

TEST(SystemClockTest, NeverGoesBackwardsAndSleepsOnTheEventLoop)
{
    SystemClock clock;
    const double before = clock.now();
    QCoro::waitFor(clock.sleep(0.02));
    const double after = clock.now();
    EXPECT_GE(after - before, 0.019);
}

} // namespace
