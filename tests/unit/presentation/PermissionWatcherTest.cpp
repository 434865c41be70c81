#include "presentation/PermissionWatcher.h"

#include "FakeClock.h"

#include <QCoro/QCoroTask>

#include <gtest/gtest.h>

namespace parlowind {
namespace {

QCoro::Task<bool> answer(bool value)
{
    co_return value;
}

TEST(PermissionWatcherTest, ReturnsOnceTheCheckPassesAfterTwoSleeps)
{
    test::FakeClock clock;
    int calls = 0;
    PermissionWatcher watcher(0.5, clock, [&calls] { return answer(++calls >= 3); });
    std::optional<bool> result;
    const double start = clock.now();
    auto task = CancellableTask::start([&](CancellationToken token) -> QCoro::Task<> {
        QCoro::Task<bool> waiting = watcher.waitUntilGranted(token);
        result = co_await waiting;
    });
    EXPECT_EQ(calls, 1);
    clock.advance(0.5);
    EXPECT_EQ(calls, 2);
    EXPECT_FALSE(result.has_value());
    clock.advance(0.5);
    EXPECT_EQ(calls, 3);
    EXPECT_EQ(result, true);
    EXPECT_DOUBLE_EQ(clock.now() - start, 1.0);
    EXPECT_TRUE(task.isFinished());
}

TEST(PermissionWatcherTest, CancellingDuringASleepReturnsFalseWithoutCheckingAgain)
{
    test::FakeClock clock;
    int calls = 0;
    PermissionWatcher watcher(0.5, clock, [&calls] { return answer(++calls > 100); });
    std::optional<bool> result;
    auto task = CancellableTask::start([&](CancellationToken token) -> QCoro::Task<> {
        QCoro::Task<bool> waiting = watcher.waitUntilGranted(token);
        result = co_await waiting;
    });
    clock.advance(0.5);
    EXPECT_EQ(calls, 2);
    task.cancel();
    clock.advance(0.5);
    EXPECT_EQ(result, false);
    EXPECT_EQ(calls, 2);
}

TEST(PermissionWatcherTest, AlreadyCancelledReturnsFalseAtOnce)
{
    test::FakeClock clock;
    int calls = 0;
    PermissionWatcher watcher(0.5, clock, [&calls] { return answer(++calls > 0); });
    std::optional<bool> result;
    auto task = CancellableTask::start([&](CancellationToken token) -> QCoro::Task<> {
        co_await clock.sleep(1);
        QCoro::Task<bool> waiting = watcher.waitUntilGranted(token);
        result = co_await waiting;
    });
    task.cancel();
    clock.advance(1);
    EXPECT_EQ(result, false);
    EXPECT_EQ(calls, 0);
}

} // namespace
} // namespace parlowind
