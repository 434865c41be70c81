#pragma once

#include <functional>
#include <utility>
#include <vector>

namespace parlowind {

// Lets whoever started an exchange stop it: the callbacks registered by the
// parties doing the work run once, on the thread that calls cancel(). Shared
// through std::shared_ptr; used on one thread.
class RequestCancellation final
{
public:
    using Callback = std::function<void()>;

    void cancel();
    bool isCancelled() const { return m_cancelled; }

    // Runs `callback` on cancel (at once when already cancelled); the returned
    // id removes it again.
    int onCancel(Callback callback);
    void remove(int id);

private:
    bool m_cancelled = false;
    int m_nextId = 0;
    std::vector<std::pair<int, Callback>> m_callbacks;
};

} // namespace parlowind
