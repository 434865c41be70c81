#include "support/Worker.h"

#include <QCoreApplication>
#include <QThread>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <stdexcept>
#include <thread>

using namespace parlowind;

namespace {

class WorkerError final : public std::runtime_error
{
public:
    WorkerError()
        : std::runtime_error("worker failed")
    { }
};

TEST(WorkerTest, WorkRunsOffTheMainThreadAndResumesOnIt)
{
    QThread *main = QThread::currentThread();
    QThread *workThread = nullptr;
    QThread *resumedOn = nullptr;
    auto task = [&]() -> QCoro::Task<int> {
        const int value = co_await runOnWorker([&] {
            workThread = QThread::currentThread();
            return 42;
        });
        resumedOn = QThread::currentThread();
        co_return value;
    };
    EXPECT_EQ(QCoro::waitFor(task()), 42);
    EXPECT_NE(workThread, main);
    EXPECT_EQ(resumedOn, main);
}

TEST(WorkerTest, ExceptionsArriveUnchangedAtTheAwaitingTask)
{
    auto task = []() -> QCoro::Task<bool> {
        try {
            co_await runOnWorker([]() -> void { throw WorkerError(); });
        } catch (const WorkerError &) {
            co_return true;
        } catch (...) { }
        co_return false;
    };
    EXPECT_TRUE(QCoro::waitFor(task()));
}

TEST(WorkerTest, SerialWorkerRunsOneJobAtATimeInOrder)
{
    SerialWorker worker;
    std::atomic_int running { 0 };
    std::atomic_int maxRunning { 0 };
    std::vector<int> order;
    std::mutex orderLock;

    auto job = [&](int id) {
        return worker.run([&, id] {
            const int now = ++running;
            maxRunning = std::max(maxRunning.load(), now);
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
            {
                std::lock_guard guard(orderLock);
                order.push_back(id);
            }
            --running;
        });
    };
    auto all = [&]() -> QCoro::Task<> {
        auto a = job(1);
        auto b = job(2);
        auto c = job(3);
        co_await a;
        co_await b;
        co_await c;
    };
    QCoro::waitFor(all());
    EXPECT_EQ(maxRunning.load(), 1);
    EXPECT_EQ(order, (std::vector<int> { 1, 2, 3 }));
}

} // namespace
