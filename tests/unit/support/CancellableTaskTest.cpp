#include "support/CancellableTask.h"
#include "FakeClock.h"

#include <QObject>
#include <QPointer>

#include <gtest/gtest.h>

#include <memory>
#include <stdexcept>

using namespace parlowind;
using parlowind::test::FakeClock;

namespace {

// Stands in for a coordinator: a task sleeps, then changes the owner's state.
class Owner : public QObject
{
public:
    int changes = 0;
};

CancellableTask startDelayedChange(FakeClock &clock, Owner *owner)
{
    QPointer<Owner> weak(owner);
    return CancellableTask::start([&clock, weak](CancellationToken token) -> QCoro::Task<> {
        co_await clock.sleep(1.0);
        if (token.isCancelled() || !weak)
            co_return;
        ++weak->changes;
    });
}

TEST(CancellableTaskTest, RunsToCompletionWhenLeftAlone)
{
    FakeClock clock;
    Owner owner;
    auto task = startDelayedChange(clock, &owner);
    EXPECT_FALSE(task.isFinished());
    clock.advance(1.0);
    EXPECT_TRUE(task.isFinished());
    EXPECT_FALSE(task.isCancelled());
    EXPECT_EQ(owner.changes, 1);
}

TEST(CancellableTaskTest, CancelledTaskChangesNothingWhenItResumes)
{
    FakeClock clock;
    Owner owner;
    auto task = startDelayedChange(clock, &owner);
    task.cancel();
    EXPECT_TRUE(task.isCancelled());
    clock.advance(5.0);
    EXPECT_TRUE(task.isFinished());
    EXPECT_EQ(owner.changes, 0);
}

TEST(CancellableTaskTest, TaskWhoseOwnerIsGoneDoesNothing)
{
    FakeClock clock;
    auto owner = std::make_unique<Owner>();
    auto task = startDelayedChange(clock, owner.get());
    owner.reset();
    clock.advance(1.0); // would be a use-after-free under the sanitizers
    EXPECT_TRUE(task.isFinished());
}

TEST(CancellableTaskTest, AnotherTaskCanAwaitCompletion)
{
    FakeClock clock;
    Owner owner;
    auto first = startDelayedChange(clock, &owner);
    int seenByFollower = -1;
    auto follower = CancellableTask::start([&](CancellationToken) -> QCoro::Task<> {
        co_await first.finished();
        seenByFollower = owner.changes;
    });
    EXPECT_EQ(seenByFollower, -1);
    clock.advance(1.0);
    EXPECT_EQ(seenByFollower, 1);
    EXPECT_TRUE(follower.isFinished());

    // Awaiting a finished or empty handle completes at once.
    bool immediate = false;
    CancellableTask::start([&](CancellationToken) -> QCoro::Task<> {
        co_await first.finished();
        co_await CancellableTask().finished();
        immediate = true;
    });
    EXPECT_TRUE(immediate);
}

TEST(CancellableTaskTest, ExceptionsStopAtTheTaskBoundary)
{
    FakeClock clock;
    auto task = CancellableTask::start([&](CancellationToken) -> QCoro::Task<> {
        co_await clock.sleep(0.1);
        throw std::runtime_error("boom");
    });
    EXPECT_NO_THROW(clock.advance(1.0));
    EXPECT_TRUE(task.isFinished());
}

TEST(CancellableTaskTest, CopiesShareOneCancellationFlag)
{
    FakeClock clock;
    Owner owner;
    auto task = startDelayedChange(clock, &owner);
    CancellableTask copy = task;
    copy.cancel();
    EXPECT_TRUE(task.isCancelled());
    clock.advance(1.0);
    EXPECT_EQ(owner.changes, 0);
}

} // namespace
