#include "FakeHotkeyRegistrar.h"

#include "hotkeys/HotkeyError.h"

namespace parlowind::test {

void FakeHotkeyRegistrar::setOnEvent(EventHandler handler)
{
    if (m_log)
        m_log->record(handler ? QStringLiteral("hotkeys.setOnEvent") : QStringLiteral("hotkeys.clearOnEvent"));
    m_handler = std::move(handler);
}

void FakeHotkeyRegistrar::registerBinding(const HotkeyBinding &binding, HotkeyID id)
{
    if (m_log)
        m_log->record(QStringLiteral("hotkeys.register ") + rawName(id));
    if (auto failure = m_failures.find(id); failure != m_failures.end()) {
        const int status = failure->second;
        m_failures.erase(failure);
        throw HotkeyError::registrationFailed(status);
    }
    if (isRegistered(id))
        throw HotkeyError::alreadyRegistered(id);
    m_registered.emplace(id, binding);
}

void FakeHotkeyRegistrar::unregister(HotkeyID id)
{
    if (m_log)
        m_log->record(QStringLiteral("hotkeys.unregister ") + rawName(id));
    m_registered.erase(id);
}

void FakeHotkeyRegistrar::unregisterAll()
{
    if (m_log)
        m_log->record(QStringLiteral("hotkeys.unregisterAll"));
    m_registered.clear();
}

std::optional<HotkeyBinding> FakeHotkeyRegistrar::binding(HotkeyID id) const
{
    if (auto found = m_registered.find(id); found != m_registered.end())
        return found->second;
    return std::nullopt;
}

void FakeHotkeyRegistrar::deliver(HotkeyID id, HotkeyPhase phase)
{
    if (!isRegistered(id) || !m_handler)
        return;
    // Copy: the handler may clear itself (deactivation from a key press).
    const EventHandler handler = m_handler;
    handler(id, phase);
}

} // namespace parlowind::test
