#include "MonotonicClock.h"

#include <QCoro/QCoroTimer>

#include <chrono>
#include <cmath>

namespace parlowind {

double SystemClock::now() const
{
    using namespace std::chrono;
    return duration<double>(steady_clock::now().time_since_epoch()).count();
}

QCoro::Task<> SystemClock::sleep(double seconds)
{
    if (!(seconds > 0))
        co_return;
    const auto ms = std::chrono::milliseconds(static_cast<qint64>(std::ceil(seconds * 1000.0)));
    co_await QCoro::sleepFor(ms);
}

} // namespace parlowind
