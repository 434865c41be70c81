#include "RequestCancellation.h"

#include <algorithm>

namespace parlowind {

void RequestCancellation::cancel()
{
    if (m_cancelled)
        return;
    m_cancelled = true;
    // A callback may resume a coroutine that removes its own entry: work on a copy.
    auto callbacks = std::move(m_callbacks);
    m_callbacks.clear();
    for (auto &[id, callback] : callbacks)
        callback();
}

int RequestCancellation::onCancel(Callback callback)
{
    const int id = m_nextId++;
    if (m_cancelled)
        callback();
    else
        m_callbacks.emplace_back(id, std::move(callback));
    return id;
}

void RequestCancellation::remove(int id)
{
    std::erase_if(m_callbacks, [id](const auto &entry) { return entry.first == id; });
}

} // namespace parlowind
